// SPDX-License-Identifier: MIT
// The page in the reader's language, in Debian's headless Chromium: taken
// from the browser's languages, warning and buttons translated before
// anything moves, Arabic right to left, every language on a 390-pixel-wide
// phone, and a language picked by hand kept for the next visit.
// Usage: node language_test.mjs --site DIR
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { parseArgs } from 'node:util';
import { launchChromium, withSite } from './browser.mjs';

const { values: paths } = parseArgs({ options: { site: { type: 'string' } } });
const PHONE = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

const site = withSite(paths.site);

// Waits until the page shows its texts with `start` on the Start button;
// resolves with what a reader meets first and how wide the page is.
async function shown(page, start) {
  await page.waitForFunction((text) => !document.getElementById('texts').hidden &&
    document.getElementById('start').textContent === text, { timeout: 10000, polling: 20 }, start);
  return page.evaluate(() => {
    const text = (id) => document.getElementById(id).textContent;
    return {
      html: [document.documentElement.lang, document.documentElement.dir],
      texts: [text('warning'), text('end'), text('status'),
        document.querySelector('meta[name="description"]').content],
      startEdges: ['left', 'right'].map((edge) => document.getElementById('start').getBoundingClientRect()[edge]),
      width: document.documentElement.scrollWidth,
      frames: window.flight.frames,
    };
  });
}

test('Japanese and Arabic Chromium: the warning and buttons in that language before any frame, on a phone', async () => {
  const expected = {
    ja: { html: ['ja', 'ltr'], start: 'フライト開始', startEdge: [0, 16], texts: [
      /光の点滅.*画像全体が速く点滅.*1 秒間に 3 回を超える.*光過敏性てんかんのある方や、その他点滅する光の影響を受ける方は見ないでください。Esc または「フライト終了」ですぐに止まります。$/,
      /^フライト終了$/, /^警告を読んでから「フライト開始」を押すと/, /^結び目の形をした/] },
    ar: { html: ['ar', 'rtl'], start: 'بدء الرحلة', startEdge: [1, 374], texts: [
      /ضوء وامض.*على الصورة كلها.*أكثر من 3 مرات في الثانية.*لا تشاهدها إذا كنت مصابًا بالصرع الحساس للضوء أو كنت تتأثر بالضوء الوامض بأي شكل آخر. يوقفها Esc أو «إنهاء الرحلة» فورًا.$/,
      /^إنهاء الرحلة$/, /^اقرأ التحذير، ثم اضغط «بدء الرحلة»/, /^رحلة سريعة/] },
  };
  for (const [language, want] of Object.entries(expected)) {
    const chromium = await launchChromium([`--lang=${language}`, `--accept-lang=${language}`]);
    try {
      const page = await chromium.newPage();
      await page.setViewport(PHONE);
      await page.goto(`${site.url}index.html`);
      const got = await shown(page, want.start);
      assert.deepEqual([got.html, got.frames], [want.html, 0], language);
      want.texts.forEach((pattern, i) => assert.match(got.texts[i], pattern, language));
      // The Start button stands where a line starts: at the right in Arabic.
      assert.equal(Math.round(got.startEdges[want.startEdge[0]]), want.startEdge[1], language);
      assert.ok(got.width <= 390, `${language}: ${got.width} pixels wide`);
    } finally {
      await chromium.close();
    }
  }
});

test('the first of the browser\'s languages that the page has, by the language alone; English otherwise', async () => {
  const page = await site.browser.newPage();
  const session = await page.createCDPSession();
  const userAgent = await site.browser.userAgent();
  for (const [acceptLanguage, lang] of [['pt-BR', 'pt-BR'], ['pt-PT,en', 'pt-BR'], ['zh-CN', 'zh-CN'],
    ['zh-Hans-SG', 'zh-CN'], ['zh-TW,ja', 'ja'], ['zh-Hant,en-GB,fr', 'en'], ['nl,de-AT', 'de'], ['ko', 'en']]) {
    await session.send('Emulation.setUserAgentOverride', { userAgent, acceptLanguage });
    await page.goto(`${site.url}index.html`);
    assert.equal(await page.evaluate(() => document.documentElement.lang), lang, acceptLanguage);
  }
  await page.close();
});

test('every language fits a 390-pixel-wide phone; one picked by hand is kept over a reload', async () => {
  const page = await site.browser.newPage();
  await page.setViewport(PHONE);
  await page.goto(`${site.url}index.html`);
  const menu = await page.$$eval('#language option', (options) => options.map((o) => [o.value, o.text, o.lang]));
  const starts = ['Start flight', 'بدء الرحلة', 'Flug starten', 'Iniciar vuelo', 'Lancer le vol',
    'Avvia volo', 'フライト開始', 'Iniciar voo', '开始飞行'];
  assert.deepEqual(menu, [['en', 'English', 'en'], ['ar', 'العربية', 'ar'], ['de', 'Deutsch', 'de'],
    ['es', 'Español', 'es'], ['fr', 'Français', 'fr'], ['it', 'Italiano', 'it'], ['ja', '日本語', 'ja'],
    ['pt_BR', 'Português (Brasil)', 'pt-BR'], ['zh_CN', '简体中文', 'zh-CN']]);
  for (const [i, [code]] of menu.entries()) {
    await page.select('#language', code);
    const { width } = await shown(page, starts[i]);
    assert.ok(width <= 390, `${code}: ${width} pixels wide`);
  }
  // The status line follows the language, and the choice outlives the page.
  await page.select('#language', 'de');
  assert.equal((await shown(page, 'Flug starten')).texts[2],
    'Lesen Sie die Warnung und drücken Sie dann „Flug starten“, um zu fliegen.');
  await page.reload();
  assert.deepEqual((await shown(page, 'Flug starten')).html, ['de', 'ltr']);
  await page.close();
});
