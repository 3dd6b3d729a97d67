'use strict';
// What the view's window inside the host shows and takes: the page's frames through
// DevTools' screencast, sized to the window, and the mouse input made in it. A frame is
// acknowledged to the browser only once the host showed it, so frames come as fast as the
// page draws them and the host can show them, never faster.

const QUALITY = 85;

// The host asks for frames of this size (0 stops them: the window is hidden).
async function screencast(client, view, { width, height }) {
  if (!view) return;
  if (view.screencasting) {
    view.screencasting = false;
    client.record('screencast stopped');
    await client.send('Page.stopScreencast', {}, view);
  }
  if (width > 0 && height > 0) {
    view.screencasting = true;
    client.record(`screencast ${width}x${height}`);
    await client.send('Page.startScreencast',
      { format: 'jpeg', quality: QUALITY, maxWidth: width, maxHeight: height, everyNthFrame: 1 }, view);
  }
}

// Page.screencastFrame: to the host, which answers with frameShown. Between a navigation
// and the new document's first paint the view shows its default background, as the
// runtime's reference says; Chromium's interim frames (white) are answered here instead.
function frame(client, view, params) {
  if (view.betweenPages) {
    client.send('Page.screencastFrameAck', { sessionId: params.sessionId }, view).catch(() => {});
    return;
  }
  client.emit({ ev: 'frame', view: view.id, frame: params.sessionId, data: params.data });
}

function betweenPages(client, view, between) {
  if (view.betweenPages === between) return;
  view.betweenPages = between;
  if (between) client.emit({ ev: 'blank', view: view.id });
}

// A view closed meanwhile takes no answer.
async function shown(client, view, { frame: sessionId }) {
  if (view) await client.send('Page.screencastFrameAck', { sessionId }, view);
}

// A press, release, move or wheel turn in the host's window, in the page's CSS pixels.
async function mouse(client, view, { type, x, y, button, buttons, deltaY }) {
  if (!view) return;
  const event = { type, x, y, button, buttons, clickCount: type === 'mousePressed' || type === 'mouseReleased' ? 1 : 0 };
  if (type === 'mouseWheel') Object.assign(event, { deltaX: 0, deltaY });
  await client.send('Input.dispatchMouseEvent', event, view);
}

module.exports = { screencast, frame, shown, mouse, betweenPages };
