// SPDX-License-Identifier: MIT
// The browser build in Debian's headless Chromium: its frames are the
// windowed executable's frames, its title follows the caption, and Escape
// stops the flight.
// Usage: node web_test.mjs --site DIR --exe TUBEFLIGHT --probe LIBPROBE
// (on an X display, which the windowed executable needs).
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { parseArgs } from 'node:util';
import {
  canvasRgb, desktopFrames, frameDifference, launchChromium, openUntilEnded, serveSite,
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

let server;
let browser;
let desktop;

before(async () => {
  desktop = await desktopFrames(paths.exe, paths.probe, STILLS);
  server = await serveSite(paths.site);
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  server?.close();
});

test('#frame=N holds the desktop program\'s frame N on the canvas', async () => {
  for (const frame of STILLS) {
    const page = await openUntilEnded(browser, `${server.url}index.html#frame=${frame}`);
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

test('the title becomes the title line after the first frame; Escape stops the flight', async () => {
  const page = await browser.newPage();
  // Every title the page gets, in order, repeats left out.
  await page.evaluateOnNewDocument(() => {
    window.titles = [];
    document.addEventListener('DOMContentLoaded', () => {
      const note = () => {
        if (window.titles.at(-1) !== document.title) window.titles.push(document.title);
      };
      note();
      new MutationObserver(note).observe(document.head, { subtree: true, childList: true, characterData: true });
    });
  });
  await page.goto(`${server.url}index.html`);
  await page.waitForFunction(() => window.flight.frames >= 3, { timeout: 30000, polling: 20 });
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas');

  await page.keyboard.press('Escape');
  await page.waitForFunction(() => window.flight.ended, { timeout: 10000, polling: 20 });
  const ended = await page.evaluate(() => window.flight);
  assert.equal(ended.endedByEscape, true);
  await new Promise((resolve) => setTimeout(resolve, 300)); // some 18 frames' time
  assert.equal(await page.evaluate(() => window.flight.frames), ended.frames,
    'frames were drawn after the end');
  assert.deepEqual(await page.evaluate(() => window.titles), ['tubeflight', 'Sdl Test', EXPECTED_TITLE]);
  assert.match(await page.$eval('#status', (e) => e.textContent), /ended.*[Rr]eload/);
  await page.close();
});
