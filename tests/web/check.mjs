// The browser check: every replay of tests/e2e/replays (and the screen replay kept here) is played
// by the native isora program and by the web build inside headless Chromium. The files each run
// writes (state dumps and shots) must be the same bytes; the page's own screenshots of the main
// menu and the town must show the native frames' pixels; and the interactive page must load,
// start on a click and draw the game. Frame cost in the page is reported as a ratio to native.
//
// node check.mjs [--dist DIR] [--isora PROGRAM] [--demo DIR] [--out DIR] [--only NAME,...]
//                [--repeat N]
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { PNG } from 'pngjs';
import puppeteer from 'puppeteer-core';

import { servePage } from './serve_page.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const root = path.resolve(here, '..', '..');

function parseArgs(argv) {
  const a = {
    dist: path.join(root, 'build', 'web-dist'),
    isora: path.join(root, 'build', 'release', 'src', 'isora'),
    demo: path.join(root, 'build', 'release', 'demo'),
    out: path.join(root, 'build', 'web-check'),
    chromium: process.env.CHROMIUM || '/usr/bin/chromium',
    only: null,
    repeat: 1,  // timing rounds per replay (native and page alternately); the fastest counts
  };
  for (let i = 0; i < argv.length; i += 2) {
    const key = argv[i].replace(/^--/, '');
    if (!(key in a)) throw new Error('unknown option ' + argv[i]);
    if (key === 'only') a.only = argv[i + 1].split(',');
    else if (key === 'repeat') a.repeat = Math.max(1, parseInt(argv[i + 1], 10) || 1);
    else a[key] = path.resolve(argv[i + 1]);
  }
  return a;
}

const args = parseArgs(process.argv.slice(2));
const failures = [];
function fail(text) {
  failures.push(text);
  console.log('  FAIL ' + text);
}

// The replays: the e2e ones, then the screens this check photographs.
const replayDirs = [path.join(root, 'tests', 'e2e', 'replays'), path.join(here, 'replays')];
const replays = [];
for (const dir of replayDirs) {
  for (const f of fs.readdirSync(dir).sort()) {
    if (!f.endsWith('.replay')) continue;
    const name = f.slice(0, -'.replay'.length);
    if (args.only && !args.only.includes(name)) continue;
    replays.push({ name, file: path.join(dir, f) });
  }
}

// The shots the page must show as the native build drew them.
const pageShots = [
  { replay: 'menu_and_town', shot: 'menu.bmp', mode: 'ModeMainMenu', state: 'menu.json' },
  { replay: 'menu_and_town', shot: 'town.bmp', mode: 'ModePlay', state: 'town.json' },
];

// --- Native runs -------------------------------------------------------------------------------
fs.rmSync(args.out, { recursive: true, force: true });
fs.mkdirSync(args.out, { recursive: true });

function runNative(replayFile, workDir) {
  // A fresh copy of the game folder each time: no saves or screenshots from an earlier run.
  const demo = path.join(workDir, 'demo');
  fs.cpSync(args.demo, demo, { recursive: true });
  fs.rmSync(path.join(demo, 'saves'), { recursive: true, force: true });
  fs.rmSync(path.join(demo, 'screenshot'), { recursive: true, force: true });
  const dumps = path.join(workDir, 'files');
  fs.mkdirSync(dumps);
  const t0 = process.hrtime.bigint();
  const r = spawnSync(args.isora, ['--headless', '--data', demo, '--replay', replayFile], {
    cwd: dumps,
    encoding: 'utf8',
  });
  const ms = Number(process.hrtime.bigint() - t0) / 1e6;
  fs.rmSync(demo, { recursive: true, force: true });
  return { status: r.status, stderr: r.stderr, ms, dir: dumps, demo };
}

// Native start-up alone (a replay that quits at once), to set against the page's own split.
const quitAtOnce = path.join(args.out, 'quit.replay');
fs.writeFileSync(quitAtOnce, '# isora replay\n@0 quit\n');
let nativeInitMs = Infinity;
for (let i = 0; i < 3; ++i) {
  const dir = path.join(args.out, 'native-init');
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir);
  nativeInitMs = Math.min(nativeInitMs, runNative(quitAtOnce, dir).ms);
  fs.rmSync(dir, { recursive: true, force: true });
}

// --- The web server ----------------------------------------------------------------------------
const replayByName = new Map(replays.map((r) => [r.name, r.file]));
const server = await servePage(args.dist, (p) => {
  const m = /^\/replays\/([A-Za-z0-9_]+)\.replay$/.exec(p);
  return m ? replayByName.get(m[1]) || null : null;
});
const base = `http://127.0.0.1:${server.address().port}`;

