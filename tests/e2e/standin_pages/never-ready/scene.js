'use strict';
// Asks to confirm readiness itself and never does.
window.wallpaper.deferReady();
