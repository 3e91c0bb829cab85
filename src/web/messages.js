// SPDX-License-Identifier: MIT
// Every text of the page, in English. xgettext reads the _() calls here into
// po/tubeflight.pot (po/POTFILES.in); the build puts each language's
// translations (po/LL.po) into the page beside this file (cmake/web.cmake).
// {name} stands for a value that the page puts in; <kbd> and <strong> are
// the only markup a text may hold.
'use strict';

function pageTexts(_) {
  return {
    // TRANSLATORS: the name of this language, written in it ("Deutsch",
    // "日本語"): the page's language menu lists each language by it.
    languageName: _('English'),
    // TRANSLATORS: the label of the page's language menu.
    language: _('Language'),
    // TRANSLATORS: the page's description for search engines.
    description: _('A fast flight through a knotted, colour-banded tube, drawn with WebGL ' +
                   'in your browser. It flashes: read the warning before you start it.'),
    // TRANSLATORS: "End flight" and "Full screen" are the page's buttons; quote
    // them as they are translated. Keep <kbd>…</kbd> around the keys' names.
    keys: _('A flight through a knotted, colour-banded tube. <kbd>Escape</kbd> or ' +
            '“End flight” ends it; <kbd>F</kbd> or “Full screen” shows it on the whole ' +
            'screen, where the first <kbd>Escape</kbd> leaves full screen and a second ' +
            'one ends the flight.'),
    // TRANSLATORS: the warning shown before the flight can be started. It must
    // say all of this: the flashing over the whole picture, more than three
    // times a second; not to watch with photosensitive epilepsy or when
    // otherwise affected by flashing light; and how to stop it. Keep <strong>
    // and <kbd> around the same words.
    warning: _('<strong>Warning: flashing light.</strong> The flight flashes fast over the ' +
               'whole picture: high-contrast bands of black, white, blue and yellow rush ' +
               'past, more than 3 times a second. Do not watch it if you have ' +
               'photosensitive epilepsy or are otherwise affected by flashing light. ' +
               '<kbd>Escape</kbd> or “End flight” stops it at once.'),
    reducedMotion: _('Your system asks for reduced motion: the flight is nothing but fast ' +
                     'motion, and nothing moves unless you start it.'),
    start: _('Start flight'),
    fullScreen: _('Full screen'),
    end: _('End flight'),
    // TRANSLATORS: what a screen reader says of the picture of the flight.
    canvas: _('The flight through the tube'),
    loading: _('Loading…'),
    readWarning: _('Read the warning, then press “Start flight” to fly.'),
    starting: _('Starting…'),
    flying: _('Flying. Press Escape or “End flight” to end the flight.'),
    // TRANSLATORS: {frame} is the number of the last frame drawn.
    ended: _('The flight has ended at frame {frame}. Reload the page to start it again.'),
    // TRANSLATORS: {frame} is a frame number; keep "#frame={frame}" as it is.
    still: _('Frame {frame} of the flight, held here. Open the page without ' +
             '#frame={frame} to fly on.'),
    // TRANSLATORS: {value} is what the page's link holds after "#frame=".
    badLink: _('The link’s “{value}” is not a frame number (a whole number from 1 to ' +
               '999999999), so the flight runs from the start.'),
    noFullScreen: _('The browser did not allow full screen.'),
    lostFlying: _('The display was lost (the browser took back its WebGL context) and the ' +
                  'flight has stopped at frame {frame}. It goes on from there when the ' +
                  'browser gives the display back.'),
    lostEnded: _('The display was lost (the browser took back its WebGL context) and the ' +
                 'flight has stopped. It shows frame {frame} again when the browser gives ' +
                 'the display back.'),
    noWebgl: _('The flight could not start: this browser offers no WebGL.'),
    loadFailed: _('The flight could not be loaded or has stopped on an error.'),
    // TRANSLATORS: keep "python3 -m http.server" as it is.
    fromFile: _('This browser does not run the flight from a file. Serve this folder over ' +
                'HTTP (for example with python3 -m http.server in it) and open it from ' +
                'there.'),
    scriptMissing: _('tubeflight-web.js could not be loaded.'),
  };
}
