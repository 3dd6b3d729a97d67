#pragma once

#include <string_view>

namespace core {

// Makes the user's pause and frame rate hold for a page that never listens to "state":
// animation frames run at most at the chosen rate and not at all while paused, and what
// plays by itself (CSS animations and transitions, Web Animations, media elements) is
// paused with the player. Installed right after the bridge, whose state events drive it;
// it leaves alone what the page pauses itself, and holds nothing before the first state,
// so that a page reporting readiness from its first frame is never kept from it.
inline constexpr std::string_view kPacingScript = R"js((() => {
  const nativeRequest = window.requestAnimationFrame.bind(window);
  const nativeCancel = window.cancelAnimationFrame.bind(window);
  // Frame time stamps jitter a little: 60 on a 60 Hz display must skip nothing.
  const toleranceMs = 2;
  let period = 0;
  let paused = false;
  let lastRun = -Infinity;
  let nextId = 0;
  let pending = 0;
  const callbacks = new Map();
  const cancelPending = () => {
    if (pending) nativeCancel(pending);
    pending = 0;
  };
  const schedule = () => {
    if (!pending && !paused && callbacks.size) pending = nativeRequest(runFrame);
  };
  const runFrame = time => {
    pending = 0;
    if (time - lastRun >= period - toleranceMs) {
      lastRun = time;
      // Those asked for during this frame wait for the next; one cancelled by an earlier
      // callback of this frame does not run.
      for (const id of [...callbacks.keys()]) {
        const callback = callbacks.get(id);
        if (!callback) continue;
        callbacks.delete(id);
        try { callback(time); } catch (error) { reportError(error); }
      }
    }
    schedule();
  };
  window.requestAnimationFrame = function requestAnimationFrame(callback) {
    // The browser's own refusal, word for word.
    if (typeof callback !== 'function') return nativeRequest(callback);
    callbacks.set(++nextId, callback);
    schedule();
    return nextId;
  };
  window.cancelAnimationFrame = function cancelAnimationFrame(id) {
    callbacks.delete(id >>> 0);
    if (!callbacks.size) cancelPending();
  };
  // The prefixed names reach the browser's frames as well.
  if (window.webkitRequestAnimationFrame) window.webkitRequestAnimationFrame = window.requestAnimationFrame;
  if (window.webkitCancelAnimationFrame) window.webkitCancelAnimationFrame = window.cancelAnimationFrame;

  // CSS animations are held by a rule, not by their pause(), which would stop them from
  // following the page's animation-play-state for good; what still runs is paused itself.
  const holdRule = new CSSStyleSheet();
  holdRule.replaceSync('*, *::before, *::after { animation-play-state: paused !important; }');
  const pauseAnimation = Animation.prototype.pause;
  const pauseMedia = HTMLMediaElement.prototype.pause;
  const heldAnimations = new Set();
  const heldMedia = new Set();
  // One the page pauses itself while the player holds it stays paused.
  Animation.prototype.pause = function pause() { heldAnimations.delete(this); return pauseAnimation.call(this); };
  HTMLMediaElement.prototype.pause = function pause() { heldMedia.delete(this); return pauseMedia.call(this); };
  const hold = () => {
    if (!paused) return;
    document.adoptedStyleSheets = [...document.adoptedStyleSheets, holdRule];
    for (const animation of document.getAnimations()) {
      if (animation.playState !== 'running') continue;
      pauseAnimation.call(animation);
      heldAnimations.add(animation);
    }
    for (const media of document.querySelectorAll('audio, video')) {
      if (media.paused) continue;
      pauseMedia.call(media);
      heldMedia.add(media);
    }
  };
  const release = () => {
    if (paused) return;
    document.adoptedStyleSheets = document.adoptedStyleSheets.filter(sheet => sheet !== holdRule);
    for (const animation of heldAnimations) if (animation.playState === 'paused') animation.play();
    for (const media of heldMedia) if (media.paused && media.isConnected) media.play().catch(() => {});
    heldAnimations.clear();
    heldMedia.clear();
  };

  window.wallpaper.on('state', () => {
    const state = window.wallpaper.state;
    period = state.fps > 0 ? 1000 / state.fps : 0;
    if ((state.paused === true) === paused) return;
    paused = state.paused === true;
    if (paused) cancelPending();
    schedule();
    // After the page's own handlers: what they pause or play themselves is theirs.
    queueMicrotask(paused ? hold : release);
  });
})();
)js";

}  // namespace core
