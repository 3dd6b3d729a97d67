'use strict';
// Confirms readiness itself two seconds after load, then loses an image once the
// player's 15-second readiness limit would have passed.
window.wallpaper.deferReady();
window.wallpaper.on('state', state => console.log(`scene state ${JSON.stringify(state)}`));
window.addEventListener('load', () => {
  setTimeout(() => {
    console.log('scene ready');
    window.wallpaper.ready();
  }, 2000);
  setTimeout(() => {
    const image = document.createElement('img');
    image.src = 'lost.png';
    document.body.appendChild(image);
  }, 17000);
});
