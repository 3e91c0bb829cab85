// SPDX-License-Identifier: MIT
// Measures the browser build in Debian's headless Chromium against the
// windowed executable on the same machine and against the browser's own
// floor, a blank WebGL page that only clears its 640x480 canvas every frame,
// in alternating rounds, and prints medians over the rounds:
//   - time to the first frame: performance.now() at frame 1 of a page opened
//     in a browser just started (the .js and .wasm compiled afresh), for the
//     flight and for the floor page, each in a browser of its own (the first
//     page of a browser pays for starting its WebGL), and their ratio;
//   - paced frame interval: the page's own pacing, frames 2 to FRAMES;
//   - unpaced frame cost: the page with a frame clock that advances 16 ms
//     per read (no browser frame is left out) and Chromium's frame-rate
//     limit off, against the floor page in the same browser and against the
//     desktop program with the probe's fast clock (as scripts/bench measures
//     it), and their ratios within the round; and how much of the browser's
//     frame is the frame callback itself (WebAssembly, the GL emulation and
//     the WebGL calls; the rest is Chromium rasterising and presenting the
//     frame);
//   - high refresh rates: the flight on its own clock while Chromium
//     refreshes as fast as it can (as often as the floor page's frames); and, since no flag of Chromium sets a
//     refresh rate, the flight's rate under frame timestamps 1000/144 and
//     1000/120 ms apart (one per frame callback);
//   - frame difference: frames 1, 45, 90 and 180 of both.
// Usage (on an X display): node web_bench.mjs --site DIR --exe TUBEFLIGHT
//        --probe LIBPROBE [--rounds N] [--frames N]
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { parseArgs } from 'node:util';
import {
  canvasRgb, desktopFrames, frameDifference, launchChromium, openUntilEnded, serveSite,
} from '../tests/web/browser.mjs';

// The browser's floor: what any WebGL page pays for a frame, with the
// flight's context attributes, its canvas and its #frame=N and window.flight.
const FLOOR_PAGE = `<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>floor</title></head><body>
<canvas id="canvas" width="640" height="480"></canvas>
<script>
window.flight = { frames: 0, firstFrameMs: null, lastFrameMs: null, ended: false };
const last = Number(/^#frame=(\\d+)$/.exec(location.hash)[1]);
const gl = document.getElementById('canvas').getContext('webgl',
  { alpha: false, antialias: false, depth: true, stencil: false });
gl.clearColor(0, 0, 0, 0.5);
function frame() {
  gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
  const now = performance.now();
  window.flight.frames += 1;
  window.flight.lastFrameMs = now;
  window.flight.firstFrameMs ??= now;
  if (window.flight.frames < last) requestAnimationFrame(frame);
  else window.flight.ended = true;
}
requestAnimationFrame(frame);
</script></body></html>`;

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

// Flies FRAMES frames of `pageUrl` in `browser`: the floor's at
// #frame=FRAMES, the flight's from "Start flight", pressed as soon as the
// page has loaded, to its FRAMES-th frame (#frame=N shows a still, flown
// over no frames). Returns the page's flight record, with the durations of
// the frame callbacks from the start on, past the warm-up, in `callbackMs`
// and the number of those frame callbacks in `callbacks`. With `clockStepMs`, the frame clock that the
// flight paces itself by advances that much at every read instead of
// following the display's refreshes.
async function flyPage(browser, pageUrl, clockStepMs = null) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument((step) => {
    if (step) {
      // The page paces frames by the browser frames' timestamp.
      let now = 0;
      Object.defineProperty(document.timeline, 'currentTime', { get: () => (now += step) });
    }
    window.callbackMs = [];
    const request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
      const start = performance.now();
      callback(time);
      window.callbackMs.push(performance.now() - start);
    });
  }, clockStepMs);
  await page.goto(pageUrl === flightUrl ? pageUrl : `${pageUrl}#frame=${frames}`);
  await page.evaluate(() => {
    const start = document.getElementById('start');
    if (start) {
      window.callbackMs = [];
      start.click();
    }
  });
  await page.waitForFunction((last) => window.flight.ended || window.flight.frames >= last,
    { timeout: 300000, polling: 100 }, frames);
  const flight = await page.evaluate((warmup) => ({
    ...window.flight, callbackMs: window.callbackMs.slice(warmup),
    callbacks: window.callbackMs.length,
  }), WARMUP);
  await page.close();
  return flight;
}

// Mean interval between frames, in ms, from frame 1 to the last. The page
// stamps each frame once it has been drawn, so frame 1's start-up work (the
// shaders' compilation) lies before the first stamp.
const perFrameMs = (flight) => (flight.lastFrameMs - flight.firstFrameMs) / (flight.frames - 1);

