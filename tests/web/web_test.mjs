// SPDX-License-Identifier: MIT
// The browser build in Debian's headless Chromium: its frames are the
// windowed executable's frames, its title follows the caption, it keeps its
// pace on a 144 Hz display, and Escape stops the flight; the page fits a
// phone, fills a screen and names a bad link, and a lost display given back
// flies on from the frame it had reached; it shows nothing moving before
// "Start flight", and a still link no frame but its own.
// Usage: node web_test.mjs --site DIR --exe TUBEFLIGHT --probe LIBPROBE
// (on an X display, which the windowed executable needs).
import assert from 'node:assert/strict';
import { before, test } from 'node:test';
import { parseArgs } from 'node:util';
import {
  canvasRgb, desktopFrames, frameDifference, keepDrawingBuffer, launchChromium, openUntilEnded, withSite,
} from './browser.mjs';

const { values: paths } = parseArgs({
  options: { site: { type: 'string' }, exe: { type: 'string' }, probe: { type: 'string' } },
});

const EXPECTED_TITLE = 'tubeflight - flying through the knot tube (Escape quits)';
const STILLS = [1, 45, 90, 180];
// Chromium's SwiftShader and Mesa's llvmpipe rasterise the same triangles
// with the same matrices, but decide a few pixels on shared edges and where
// far-away triangles of the tube meet at nearly equal depth differently, and
// may round interpolated colours a level or two apart. Measured over frames
// 1, 10, 45, 90, ... 360: at most 13 of the 307200 pixels differ by more
// than 16 levels in a channel. One step of the flight moves more than 230000
// pixels by more than 32 levels.
const LEVEL = 16;
const MAX_PIXELS_OVER_LEVEL = 100;

// Every picture the flight's canvas holds after a frame callback, as it
// changes, in window.pictures (none while it has no WebGL context): 0 for
// black, else a hash of its pixels.
function recordPictures(page) {
  return page.evaluateOnNewDocument(() => {
    window.pictures = [];
    let gl = null;
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (...args) {
      const context = getContext.apply(this, args);
      if (this.id === 'canvas') gl = context;
      return context;
    };
    window.picture = () => {
      const rgba = new Uint32Array(640 * 480);
      gl.readPixels(0, 0, 640, 480, gl.RGBA, gl.UNSIGNED_BYTE, new Uint8Array(rgba.buffer));
      return rgba.reduce((hash, pixel, i) =>
        (pixel & 0xffffff ? Math.imul(hash ^ pixel ^ i, 16777619) | 1 : hash), 0);
    };
    const request = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (callback) => request((time) => {
      callback(time);
      const shown = gl && !gl.isContextLost() ? window.picture() : null;
      if (shown !== null && window.pictures.at(-1) !== shown) window.pictures.push(shown);
    });
  });
}

const site = withSite(paths.site);
let desktop;
before(async () => {
  desktop = await desktopFrames(paths.exe, paths.probe, STILLS);
});

test('#frame=N shows and holds the desktop program\'s frame N on the canvas, no frame before it', async () => {
  for (const frame of STILLS) {
    const page = await openUntilEnded(site.browser, `${site.url}index.html#frame=${frame}`, 60000,
      recordPictures);
    const shown = await page.evaluate(() => [window.pictures, window.picture()]);
    assert.deepEqual(shown[0].filter((picture) => picture !== 0), [shown[1]], `#frame=${frame}`);
    const flight = await page.evaluate(() => window.flight);
    assert.deepEqual([flight.frames, flight.ended, flight.endedByEscape, flight.failed],
      [frame, true, false, false], `#frame=${frame}`);
    assert.equal(await page.title(), EXPECTED_TITLE);
    const difference = frameDifference(await canvasRgb(page), desktop.get(frame).rgb, LEVEL);
    console.log(`frame ${frame}: ${difference.over} pixels differ by more than ${LEVEL}, ` +
      `largest difference ${difference.worst}`);
    assert.ok(difference.over <= MAX_PIXELS_OVER_LEVEL,
      `frame ${frame}: ${difference.over} pixels differ by more than ${LEVEL}`);
    await page.close();
  }
});

