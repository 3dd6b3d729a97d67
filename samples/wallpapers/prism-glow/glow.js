// Prism Glow: light folded through a rotating prism, drawn by one WebGL fragment shader
// over the whole screen. The shaders are strings in this file (an inline <script> would
// be blocked). A click sends a ring of light out from where the desktop was clicked.
// Follows the player's pause and frame rate; readiness waits for the first frame.
(() => {
  const player = window.wallpaper;
  player.deferReady();
  const canvas = /** @type {HTMLCanvasElement} */ (document.getElementById('glow'));
  const gl = canvas.getContext('webgl', {antialias: false, alpha: false});
  if (!gl) {
    player.failed();
    return;
  }

  const vertexSource = `
attribute vec2 corner;
void main() { gl_Position = vec4(corner, 0.0, 1.0); }
`;
  const fragmentSource = `
precision mediump float;
uniform vec2 size;
uniform float time;
uniform vec3 ring;
void main() {
  vec2 p = (gl_FragCoord.xy * 2.0 - size) / min(size.x, size.y);
  float angle = time * 0.05;
  mat2 turn = mat2(cos(angle), -sin(angle), sin(angle), cos(angle));
  vec2 q = turn * p;
  // Three folds of a triangle: the prism.
  for (int i = 0; i < 3; i++) {
    q = abs(q) - 0.35;
    q = turn * q;
  }
  float d = length(q);
  vec3 color = 0.5 + 0.5 * cos(vec3(0.0, 2.1, 4.2) + d * 6.0 - time * 0.4);
  color *= 0.06 / (0.05 + d * d);
  vec2 r = (ring.xy * 2.0 - size) / min(size.x, size.y);
  float age = time - ring.z;
  float wave = exp(-abs(length(p - r) - age * 0.6) * 25.0) * exp(-age * 0.8);
  color += vec3(1.0, 0.85, 0.6) * wave;
  gl_FragColor = vec4(color / (1.0 + color), 1.0);
}
`;

  /** @param {number} type @param {string} source */
  const compile = (type, source) => {
    const shader = /** @type {WebGLShader} */ (gl.createShader(type));
    gl.shaderSource(shader, source);
    gl.compileShader(shader);
    if (!gl.getShaderParameter(shader, gl.COMPILE_STATUS)) throw new Error(gl.getShaderInfoLog(shader) || 'shader');
    return shader;
  };
  const program = /** @type {WebGLProgram} */ (gl.createProgram());
  try {
    gl.attachShader(program, compile(gl.VERTEX_SHADER, vertexSource));
    gl.attachShader(program, compile(gl.FRAGMENT_SHADER, fragmentSource));
    gl.linkProgram(program);
    if (!gl.getProgramParameter(program, gl.LINK_STATUS)) throw new Error(gl.getProgramInfoLog(program) || 'link');
  } catch (error) {
    console.error(error);
    player.failed();
    return;
  }
  gl.useProgram(program);
  gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
  gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([-1, -1, 1, -1, -1, 1, 1, 1]), gl.STATIC_DRAW);
  const corner = gl.getAttribLocation(program, 'corner');
  gl.enableVertexAttribArray(corner);
  gl.vertexAttribPointer(corner, 2, gl.FLOAT, false, 0, 0);
  const size = gl.getUniformLocation(program, 'size');
  const time = gl.getUniformLocation(program, 'time');
  const ring = gl.getUniformLocation(program, 'ring');
  let ringAt = {x: 0, y: 0, t: -100};

  const resize = () => {
    // Half the device's pixels: the glow is soft, and a full-screen shader is not free.
    const ratio = Math.min(window.devicePixelRatio || 1, 2) / 2;
    canvas.width = Math.max(1, Math.floor(innerWidth * ratio));
    canvas.height = Math.max(1, Math.floor(innerHeight * ratio));
    gl.viewport(0, 0, canvas.width, canvas.height);
  };
  addEventListener('resize', resize);
  resize();

  /** @param {number} now */
  const draw = (now) => {
    const seconds = now / 1000;
    gl.uniform2f(size, canvas.width, canvas.height);
    gl.uniform1f(time, seconds);
    gl.uniform3f(ring, ringAt.x, ringAt.y, ringAt.t);
    gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
  };

  let paused = player.state.paused;
  let interval = 1000 / player.state.fps;
  let last = -Infinity;
  let requested = false;
  let first = true;
  let lost = false;
  /** @param {number} now */
  const frame = (now) => {
    requested = false;
    if (paused || lost) return;
    if (now - last >= interval - 1) {
      last = now;
      draw(now);
      if (first) {
        first = false;
        player.ready();
      }
    }
    request();
  };
  const request = () => {
    if (!requested && !paused && !lost) {
      requested = true;
      requestAnimationFrame(frame);
    }
  };
  // A lost context (the GPU was reset) is waited out, not counted as a failure.
  canvas.addEventListener('webglcontextlost', (event) => {
    event.preventDefault();
    lost = true;
  });
  canvas.addEventListener('webglcontextrestored', () => location.reload());
  player.on('state', (state) => {
    paused = state.paused;
    interval = 1000 / state.fps;
    request();
  });
  player.on('click', (click) => {
    ringAt = {x: click.x * canvas.width, y: (1 - click.y) * canvas.height, t: performance.now() / 1000};
  });
  request();
})();
