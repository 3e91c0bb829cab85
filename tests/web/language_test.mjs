// SPDX-License-Identifier: MIT
// The page in the reader's language, in Debian's headless Chromium: taken
// from the browser's languages, warning and buttons translated before
// anything moves, Arabic right to left, every language on a 390-pixel-wide
// phone, and a language picked by hand kept for the next visit.
// Usage: node language_test.mjs --site DIR
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { parseArgs } from 'node:util';
import { launchChromium, serveSite } from './browser.mjs';

const { values: paths } = parseArgs({ options: { site: { type: 'string' } } });
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

let server;
let browser;

before(async () => {
  server = await serveSite(paths.site);
  browser = await launchChromium();
});

after(async () => {
  await browser?.close();
  server?.close();
});

// The page shows its texts once its language's translations have come.
function textsShown(page, start) {
  return page.waitForFunction((text) => !document.getElementById('texts').hidden &&
    document.getElementById('start').textContent === text, { timeout: 10000, polling: 20 }, start);
}

// What the page shows: its language and direction, the texts a reader meets
// first, the Start button's edges, and whether it is wider than the screen.
function shown(page) {
  return page.evaluate(() => {
    const start = document.getElementById('start').getBoundingClientRect();
    return {
      lang: document.documentElement.lang,
      dir: document.documentElement.dir,
      warning: document.getElementById('warning').textContent,
      start: document.getElementById('start').textContent,
      end: document.getElementById('end').textContent,
      status: document.getElementById('status').textContent,
      description: document.querySelector('meta[name="description"]').content,
      startEdges: { left: Math.round(start.left), right: Math.round(start.right) },
      pageWidth: document.documentElement.scrollWidth,
      frames: window.flight.frames,
    };
  });
}

// The page opened on a phone by a Chromium whose language is `language`,
// once the flight's program is loaded and waiting for Start.
async function openIn(language) {
  const chromium = await launchChromium([`--lang=${language}`, `--accept-lang=${language}`]);
  const page = await chromium.newPage();
  await page.setViewport(PHONE);
  await page.goto(`${server.url}index.html`);
  await page.waitForFunction(() => document.title === 'Sdl Test', { timeout: 30000, polling: 20 });
  await new Promise((resolve) => setTimeout(resolve, 1000));
  return { chromium, page };
}

test('Japanese and Arabic Chromium: the warning and buttons in that language before any frame, on a phone', async () => {
  const expected = {
    ja: { lang: 'ja', dir: 'ltr', start: 'フライト開始', end: 'フライト終了',
      warning: ['光の点滅', '画像全体', '1 秒間に 3 回を超える', '光過敏性てんかん',
        '点滅する光の影響を受ける方は見ないでください', 'Esc または「フライト終了」ですぐに止まります'],
      status: '警告を読んでから「フライト開始」を押すと飛び始めます。', description: /^結び目の形をした/,
      startEdge: ['left', 16] },
    ar: { lang: 'ar', dir: 'rtl', start: 'بدء الرحلة', end: 'إنهاء الرحلة',
      warning: ['ضوء وامض', 'الصورة كلها', 'أكثر من 3 مرات في الثانية', 'الصرع الحساس للضوء',
        'تتأثر بالضوء الوامض', 'يوقفها Esc أو «إنهاء الرحلة» فورًا'],
      status: 'اقرأ التحذير، ثم اضغط «بدء الرحلة» لتنطلق.', description: /^رحلة سريعة/,
      startEdge: ['right', 374] },
  };
  for (const [language, want] of Object.entries(expected)) {
    const { chromium, page } = await openIn(language);
    try {
      await textsShown(page, want.start);
      const got = await shown(page);
      assert.deepEqual([got.lang, got.dir, got.start, got.end, got.status, got.frames],
        [want.lang, want.dir, want.start, want.end, want.status, 0], language);
      for (const words of want.warning) assert.ok(got.warning.includes(words), `${language}: ${words}`);
      assert.match(got.description, want.description);
      // The Start button stands where a line starts: at the right in Arabic.
      const [edge, at] = want.startEdge;
      assert.equal(got.startEdges[edge], at, `${language}: Start button's ${edge} edge`);
      assert.ok(got.pageWidth <= 390, `${language}: ${got.pageWidth} pixels wide`);
    } finally {
      await chromium.close();
    }
  }
});

test('the first of the browser\'s languages that the page has, by the language alone; English otherwise', async () => {
  const cases = [
    ['pt-BR', 'pt-BR'], ['pt-PT,en', 'pt-BR'], ['zh-CN', 'zh-CN'], ['zh-Hans-SG', 'zh-CN'],
    ['zh-TW,ja', 'ja'], ['zh-Hant,en-GB,fr', 'en'], ['nl,de-AT,fr', 'de'], ['ko', 'en'],
  ];
  const page = await browser.newPage();
  const session = await page.createCDPSession();
  const userAgent = await browser.userAgent();
  for (const [acceptLanguage, lang] of cases) {
    await session.send('Emulation.setUserAgentOverride', { userAgent, acceptLanguage });
    await page.goto(`${server.url}index.html`);
    assert.equal(await page.evaluate(() => document.documentElement.lang), lang, acceptLanguage);
  }
  await page.close();
});

test('every language fits a 390-pixel-wide phone; one picked by hand is kept over a reload', async () => {
  const page = await browser.newPage();
  await page.setViewport(PHONE);
  await page.goto(`${server.url}index.html`);
  const menu = await page.$$eval('#language option', (options) => options.map((o) => [o.value, o.text, o.lang]));
  assert.deepEqual(menu, [['en', 'English', 'en'], ['ar', 'العربية', 'ar'], ['de', 'Deutsch', 'de'],
    ['es', 'Español', 'es'], ['fr', 'Français', 'fr'], ['it', 'Italiano', 'it'], ['ja', '日本語', 'ja'],
    ['pt_BR', 'Português (Brasil)', 'pt-BR'], ['zh_CN', '简体中文', 'zh-CN']]);
  const starts = ['Start flight', 'بدء الرحلة', 'Flug starten', 'Iniciar vuelo', 'Lancer le vol',
    'Avvia volo', 'フライト開始', 'Iniciar voo', '开始飞行'];
  for (const [i, [code]] of menu.entries()) {
    await page.select('#language', code);
    await textsShown(page, starts[i]);
    const { pageWidth } = await shown(page);
    assert.ok(pageWidth <= 390, `${code}: ${pageWidth} pixels wide`);
  }

  // The status line follows the language, and the choice outlives the page.
  await page.select('#language', 'de');
  await textsShown(page, 'Flug starten');
  assert.equal((await shown(page)).status,
    'Lesen Sie die Warnung und drücken Sie dann „Flug starten“, um zu fliegen.');
  await page.reload();
  await textsShown(page, 'Flug starten');
  const got = await shown(page);
  assert.deepEqual([got.lang, got.start, await page.$eval('#language', (e) => e.value)],
    ['de', 'Flug starten', 'de']);
  await page.close();
});
