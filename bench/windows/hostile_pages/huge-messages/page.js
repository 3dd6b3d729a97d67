'use strict';
// Sends a 10 MB message twice a second for 15 seconds, through both doors in turn.
const SIZE = 10 * 1024 * 1024;
const huge = 'x'.repeat(SIZE - 5) + 'ready';
let posted = 0;
window.addEventListener('load', () => {
  const start = performance.now();
  const timer = setInterval(() => {
    if (posted % 2 === 0) window.ipc.postMessage(huge);
    else window.chrome.webview.postMessage(huge);
    posted += 1;
    console.log(`hostile posted ${posted} in ${Math.round(performance.now() - start)} ms`);
    if (posted >= 30) {
      clearInterval(timer);
      console.log(`hostile done posted ${posted} in ${Math.round(performance.now() - start)} ms`);
    }
  }, 500);
});
