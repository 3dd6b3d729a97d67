'use strict';
// Never listens to the player's state: draws a full frame of moving shapes at every
// animation frame, paused or not, seen or not.
const canvas = document.getElementById('scene');
const context = canvas.getContext('2d');
function frame(time) {
  context.fillStyle = '#102030';
  context.fillRect(0, 0, canvas.width, canvas.height);
  for (let i = 0; i < 400; i += 1) {
    const angle = time / 700 + i;
    context.fillStyle = `hsl(${(i * 7 + time / 20) % 360}, 70%, 60%)`;
    context.beginPath();
    context.arc(480 + Math.cos(angle) * (i % 240), 270 + Math.sin(angle * 1.3) * (i % 200), 6, 0, Math.PI * 2);
    context.fill();
  }
  requestAnimationFrame(frame);
}
requestAnimationFrame(frame);
