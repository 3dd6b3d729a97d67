'use strict';
// What leaves the browser: listeners on another loopback address (TCP and UDP, the ports a
// page might aim at) and a summary of Chromium's own network log (every socket it
// connected, every byte it sent over UDP, every host lookup it ran).

const net = require('node:net');
const dgram = require('node:dgram');
const fs = require('node:fs');

const WATCHED_ADDRESS = '127.0.0.2';
const WATCHED_PORTS = [80, 443, 3478, 5349, 8443];
// Chromium's IPv6 reachability probe connects a UDP socket here without sending anything.
const IPV6_PROBE = '[2001:4860:4860::8888]:443';

// Calls record(text) for every connection or datagram that arrives.
function watchOtherLoopback(record) {
  for (const port of WATCHED_PORTS) {
    const server = net.createServer(socket => {
      record(`network hit tcp ${WATCHED_ADDRESS}:${port}`);
      socket.destroy();
    });
    server.on('error', error => console.log(`tcp watch ${port} unavailable: ${error.code}`));
    server.listen(port, WATCHED_ADDRESS);
    const udp = dgram.createSocket('udp4');
    udp.on('message', () => record(`network hit udp ${WATCHED_ADDRESS}:${port}`));
    udp.on('error', error => console.log(`udp watch ${port} unavailable: ${error.code}`));
    udp.bind(port, WATCHED_ADDRESS);
  }
}

// The network log holds one event a line while the browser runs.
function summariseNetLog(file) {
  let text;
  try {
    text = fs.readFileSync(file, 'utf8');
  } catch {
    return 'network log unreadable';
  }
  const constants = text.match(/"logEventTypes":(\{[^}]*\})/);
  if (!constants) return 'network log without constants';
  const names = Object.fromEntries(Object.entries(JSON.parse(constants[1])).map(([k, v]) => [v, k]));
  const connects = [];
  let udpSent = 0;
  let lookups = 0;
  for (const line of text.split('\n')) {
    const match = line.match(/^\{"params":.*"type":(\d+)\},?$/) || line.match(/^\{.*"type":(\d+)\},?$/);
    if (!match) continue;
    const type = names[Number(match[1])] || '';
    const address = (line.match(/"address":"([^"]*)"/) || [])[1];
    if ((type === 'TCP_CONNECT' || type === 'SOCKET_CONNECT' || type === 'UDP_CONNECT') && address &&
        address !== IPV6_PROBE) connects.push(address);
    if (type === 'UDP_BYTES_SENT' || type === 'SOCKET_BYTES_SENT') udpSent += 1;
    if (/^HOST_RESOLVER_(SYSTEM|DNS)_TASK$|^HOST_RESOLVER_MANAGER_JOB$|^DNS_TRANSACTION$/.test(type)) lookups += 1;
  }
  return `network log sockets=${connects.length} sent=${udpSent} lookups=${lookups}` +
    (connects.length ? ` to ${[...new Set(connects)].join(',')}` : '');
}

module.exports = { watchOtherLoopback, summariseNetLog, WATCHED_ADDRESS };
