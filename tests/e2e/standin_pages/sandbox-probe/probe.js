'use strict';
// Tries every way out of the sandbox once the page is ready and reports each result on
// the console as "probe NAME RESULT", which the stand-in records.
const report = (name, result) => console.log(`probe ${name} ${result}`);
const settle = ms => new Promise(resolve => setTimeout(resolve, ms));

async function attempt(name, action) {
  try {
    report(name, await action());
  } catch (error) {
    report(name, `refused ${error?.name || error}`);
  }
}

async function answer(path, init) {
  const response = await fetch(path, init);
  const body = await response.text();
  return `${response.status} length=${body.length} headers=${JSON.stringify([...response.headers])}`;
}

function element(tag, attributes) {
  return new Promise(resolve => {
    const node = document.createElement(tag);
    node.onload = () => resolve('loaded');
    node.onerror = () => resolve('refused');
    Object.assign(node, attributes);
    document.body.appendChild(node);
  });
}

function socket(url) {
  return new Promise(resolve => {
    try {
      const ws = new WebSocket(url);
      ws.onopen = () => resolve('open');
      ws.onerror = () => resolve('refused');
    } catch (error) {
      resolve(`refused ${error.name}`);
    }
  });
}

// The routes around the content security policy: WebRTC to literals and names, hints and
// connections the policy does not govern; on another loopback address, where the relay
// listens, and to names, which must not even be looked up.
const OTHER = '127.0.0.2';

function hint(rel, href) {
  const link = document.createElement('link');
  Object.assign(link, { rel, href });
  document.head.appendChild(link);
}

async function webrtc() {
  const pc = new RTCPeerConnection({ iceServers: [
    { urls: [`stun:${OTHER}:3478`, 'stun:stun.example.com:3478'] },
    { urls: [`turn:${OTHER}:3478?transport=udp`, `turn:${OTHER}:3478?transport=tcp`, `turns:${OTHER}:5349`,
      'turn:turn.example.com:3478'], username: 'u', credential: 'p' },
  ] });
  const seen = [];
  pc.onicecandidate = event => { if (event.candidate) seen.push(event.candidate.type); };
  pc.createDataChannel('probe');
  await pc.setLocalDescription(await pc.createOffer());
  await settle(4000);
  pc.close();
  return `candidates=${seen.filter(type => type !== 'host').length}`;
}

async function aroundThePolicy() {
  for (const [rel, href] of [['preconnect', `http://${OTHER}/`], ['preconnect', 'https://preconnect.example.com/'],
    ['dns-prefetch', 'http://prefetch.example.com/'], ['prefetch', `http://${OTHER}:8443/next`],
    ['prerender', `http://${OTHER}/page`]]) {
    hint(rel, href);
  }
  await attempt('beacon', () => String(navigator.sendBeacon(`http://${OTHER}/beacon`, 'x')));
  await attempt('literal-socket', () => socket(`ws://${OTHER}:8443/`));
  await attempt('transport', async () => {
    const transport = new WebTransport(`https://${OTHER}:8443/`);
    await transport.ready;
    return 'open';
  });
  await attempt('events', () => new Promise(resolve => {
    const source = new EventSource(`http://${OTHER}/events`);
    source.onerror = () => { source.close(); resolve('refused'); };
  }));
  await attempt('srcdoc', () => element('iframe', { srcdoc: `<img src="http://${OTHER}/framed.png">` }));
  await attempt('webrtc', webrtc);
  await settle(1000);
  console.log('standin netlog');
}

async function probe() {
  if (sessionStorage.getItem('reloaded')) {
    report('reloaded', 'yes');
    return;
  }
  await aroundThePolicy();
  await attempt('served-css', () => answer('style.css'));
  await attempt('served-post', () => answer('style.css', { method: 'POST', body: 'x' }));
  // Only a GET without If-Range has its range honoured.
  await attempt('range-get', () => answer('style.css', { headers: { Range: 'bytes=0-1' } }));
  await attempt('range-post', () => answer('style.css', { method: 'POST', body: 'x', headers: { Range: 'bytes=0-1' } }));
  await attempt('range-if-range', () => answer('style.css', { headers: { Range: 'bytes=0-1', 'If-Range': '"v1"' } }));
  await attempt('other-fetch', () => answer('http://example.com/data.json'));
  await attempt('other-image', () => element('img', { src: 'http://example.com/a.png' }));
  await attempt('other-script', () => element('script', { src: 'http://example.com/a.js' }));
  await attempt('other-frame', () => element('iframe', { src: 'http://example.com/' }));
  await attempt('other-socket', () => socket('ws://example.com/'));
  await attempt('https-self', () => answer('https://wlp.localhost/style.css'));
  await attempt('socket-self', () => socket('ws://wlp.localhost/socket'));
  await attempt('dot-dot', () => answer('/js/..%2Fstyle.css'));
  await attempt('encoded-slash', () => answer('/%2Fstyle.css'));
  await attempt('unknown', () => answer('/missing.js'));
  await attempt('window-open', () => (window.open('http://example.com/popup') === null ? 'null' : 'window'));
  await attempt('download', () => {
    document.getElementById('download').click();
    return 'clicked';
  });
  // What headless Chromium cannot show: the stand-in raises the runtime's events for these.
  for (const ask of ['launch mailto:someone@example.com', 'capture http://wlp.localhost/index.html',
    'login https://example.com/', 'client-certificate example.com', 'server-certificate https://example.com/']) {
    console.log(`standin ask ${ask}`);
  }
  await settle(1000);
  report('navigating', 'away');
  location.href = 'http://example.com/away';
  await settle(2000);
  // Everything the browser tried so far, its own services' included.
  console.log('standin netlog');
  report('still-here', location.href);
  // After a click a page may ask to stay; its reload goes on all the same.
  console.log('standin click');
  await settle(500);
  window.addEventListener('beforeunload', event => {
    event.preventDefault();
    event.returnValue = 'stay';
  });
  sessionStorage.setItem('reloaded', 'yes');
  location.reload();
}

window.addEventListener('load', () => setTimeout(probe, 300));
