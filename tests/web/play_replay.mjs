// Plays one replay in an exported web page, headless in Chromium, and writes the files the run
// wrote (state dumps, shots) into a folder; exits with the run's exit status.
//   node play_replay.mjs DIST REPLAY OUTDIR [--chromium PATH]
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

import { servePage } from './serve_page.mjs';

const [dist, replay, outDir] = process.argv.slice(2).map((p) => path.resolve(p));
const chromiumAt = process.argv.indexOf('--chromium');
const chromium = chromiumAt > 0 ? process.argv[chromiumAt + 1] : '/usr/bin/chromium';
const server = await servePage(dist, (p) => (p === '/test.replay' ? replay : null));
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'isora-chromium-'));
const browser = await puppeteer.launch({ executablePath: chromium, headless: true,
  userDataDir: profile, args: ['--no-sandbox', '--disable-gpu', '--no-first-run'] });
let status = 1;
try {
  const page = await browser.newPage();
  const log = [];
  page.on('console', (m) => log.push(m.text()));
  await page.goto(`http://127.0.0.1:${server.address().port}/?replay=/test.replay`);
  await page.waitForFunction(() => window.isora && window.isora.done, { timeout: 600000, polling: 250 });
  const { error, result } = await page.evaluate(() => ({ error: window.isora.error, result: window.isora.result }));
  if (error || !result) throw new Error(`the page failed: ${error}\n${log.join('\n')}`);
  fs.mkdirSync(outDir, { recursive: true });
  for (const f of result.files) {
    const bytes = Buffer.from(await page.evaluate((n) => window.isora.file(n), f), 'base64');
    fs.writeFileSync(path.join(outDir, f), bytes);
  }
  status = result.exitCode;
  if (status !== 0) console.log(log.join('\n'));
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profile, { recursive: true, force: true });
}
process.exit(status);
