// SPDX-License-Identifier: MIT
// Lighthouse on the site as a phone opens it (Lighthouse's own mobile
// emulation and throttling): 100 in accessibility, best practices and SEO,
// in English and in Arabic, the language read right to left. Performance
// is a timing, which on a machine shared with other work varies from run
// to run (as Lighthouse's own documentation warns): it is shown, not
// asserted, as speed is measured by the benchmarks and never by a test.
// Usage: node lighthouse.mjs --site DIR
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { parseArgs } from 'node:util';
import lighthouse from 'lighthouse';
import { launchChromium, serveSite } from './browser.mjs';

const { values: paths } = parseArgs({ options: { site: { type: 'string' } } });
let server;

before(async () => {
  server = await serveSite(paths.site);
});

after(() => server?.close());

// Lighthouse's scores (0 to 100) for `categories` on the page opened by a
// Chromium in `language`, and the audits that cost points, by name.
async function scores(language, categories) {
  // The page takes its language from the browser's, as a visitor's would
  // (headless Chromium takes it from --accept-lang).
  const browser = await launchChromium([`--lang=${language}`, `--accept-lang=${language}`]);
  try {
    const port = Number(new URL(browser.wsEndpoint()).port);
    const { lhr } = await lighthouse(`${server.url}index.html`,
      { port, logLevel: 'error', onlyCategories: categories });
    assert.equal(lhr.runtimeError, undefined);
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

const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];
for (const language of ['en-US', 'ar']) {
  test(`${language} on a phone: 100 in accessibility, best practices and SEO`, async () => {
    const { performance, ...got } = await scores(language, CATEGORIES);
    assert.ok(performance > 0);
    assert.deepEqual(got, { accessibility: 100, 'best-practices': 100, seo: 100 });
  });
}
