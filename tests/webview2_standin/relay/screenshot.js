'use strict';
// How many distinct colours a PNG screenshot holds, decoded by the browser itself in a
// throw-away page of its own context (a blank page has one).

async function distinctColours(client, pngBase64) {
  const browser = client.browser;
  const { browserContextId } = await browser.send('Target.createBrowserContext');
  try {
    const { targetId } = await browser.send('Target.createTarget', { url: 'about:blank', browserContextId });
    const sessionId = await client.claim(targetId);
    await browser.send('Runtime.runIfWaitingForDebugger', {}, sessionId);
    const expression = `(async () => {
      const image = new Image();
      image.src = 'data:image/png;base64,${pngBase64}';
      await image.decode();
      const canvas = new OffscreenCanvas(image.width, image.height);
      const context = canvas.getContext('2d');
      context.drawImage(image, 0, 0);
      const pixels = context.getImageData(0, 0, image.width, image.height).data;
      const seen = new Set();
      for (let i = 0; i < pixels.length && seen.size < 10000; i += 4) {
        seen.add((pixels[i] << 16) | (pixels[i + 1] << 8) | pixels[i + 2]);
      }
      return seen.size;
    })()`;
    const result = await browser.send('Runtime.evaluate', { expression, awaitPromise: true, returnByValue: true },
      sessionId);
    return result.result.value;
  } finally {
    await browser.send('Target.disposeBrowserContext', { browserContextId }).catch(() => {});
  }
}

module.exports = { distinctColours };
