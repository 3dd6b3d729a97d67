'use strict';
// Ignores the player's state: draws every frame, plays two videos of its own canvas and
// pauses one of them itself. Reports on the console, as "held ...", whenever what moves
// changes; timers are not held, animation frames are.
const canvas = document.getElementById('scene');
const context = canvas.getContext('2d');
const stream = canvas.captureStream();
let frames = 0;
const frame = time => {
  frames += 1;
  context.fillStyle = `hsl(${time / 10 % 360}, 70%, 50%)`;
  context.fillRect(0, 0, canvas.width, canvas.height);
  requestAnimationFrame(frame);
};
requestAnimationFrame(frame);
const video = document.getElementById('video');
const own = document.getElementById('own');
video.srcObject = stream;
own.srcObject = stream;
Promise.all([video.play(), own.play()]).then(() => own.pause());

let counted = 0;
let last = '';
setInterval(() => {
  const now = `frames=${frames > counted ? 'moving' : 'still'} ` +
    `css=${document.getElementById('spin').getAnimations()[0].playState} ` +
    `video=${video.paused ? 'paused' : 'playing'} own=${own.paused ? 'paused' : 'playing'}`;
  counted = frames;
  if (now !== last) console.log(`held ${now}`);
  last = now;
}, 250);
