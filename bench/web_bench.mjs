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
//     frame is the frame callback itself (WebAssembly, the GL layer and
//     the WebGL calls; the rest is Chromium rasterising and presenting the
//     frame);
//   - the frame callback against a streaming floor (bench/stream_floor.mjs,
//     a page that re-sends a tube of the flight's size every frame with one
//     upload and one draw): the median and 95th percentile of the
//     callbacks that drew a frame, each page flying at its own pace for
//     6 s, in one browser, with and without Chromium's CPU throttled 4x
//     (the mobile profile of its own audits), and the flight's over the
//     floor's within the round;
//   - high refresh rates: the flight on its own clock while Chromium
//     refreshes as fast as it can (as often as the floor page's frames); and, since no flag of Chromium sets a
//     refresh rate, the flight's rate under frame timestamps 1000/144 and
//     1000/120 ms apart (one per frame callback);
//   - frame difference: frames 1, 45, 90 and 180 of both.
// With --figures FILE, the medians of the frame callback figures also go to
// FILE as JSON, for scripts/bench-web's table.
// Usage (on an X display): node web_bench.mjs --site DIR --exe TUBEFLIGHT
//        --probe LIBPROBE [--rounds N] [--frames N] [--figures FILE]
import { spawn } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { parseArgs } from 'node:util';
import {
  canvasRgb, desktopFrames, frameDifference, launchChromium, median, openUntilEnded, serveSite,
} from '../tests/web/browser.mjs';
import { STREAM_FLOOR_PAGE } from './stream_floor.mjs';

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
    figures: { type: 'string' },
  },
});
const rounds = Number(options.rounds);
const frames = Number(options.frames);
const WARMUP = 10; // frames left out at the start: shader compiles, first present
const UNLIMITED = ['--disable-frame-rate-limit', '--disable-gpu-vsync'];
// The frame callback figures: 6 s of flight, after a second of it in which
// the browser compiles the page's hot code.
const CALLBACK_WARMUP = 60;
const CALLBACK_WINDOW_MS = 6000;
const THROTTLE = 4;

// The nearest-rank percentile `p` of `values`.
const percentile = (values, p) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.max(0, Math.ceil(sorted.length * p / 100) - 1)];
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

// Serves every response to `page` with the headers that make it
// cross-origin isolated: outside such a page Chromium coarsens
// performance.now() to 0.1 ms, the size of the frame callbacks timed, and
// inside it to 5 us. The responses are otherwise passed on as they came.
async function isolate(page) {
  const client = await page.createCDPSession();
  client.on('Fetch.requestPaused', async ({ requestId, responseStatusCode, responseHeaders }) => {
    try {
      const { body, base64Encoded } = await client.send('Fetch.getResponseBody', { requestId });
      await client.send('Fetch.fulfillRequest', {
        requestId, responseCode: responseStatusCode,
        body: base64Encoded ? body : Buffer.from(body).toString('base64'),
        responseHeaders: [...(responseHeaders ?? []),
          { name: 'Cross-Origin-Opener-Policy', value: 'same-origin' },
          { name: 'Cross-Origin-Embedder-Policy', value: 'require-corp' }],
      });
    } catch {
      // the page has gone meanwhile
    }
  });
  await client.send('Fetch.enable', { patterns: [{ urlPattern: '*', requestStage: 'Response' }] });
}

// The durations, in ms, of the frame callbacks of `pageUrl` that drew a
// frame, over CALLBACK_WINDOW_MS once CALLBACK_WARMUP frames have been
// drawn, with Chromium's CPU throttled `rate` times (1: not throttled). The
// page flies at its own pace until it is closed.
async function drawingCallbackMs(browser, pageUrl, rate) {
  const page = await browser.newPage();
  await page.evaluateOnNewDocument(() => {
    window.drawingCallbackMs = [];
    const request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
      const before = window.flight?.frames;
      const start = performance.now();
      callback(time);
      const ms = performance.now() - start;
      if (window.flight?.frames !== before) window.drawingCallbackMs.push(ms);
    });
  });
  await isolate(page);
  await page.emulateCPUThrottling(rate > 1 ? rate : null);
  await page.goto(pageUrl);
  if (!await page.evaluate(() => window.crossOriginIsolated)) {
    throw new Error(`${pageUrl} is not cross-origin isolated: its clock is too coarse`);
  }
  // A page with a "Start flight" button flies once it is pressed.
  await page.evaluate(() => document.getElementById('start')?.click());
  await page.waitForFunction((warmup) => window.flight.frames >= warmup,
    { timeout: 120000, polling: 50 }, CALLBACK_WARMUP);
  await page.evaluate(() => { window.drawingCallbackMs = []; });
  await new Promise((resolve) => setTimeout(resolve, CALLBACK_WINDOW_MS));
  const durations = await page.evaluate(() => window.drawingCallbackMs);
  await page.close();
  return durations;
}

