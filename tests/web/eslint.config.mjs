// SPDX-License-Identifier: MIT
// ESLint's recommended rules over every JavaScript file of the tree, run
// from the top of the tree by the unit test Lint.JavaScript
// (tests/scripts/CMakeLists.txt). Each file gets the globals of where it
// runs.
import js from '@eslint/js';
import globals from 'globals';

// The page's own top-level names shadow window.status and any Module.
const page = Object.fromEntries(Object.entries(globals.browser).filter(([name]) => name !== 'status'));

export default [
  js.configs.recommended,
  {
    // Node.js, and the functions they hand to the page to run there.
    files: ['**/*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
  {
    // Classic scripts of the page, loaded in order by index.html: what one
    // defines at the top level, the next uses; the build writes
    // languageNames at the end of messages.js.
    files: ['src/web/page.js', 'src/web/messages.js'],
    languageOptions: { sourceType: 'script', globals: page },
    rules: { 'no-unused-vars': ['error', { vars: 'local' }] },
  },
  {
    files: ['src/web/page.js'],
    languageOptions: { globals: { pageTexts: 'readonly', languageNames: 'readonly' } },
  },
  {
    // An Emscripten --js-library: mergeInto, the library's own $names (used
    // without the $) and the runtime's.
    files: ['src/web/gl_layer.js'],
    languageOptions: {
      sourceType: 'script',
      globals: { ...page, mergeInto: 'readonly', LibraryManager: 'readonly', GL: 'readonly',
        webglLayer: 'readonly', HEAPF32: 'readonly', abort: 'readonly' },
    },
  },
];