// --- Chromium ----------------------------------------------------------------------------------
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'isora-chromium-'));
const browser = await puppeteer.launch({
  executablePath: args.chromium,
  headless: true,
  userDataDir: profile,
  args: [
    '--no-sandbox',
    '--disable-gpu',
    '--disable-quic',
    '--no-first-run',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
  ],
});

async function openPage(url) {
  const page = await browser.newPage();
  await page.setViewport({ width: 640, height: 480, deviceScaleFactor: 1 });
  const log = [];
  page.on('console', (m) => log.push(m.text()));
  page.on('pageerror', (e) => log.push('pageerror: ' + e.message));
  await page.goto(url, { waitUntil: 'load' });
  return { page, log };
}

// The pixels of a 24-bit BMP (bottom-up or top-down) as RGB rows.
function bmpPixels(buf) {
  const offset = buf.readUInt32LE(10);
  const width = buf.readInt32LE(18);
  const rawHeight = buf.readInt32LE(22);
  const height = Math.abs(rawHeight);
  const stride = (width * 3 + 3) & ~3;
  const rgb = Buffer.alloc(width * height * 3);
  for (let y = 0; y < height; ++y) {
    const row = offset + (rawHeight > 0 ? height - 1 - y : y) * stride;
    for (let x = 0; x < width; ++x) {
      rgb[(y * width + x) * 3] = buf[row + x * 3 + 2];
      rgb[(y * width + x) * 3 + 1] = buf[row + x * 3 + 1];
      rgb[(y * width + x) * 3 + 2] = buf[row + x * 3];
    }
  }
  return { width, height, rgb };
}

// Differing pixels between a PNG screenshot and native RGB of the same size.
function comparePng(pngBuf, native) {
  const png = PNG.sync.read(pngBuf);
  if (png.width !== native.width || png.height !== native.height) {
    return { size: `${png.width}x${png.height}`, differing: native.width * native.height, maxDelta: 255 };
  }
  let differing = 0;
  let maxDelta = 0;
  for (let i = 0; i < native.width * native.height; ++i) {
    let d = 0;
    for (let c = 0; c < 3; ++c) d = Math.max(d, Math.abs(png.data[i * 4 + c] - native.rgb[i * 3 + c]));
    if (d > 0) ++differing;
    maxDelta = Math.max(maxDelta, d);
  }
  return { differing, maxDelta };
}

// Screenshots of the live page until one shows the native frame, the closest one otherwise.
// SDL expands 565 colours to 888 its own way (at most one level below the engine's expansion
// that the native shots use), so a live frame matches when no channel is off by more than one.
const kLiveTolerance = 1;
async function waitForFrame(page, native, timeoutMs) {
  const until = Date.now() + timeoutMs;
  let best = null;
  while (Date.now() < until) {
    const png = Buffer.from(await page.screenshot({ type: 'png' }));
    const cmp = comparePng(png, native);
    if (process.env.ISORA_WEB_DEBUG) console.log('    live frame:', JSON.stringify(cmp));
    const better =
      !best ||
      cmp.maxDelta < best.cmp.maxDelta ||
      (cmp.maxDelta === best.cmp.maxDelta && cmp.differing < best.cmp.differing);
    if (better) best = { png, cmp };
    if (cmp.maxDelta <= kLiveTolerance) break;
    await new Promise((r) => setTimeout(r, 250));
  }
  return best;
}

