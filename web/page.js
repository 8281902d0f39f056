// The page around the game: loads the game data with a progress bar, keeps the saves in
// IndexedDB, starts the game on the first click (browsers allow sound only after one) and offers
// F11's screenshots as downloads.
//
// ?replay=URL plays that replay file headless instead, as `isora --headless --replay` does, and
// leaves the result and the files it wrote (state dumps, shots) to a test in window.isora.
(function () {
  'use strict';

  const params = new URLSearchParams(location.search);
  const replayUrl = params.get('replay');
  const canvas = document.getElementById('canvas');
  const loading = document.getElementById('loading');
  const fill = document.getElementById('fill');
  const statusLine = document.getElementById('status');
  const startButton = document.getElementById('start');

  const DATA = '/demo';
  const SAVES = DATA + '/saves';
  const RUN = '/run';

  function showStatus(text, fraction) {
    statusLine.textContent = text;
    if (fraction !== undefined) {
      fill.style.width = Math.round(fraction * 100) + '%';
      isora.progress.push(fraction);
    }
  }

  function fail(text) {
    loading.classList.remove('done');
    showStatus(text);
    isora.error = text;
    isora.done = true;
  }

  // What a test reads once the replay has run.
  const isora = (window.isora = {
    mode: replayUrl ? 'replay' : 'play',
    done: false,
    error: null,
    result: null,
    progress: [],  // the loading bar's steps
    downloads: [],  // screenshots offered
    // A file the run wrote, as base64.
    file(name) {
      const bytes = FS.readFile(RUN + '/' + name);
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
      }
      return btoa(text);
    },
    // Shows a 24-bit BMP the run wrote (a shot) on the game's canvas.
    show(name) {
      const b = FS.readFile(RUN + '/' + name);
      const v = new DataView(b.buffer, b.byteOffset, b.byteLength);
      const offset = v.getUint32(10, true);
      const width = v.getInt32(18, true);
      const rawHeight = v.getInt32(22, true);
      if (v.getUint16(28, true) !== 24) throw new Error(name + ' is not a 24-bit BMP');
      const height = Math.abs(rawHeight);
      const stride = (width * 3 + 3) & ~3;
      const ctx = canvas.getContext('2d');
      const image = ctx.createImageData(width, height);
      for (let y = 0; y < height; ++y) {
        const row = offset + (rawHeight > 0 ? height - 1 - y : y) * stride;
        for (let x = 0; x < width; ++x) {
          const o = (y * width + x) * 4;
          image.data[o] = b[row + x * 3 + 2];
          image.data[o + 1] = b[row + x * 3 + 1];
          image.data[o + 2] = b[row + x * 3];
          image.data[o + 3] = 255;
        }
      }
      ctx.putImageData(image, 0, 0);
    },
  });

  // SDL resumes its audio on the first click or key itself; this covers a context made later.
  function resumeAudio() {
    const sdl = window.Module && Module.SDL2;
    if (sdl && sdl.audioContext && sdl.audioContext.state !== 'running') sdl.audioContext.resume();
  }

  window.Module = {
    canvas: canvas,
    preRun: [],
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    // The data package reports "Downloading data... (loaded/total)".
    setStatus(text) {
      const m = /\((\d+)\/(\d+)\)/.exec(text || '');
      if (m && +m[2] > 0) showStatus('Loading the game data…', +m[1] / +m[2]);
    },
    onAbort(what) {
      fail('The game stopped: ' + what);
    },
    onRuntimeInitialized() {
      showStatus('Ready', 1);
      if (replayUrl) {
        loading.classList.add('done');
        Module.callMain(['--headless', '--data', DATA, '--replay', RUN + '/test.replay']);
        return;
      }
      startButton.hidden = false;
      startButton.focus();
    },
    onHeadlessDone(exitCode, frames, initMs, runMs) {
      const files = FS.readdir(RUN).filter((n) => n !== '.' && n !== '..' && n !== 'test.replay');
      isora.result = { exitCode, frames, initMs, runMs, files };
      isora.done = true;
    },
    onGameEnd(exitCode) {
      loading.classList.remove('done');
      showStatus(exitCode === 0 ? 'The game has ended.' : 'The game could not start.');
      startButton.textContent = 'Play again';
      startButton.hidden = false;
      startButton.onclick = () => location.reload();
    },
    // F11 wrote a screenshot into the game's screenshot folder.
    offerDownload(path) {
      const data = FS.readFile(path);
      const url = URL.createObjectURL(new Blob([data], { type: 'image/jpeg' }));
      const a = document.createElement('a');
      a.href = url;
      a.download = path.split('/').pop();
      isora.downloads.push(a.download);
      document.body.appendChild(a);
      a.click();
      a.remove();
      setTimeout(() => URL.revokeObjectURL(url), 10000);
    },
    // A save slot changed: write the saves folder back to IndexedDB.
    storeSaves() {
      FS.syncfs(false, (err) => {
        if (err) console.warn('isora: the saves could not be stored: ' + err);
      });
    },
  };

  Module.preRun.push(() => {
    if (replayUrl) {
      // A fresh folder for the replay and whatever it writes; saves stay in memory.
      FS.mkdir(RUN);
      addRunDependency('replay');
      fetch(replayUrl)
        .then((r) => {
          if (!r.ok) throw new Error(r.status + ' ' + r.statusText);
          return r.arrayBuffer();
        })
        .then((buffer) => {
          FS.writeFile(RUN + '/test.replay', new Uint8Array(buffer));
          FS.chdir(RUN);
          removeRunDependency('replay');
        })
        .catch((e) => fail('Cannot load the replay ' + replayUrl + ': ' + e.message));
      return;
    }
    FS.createPath('/', SAVES.slice(1), true, true);
    FS.mount(IDBFS, {}, SAVES);
    addRunDependency('saves');
    FS.syncfs(true, (err) => {
      if (err) console.warn('isora: the saves could not be read: ' + err);
      removeRunDependency('saves');
    });
  });

  startButton.addEventListener('click', () => {
    if (startButton.textContent !== 'Click to play') return;
    loading.classList.add('done');
    canvas.focus();
    Module.callMain(['--data', DATA]);
    resumeAudio();
  });
  document.addEventListener('pointerdown', resumeAudio);
  document.addEventListener('keydown', resumeAudio);
  // F11 belongs to the game (a screenshot), not to the browser's full screen.
  window.addEventListener(
    'keydown',
    (e) => {
      if (e.key === 'F11') e.preventDefault();
    },
    true
  );
  canvas.addEventListener('contextmenu', (e) => e.preventDefault());
  window.addEventListener('error', (e) => fail('The page failed: ' + e.message));

  // The data package, then the program; in this order, one after the other.
  for (const src of ['data.js', 'isora.js']) {
    const s = document.createElement('script');
    s.src = src;
    s.async = false;
    s.onerror = () => fail('Cannot load ' + src);
    document.body.appendChild(s);
  }
})();
