// Star Chart: a still sky that loads its stars and a compass rose before it shows
// anything, so it defers readiness until both are in; a click on the desktop draws a line
// from the nearest star to the one before. Nothing moves, so it draws only when something
// changed and has nothing to pause.
'use strict';
(() => {
  const player = window.wallpaper;
  // Before the load event: readiness now waits for ready() (or failed()).
  player.deferReady();

  const canvas = /** @type {HTMLCanvasElement} */ (document.getElementById('chart'));
  const context = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));

  /** @typedef {{x: number, y: number, magnitude: number}} Star */
  /** @typedef {{stars: Star[], lines: [number, number][]}} Sky */
  /** @type {Sky} */
  let sky = {stars: [], lines: []};
  /** @type {HTMLImageElement | null} */
  let compass = null;
  /** @type {number[]} the stars the user linked, in click order */
  const linked = [];
  let width = 0;
  let height = 0;

  const draw = () => {
    context.fillStyle = '#060b1a';
    context.fillRect(0, 0, width, height);
    if (compass) {
      const size = Math.min(width, height) * 0.22;
      context.globalAlpha = 0.35;
      context.drawImage(compass, width - size * 1.2, height - size * 1.2, size, size);
      context.globalAlpha = 1;
    }
    /** @param {[number, number][]} pairs @param {string} colour */
    const strokeLines = (pairs, colour) => {
      context.strokeStyle = colour;
      context.lineWidth = Math.max(1, width / 1200);
      for (const [from, to] of pairs) {
        const a = sky.stars[from];
        const b = sky.stars[to];
        context.beginPath();
        context.moveTo(a.x * width, a.y * height);
        context.lineTo(b.x * width, b.y * height);
        context.stroke();
      }
    };
    strokeLines(sky.lines, 'rgba(150, 175, 255, 0.35)');
    /** @type {[number, number][]} */
    const drawn = [];
    for (let i = 1; i < linked.length; i += 1) drawn.push([linked[i - 1], linked[i]]);
    strokeLines(drawn, 'rgba(255, 214, 140, 0.85)');
    for (const star of sky.stars) {
      const radius = (5 - star.magnitude) * Math.max(1, width / 1600);
      context.fillStyle = '#f4f6ff';
      context.beginPath();
      context.arc(star.x * width, star.y * height, radius, 0, Math.PI * 2);
      context.fill();
    }
  };

  const resize = () => {
    const ratio = window.devicePixelRatio || 1;
    width = canvas.width = Math.floor(window.innerWidth * ratio);
    height = canvas.height = Math.floor(window.innerHeight * ratio);
    draw();
  };
  window.addEventListener('resize', resize);

  /** @param {number} x @param {number} y @returns {number} */
  const nearestStar = (x, y) => {
    let best = 0;
    let bestDistance = Infinity;
    sky.stars.forEach((star, index) => {
      const distance = (star.x - x) ** 2 + (star.y - y) ** 2;
      if (distance < bestDistance) {
        best = index;
        bestDistance = distance;
      }
    });
    return best;
  };

  // Clicks arrive as fractions of the wallpaper's size, whatever the screen's resolution.
  player.on('click', (click) => {
    if (sky.stars.length === 0) return;
    linked.push(nearestStar(click.x, click.y));
    if (linked.length > 12) linked.shift();
    draw();
  });

  /** @returns {Promise<HTMLImageElement>} */
  const loadCompass = () => {
    const image = new Image();
    image.src = 'img/compass.svg';
    return image.decode().then(() => image);
  };

  Promise.all([fetch('data/stars.json').then((response) => {
    if (!response.ok) throw new Error(`stars: ${response.status}`);
    return response.json();
  }), loadCompass()]).then(([loaded, image]) => {
    sky = /** @type {Sky} */ (loaded);
    compass = image;
    resize();
    player.ready();
  }, (error) => {
    // A fetch failure is not one the player notices by itself: say so.
    console.error(error);
    player.failed();
  });
})();