// Mean interval between frames, in ms, from frame 1 to the last. The page
// stamps each frame once it has been drawn, so frame 1's start-up work (the
// shaders' compilation) lies before the first stamp.
const perFrameMs = (flight) => (flight.lastFrameMs - flight.firstFrameMs) / (flight.frames - 1);

const server = await serveSite(options.site);
// The floor page is served the same way, from a folder of its own.
const floorDir = mkdtempSync(join(tmpdir(), 'tubeflight-floor-'));
writeFileSync(join(floorDir, 'floor.html'), FLOOR_PAGE);
writeFileSync(join(floorDir, 'stream.html'), STREAM_FLOOR_PAGE);
const floorServer = await serveSite(floorDir);
const flightUrl = `${server.url}index.html`;
const floorUrl = `${floorServer.url}floor.html`;
const streamUrl = `${floorServer.url}stream.html`;
const results = {
  firstFrame: [], floorFirstFrame: [], firstFrameRatio: [], paced: [], browserUnpaced: [],
  floorUnpaced: [], floorRatio: [], callback: [], desktopUnpaced: [], ratio: [], uncapped: [],
};
// The frame callback figures, by throttling rate: medians and 95th
// percentiles of the flight and of the streaming floor, and the ratios.
const callbacks = {};
for (const rate of [1, THROTTLE]) {
  callbacks[rate] = {
    flightMedian: [], flightP95: [], floorMedian: [], floorP95: [], medianRatio: [], p95Ratio: [],
  };
}
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

    const callbackBrowser = await launchChromium();
    const callbackNotes = [];
    for (const rate of [1, THROTTLE]) {
      const stream = await drawingCallbackMs(callbackBrowser, streamUrl, rate);
      const flight = await drawingCallbackMs(callbackBrowser, flightUrl, rate);
      const figures = callbacks[rate];
      figures.flightMedian.push(median(flight));
      figures.flightP95.push(percentile(flight, 95));
      figures.floorMedian.push(median(stream));
      figures.floorP95.push(percentile(stream, 95));
      figures.medianRatio.push(median(flight) / median(stream));
      figures.p95Ratio.push(percentile(flight, 95) / percentile(stream, 95));
      callbackNotes.push(`${rate}x: ${median(flight).toFixed(2)}/${percentile(flight, 95).toFixed(2)} ms ` +
        `(streaming floor ${median(stream).toFixed(2)}/${percentile(stream, 95).toFixed(2)} ms)`);
    }
    await callbackBrowser.close();
    console.log(`round ${round}: first frame ${paced.firstFrameMs.toFixed(0)} ms ` +
      `(floor ${floorPaced.firstFrameMs.toFixed(0)} ms), paced ${perFrameMs(paced).toFixed(2)} ms, ` +
      `unpaced ${perFrameMs(unpaced).toFixed(2)} ms (callback ` +
      `${median(unpaced.callbackMs).toFixed(2)} ms, floor ${perFrameMs(floor).toFixed(2)} ms, ` +
      `desktop ${desktop.toFixed(2)} ms), uncapped refresh ${perFrameMs(uncapped).toFixed(2)} ms; ` +
      `drawing callback median/p95 ${callbackNotes.join(', ')}`);
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
  const figures = {};
  for (const rate of [1, THROTTLE]) {
    const of = callbacks[rate];
    const label = rate > 1 ? `, CPU ${rate}x throttled` : '';
    row(`frame callback${label}, median (ms)`, of.flightMedian);
    row('  95th percentile (ms)', of.flightP95);
    row('  streaming floor, median (ms)', of.floorMedian);
    row('  streaming floor, 95th percentile (ms)', of.floorP95);
    row('  flight / floor, median', of.medianRatio);
    row('  flight / floor, 95th percentile', of.p95Ratio);
    figures[`x${rate}`] = Object.fromEntries(Object.entries(of).map(([k, v]) => [k, median(v)]));
  }
  if (options.figures) writeFileSync(options.figures, `${JSON.stringify(figures)}\n`);
  console.log(simulated.join('\n'));
  console.log(differences.join('\n'));
} finally {
  server.close();
  floorServer.close();
  rmSync(floorDir, { recursive: true, force: true });
}
