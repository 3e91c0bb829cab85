// SPDX-License-Identifier: MIT
// What the browser test and the browser measurements share: the site served
// by Python's static file server, Debian's Chromium driven by puppeteer-core,
// the flight's page read back, the windowed executable's own frames read
// back by the probe library, for comparison, and Lighthouse's scores.
import { spawn, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before } from 'node:test';
import puppeteer from 'puppeteer-core';

export const WIDTH = 640;
export const HEIGHT = 480;

// A binary PPM (P6, 8 bits) as { width, height, rgb }, rows top first.
export function readPpm(path) {
  const bytes = readFileSync(path);
  const header = /^P6\s+(\d+)\s+(\d+)\s+255\s/.exec(bytes.subarray(0, 32).toString('latin1'));
  if (!header) throw new Error(`${path}: not an 8-bit binary PPM`);
  return { width: +header[1], height: +header[2], rgb: bytes.subarray(header[0].length) };
}

// The windowed executable's frames `frames` (numbered from 1), read back by
// the probe library before their swap, on the current DISPLAY. The clock is
// sped up so that no frame waits; the probe ends the program with SIGTERM
// after the last frame wanted.
export async function desktopFrames(exe, probe, frames) {
  const dir = mkdtempSync(join(tmpdir(), 'tubeflight-frames-'));
  try {
    const env = {
      ...process.env,
      LD_PRELOAD: probe,
      TUBEFLIGHT_PROBE_FAST_TICKS: '1',
      TUBEFLIGHT_PROBE_FRAMES: frames.join(','),
      TUBEFLIGHT_PROBE_DIR: dir,
      TUBEFLIGHT_PROBE_STOP_AFTER: String(Math.max(...frames)),
    };
    const ended = spawnSync(exe, [], { env, timeout: 60000, killSignal: 'SIGKILL', encoding: 'utf8',
      stdio: ['ignore', 'ignore', 'pipe'] });
    if (ended.signal !== 'SIGTERM') {
      throw new Error(`${exe} ended with ${ended.signal ?? `status ${ended.status}`}: ${ended.error ?? ended.stderr}`);
    }
    const images = new Map();
    for (const frame of frames) {
      images.set(frame, readPpm(join(dir, `frame-${String(frame).padStart(4, '0')}.ppm`)));
    }
    return images;
  } finally {
    rmSync(dir, { recursive: true, force: true });
  }
}

// The median of `values`.
export function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// Serves `site` with `python3 -m http.server` on a free loopback port, as
// scripts/web does. Resolves with { url, close }.
export function serveSite(site) {
  return new Promise((resolve, reject) => {
    const server = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1',
      '--directory', site], { stdio: ['ignore', 'pipe', 'ignore'] });
    const timer = setTimeout(() => {
      server.kill();
      reject(new Error('the static file server did not start'));
    }, 10000);
    server.on('error', reject);
    server.stdout.on('data', (chunk) => {
      const port = /port (\d+)/.exec(String(chunk));
      if (port) {
        clearTimeout(timer);
        resolve({ url: `http://127.0.0.1:${port[1]}/`, close: () => server.kill() });
      }
    });
  });
}

// For the tests of the calling file: `site` served and, unless `chromium` is
// false, Chromium launched before them, both closed after them. The object
// returned holds the site's `url` and the `browser` once they are up.
export function withSite(site, chromium = true) {
  const shared = {};
  before(async () => {
    Object.assign(shared, await serveSite(site));
    if (chromium) shared.browser = await launchChromium();
  });
  after(async () => {
    await shared.browser?.close();
    shared.close?.();
  });
  return shared;
}

// Debian's headless Chromium, with WebGL on its software rasteriser.
// `extraArgs` go to Chromium as they are.
export function launchChromium(extraArgs = []) {
  return puppeteer.launch({
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: [
      '--no-sandbox', // the tests run as root in CI
      '--use-angle=swiftshader',
      '--enable-unsafe-swiftshader',
      ...extraArgs,
    ],
  });
}