async function checkInteractive() {
  const out = {};
  const downloads = path.join(args.out, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  const cdp = await browser.target().createCDPSession();
  await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });

  const { page, log } = await openPage(`${base}/`);
  const ready = () =>
    page.waitForFunction(() => !document.getElementById('start').hidden || window.isora.error, {
      timeout: 120000,
    });
  await ready();
  const before = await page.evaluate(() => ({
    error: window.isora.error,
    progress: window.isora.progress,
  }));
  if (before.error) {
    fail('interactive: ' + before.error);
    await page.close();
    return out;
  }
  out.progressSteps = before.progress.length;
  if (before.progress.length < 2 || before.progress[before.progress.length - 1] !== 1) {
    fail(`interactive: the loading bar went ${JSON.stringify(before.progress)}`);
  }

  // The cursor rests where the native menu frame has it (on a button), then the click starts.
  await page.mouse.move(320, 195);
  await page.click('#start');
  await page.mouse.move(320, 195);
  const audio = await page.evaluate(async () => {
    await new Promise((r) => setTimeout(r, 500));
    const sdl = Module.SDL2;
    return sdl && sdl.audioContext ? sdl.audioContext.state : 'none';
  });
  out.audio = audio;
  if (audio !== 'running') fail(`interactive: sound after the click is "${audio}"`);

  const menuWork = path.join(args.out, 'menu_and_town');
  if (!fs.existsSync(path.join(menuWork, 'files', 'menu.bmp'))) {
    fs.mkdirSync(menuWork, { recursive: true });
    runNative(replayByName.get('menu_and_town') || path.join(here, 'replays', 'menu_and_town.replay'), menuWork);
  }
  const nativeMenu = bmpPixels(fs.readFileSync(path.join(menuWork, 'files', 'menu.bmp')));
  const menu = await waitForFrame(page, nativeMenu, 60000);
  const menuFile = path.join(args.out, 'page-live-menu.png');
  fs.writeFileSync(menuFile, menu.png);
  out.liveMenu = { file: menuFile, ...menu.cmp };
  if (menu.cmp.maxDelta > kLiveTolerance) {
    fail(
      `interactive: the live main menu differs from the native frame in ${menu.cmp.differing} ` +
        `pixels, by up to ${menu.cmp.maxDelta}`
    );
  } else {
    console.log(
      `  the live main menu matches the native frame (${menu.cmp.differing} pixels one level ` +
        `off): ${path.relative(root, menuFile)}`
    );
  }

  // F11: the game writes a screenshot and the page offers it as a download.
  await page.focus('#canvas');
  await page.keyboard.press('F11');
  let jpeg = null;
  for (let i = 0; i < 40 && !jpeg; ++i) {
    await new Promise((r) => setTimeout(r, 250));
    jpeg = fs.readdirSync(downloads).find((f) => f.endsWith('.jpg')) || null;
  }
  out.download = jpeg ? path.join(downloads, jpeg) : null;
  if (!jpeg) {
    fail('interactive: F11 offered no screenshot download');
  } else {
    const bytes = fs.readFileSync(path.join(downloads, jpeg));
    if (bytes[0] !== 0xff || bytes[1] !== 0xd8) fail(`interactive: ${jpeg} is not a JPEG`);
    else console.log(`  F11 downloads ${jpeg} (${bytes.length} bytes)`);
  }

  // A save slot written while the game runs is stored in IndexedDB and is there after a reload.
  const slot = Array.from({ length: 4096 }, (_, i) => (i * 131 + 7) & 0xff);
  await page.evaluate((bytes) => FS.writeFile('/demo/saves/6.sav', new Uint8Array(bytes)), slot);
  await new Promise((r) => setTimeout(r, 2000));
  await page.reload({ waitUntil: 'load' });
  await ready();
  const kept = await page.evaluate(() => {
    try {
      return Array.from(FS.readFile('/demo/saves/6.sav'));
    } catch (e) {
      return null;
    }
  });
  out.saveKept = JSON.stringify(kept) === JSON.stringify(slot);
  if (!out.saveKept) fail('interactive: a save did not survive the reload');
  else console.log('  a save survives a reload (IndexedDB)');

  const pageErrors = log.filter((l) => l.startsWith('pageerror'));
  if (pageErrors.length) fail('interactive: ' + pageErrors.join('\n'));
  await page.close();
  return out;
}

const summary = { replays: [], shots: [], interactive: null, nativeInitMs };
let webTotal = 0;
let nativeTotal = 0;
let webFrameMs = 0;
let nativeFrameMs = 0;

