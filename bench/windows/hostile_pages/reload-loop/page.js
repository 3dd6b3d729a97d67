'use strict';
// Reloads itself as soon as it has loaded (and said it is ready), again and again.
window.addEventListener('load', () => setTimeout(() => location.reload(), 0));
