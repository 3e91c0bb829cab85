// SPDX-License-Identifier: MIT
// Measures the browser build in Debian's headless Chromium against the
// windowed executable on the same machine, in alternating rounds, and prints
// medians over the rounds:
//   - time to the first frame: performance.now() at frame 1 of a page opened
//     in a browser just started (the .js and .wasm compiled afresh);
//   - paced frame interval: the page's own pacing, frames 2 to FRAMES;
//   - unpaced frame cost: the page with a frame clock that advances 16 ms
//     per read (no browser frame is left out) and Chromium's frame-rate
//     limit off, against the desktop program with the probe's fast clock
//     (as scripts/bench measures it), and their ratio within the round;
//     and how much of the browser's frame is the frame callback itself
//     (WebAssembly, the GL emulation and the WebGL calls; the rest is
//     Chromium rasterising and presenting the frame);
//   - frame difference: frames 1, 45, 90 and 180 of both.
// Usage (on an X display): node web_bench.mjs --site DIR --exe TUBEFLIGHT
//        --probe LIBPROBE [--rounds N] [--frames N]
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { parseArgs } from 'node:util';
import {
  canvasRgb, desktopFrames, frameDifference, launchChromium, openUntilEnded, serveSite,
} from '../tests/web/browser.mjs';

const { values: options } = parseArgs({
  options: {
    site: { type: 'string' }, exe: { type: 'string' }, probe: { type: 'string' },
    rounds: { type: 'string', default: '3' }, frames: { type: 'string', default: '300' },
  },
});
const rounds = Number(options.rounds);
const frames = Number(options.frames);
const WARMUP = 10; // frames left out at the start: shader compiles, first present
const UNLIMITED = ['--disable-frame-rate-limit', '--disable-gpu-vsync'];

const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

// The desktop program's median interval between frame starts, in ms, with
// the frame wait made empty by the probe's fast clock.
async function desktopUnpacedMs() {
  const dir = mkdtempSync(join(tmpdir(), 'tubeflight-bench-'));
  try {
    const log = join(dir, 'frames');
    await new Promise((resolve, reject) => {
      const child = spawn(options.exe, [], {
        stdio: 'ignore',
        env: {
          ...process.env, LD_PRELOAD: options.probe, TUBEFLIGHT_PROBE_FAST_TICKS: '1',
          TUBEFLIGHT_PROBE_LOG: log, TUBEFLIGHT_PROBE_STOP_AFTER: String(frames),
        },
      });
      child.on('error', reject);
      child.on('exit', resolve);
    });
    const starts = readFileSync(log, 'utf8').trim().split('\n').map((line) => Number(line.split(' ')[1]));
    const intervals = starts.slice(WARMUP + 1).map((start, i) => (start - starts[WARMUP + i]) / 1e6);
    return median(intervals);
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// Opens #frame=FRAMES in `browser`, optionally with the fast clock, and
// returns the page's flight record, with the durations of the frame
// callbacks past the warm-up in `callbackMs`.
async function flyPage(browser, url, fastClock) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument((fast) => {
    if (fast) {
      // The page paces frames by the browser frames' timestamp.
      let now = 0;
      Object.defineProperty(document.timeline, 'currentTime', { get: () => (now += 16) });
    }
    window.callbackMs = [];
    const request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
      const start = performance.now();
      callback(time);
      window.callbackMs.push(performance.now() - start);
    });
  }, fastClock);
  await page.goto(`${url}index.html#frame=${frames}`);
  await page.waitForFunction(() => window.flight.ended, { timeout: 300000, polling: 100 });
  const flight = await page.evaluate((warmup) =>
    ({ ...window.flight, callbackMs: window.callbackMs.slice(warmup) }), WARMUP);
  await page.close();
  return flight;
}

// Mean interval between frames, in ms, from frame 1 to the last. The page
// stamps each frame once it has been drawn, so frame 1's start-up work (the
// shaders' compilation) lies before the first stamp.
const perFrameMs = (flight) => (flight.lastFrameMs - flight.firstFrameMs) / (flight.frames - 1);

const server = await serveSite(options.site);
const results = {
  firstFrame: [], paced: [], browserUnpaced: [], callback: [], desktopUnpaced: [], ratio: [],
};
try {
  for (let round = 1; round <= rounds; ++round) {
    let browser = await launchChromium();
    const paced = await flyPage(browser, server.url, false);
    results.firstFrame.push(paced.firstFrameMs);
    results.paced.push(perFrameMs(paced));
    await browser.close();

    browser = await launchChromium(UNLIMITED);
    const unpaced = await flyPage(browser, server.url, true);
    await browser.close();
    const desktop = await desktopUnpacedMs();
    results.browserUnpaced.push(perFrameMs(unpaced));
    results.callback.push(median(unpaced.callbackMs));
    results.desktopUnpaced.push(desktop);
    results.ratio.push(perFrameMs(unpaced) / desktop);
    console.log(`round ${round}: first frame ${paced.firstFrameMs.toFixed(0)} ms, paced ` +
      `${perFrameMs(paced).toFixed(2)} ms, unpaced ${perFrameMs(unpaced).toFixed(2)} ms ` +
      `(callback ${median(unpaced.callbackMs).toFixed(2)} ms) ` +
      `(desktop ${desktop.toFixed(2)} ms)`);
  }

  const stills = [1, 45, 90, 180];
  const desktop = await desktopFrames(options.exe, options.probe, stills);
  const browser = await launchChromium();
  const differences = [];
  for (const frame of stills) {
    const page = await openUntilEnded(browser, `${server.url}index.html#frame=${frame}`);
    const rgb = await canvasRgb(page);
    const over16 = frameDifference(rgb, desktop.get(frame).rgb, 16);
    const over2 = frameDifference(rgb, desktop.get(frame).rgb, 2);
    differences.push(`frame ${frame}: ${over16.over} px > 16, ${over2.over} px > 2, ` +
      `largest ${over16.worst}`);
    await page.close();
  }
  await browser.close();

  const row = (name, values, digits = 2) =>
    console.log(`${name.padEnd(44)} ${median(values).toFixed(digits).padStart(9)}   ` +
      `(${values.map((v) => v.toFixed(digits)).join(', ')})`);
  console.log(`\nmedians over ${rounds} rounds of ${frames} frames`);
  row('time to first frame, fresh browser (ms)', results.firstFrame, 0);
  row('paced frame interval, browser (ms)', results.paced);
  row('unpaced frame cost, browser (ms)', results.browserUnpaced);
  row('  of which the frame callback (ms)', results.callback);
  row('unpaced frame cost, desktop (ms)', results.desktopUnpaced);
  row('browser / desktop unpaced cost', results.ratio);
  console.log(differences.join('\n'));
} finally {
  server.close();
}