try {
  for (const r of replays) {
    console.log(`replay ${r.name}`);
    const work = path.join(args.out, r.name);
    fs.mkdirSync(work, { recursive: true });
    const native = runNative(r.file, work);
    if (native.status !== 0) fail(`${r.name}: the native run exited ${native.status}: ${native.stderr}`);

    const { page, log } = await openPage(`${base}/?replay=/replays/${r.name}.replay`);
    await page.waitForFunction(() => window.isora && window.isora.done, {
      timeout: 20 * 60 * 1000,
      polling: 250,
    });
    const { error, result } = await page.evaluate(() => ({
      error: window.isora.error,
      result: window.isora.result,
    }));
    if (error || !result) {
      fail(`${r.name}: the page failed: ${error}\n${log.join('\n')}`);
      await page.close();
      continue;
    }
    if (result.exitCode !== 0) fail(`${r.name}: the page's run exited ${result.exitCode}\n${log.join('\n')}`);

    // The same files, byte for byte.
    const nativeFiles = fs.readdirSync(native.dir).sort();
    const webFiles = [...result.files].sort();
    if (JSON.stringify(nativeFiles) !== JSON.stringify(webFiles)) {
      fail(`${r.name}: native wrote [${nativeFiles}], the page wrote [${webFiles}]`);
    }
    const webDir = path.join(work, 'web');
    fs.mkdirSync(webDir);
    let same = 0;
    for (const f of webFiles) {
      const bytes = Buffer.from(await page.evaluate((n) => window.isora.file(n), f), 'base64');
      fs.writeFileSync(path.join(webDir, f), bytes);
      const nativeFile = path.join(native.dir, f);
      if (!fs.existsSync(nativeFile)) continue;
      // Dumps name files by their full path: the game folder is /demo in the page and the
      // scratch copy natively. Everything else must be the same bytes.
      let nativeBytes = fs.readFileSync(nativeFile);
      if (f.endsWith('.json')) {
        const folder = JSON.stringify(native.demo).slice(1, -1);
        nativeBytes = Buffer.from(nativeBytes.toString('latin1').split(folder).join('/demo'), 'latin1');
      }
      if (Buffer.compare(bytes, nativeBytes) === 0) ++same;
      else fail(`${r.name}: ${f} differs from the native build's (see ${webDir})`);
    }

    // The page's screenshots of the frames this replay shot.
    for (const s of pageShots.filter((p) => p.replay === r.name)) {
      const state = JSON.parse(fs.readFileSync(path.join(native.dir, s.state), 'utf8'));
      if (state.mode !== s.mode) fail(`${s.shot}: taken in ${state.mode}, not ${s.mode}`);
      await page.evaluate((n) => window.isora.show(n), s.shot);
      const shotFile = path.join(args.out, 'page-' + s.shot.replace(/\.bmp$/, '.png'));
      const png = await page.screenshot({ path: shotFile, type: 'png' });
      const cmp = comparePng(Buffer.from(png), bmpPixels(fs.readFileSync(path.join(native.dir, s.shot))));
      summary.shots.push({ shot: s.shot, file: shotFile, ...cmp });
      if (cmp.differing !== 0) fail(`${s.shot}: the page's screenshot differs in ${cmp.differing} pixels`);
      else console.log(`  page screenshot ${path.relative(root, shotFile)} matches the native frame`);
    }
    await page.close();

    // More timing rounds when asked: the machine may be busy, the fastest round counts.
    let nativeMs = native.ms;
    let timing = { initMs: result.initMs, runMs: result.runMs };
    for (let k = 1; k < args.repeat; ++k) {
      const again = path.join(work, 'again');
      fs.rmSync(again, { recursive: true, force: true });
      fs.mkdirSync(again);
      nativeMs = Math.min(nativeMs, runNative(r.file, again).ms);
      fs.rmSync(again, { recursive: true, force: true });
      const { page: p2 } = await openPage(`${base}/?replay=/replays/${r.name}.replay`);
      await p2.waitForFunction(() => window.isora && window.isora.done, {
        timeout: 20 * 60 * 1000,
        polling: 250,
      });
      const t = await p2.evaluate(() => window.isora.result);
      await p2.close();
      if (t && t.initMs + t.runMs < timing.initMs + timing.runMs) timing = t;
    }
    native.ms = nativeMs;
    result.initMs = timing.initMs;
    result.runMs = timing.runMs;
    const web = result.initMs + result.runMs;
    summary.replays.push({
      replay: r.name,
      frames: result.frames,
      files: webFiles.length,
      identical: same,
      nativeMs: Math.round(native.ms),
      webMs: Math.round(web),
      webInitMs: Math.round(result.initMs),
      ratio: +(web / native.ms).toFixed(2),
    });
    console.log(
      `  ${same}/${webFiles.length} files identical; ${result.frames} frames; ` +
        `native ${native.ms.toFixed(0)} ms, page ${web.toFixed(0)} ms (${(web / native.ms).toFixed(2)}x)`
    );
    webTotal += web;
    nativeTotal += native.ms;
    if (result.frames > 0) {
      webFrameMs += result.runMs;
      nativeFrameMs += Math.max(0, native.ms - nativeInitMs);
    }
  }

  // The page as a player meets it: the progress bar, a click to start (and to allow sound), the
  // game drawing its main menu as the native build does, F11's screenshot as a download, and a
  // save that survives a reload.
  if (!args.only || args.only.includes('interactive')) {
    console.log('interactive page');
    summary.interactive = await checkInteractive();
  }
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}

summary.totalRatio = nativeTotal > 0 ? +(webTotal / nativeTotal).toFixed(2) : null;
summary.frameRatio = nativeFrameMs > 0 ? +(webFrameMs / nativeFrameMs).toFixed(2) : null;
summary.failures = failures;
fs.writeFileSync(path.join(args.out, 'summary.json'), JSON.stringify(summary, null, 2) + '\n');
console.log(
  `frame cost, page / native: ${summary.frameRatio} (frames only), ${summary.totalRatio} ` +
    `(with start-up); native start-up ${nativeInitMs.toFixed(0)} ms`
);
if (failures.length) {
  console.log(`check-web: ${failures.length} failure(s)`);
  process.exit(1);
}
console.log('check-web: the page plays the replays as the native build does');
