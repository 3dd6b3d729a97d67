// What the wallpaper takes from npm, bundled into one module file it imports by a
// relative path (the page may not use an import map or bare module names).
export { createNoise3D } from 'simplex-noise';
export { default as alea } from 'alea';
