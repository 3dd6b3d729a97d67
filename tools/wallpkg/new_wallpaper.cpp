#include "tools/wallpkg/new_wallpaper.h"

#include "core/content/manifest.h"
#include "core/content/wallpaper_id.h"
#include "core/json/json_writer.h"

namespace wallpkg {
namespace {

constexpr std::string_view kIndexHtml = R"html(<!doctype html>
<html lang="zh-CN">
<head>
  <meta charset="utf-8">
  <title>@NAME@</title>
  <link rel="stylesheet" href="style.css">
</head>
<body>
  <canvas id="scene"></canvas>
  <script src="main.js"></script>
</body>
</html>
)html";

constexpr std::string_view kStyleCss = R"css(html, body {
  margin: 0;
  height: 100%;
  overflow: hidden;
  background: #101828;
}
#scene {
  display: block;
  width: 100vw;
  height: 100vh;
}
)css";

// Plain JavaScript that type-checks against docs/wallpaper.d.ts (checkJs, strict).
constexpr std::string_view kMainJs = R"js(// A slow colour field; a click on the desktop sends a ripple out from where it landed.
// Reports readiness after its first frame, draws only while playing, at the frame rate
// the player asks for.
'use strict';
(() => {
  const player = window.wallpaper;
  // Must happen before the window's load event; ready() follows after the first frame.
  player.deferReady();

  const canvas = /** @type {HTMLCanvasElement} */ (document.getElementById('scene'));
  const context = /** @type {CanvasRenderingContext2D} */ (canvas.getContext('2d'));
  /** @type {{x: number, y: number, born: number}[]} */
  const ripples = [];
  let width = 0;
  let height = 0;

  const resize = () => {
    const ratio = window.devicePixelRatio || 1;
    width = canvas.width = Math.floor(window.innerWidth * ratio);
    height = canvas.height = Math.floor(window.innerHeight * ratio);
  };
  window.addEventListener('resize', resize);
  resize();

  /** @param {number} time */
  const draw = (time) => {
    const hue = (time / 200) % 360;
    const sky = context.createLinearGradient(0, 0, width, height);
    sky.addColorStop(0, `hsl(${hue}, 45%, 18%)`);
    sky.addColorStop(1, `hsl(${(hue + 60) % 360}, 45%, 10%)`);
    context.fillStyle = sky;
    context.fillRect(0, 0, width, height);
    for (let i = ripples.length - 1; i >= 0; i -= 1) {
      const ripple = ripples[i];
      const age = (time - ripple.born) / 1500;
      if (age >= 1) {
        ripples.splice(i, 1);
        continue;
      }
      context.strokeStyle = `rgba(255, 255, 255, ${1 - age})`;
      context.lineWidth = 3;
      context.beginPath();
      context.arc(ripple.x, ripple.y, age * Math.min(width, height) * 0.3, 0, Math.PI * 2);
      context.stroke();
    }
  };

  let paused = player.state.paused;
  let interval = 1000 / player.state.fps;
  let last = 0;
  let requested = false;
  let reported = false;

  /** @param {number} time */
  const frame = (time) => {
    requested = false;
    if (paused) return;
    if (time - last >= interval - 1) {
      last = time;
      draw(time);
      if (!reported) {
        reported = true;
        player.ready();
      }
    }
    request();
  };
  // While paused no frame is requested at all, so a paused wallpaper costs nothing.
  const request = () => {
    if (!requested && !paused) {
      requested = true;
      window.requestAnimationFrame(frame);
    }
  };

  player.on('state', (state) => {
    paused = state.paused;
    interval = 1000 / state.fps;
    request();
  });
  player.on('click', (click) => {
    ripples.push({x: click.x * width, y: click.y * height, born: performance.now()});
  });
  request();
})();
)js";

std::string replace_name(std::string_view text, std::string_view name) {
    std::string result(text);
    const std::string_view marker = "@NAME@";
    result.replace(result.find(marker), marker.size(), name);
    return result;
}

}  // namespace

core::Result<std::vector<TemplateFile>> new_wallpaper_files(std::string_view id) {
    const core::Manifest manifest{
        .id = std::string(id), .name = std::string(id), .version = 1, .entry = "index.html", .fps = 30};
    if (auto valid = core::validate_manifest(manifest); !valid) return std::unexpected(valid.error());
    if (auto valid = core::validate_library_id(id); !valid) return std::unexpected(valid.error());
    // The id is plain ASCII without markup characters, so it is safe inside the title.
    return std::vector<TemplateFile>{
        {"manifest.json", core::manifest_json(manifest, core::JsonStyle::pretty) + "\n"},
        {"index.html", replace_name(kIndexHtml, id)},
        {"style.css", std::string(kStyleCss)},
        {"main.js", std::string(kMainJs)},
    };
}

}  // namespace wallpkg
