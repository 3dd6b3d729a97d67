'use strict';
// Floods the player through both doors at about 100,000 messages a second for 15 seconds:
// failure reports (each one a log line and a refresh notice if nothing held them back),
// readiness and a message the player does not know. Says each second how many it posted.
const RATE_PER_MS = 100;
const FLOOD_MS = 15000;
const kinds = [m => window.ipc.postMessage(m), m => window.chrome.webview.postMessage(m)];
const messages = ['asset-error', 'ready', 'noise'];
let posted = 0;
let start = 0;
let lastReport = 0;

function burst() {
  const now = performance.now();
  const elapsed = now - start;
  const due = Math.min(elapsed, FLOOD_MS) * RATE_PER_MS;
  while (posted < due) {
    kinds[posted & 1](messages[posted % 3]);
    posted += 1;
  }
  if (now - lastReport >= 1000) {
    lastReport = now;
    console.log(`hostile posted ${posted} in ${Math.round(elapsed)} ms`);
  }
  if (elapsed < FLOOD_MS) setTimeout(burst, 0);
  else console.log(`hostile done posted ${posted} in ${Math.round(elapsed)} ms`);
}

window.addEventListener('load', () => setTimeout(() => {
  start = performance.now();
  lastReport = start;
  burst();
}, 200));
