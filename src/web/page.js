// SPDX-License-Identifier: MIT
// The page's own behaviour: its language and texts, the status line, the
// Start, Full screen and End buttons and keys, and the program loaded and
// told of them (Module) when the flight is asked for. messages.js, loaded
// before it, gives the texts and `languageNames`.
'use strict';
const canvas = document.getElementById('canvas');
const stage = document.getElementById('stage');
const fullScreenButton = document.getElementById('fullscreen');
const endButton = document.getElementById('end');
const statusLine = document.getElementById('status');
const startButton = document.getElementById('start');
// index.html#frame=N: frame N alone, held on the canvas, with no start.
const frameLink = /^#frame=(.*)$/s.exec(location.hash);
const still = frameLink && /^0*([1-9][0-9]{0,8})$/.exec(frameLink[1]);
const linkNote = [];
if (frameLink && !still) {
  let value = frameLink[1];
  try { value = decodeURIComponent(value); } catch { /* shown as it is */ }
  if (value.length > 40) value = value.slice(0, 40) + '…';
  linkNote.push(['badLink', { value }]);
}

// The page's language: the one picked in its menu on an earlier visit, else
// the first of the browser's languages that the page has, by the language
// alone (pt-BR and pt-PT take pt_BR, zh-CN and zh-Hans zh_CN), except
// Chinese in traditional characters; else English. `languageNames` (each
// language's name for itself) is written into messages.js by the build,
// and messages/LL.json holds the translations of po/LL.po.
const LANGUAGES = ['en', ...Object.keys(languageNames)];
const RIGHT_TO_LEFT = ['ar', 'fa', 'he', 'ur'];
const TRADITIONAL_CHINESE = ['hant', 'tw', 'hk', 'mo'];
function browserLanguage() {
  for (const tag of navigator.languages) {
    const [primary, ...rest] = tag.toLowerCase().split(/[-_]/);
    if (primary === 'zh' && !rest.includes('hans') &&
        rest.some((subtag) => TRADITIONAL_CHINESE.includes(subtag))) continue;
    const found = LANGUAGES.find((code) => code.split('_')[0] === primary);
    if (found) return found;
  }
  return 'en';
}
function storedLanguage() {
  try { return localStorage.getItem('tubeflight-language'); } catch { return null; }
}

let texts = pageTexts((english) => english);
// The status line as the parts it says, each a text's name or [name,
// values]: said again in another language when the language changes.
let status = [];

// `text` into `element`, its <kbd> and <strong> as elements.
function fill(element, text) {
  const nodes = [];
  let from = 0;
  for (const match of text.matchAll(/<(kbd|strong)>(.*?)<\/\1>/g)) {
    const node = document.createElement(match[1]);
    node.textContent = match[2];
    nodes.push(text.slice(from, match.index), node);
    from = match.index + match[0].length;
  }
  element.replaceChildren(...nodes, text.slice(from));
}

// Sets the page's language at once and its texts when they have come; the
// promise resolves then. A language that cannot be fetched shows in English.
let wantedLanguage = null;
function setLanguage(code) {
  wantedLanguage = code;
  languageMenu.value = code;
  const html = document.documentElement;
  html.lang = code.replace('_', '-');
  html.dir = RIGHT_TO_LEFT.includes(code.split('_')[0]) ? 'rtl' : 'ltr';
  const catalogue = code === 'en' ? Promise.resolve({})
    : fetch(`messages/${code}.json`).then((response) => response.json());
  return catalogue.catch(() => {
    [html.lang, html.dir] = ['en', 'ltr'];
    return {};
  }).then((translations) => {
    if (wantedLanguage !== code) return;
    texts = pageTexts((english) => translations[english] || english);
    document.querySelector('meta[name="description"]').content = texts.description;
    for (const element of document.querySelectorAll('[data-text]')) {
      fill(element, texts[element.dataset.text]);
    }
    canvas.setAttribute('aria-label', texts.canvas);
    say(...status);
    document.getElementById('texts').hidden = false;
  });
}

const languageMenu = document.getElementById('language');
for (const code of LANGUAGES) {
  const option = new Option(languageNames[code] ?? 'English', code);
  option.lang = code.replace('_', '-');
  languageMenu.add(option);
}
languageMenu.addEventListener('change', () => {
  try { localStorage.setItem('tubeflight-language', languageMenu.value); } catch { /* this visit only */ }
  setLanguage(languageMenu.value);
});

// How far the flight has got, for anyone who looks (the tests do).
// Times are performance.now() milliseconds since the page was opened.
window.flight = {
  frames: 0, firstFrameMs: null, lastFrameMs: null,
  ended: false, endedByEscape: false, failed: false, lost: false,
};

function say(...parts) {
  status = parts;
  statusLine.textContent = parts.map((part) => {
    const [name, values] = typeof part === 'string' ? [part, {}] : part;
    return texts[name].replace(/\{(\w+)\}/g, (_, value) => values[value]);
  }).join(' ');
}

function fail(name) {
  window.flight.failed = true;
  startButton.disabled = true;
  say(name);
}

// The program could not be loaded, or stopped on an error.
function loadFailed() {
  if (location.protocol === 'file:') {
    fail('fromFile');
  } else {
    fail('loadFailed');
  }
}

