'use strict';
// Asks for files that do not exist, as fast as the browser lets it: images in the
// document (each failure also reported by the bridge) and fetches (which it ignores).
let asked = 0;
let start = 0;
const FLOOD_MS = 15000;

function burst() {
  const elapsed = performance.now() - start;
  for (let i = 0; i < 50; ++i) {
    const image = document.createElement('img');
    image.src = `missing-${asked}.png`;
    image.addEventListener('error', () => image.remove());
    document.body.appendChild(image);
    fetch(`gone-${asked}.js`).catch(() => {});
    asked += 2;
  }
  if (asked % 1000 === 0) console.log(`hostile posted ${asked} in ${Math.round(elapsed)} ms`);
  if (elapsed < FLOOD_MS) setTimeout(burst, 1);
  else console.log(`hostile done posted ${asked} in ${Math.round(elapsed)} ms`);
}

window.addEventListener('load', () => setTimeout(() => {
  start = performance.now();
  burst();
}, 200));
