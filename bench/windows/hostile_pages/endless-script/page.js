'use strict';
// Says it is ready, then never gives its renderer back.
window.addEventListener('load', () => setTimeout(() => {
  console.log('hostile looping');
  for (;;) { /* forever */ }
}, 500));