const server = await serveSite(options.site);
// The floor page is served the same way, from a folder of its own.
const floorDir = mkdtempSync(join(tmpdir(), 'tubeflight-floor-'));
writeFileSync(join(floorDir, 'floor.html'), FLOOR_PAGE);
const floorServer = await serveSite(floorDir);
const flightUrl = `${server.url}index.html`;
const floorUrl = `${floorServer.url}floor.html`;
const results = {
  firstFrame: [], floorFirstFrame: [], firstFrameRatio: [], paced: [], browserUnpaced: [],
  floorUnpaced: [], floorRatio: [], callback: [], desktopUnpaced: [], ratio: [], uncapped: [],
};
const fresh = async (pageUrl) => {
  const browser = await launchChromium();
  try {
    return await flyPage(browser, pageUrl);
  } finally {
    await browser.close();
  }
};
try {
  for (let round = 1; round <= rounds; ++round) {
    const floorPaced = await fresh(floorUrl);
    const paced = await fresh(flightUrl);
    results.firstFrame.push(paced.firstFrameMs);
    results.floorFirstFrame.push(floorPaced.firstFrameMs);
    results.firstFrameRatio.push(paced.firstFrameMs / floorPaced.firstFrameMs);
    results.paced.push(perFrameMs(paced));

    const browser = await launchChromium(UNLIMITED);
    const floor = await flyPage(browser, floorUrl);
    const unpaced = await flyPage(browser, flightUrl, 16);
    const uncapped = await flyPage(browser, flightUrl);
    await browser.close();
    const desktop = await desktopUnpacedMs();
    results.browserUnpaced.push(perFrameMs(unpaced));
    results.floorUnpaced.push(perFrameMs(floor));
    results.floorRatio.push(perFrameMs(unpaced) / perFrameMs(floor));
    results.callback.push(median(unpaced.callbackMs));
    results.desktopUnpaced.push(desktop);
    results.ratio.push(perFrameMs(unpaced) / desktop);
    results.uncapped.push(perFrameMs(uncapped));
    console.log(`round ${round}: first frame ${paced.firstFrameMs.toFixed(0)} ms ` +
      `(floor ${floorPaced.firstFrameMs.toFixed(0)} ms), paced ${perFrameMs(paced).toFixed(2)} ms, ` +
      `unpaced ${perFrameMs(unpaced).toFixed(2)} ms (callback ` +
      `${median(unpaced.callbackMs).toFixed(2)} ms, floor ${perFrameMs(floor).toFixed(2)} ms, ` +
      `desktop ${desktop.toFixed(2)} ms), uncapped refresh ${perFrameMs(uncapped).toFixed(2)} ms`);
  }

  // Frame timestamps of a 144 Hz and a 120 Hz display: frames a second.
  const simulated = [];
  const browser = await launchChromium(UNLIMITED);
  for (const hz of [144, 120]) {
    const flight = await flyPage(browser, flightUrl, 1000 / hz);
    simulated.push(`${hz} Hz display: ${(flight.frames / flight.callbacks * hz).toFixed(2)} ` +
      `frames a second (${flight.frames} frames in ${flight.callbacks} refreshes)`);
  }
  await browser.close();

  const stills = [1, 45, 90, 180];
  const desktop = await desktopFrames(options.exe, options.probe, stills);
  const stillBrowser = await launchChromium();
  const differences = [];
  for (const frame of stills) {
    const page = await openUntilEnded(stillBrowser, `${server.url}index.html#frame=${frame}`);
    const rgb = await canvasRgb(page);
    const over16 = frameDifference(rgb, desktop.get(frame).rgb, 16);
    const over2 = frameDifference(rgb, desktop.get(frame).rgb, 2);
    differences.push(`frame ${frame}: ${over16.over} px > 16, ${over2.over} px > 2, ` +
      `largest ${over16.worst}`);
    await page.close();
  }
  await stillBrowser.close();

  const row = (name, values, digits = 2) =>
    console.log(`${name.padEnd(44)} ${median(values).toFixed(digits).padStart(9)}   ` +
      `(${values.map((v) => v.toFixed(digits)).join(', ')})`);
  console.log(`\nmedians over ${rounds} rounds of ${frames} frames`);
  row('time to first frame, fresh browser (ms)', results.firstFrame, 0);
  row('  floor page (ms)', results.floorFirstFrame, 0);
  row('  flight / floor', results.firstFrameRatio);
  row('paced frame interval, browser (ms)', results.paced);
  row('unpaced frame cost, browser (ms)', results.browserUnpaced);
  row('  of which the frame callback (ms)', results.callback);
  row('  floor page (ms)', results.floorUnpaced);
  row('  flight / floor', results.floorRatio);
  row('unpaced frame cost, desktop (ms)', results.desktopUnpaced);
  row('browser / desktop unpaced cost', results.ratio);
  row('refresh unlimited, flight on its clock (ms)', results.uncapped);
  console.log(simulated.join('\n'));
  console.log(differences.join('\n'));
} finally {
  server.close();
  floorServer.close();
  rmSync(floorDir, { recursive: true, force: true });
}
