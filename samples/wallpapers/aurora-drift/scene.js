// Aurora Drift: layered curtains of light over a starfield. Clicks on the desktop send a
// soft pulse through the curtains. Follows the player's pause and frame-rate state.
(() => {
  const canvas = /** @type {HTMLCanvasElement} */ (document.getElementById('sky'));
  const context = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));
  const player = window.wallpaper;

  let width = 0;
  let height = 0;
  /** @type {{x: number, y: number, r: number, phase: number}[]} */
  let stars = [];
  /** @type {{x: number, strength: number}[]} */
  const pulses = [];

  const resize = () => {
    const ratio = window.devicePixelRatio || 1;
    width = canvas.width = Math.floor(innerWidth * ratio);
    height = canvas.height = Math.floor(innerHeight * ratio);
    stars = Array.from({length: 220}, () => ({
      x: Math.random() * width,
      y: Math.random() * height * 0.75,
      r: Math.random() * 1.4 + 0.3,
      phase: Math.random() * Math.PI * 2,
    }));
  };
  addEventListener('resize', resize);
  resize();

  const curtains = [
    {hue: 150, speed: 0.00021, amplitude: 0.09, base: 0.34, alpha: 0.35},
    {hue: 175, speed: 0.00016, amplitude: 0.07, base: 0.42, alpha: 0.28},
    {hue: 280, speed: 0.00012, amplitude: 0.05, base: 0.28, alpha: 0.18},
  ];

  /** @param {typeof curtains[number]} curtain @param {number} time */
  const drawCurtain = (curtain, time) => {
    const columns = 90;
    for (let i = 0; i <= columns; i += 1) {
      const u = i / columns;
      const wave = Math.sin(u * 6.5 + time * curtain.speed * 6) * curtain.amplitude +
                   Math.sin(u * 13 - time * curtain.speed * 9) * curtain.amplitude * 0.4;
      let glow = 0;
      for (const pulse of pulses) {
        const distance = Math.abs(u - pulse.x);
        glow += Math.max(0, 1 - distance * 6) * pulse.strength;
      }
      const top = (curtain.base + wave) * height;
      const length = height * (0.22 + 0.1 * Math.sin(u * 9 + time * 0.0007));
      const gradient = context.createLinearGradient(0, top, 0, top + length);
      const lightness = 55 + glow * 25;
      gradient.addColorStop(0, `hsla(${curtain.hue}, 90%, ${lightness}%, 0)`);
      gradient.addColorStop(0.35, `hsla(${curtain.hue}, 90%, ${lightness}%, ${curtain.alpha + glow * 0.3})`);
      gradient.addColorStop(1, `hsla(${curtain.hue + 30}, 80%, 40%, 0)`);
      context.fillStyle = gradient;
      context.fillRect(u * width - width / columns, top, width / columns * 2.2, length);
    }
  };

  /** @param {number} time */
  const draw = (time) => {
    const sky = context.createLinearGradient(0, 0, 0, height);
    sky.addColorStop(0, '#03040f');
    sky.addColorStop(1, '#0b1a33');
    context.globalCompositeOperation = 'source-over';
    context.fillStyle = sky;
    context.fillRect(0, 0, width, height);
    for (const star of stars) {
      const twinkle = 0.55 + 0.45 * Math.sin(time * 0.002 + star.phase);
      context.fillStyle = `rgba(255, 255, 255, ${twinkle})`;
      context.beginPath();
      context.arc(star.x, star.y, star.r, 0, Math.PI * 2);
      context.fill();
    }
    context.globalCompositeOperation = 'lighter';
    for (const curtain of curtains) drawCurtain(curtain, time);
    for (let i = pulses.length - 1; i >= 0; i -= 1) {
      pulses[i].strength *= 0.96;
      if (pulses[i].strength < 0.02) pulses.splice(i, 1);
    }
    // Hills in the foreground keep the horizon calm.
    context.globalCompositeOperation = 'source-over';
    context.fillStyle = '#02030a';
    context.beginPath();
    context.moveTo(0, height);
    for (let x = 0; x <= width; x += width / 40) {
      context.lineTo(x, height * (0.86 + 0.04 * Math.sin(x / width * 7 + 1.3)));
    }
    context.lineTo(width, height);
    context.fill();
  };

  let paused = false;
  let frameInterval = 1000 / 60;
  let last = 0;
  let scheduled = false;
  /** @param {number} time */
  const frame = (time) => {
    scheduled = false;
    if (paused) return;
    if (time - last >= frameInterval - 1) {
      last = time;
      draw(time);
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
      frameInterval = 1000 / (state.fps || 60);
      schedule();
    });
    player.on('click', (click) => {
      pulses.push({x: click.x, strength: 1});
      if (pulses.length > 8) pulses.shift();
    });
  }
  addEventListener('pointerdown', (event) => {
    pulses.push({x: event.clientX / innerWidth, strength: 1});
  });
  schedule();
})();
