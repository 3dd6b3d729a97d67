'use strict';
// Two known colours side by side; every press the document itself receives is logged.
document.addEventListener('mousedown', event => {
  console.log(`scene mousedown ${event.clientX},${event.clientY} button=${event.button} trusted=${event.isTrusted}`);
});
