'use strict';
// Floods the player: 20,000 failure reports and readiness messages through both doors,
// then 300 requests for files that do not exist; says when all were answered.
window.addEventListener('load', () => {
  for (let i = 0; i < 10000; ++i) {
    window.ipc.postMessage('asset-error');
    window.chrome.webview.postMessage('ready');
  }
  const asked = [];
  for (let i = 0; i < 300; ++i) asked.push(fetch(`missing-${i}.js`).catch(() => {}));
  Promise.all(asked).then(() => console.log('flood done'));
});