// The flight's SDL listens for keys here, not on the canvas: the page hands
// it Escape alone, so that Tab, reload and the browser's other shortcuts
// keep working while the canvas has the focus.
const flightKeys = {};
function passEscape(type) {
  flightKeys[type]?.({ type, keyCode: 27, preventDefault() {} });
}

// The program is fetched and run only when the flight is asked for: a page
// that is being read runs nothing, and makes no WebGL context, which holds
// up the page for a moment.
function loadProgram() {
  const program = document.createElement('script');
  program.src = 'tubeflight-web.js';
  program.onerror = () => fail('scriptMissing');
  document.body.append(program);
}

// The flight starts only when the person has read the warning and pressed
// “Start flight” (Enter, Space, a click or a touch).
function startFlight() {
  startButton.hidden = true;
  say(...linkNote, 'starting');
  canvas.focus();
  loadProgram();
}

function toggleFullScreen() {
  if (document.fullscreenElement) {
    document.exitFullscreen();
  } else {
    stage.requestFullscreen().then(() => canvas.focus(),
      () => say('noFullScreen'));
  }
}

var Module = {
  canvas: canvas,
  keyboardListeningElement: { addEventListener(type, listener) { flightKeys[type] = listener; } },
  arguments: still ? [still[1]] : [],
  print: (text) => console.log(text),
  printErr: (text) => console.warn(text),

  flightFrame(frame) {
    const now = performance.now();
    window.flight.frames = frame;
    window.flight.lastFrameMs = now;
    if (window.flight.firstFrameMs === null) {
      window.flight.firstFrameMs = now;
      fullScreenButton.disabled = false;
      endButton.disabled = false;
      say(...linkNote, 'flying');
    }
  },

  flightEnded(frame, byEscape) {
    Object.assign(window.flight, { ended: true, endedByEscape: byEscape === 1 });
    endButton.disabled = true;
    if (byEscape === 1) {
      say(['ended', { frame }]);
    } else {
      say(['still', { frame }]);
    }
    canvas.blur();
  },

  flightFailed() {
    fail('noWebgl');
  },

  onAbort: loadFailed,
};

canvas.addEventListener('keydown', (event) => {
  if (window.flight.frames === 0 || event.ctrlKey || event.altKey || event.metaKey) return;
  if (event.key === 'Escape') {
    event.preventDefault();
    // Browsers take the first Escape in full screen themselves; one that
    // still reaches the page leaves full screen too.
    if (document.fullscreenElement) document.exitFullscreen();
    else passEscape('keydown');
  } else if (event.key === 'f' || event.key === 'F') {
    event.preventDefault();
    toggleFullScreen();
  }
});
canvas.addEventListener('keyup', (event) => {
  if (event.key === 'Escape') passEscape('keyup');
});
fullScreenButton.hidden = !document.fullscreenEnabled;
fullScreenButton.addEventListener('click', toggleFullScreen);
endButton.addEventListener('click', () => {
  passEscape('keydown');
  passEscape('keyup');
});
// The flight takes no pointer input. Emscripten's SDL would take the
// canvas's mouse, wheel and touch events and prevent their defaults, so that
// the page could not be scrolled over the flight nor the canvas focused by
// a click: they stop here instead.
for (const type of ['mousedown', 'mouseup', 'mousemove', 'mouseout', 'wheel', 'mousewheel',
                    'DOMMouseScroll', 'touchstart', 'touchmove', 'touchend']) {
  stage.addEventListener(type, (event) => event.stopPropagation(), { capture: true, passive: true });
}
// A lost WebGL context takes the flight's shader and buffer with it. The
// flight waits, and when the browser gives a context back, it builds them
// again and flies on from the frame it had reached. A still (#frame=N)
// held on the canvas is drawn no more, so the page loads it again.
let statusBeforeLoss = [];
canvas.addEventListener('webglcontextlost', (event) => {
  event.preventDefault(); // asks the browser for the context back
  if (window.flight.endedByEscape) return;
  window.flight.lost = true;
  statusBeforeLoss = status;
  endButton.disabled = true;
  const frame = window.flight.frames;
  say([window.flight.ended ? 'lostEnded' : 'lostFlying', { frame }]);
});
canvas.addEventListener('webglcontextrestored', () => {
  if (!window.flight.lost) return;
  if (window.flight.ended) {
    location.reload();
    return;
  }
  window.flight.lost = false;
  endButton.disabled = window.flight.frames === 0;
  say(...statusBeforeLoss);
});

// A browser that refuses to fetch the .wasm into a file:// page leaves the
// program's loader waiting without a word: ask first.
if (location.protocol === 'file:') {
  fetch('tubeflight-web.wasm').catch(loadFailed);
}
window.addEventListener('hashchange', () => location.reload());
startButton.addEventListener('click', startFlight);
if (still) {
  startButton.hidden = true;
  say('loading');
  loadProgram();
} else {
  say(...linkNote, 'readWarning');
}
setLanguage(LANGUAGES.includes(storedLanguage()) ? storedLanguage() : browserLanguage())
  .then(() => window.flight.ended || (still ? canvas : startButton).focus());

// Emscripten's SDL hands the program a quit event as the page goes, from an
// unload listener, which browsers are dropping and which keeps a page out of
// their back/forward cache: it gets that event on pagehide instead.
const addWindowListener = window.addEventListener.bind(window);
window.addEventListener = (type, listener, options) => (type === 'unload'
  ? addWindowListener('pagehide', () => listener({ type: 'unload' }))
  : addWindowListener(type, listener, options));
