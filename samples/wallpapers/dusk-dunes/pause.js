// The page's one script: the player's pause as a class on the root, which stops every
// CSS animation (dunes.css). The frame rate does not apply: the browser runs CSS
// animations itself, and stopping them is what saves the processor.
window.wallpaper.on('state', (state) => {
  document.documentElement.classList.toggle('paused', state.paused);
});
