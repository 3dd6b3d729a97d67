// Tide Lanterns: paper lanterns drift up from a moonlit sea. A click on the desktop
// releases a new lantern where it landed. Waits for its first frame before it reports
// that it is ready, as scenes that build themselves asynchronously should.
(() => {
  const canvas = /** @type {HTMLCanvasElement} */ (document.getElementById('sea'));
  const context = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));
  const player = window.wallpaper;
  if (player) player.deferReady();

  let width = 0;
  let height = 0;
  /** @typedef {{x: number, y: number, size: number, drift: number, rise: number, flicker: number}} Lantern */
  /** @type {Lantern[]} */
  const lanterns = [];
  const resize = () => {
    const ratio = window.devicePixelRatio || 1;
    width = canvas.width = Math.floor(innerWidth * ratio);
    height = canvas.height = Math.floor(innerHeight * ratio);
  };
  addEventListener('resize', resize);
  resize();

  /** @param {number} x @param {number} y */
  const release = (x, y) => {
    lanterns.push({
      x, y,
      size: 10 + Math.random() * 14,
      drift: (Math.random() - 0.5) * 0.2,
      rise: 0.25 + Math.random() * 0.35,
      flicker: Math.random() * Math.PI * 2,
    });
    if (lanterns.length > 60) lanterns.shift();
  };
  for (let i = 0; i < 24; i += 1) release(Math.random() * width, height * (0.3 + Math.random() * 0.6));

  /** @param {number} time */
  const drawSea = (time) => {
    const sky = context.createLinearGradient(0, 0, 0, height);
    sky.addColorStop(0, '#0a1028');
    sky.addColorStop(0.62, '#24315e');
    sky.addColorStop(0.63, '#101a3a');
    sky.addColorStop(1, '#050914');
    context.fillStyle = sky;
    context.fillRect(0, 0, width, height);
    context.fillStyle = 'rgba(255, 244, 214, 0.9)';
    context.beginPath();
    context.arc(width * 0.78, height * 0.2, Math.min(width, height) * 0.05, 0, Math.PI * 2);
    context.fill();
    context.strokeStyle = 'rgba(255, 244, 214, 0.12)';
    for (let row = 0; row < 18; row += 1) {
      const y = height * (0.65 + row * 0.02);
      context.beginPath();
      for (let x = 0; x <= width; x += width / 60) {
        context.lineTo(x, y + Math.sin(x / width * 20 + time * 0.001 + row) * 2);
      }
      context.stroke();
    }
  };

  /** @param {Lantern} lantern @param {number} time */
  const drawLantern = (lantern, time) => {
    const glow = 0.75 + 0.25 * Math.sin(time * 0.006 + lantern.flicker);
    const halo = context.createRadialGradient(lantern.x, lantern.y, 0, lantern.x, lantern.y, lantern.size * 3);
    halo.addColorStop(0, `rgba(255, 180, 90, ${0.35 * glow})`);
    halo.addColorStop(1, 'rgba(255, 180, 90, 0)');
    context.fillStyle = halo;
    context.fillRect(lantern.x - lantern.size * 3, lantern.y - lantern.size * 3, lantern.size * 6, lantern.size * 6);
    context.fillStyle = `rgba(255, ${150 + 60 * glow}, 80, 0.95)`;
    context.fillRect(lantern.x - lantern.size / 2, lantern.y - lantern.size * 0.7, lantern.size, lantern.size * 1.4);
  };

  let paused = false;
  let frameInterval = 1000 / 30;
  let last = 0;
  let first = true;
  let scheduled = false;
  /** @param {number} time */
  const frame = (time) => {
    scheduled = false;
    if (paused) return;
    if (time - last >= frameInterval - 1) {
      const step = Math.min(time - last, 100) / 16;
      last = time;
      drawSea(time);
      for (let i = lanterns.length - 1; i >= 0; i -= 1) {
        const lantern = lanterns[i];
        lantern.y -= lantern.rise * step;
        lantern.x += lantern.drift * step;
        if (lantern.y < -lantern.size * 3) lanterns.splice(i, 1);
        else drawLantern(lantern, time);
      }
      if (lanterns.length < 24) release(Math.random() * width, height * 0.95);
      if (first && player) {
        first = false;
        player.ready();
      }
    }
    schedule();
  };
  const schedule = () => {
    if (!scheduled && !paused) {
      scheduled = true;
      requestAnimationFrame(frame);
    }
  };

  if (player) {
    player.on('state', (state) => {
      paused = state.paused;
      frameInterval = 1000 / (state.fps || 30);
      schedule();
    });
    player.on('click', (click) => release(click.x * width, click.y * height));
  }
  addEventListener('pointerdown', (event) => {
    const ratio = window.devicePixelRatio || 1;
    release(event.clientX * ratio, event.clientY * ratio);
  });
  schedule();
})();
