'use strict';
// Does nothing after loading: the baseline of the machine and the stand-in.
window.addEventListener('load', () => console.log('calm'));
