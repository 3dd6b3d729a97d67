// Contour Drift: a topographic map whose hills drift slowly, drawn from 3D simplex noise
// (npm's simplex-noise with a seeded alea generator, bundled into lib/noise.js). A click
// raises a hill where the desktop was clicked. Follows the player's pause and frame rate.
import { alea, createNoise3D } from './lib/noise.js';

document.documentElement.dataset.started = 'yes';
const player = window.wallpaper;
const canvas = /** @type {HTMLCanvasElement} */ (document.getElementById('map'));
const context = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));
const noise = createNoise3D(alea('contour-drift'));

// The map is computed at a quarter of the screen's size and scaled up smoothly.
const kScale = 4;
const kBands = 9;
const palette = Array.from({length: kBands}, (_, i) => {
  const t = i / (kBands - 1);
  return [Math.round(20 + 200 * t), Math.round(60 + 150 * t), Math.round(70 + 90 * t * t)];
});
/** @type {ImageData} */
let image = context.createImageData(1, 1);
/** @type {{x: number, y: number, strength: number}[]} */
const hills = [];

const resize = () => {
  canvas.width = Math.max(1, Math.ceil(innerWidth / kScale));
  canvas.height = Math.max(1, Math.ceil(innerHeight / kScale));
  image = context.createImageData(canvas.width, canvas.height);
};
addEventListener('resize', resize);
resize();

/** @param {number} time */
const draw = (time) => {
  const {width, height, data} = image;
  const z = time * 0.00004;
  for (let y = 0; y < height; y += 1) {
    for (let x = 0; x < width; x += 1) {
      let value = 0.6 * noise(x / 90, y / 90, z) + 0.3 * noise(x / 35, y / 35, z * 2) + 0.1 * noise(x / 12, y / 12, z);
      for (const hill of hills) {
        const dx = x / width - hill.x;
        const dy = y / height - hill.y;
        value += hill.strength * Math.exp(-(dx * dx + dy * dy) * 60);
      }
      const level = (value + 1) / 2 * kBands;
      const band = Math.min(kBands - 1, Math.max(0, Math.floor(level)));
      // A dark line where the value crosses from one band to the next.
      const edge = Math.min(level - Math.floor(level), Math.ceil(level) - level) < 0.06 ? 0.55 : 1;
      const [r, g, b] = palette[band];
      const at = (y * width + x) * 4;
      data[at] = r * edge;
      data[at + 1] = g * edge;
      data[at + 2] = b * edge;
      data[at + 3] = 255;
    }
  }
  context.putImageData(image, 0, 0);
  for (let i = hills.length - 1; i >= 0; i -= 1) {
    hills[i].strength *= 0.985;
    if (hills[i].strength < 0.02) hills.splice(i, 1);
  }
};

let paused = player.state.paused;
let interval = 1000 / player.state.fps;
let last = -Infinity;
let requested = false;
let first = true;
/** @param {number} time */
const frame = (time) => {
  requested = false;
  if (paused) return;
  if (time - last >= interval - 1) {
    last = time;
    draw(time);
    if (first) {
      first = false;
      player.ready();
    }
  }
  request();
};
const request = () => {
  if (!requested && !paused) {
    requested = true;
    requestAnimationFrame(frame);
  }
};
player.on('state', (state) => {
  paused = state.paused;
  interval = 1000 / state.fps;
  request();
});
player.on('click', (click) => {
  hills.push({x: click.x, y: click.y, strength: 0.8});
  if (hills.length > 6) hills.shift();
});
request();
