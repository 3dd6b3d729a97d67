'use strict';
// The Linux side of the stand-in WebView2 runtime: the stand-in WebView2Loader.dll of each
// player process connects here over loopback TCP, and this relay runs a Chromium for it.
// It also listens on ports 80 and 443 of the loopback (when allowed) and records every
// connection there in the logs of the hosts connected at that moment: nothing a page asks
// of wlp.localhost may reach the network.
// Usage: node relay.js [--port N] [--screenshots folder] [--port-file file]
// Prints "relay listening PORT" once it accepts connections.

const net = require('node:net');
const fs = require('node:fs');
const { Client } = require('./client');
const { watchOtherLoopback } = require('./sandbox_watch');

const options = { port: 0, screenshots: null, portFile: null, watched: new Set() };
for (let i = 2; i < process.argv.length; i += 2) {
  const value = process.argv[i + 1];
  if (process.argv[i] === '--port') options.port = Number(value);
  else if (process.argv[i] === '--screenshots') options.screenshots = value;
  else if (process.argv[i] === '--port-file') options.portFile = value;
}

const clients = new Set();

function watchNetwork(port) {
  const server = net.createServer(socket => {
    socket.once('data', data => {
      const first = data.toString('latin1').split('\r\n')[0].replace(/[^\x20-\x7e]/g, '.');
      for (const client of clients) client.record(`network hit port ${port} ${first}`);
      socket.end('HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n');
    });
    socket.on('error', () => {});
  });
  server.on('error', error => console.log(`network watch on port ${port} unavailable: ${error.code}`));
  server.listen(port, '127.0.0.1', () => options.watched.add(port));
}

const server = net.createServer(socket => {
  const client = new Client(socket, options);
  clients.add(client);
  socket.on('close', () => clients.delete(client));
});
server.listen(options.port, '127.0.0.1', () => {
  const { port } = server.address();
  if (options.portFile) fs.writeFileSync(options.portFile, `${port}\n`);
  console.log(`relay listening ${port}`);
});
watchNetwork(80);
watchNetwork(443);
watchOtherLoopback(text => { for (const client of clients) client.record(text); });

// Ends every browser and waits (briefly) until their profiles are removed.
const stop = async () => {
  const ended = [...clients].map(client => {
    client.close();
    return client.browser ? client.browser.ended() : Promise.resolve();
  });
  await Promise.race([Promise.all(ended), new Promise(resolve => setTimeout(resolve, 3000))]);
  process.exit(0);
};
process.on('SIGTERM', stop);
// One host's trouble must not end the relay for the tests after it.
process.on('uncaughtException', error => console.log(`relay: ${error.stack || error}`));
process.on('SIGINT', stop);
