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

async function probe() {
  await attempt('served-css', () => answer('style.css'));
  await attempt('served-post', () => answer('style.css', { method: 'POST', body: 'x' }));
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
  await settle(1000);
  report('navigating', 'away');
  location.href = 'http://example.com/away';
  await settle(2000);
  report('still-here', location.href);
}

window.addEventListener('load', () => setTimeout(probe, 300));
