// SPDX-License-Identifier: MIT
// Lighthouse's four categories on the site as a phone opens it (Lighthouse's
// own mobile emulation and throttling), in English and in Arabic, the
// language read right to left: each must score 100.
// Usage: node lighthouse.mjs --site DIR
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { parseArgs } from 'node:util';
import lighthouse from 'lighthouse';
import { launchChromium, serveSite } from './browser.mjs';

const { values: paths } = parseArgs({ options: { site: { type: 'string' } } });
const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];

let server;

before(async () => {
  server = await serveSite(paths.site);
});

after(() => server?.close());

for (const language of ['en-US', 'ar']) {
  test(`Lighthouse scores 100 in every category for a phone in ${language}`, async () => {
    // The page takes its language from the browser's, as a visitor's would
    // (headless Chromium takes it from --accept-lang).
    const browser = await launchChromium([`--lang=${language}`, `--accept-lang=${language}`]);
    try {
      const port = Number(new URL(browser.wsEndpoint()).port);
      const { lhr } = await lighthouse(`${server.url}index.html`,
        { port, logLevel: 'error', onlyCategories: CATEGORIES });
      assert.equal(lhr.runtimeError, undefined);
      const scores = Object.fromEntries(CATEGORIES.map((id) => [id, lhr.categories[id].score * 100]));
      console.log(`${language}: ${JSON.stringify(scores)}`);
      // The audits that cost points, by name, for the message.
      const failing = CATEGORIES.flatMap((id) => lhr.categories[id].auditRefs)
        .filter((ref) => ref.weight > 0 && lhr.audits[ref.id].score !== null && lhr.audits[ref.id].score < 1)
        .map((ref) => `${ref.id} (${lhr.audits[ref.id].score})`);
      assert.deepEqual(scores, { performance: 100, accessibility: 100, 'best-practices': 100, seo: 100 },
        `audits below full marks: ${failing.join(', ')}`);
    } finally {
      await browser.close();
    }
  });
}
