'use strict';
// Ignores the state: draws every frame and plays two videos of its canvas, one of which it
// pauses itself. Says on the console ("held ...") whenever what moves changes.
const canvas = document.querySelector('canvas');
const [video, own] = document.querySelectorAll('video');
let frames = 0;
const frame = time => {
  frames += 1;
  canvas.getContext('2d').fillStyle = `hsl(${time / 10 % 360}, 70%, 50%)`;
  canvas.getContext('2d').fillRect(0, 0, 64, 64);
  requestAnimationFrame(frame);
};
requestAnimationFrame(frame);
video.srcObject = own.srcObject = canvas.captureStream();
Promise.all([video.play(), own.play()]).then(() => own.pause());
let counted = 0;
let last = '';
setInterval(() => {
  const now = `frames=${frames > counted ? 'moving' : 'still'} css=${document.getAnimations()[0].playState} ` +
    `video=${video.paused ? 'paused' : 'playing'} own=${own.paused ? 'paused' : 'playing'}`;
  if (now !== last) console.log(`held ${now}`);
  [counted, last] = [frames, now];
}, 250);