// The site lets the browser drop a frame's drawing buffer once the frame is
// shown; for the canvas to be read back afterwards, `page` asks for a kept
// buffer (preserveDrawingBuffer) whenever it creates a WebGL context.
export async function keepDrawingBuffer(page) {
  await page.evaluateOnNewDocument(() => {
    const getContext = HTMLCanvasElement.prototype.getContext;
    HTMLCanvasElement.prototype.getContext = function (type, attributes) {
      return getContext.call(this, type, { ...attributes, preserveDrawingBuffer: true });
    };
  });
}

// Opens the page at `url`, with a kept drawing buffer (and what `prepare`
// adds to the new page), and waits until the flight has ended (Escape, the
// still of #frame=N, or a failed start). Resolves with the page.
export async function openUntilEnded(browser, url, timeoutMs = 60000, prepare = async () => {}) {
  const page = await browser.newPage();
  await keepDrawingBuffer(page);
  await prepare(page);
  await page.goto(url);
  await page.waitForFunction(() => window.flight.ended || window.flight.failed,
    { timeout: timeoutMs, polling: 50 });
  return page;
}

// The canvas as RGB bytes, rows top first: the frame the page shows, read
// from its WebGL drawing buffer (kept by keepDrawingBuffer).
export async function canvasRgb(page) {
  const base64 = await page.evaluate((width, height) => {
    const gl = document.getElementById('canvas').getContext('webgl');
    const rgba = new Uint8Array(width * height * 4);
    gl.readPixels(0, 0, width, height, gl.RGBA, gl.UNSIGNED_BYTE, rgba);
    // WebGL rows run bottom to top.
    const rgb = new Uint8Array(width * height * 3);
    for (let y = 0; y < height; ++y) {
      for (let x = 0; x < width; ++x) {
        const from = ((height - 1 - y) * width + x) * 4;
        rgb.set(rgba.subarray(from, from + 3), (y * width + x) * 3);
      }
    }
    let binary = '';
    for (let i = 0; i < rgb.length; i += 0x8000) {
      binary += String.fromCharCode(...rgb.subarray(i, i + 0x8000));
    }
    return btoa(binary);
  }, WIDTH, HEIGHT);
  return Buffer.from(base64, 'base64');
}

// How far two RGB images of the same size are apart: the largest difference
// of any channel at any pixel, and how many pixels differ by more than
// `level` in some channel.
export function frameDifference(a, b, level) {
  let worst = 0;
  let over = 0;
  for (let pixel = 0; pixel < a.length / 3; ++pixel) {
    let d = 0;
    for (let c = 0; c < 3; ++c) {
      d = Math.max(d, Math.abs(a[3 * pixel + c] - b[3 * pixel + c]));
    }
    worst = Math.max(worst, d);
    over += d > level ? 1 : 0;
  }
  return { worst, over };
}

// Lighthouse's scores (0 to 100) for `categories` on the page at `url`
// opened by a Chromium in `language` as a phone would open it (Lighthouse's
// own mobile emulation and throttling); the audits that cost points are
// printed by name.
export async function lighthouseScores(url, language, categories) {
  // The page takes its language from the browser's, as a visitor's would
  // (headless Chromium takes it from --accept-lang).
  const { default: lighthouse } = await import('lighthouse'); // large: loaded only here
  const browser = await launchChromium([`--lang=${language}`, `--accept-lang=${language}`]);
  try {
    const port = Number(new URL(browser.wsEndpoint()).port);
    const { lhr } = await lighthouse(url, { port, logLevel: 'error', onlyCategories: categories });
    if (lhr.runtimeError) throw new Error(`Lighthouse: ${lhr.runtimeError.message}`);
    const failing = categories.flatMap((id) => lhr.categories[id].auditRefs)
      .filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score !== null && lhr.audits[ref.id].score < 1)
      .map((ref) => `${ref.id} (${lhr.audits[ref.id].score})`);
    const result = Object.fromEntries(categories.map((id) => [id, Math.round(lhr.categories[id].score * 100)]));
    console.log(`${language}: ${JSON.stringify(result)}; below full marks: ${failing.join(', ') || 'none'}`);
    return result;
  } finally {
    await browser.close();
  }
}
