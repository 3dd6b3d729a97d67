'use strict';
// Asks for everything that would prompt, sound or seek, and reports each result on the
// console as "probe NAME RESULT", which the stand-in records.
const report = (name, result) => console.log(`probe ${name} ${result}`);

function seek(clip, seconds) {
  return new Promise(resolve => {
    clip.addEventListener('seeked', () => resolve(clip.currentTime.toFixed(1)), { once: true });
    clip.currentTime = seconds;
    setTimeout(() => resolve(`timeout at ${clip.currentTime.toFixed(1)}`), 5000);
  });
}

async function probe() {
  report('alert', String(alert('hello')));
  report('confirm', String(confirm('sure?')));
  report('prompt', String(prompt('name?', 'x')));
  report('print', `${String(print())} writable=${Object.getOwnPropertyDescriptor(window, 'print')?.writable}`);
  const clip = document.getElementById('clip');
  if (clip.readyState < 1) await new Promise(resolve => clip.addEventListener('loadedmetadata', resolve, { once: true }));
  report('seek', await seek(clip, 5));
}

window.addEventListener('load', () => setTimeout(probe, 300));
