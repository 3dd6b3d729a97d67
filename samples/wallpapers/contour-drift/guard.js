// A classic script runs before any module: readiness is deferred here, so a module that
// fails to load (a missing import, a bare module name) leaves the page not ready, and is
// reported as failed at once instead of counting as ready with a black screen.
window.wallpaper.deferReady();
window.addEventListener('load', () => {
  // Module scripts have run by the time the window's load event fires.
  if (document.documentElement.dataset.started !== 'yes') window.wallpaper.failed();
});
