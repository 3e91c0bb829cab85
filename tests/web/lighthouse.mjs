// SPDX-License-Identifier: MIT
// Lighthouse on the site as a phone opens it (Lighthouse's own mobile
// emulation and throttling): 100 in accessibility, best practices and SEO,
// in English and in Arabic, the language read right to left. Performance
// is a timing, which on a machine shared with other work varies from run
// to run (as Lighthouse's own documentation warns): it is shown, not
// asserted, as speed is measured by the benchmarks (its median over runs
// by scripts/bench-web) and never by a test.
// Usage: node lighthouse.mjs --site DIR
import assert from 'node:assert/strict';
import { test } from 'node:test';
import { parseArgs } from 'node:util';
import { lighthouseScores, withSite } from './browser.mjs';

const { values: paths } = parseArgs({ options: { site: { type: 'string' } } });
const site = withSite(paths.site, false);

const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];
for (const language of ['en-US', 'ar']) {
  test(`${language} on a phone: 100 in accessibility, best practices and SEO`, async () => {
    const { performance, ...got } = await lighthouseScores(`${site.url}index.html`, language, CATEGORIES);
    assert.ok(performance > 0);
    assert.deepEqual(got, { accessibility: 100, 'best-practices': 100, seo: 100 });
  });
}
