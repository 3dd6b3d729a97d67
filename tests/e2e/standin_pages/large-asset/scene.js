'use strict';
// Asks for its large clip (the test writes clip.mp4 beside it) before it reports readiness.
window.wallpaper.deferReady();
fetch('clip.mp4')
  .then(response => console.log(`scene clip ${response.status}`))
  .catch(error => console.log(`scene clip ${error.name}`))
  .finally(() => window.wallpaper.ready());
