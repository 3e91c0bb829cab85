// SPDX-License-Identifier: MIT
// Lighthouse 12's scores for the site as a phone opens it (its own mobile
// emulation and throttling), in English and in Arabic, over RUNS runs of
// each, as Lighthouse's documentation advises for a timing that varies from
// run to run: every run's scores, then each category's median. A run takes
// some 15 s.
// Usage: node lighthouse_bench.mjs --site DIR [--runs N]  (default 5)
import { parseArgs } from 'node:util';
import { lighthouseScores, median, serveSite } from '../tests/web/browser.mjs';

const { values: options } = parseArgs({
  options: { site: { type: 'string' }, runs: { type: 'string', default: '5' } },
});
const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];

const server = await serveSite(options.site);
try {
  for (const language of ['en-US', 'ar']) {
    const runs = [];
    for (let run = 0; run < Number(options.runs); ++run) {
      runs.push(await lighthouseScores(`${server.url}index.html`, language, CATEGORIES));
    }
    const medians = CATEGORIES.map((id) => `${id} ${median(runs.map((scores) => scores[id]))}`);
    console.log(`${language}, median of ${runs.length} runs: ${medians.join(', ')}`);
  }
} finally {
  server.close();
}