test('the title becomes the title line after the first frame; 62.5 frames a second on a 144 Hz display; Escape stops the flight', async () => {
  const page = await site.browser.newPage();
  // The frame callbacks' timestamps of a 144 Hz display: 6.94 ms apart.
  await page.evaluateOnNewDocument(() => {
    window.refreshes = 0;
    Object.defineProperty(document.timeline, 'currentTime', { get: () => ++window.refreshes * 1000 / 144 });
  });
  // Every title a script gives the page, in order, repeats left out.
  await page.evaluateOnNewDocument(() => {
    window.titles = [];
    const title = Object.getOwnPropertyDescriptor(Document.prototype, 'title');
    Object.defineProperty(Document.prototype, 'title', {
      ...title,
      set(value) {
        if (window.titles.at(-1) !== value) window.titles.push(value);
        title.set.call(this, value);
      },
    });
  });
  await page.goto(`${site.url}index.html`);
  await page.keyboard.press('Enter'); // on "Start flight", which has the focus
  await page.waitForFunction(() => window.flight.frames >= 20, { timeout: 30000, polling: 20 });
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');

  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.flight.ended, { timeout: 10000, polling: 20 });
  const ended = await page.evaluate(() => window.flight);
  assert.equal(ended.endedByEscape, true);
  // A frame every 16 ms: two or three refreshes apart, not every third (48 a second).
  const refreshes = await page.evaluate(() => window.refreshes);
  assert.equal(ended.frames, Math.floor((refreshes - 1) * (1000 / 144) / 16) + 1, `in ${refreshes} refreshes`);
  await new Promise((resolve) => setTimeout(resolve, 300)); // some 18 frames' time
  assert.equal(await page.evaluate(() => window.flight.frames), ended.frames,
    'frames were drawn after the end');
  assert.deepEqual(await page.evaluate(() => window.titles), ['Sdl Test', EXPECTED_TITLE]);
  assert.match(await page.$eval('#status', (e) => e.textContent), /ended.*[Rr]eload/);
  await page.close();
});

test('a phone, a desktop window, full screen and a bad link, in one page', async () => {
  const page = await site.browser.newPage();
  const until = (condition) => page.waitForFunction(condition, { timeout: 30000, polling: 20 });
  const flying = () => until(() => window.flight?.frames >= 3 && !window.flight.ended);
  const get = (expression) => page.evaluate(expression);
  const status = () => get("document.getElementById('status').textContent");
  // [page width, canvas width and height in CSS pixels, its drawing buffer's]
  const layout = () => get(`[document.documentElement.scrollWidth, canvas.getBoundingClientRect().width,
    canvas.getBoundingClientRect().height, canvas.width, canvas.height]`);
  const phone = { isMobile: true, hasTouch: true };

  // A phone, with a link whose frame is not a number: the page says so and flies from the start.
  await page.setViewport({ width: 390, height: 844, deviceScaleFactor: 3, ...phone });
  await page.goto(`${site.url}index.html#frame=-5`);
  await page.tap('#start');
  await flying();
  assert.match(await status(), /“-5” is not a frame number/);
  assert.deepEqual(await layout(), [390, 358, 268.5, 640, 480]);
  await page.setViewport({ width: 320, height: 568, deviceScaleFactor: 2, ...phone });
  assert.deepEqual(await layout(), [320, 288, 216, 640, 480]);
  await page.tap('#end');
  await until(() => window.flight.endedByEscape);

  // A desktop window: Tab leaves the canvas, F shows the flight full screen at 4:3, centred.
  await page.setViewport({ width: 1000, height: 700 });
  await page.goto(`${site.url}index.html`);
  await page.click('#start');
  await flying();
  assert.deepEqual(await layout(), [1000, 640, 480, 640, 480]);
  await page.keyboard.press('Tab');
  assert.equal(await get('document.activeElement.id'), 'fullscreen');
  await page.click('#canvas'); // focuses it: the flight takes no mouse input
  await page.keyboard.press('f');
  await until(() => document.fullscreenElement?.id === 'stage');
  assert.deepEqual(await get(`[stage, canvas].map((e) => e.getBoundingClientRect())
    .map((r) => [r.left, r.top, r.width, r.height].map(Math.round))`), [[0, 0, 1000, 700], [33, 0, 933, 700]]);
  await page.keyboard.press('Escape'); // leaves full screen only
  await until(() => !document.fullscreenElement);

  await page.keyboard.press('Escape');
  await until(() => window.flight.endedByEscape);
  await page.close();
});

