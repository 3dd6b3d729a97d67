'use strict';
// Says it is ready, then takes memory until its renderer dies.
const hoard = [];
window.addEventListener('load', () => setTimeout(() => {
  console.log('hostile hoarding');
  setInterval(() => {
    for (let i = 0; i < 20; ++i) hoard.push(new Array(250000).fill(hoard.length + i + 0.5));
  }, 5);
}, 500));