test('the page opens on a black canvas under the warning (and a reduced-motion note), and runs nothing before "Start flight" starts the flight', async () => {
  const page = await site.browser.newPage();
  await keepDrawingBuffer(page);
  await recordPictures(page);
  await page.emulateMediaFeatures([{ name: 'prefers-reduced-motion', value: 'reduce' }]);
  await page.goto(`${site.url}index.html`);
  await new Promise((resolve) => setTimeout(resolve, 3000));
  // No program fetched, no WebGL context.
  assert.deepEqual(await page.evaluate(() => [
    performance.getEntriesByType('resource').filter((entry) => /tubeflight-web/.test(entry.name)).length,
    window.pictures, window.flight.frames, document.title, document.activeElement.id,
  ]), [0, [], 0, 'tubeflight', 'start']);
  assert.match(await page.$eval('#warning', (e) => e.textContent), /photosensitive epilepsy/);
  assert.equal(await page.$eval('.reduced-motion', (e) => getComputedStyle(e).display), 'block');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => window.flight.frames >= 3, { timeout: 30000, polling: 20 });
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');
  await page.close();
});

test('a browser without WebGL: "Start flight" says that the flight cannot start', async () => {
  const chromium = await launchChromium(['--disable-webgl']);
  try {
    const page = await chromium.newPage();
    await page.goto(`${site.url}index.html`);
    await page.click('#start');
    await page.waitForFunction(() => window.flight.failed, { timeout: 30000, polling: 20 });
    assert.deepEqual(await page.evaluate(() => [window.flight.frames, document.getElementById('status').textContent]),
      [0, 'The flight could not start: this browser offers no WebGL.']);
  } finally {
    await chromium.close();
  }
});

test('a lost display given back: the flight goes on in the same page from the frame it had reached, as the desktop draws it', async () => {
  const page = await site.browser.newPage();
  await keepDrawingBuffer(page);
  const until = (condition, arg) => page.waitForFunction(condition, { timeout: 30000, polling: 20 }, arg);
  const get = (expression) => page.evaluate(expression);
  const status = () => get("document.getElementById('status').textContent");
  await page.goto(`${site.url}index.html`);
  await page.click('#start');
  await until(() => window.flight?.frames >= 3);
  // window.lose also marks this document: a reload would take it away.
  await get(`window.lose = canvas.getContext('webgl').getExtension('WEBGL_lose_context'); lose.loseContext()`);
  await until(() => window.flight.lost);
  const lostAt = await get('window.flight.frames');
  assert.match(await status(), new RegExp(`display was lost.*stopped at frame ${lostAt}\\b`));
  await new Promise((resolve) => setTimeout(resolve, 300));
  assert.equal(await get('window.flight.frames'), lostAt, 'frames were counted with no display');

  await get('lose.restoreContext()');
  await until((from) => window.flight.frames >= from + 10, lostAt);
  assert.deepEqual(await get('[window.flight.lost, window.flight.failed, window.lose !== undefined]'),
    [false, false, true]);
  assert.match(await status(), /^Flying\./);
  await page.keyboard.press('Escape');
  await until(() => window.flight.endedByEscape);
  // The shader, the buffer and the state built again, and the flight's step
  // still the frame counter's: the desktop program's frame of that number.
  const last = await get('window.flight.frames');
  const difference = frameDifference(await canvasRgb(page),
    (await desktopFrames(paths.exe, paths.probe, [last])).get(last).rgb, LEVEL);
  assert.ok(difference.over <= MAX_PIXELS_OVER_LEVEL,
    `frame ${last}: ${difference.over} pixels differ by more than ${LEVEL}`);
  await page.close();
});
