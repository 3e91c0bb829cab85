#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the Windows executables and their packages under Wine.

Runs on an X display (scripts/with-xvfb gives a private one) and starts
openbox on it: Wine gives keys only to an activated window. Every Wine
prefix is private, under the build tree, and asks for no download.

  windows_test.py flight EXE --prefix DIR --linux-exe EXE --probe LIB --send-wm-delete EXE
      the windowed program: a 640x480 window titled "Sdl Test", then the
      title line; the Linux build's frames; 62.5 frames a second, from
      Wine's own trace of the buffer swaps; a close request and a moving
      pointer do nothing; Escape ends it with status 0; the end of the
      session ends it with STATUS_CONTROL_C_EXIT
  windows_test.py fullscreen EXE --prefix DIR
      the full-screen program covers the screen, flies at 62.5 frames a
      second and gives the screen back when it ends
  windows_test.py packages ZIP INSTALLER --prefix DIR --version VERSION
      the zip's programs run from any folder, its README.txt warns in every
      language; a silent install into a fresh prefix flies, and a silent
      uninstall leaves the prefix as it was; so do installs through the
      installer's pages in German (chosen in its language dialog, which
      offers the nine languages), Arabic and Chinese (remembered from an
      earlier install), each with the warning in that language
"""
import argparse
import getpass
import os
import re
import shutil
import signal
import subprocess
import sys
import threading
import time
import zipfile

TITLE = 'tubeflight - flying through the knot tube (Escape quits)'
FIRST_TITLE = 'Sdl Test'
FRAME_BYTES = 640 * 480 * 3
# As the browser test: two rasterisers may decide a few edge pixels
# differently; one step of the flight moves far more than this.
LEVEL = 16
MAX_PIXELS_OVER_LEVEL = 100
# Rounds of the pace's measure, while the machine's load slows it.
PACE_ROUNDS = 5
# STATUS_CONTROL_C_EXIT (0xC000013A) as Wine's process reports it: its low byte.
STOPPED_STATUS = 0x3A
SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts')
STORM = os.path.join(SCRIPTS, 'lib', 'storm.sh')
WINE_RUN = os.path.join(SCRIPTS, 'wine-run')
# Wine's traces of the program's calls: the buffer swaps of its WGL driver,
# timestamped in milliseconds (+timestamp,+wgl), and the window texts set
# (+win).
SWAP = re.compile(r'^(\d+)\.(\d{3}):(?:[0-9a-f]+:)+trace:wgl:\w*SwapBuffers')
TEXT = re.compile(r'trace:win:set_window_text L"([^"]*)"')
# The items of a list or a combo box's list (+listbox).
ITEM = re.compile(r'trace:listbox:\w+ \[\w+\]: added item \d+ L"([^"]*)"')
# Wine's escapes in a traced text: \\, \", \n, \r, \t and \XXXX for a
# character beyond ASCII.
ESCAPE = re.compile(r'\\(\\|"|n|r|t|[0-9a-f]{4})')
# What Wine writes on the standard error of a program that crashed, before it
# starts its debugger (which leaves keys of its own in the registry).
CRASH = 'wine: Unhandled'

failures = []
held = None  # while a round may be tried again: its checks, not yet reported


def traced_text(text):
    plain = {'\\': '\\', '"': '"', 'n': '\n', 'r': '\r', 't': '\t'}
    return ESCAPE.sub(lambda m: plain.get(m[1]) or chr(int(m[1], 16)), text)


def check(condition, message):
    if held is not None:
        held.append((condition, message))
        return condition
    print(('ok: ' if condition else 'FAILED: ') + message, flush=True)
    if not condition:
        failures.append(message)
    return condition


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True,
                          env={**os.environ, 'LC_ALL': 'C'}, **options).stdout


def until(condition, seconds, step=0.05):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(step)
    return condition()


def screen_size():
    match = re.search(r'dimensions:\s+(\d+)x(\d+) pixels', run('xdpyinfo'))
    return int(match[1]), int(match[2])


def start_window_manager():
    wm = subprocess.Popen(['openbox', '--sm-disable'], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    if not until(lambda: '_NET_SUPPORTING_WM_CHECK(WINDOW)' in run('xprop', '-root'), 10):
        sys.exit('openbox did not start')
    return wm


class Flight:
    """A Windows program under Wine, with its trace read as it comes."""

    def __init__(self, exe, prefix, trace, cwd=None):
        self.prefix = prefix
        self.swaps = []  # milliseconds of Wine's clock, one per swap
        self.arrivals = []  # seconds of this test's clock, as each swap's line came
        self.texts = []  # window texts set, repeats left out
        self.items = []  # items put into lists
        self.crashes = []  # Wine's reports of an unhandled exception
        self.lock = threading.Lock()
        self.process = subprocess.Popen(
            [WINE_RUN, prefix, exe], cwd=cwd,
            env={**os.environ, 'WINEDEBUG': trace or '-all'}, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE, text=True, errors='replace')
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stderr:
            arrival = time.monotonic()
            swap = SWAP.match(line)
            with self.lock:
                if swap:
                    self.swaps.append(int(swap[1]) * 1000 + int(swap[2]))
                    self.arrivals.append(arrival)
                    continue
                if line.startswith(CRASH):
                    self.crashes.append(line.strip())
                text = TEXT.search(line)
                if text and (not self.texts or self.texts[-1] != traced_text(text[1])):
                    self.texts.append(traced_text(text[1]))
                item = ITEM.search(line)
                if item:
                    self.items.append(traced_text(item[1]))

    def frames(self):
        with self.lock:
            return len(self.swaps)

    def window(self, seconds=60):
        """The program's top-level X window, with its title line set."""
        def found():
            if self.process.poll() is not None:
                return None
            return xdotool_search('^tubeflight - flying')
        return until(found, seconds)

    def end_with_escape(self, window):
        press(window, '--clearmodifiers', 'Escape')
        return self.wait(10)

    def wait(self, seconds):
        try:
            return self.process.wait(seconds)
        except subprocess.TimeoutExpired:
            self.kill()
            return None

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        subprocess.run([WINE_RUN, self.prefix, 'wineboot', '--kill'], capture_output=True)


def window_geometry(window):
    info = run('xwininfo', '-id', window)
    field = lambda name: int(re.search(name + r':\s+(-?\d+)', info)[1])
    return (field('Absolute upper-left X'), field('Absolute upper-left Y'),
            field('Width'), field('Height'))


def window_title(window):
    match = re.search(r'= "(.*)"', run('xprop', '-id', window, '_NET_WM_NAME'))
    return match[1] if match else None


def press(window, *key, check=True):
    """Activates `window` (Wine gives keys only to an activated window) and
    sends it `key` (xdotool's arguments)."""
    subprocess.run(['xdotool', 'windowactivate', '--sync', window], capture_output=True)
    subprocess.run(['xdotool', 'key', *key], check=check, capture_output=not check)


def ppm_rgb(ppm):
    """The size and the RGB bytes (rows top first) of a binary PPM."""
    header = re.match(rb'P6\s+(\d+)\s+(\d+)\s+255\s', ppm)
    return (int(header[1]), int(header[2])), ppm[header.end():]


def difference(a, b):
    """Pixels of which a channel differs by more than LEVEL."""
    over = 0
    for i in range(0, min(len(a), len(b)), 3):
        if (abs(a[i] - b[i]) > LEVEL or abs(a[i + 1] - b[i + 1]) > LEVEL
                or abs(a[i + 2] - b[i + 2]) > LEVEL):
            over += 1
    return over


def linux_frames(exe, probe, frames, work):
    """The Linux build's frames, read back by the probe before their swap."""
    env = {**os.environ, 'LD_PRELOAD': probe, 'TUBEFLIGHT_PROBE_FAST_TICKS': '1',
           'TUBEFLIGHT_PROBE_FRAMES': ','.join(map(str, frames)),
           'TUBEFLIGHT_PROBE_DIR': work, 'TUBEFLIGHT_PROBE_STOP_AFTER': str(max(frames))}
    subprocess.run([exe], env=env, timeout=120, capture_output=True)
    images = {}
    for frame in frames:
        with open(os.path.join(work, f'frame-{frame:04d}.ppm'), 'rb') as f:
            images[frame] = ppm_rgb(f.read())[1]
    return images


def check_picture(flight, pid, window, args):
    """Stops the program after a swap, so that the window holds a known
    frame, and compares it with the Linux build's frames of that number."""
    until(lambda: flight.frames() >= 1, 30)
    os.kill(pid, signal.SIGSTOP)
    time.sleep(0.3)  # the trace of the last swap has come in
    shown = flight.frames()
    size, rgb = ppm_rgb(subprocess.run(['import', '-silent', '-window', window, '-depth', '8', 'ppm:-'],
                                       check=True, capture_output=True).stdout)
    os.kill(pid, signal.SIGCONT)
    check(size == (640, 480), f'the picture is 640x480 ({size[0]}x{size[1]})')
    # The last swap seen may be one that had not yet reached the window.
    candidates = [frame for frame in (shown, shown - 1) if frame >= 1]
    reference = linux_frames(args.linux_exe, args.probe, candidates, args.work)
    results = {frame: difference(rgb, reference[frame]) for frame in candidates}
    best = min(results, key=results.get)
    print(f'frame {shown} swapped: pixels differing by more than {LEVEL} from the Linux '
          f'frames: {results}', flush=True)
    check(results[best] <= MAX_PIXELS_OVER_LEVEL,
          f'the window shows the Linux build\'s frame {best} '
          f'({results[best]} pixels differ by more than {LEVEL})')
    if best != shown:
        moved = difference(reference[shown], reference[best])
        print(f'(frame {shown} itself differs from frame {best} in {moved} pixels)')


def check_rate(flight, seconds=8.0):
    """62.5 frames a second, from the trace of the swaps.

    Wine stamps each trace line with a tick count that its server refreshes
    only every 10 to 16 ms: single gaps between stamps say little, but a
    second's worth is right to within one refresh, so the stamps bound the
    rate from above. Each swap's line is read here as the swap begins, so the
    gaps between the lines' arrivals are the frames' own intervals (a line
    read late makes the next look short: at the floor too). Those are held to
    the Linux tests' share of frames at the floor (tests/support/
    flight_checks.cpp says why a tenth; the trace has no swap lengths for
    their other checks), and their median to 16 ms or a busy machine's later
    (17 ms, 21 ms with two cores loaded). Work after the wait misses the floor
    even on an idle machine: under Wine, SDL setting the window's text each
    frame did, and its event pump asking X for the pointer twice a frame. A
    busy host can keep the flight late for a minute: a round that misses is
    measured again, up to PACE_ROUNDS; the bounds from above hold in each.
    """
    second = 62  # intervals in a second at the floor
    for round in range(1, PACE_ROUNDS + 1):
        start = flight.frames()
        time.sleep(seconds)
        with flight.lock:
            stamps = flight.swaps[start:]
            arrivals = flight.arrivals[start:]
        if not check(len(stamps) > 100, f'{len(stamps)} swaps traced in {seconds} s'):
            return
        overall = 1000.0 * (len(stamps) - 1) / (stamps[-1] - stamps[0])
        fastest = min(stamps[i + second] - stamps[i] for i in range(len(stamps) - second))
        intervals = sorted(1000.0 * (b - a) for a, b in zip(arrivals, arrivals[1:]))
        median = intervals[len(intervals) // 2]
        at_floor = sum(1 for interval in intervals if interval < 16.8)
        print(f'round {round}: {len(stamps)} traced swaps over {stamps[-1] - stamps[0]} ms of '
              f'Wine\'s clock: {overall:.2f} frames a second; the fastest {second} intervals '
              f'took {fastest} ms; intervals as the lines came: median {median:.2f} ms, '
              f'{at_floor} of {len(intervals)} at the 16 ms floor (under 16.8 ms)', flush=True)
        check(overall <= 62.6, f'never faster than 62.5 frames a second ({overall:.2f})')
        check(fastest >= second * 16 - 16,
              f'no second faster than 62.5 frames ({second} intervals in {fastest} ms)')
        median_held = 15.5 <= median <= 22.0
        floor_held = at_floor >= len(intervals) // 10
        if (median_held and floor_held) or round == PACE_ROUNDS:
            break
    check(median_held, f'the median interval is 16 ms, or later on a busy machine ({median:.2f})')
    check(floor_held,
          f'a tenth of the frames or more hold the 16 ms floor ({at_floor} of {len(intervals)})')


def open_flight(args):
    """Starts the program under a window manager with its swaps traced:
    the screen's size, the flight and its window, or None."""
    start_window_manager()
    screen = screen_size()
    flight = Flight(args.exe, args.prefix, trace='+timestamp,+wgl')
    window = flight.window()
    if not check(window is not None, 'a window with the title line opened'):
        flight.kill()
        return None
    return screen, flight, window


def test_flight(args):
    opened = open_flight(args)
    if opened is None:
        return
    screen, flight, window = opened
    pid = int(re.search(r'= (\d+)', run('xprop', '-id', window, '_NET_WM_PID'))[1])
    width, height = window_geometry(window)[2:]
    check((width, height) == (640, 480), f'the window is 640x480 ({width}x{height})')
    check(window_title(window) == TITLE, f'its title is the title line: {window_title(window)!r}')

    check_rate(flight)

    check_picture(flight, pid, window, args)

    # The window manager's close request is drained and ignored, and so is
    # the pointer rushing over the window (the input storm's pointer moves);
    # an Escape tap still ends it.
    mover = subprocess.Popen(
        ['bash', '-c', 'source "$0" && storm "$@"', STORM, window, args.send_wm_delete, '60'],
        env={**os.environ, 'STORM_POINTER_ONLY': '1'}, stdout=subprocess.DEVNULL,
        stderr=subprocess.DEVNULL)
    frames = flight.frames()
    subprocess.run([args.send_wm_delete, window], check=True)
    time.sleep(1.0)
    check(flight.process.poll() is None and flight.frames() >= frames + 10,
          f'a close request and a moving pointer change nothing: {flight.frames() - frames} '
          f'frames in 1 s after it')
    status = flight.end_with_escape(window)
    mover.terminate()
    mover.wait()
    check(status == 0, f'Escape ends the flight with status 0, the pointer moving ({status})')
    check(screen_size() == screen, 'the screen is as it was')

    # The titles, as Wine traces the program's calls.
    flight = Flight(args.exe, args.prefix, trace='+win')
    window = flight.window()
    if check(window is not None, 'the flight started again'):
        time.sleep(0.5)
        with flight.lock:
            texts = [text for text in flight.texts if text in (FIRST_TITLE, TITLE)]
        check(texts == [FIRST_TITLE, TITLE],
              f'the window was titled "{FIRST_TITLE}", then the title line: {texts}')
    flight.kill()
    check_session_end(args, args.exe, screen)


def check_session_end(args, exe, screen):
    """Wine's wineboot ends the session as Windows does: WM_QUERYENDSESSION, WM_ENDSESSION."""
    flight = Flight(exe, args.prefix, trace=None)
    window = flight.window()
    if check(window is not None, 'the flight started once more'):
        subprocess.run([WINE_RUN, args.prefix, 'wineboot', '--end-session'], capture_output=True,
                       timeout=60)
        status = flight.wait(10)
        check(status == STOPPED_STATUS,
              f'the end of the session ends the flight with STATUS_CONTROL_C_EXIT ({status})')
        check(screen_size() == screen, 'the screen is as it was')
    flight.kill()


def test_fullscreen(args):
    opened = open_flight(args)
    if opened is None:
        return
    screen, flight, window = opened
    time.sleep(1.0)
    geometry = window_geometry(window)
    check(geometry == (0, 0) + screen, f'it covers the {screen[0]}x{screen[1]} screen: {geometry}')
    check('_NET_WM_STATE_FULLSCREEN' in run('xprop', '-id', window, '_NET_WM_STATE'),
          'the window manager shows it full screen')
    check_rate(flight, 6.0)
    status = flight.end_with_escape(window)
    check(status == 0, f'Escape ends the flight with status 0 ({status})')
    check(screen_size() == screen, 'the screen is as it was')
    left = xdotool_search('^tubeflight')
    check(not left, f'no window of it is left ({left})')
    check_session_end(args, args.exe, screen)


PACKAGE_FILES = ['LICENSE.txt', 'README.txt', 'SDL-LICENSE.txt', 'SDL-SOURCE.txt', 'SDL.dll',
                 'tubeflight-fs.exe', 'tubeflight.exe']
UNINSTALL_KEY = r'[Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tubeflight]'
# README.txt's warning in each language: its first sentence and how to end
# the flight.
README_WARNINGS = {
    'en': ('WARNING: the flight flashes.', 'Escape ends the flight at any moment.'),
    'ar': ('تحذير: الطيران يومض.', 'يوقف مفتاح Esc الطيران في أي لحظة.'),
    'de': ('WARNUNG: Der Flug erzeugt Lichtblitze.', 'Die Escape-Taste (Esc) beendet den Flug jederzeit.'),
    'es': ('ADVERTENCIA: el vuelo produce destellos.',
           'La tecla Escape detiene el vuelo en cualquier momento.'),
    'fr': ('AVERTISSEMENT\u00a0: le vol produit des flashs lumineux.',
           'La touche Échap arrête le vol à tout\r\nmoment.'),
    'it': ('AVVERTENZA: il volo lampeggia.', 'Il tasto Esc termina il volo in\r\nqualsiasi momento.'),
    'ja': ('警告：この飛行映像は点滅します。', 'Escキーでいつでも飛行を終了できます。'),
    'pt_BR': ('AVISO: o voo pisca.', 'A tecla Esc encerra o voo a qualquer\r\nmomento.'),
    'zh_CN': ('警告：飞行画面会闪烁。', '随时按 Esc 键即可结束飞行。'),
}
# The languages the installer's dialog offers, in NSIS's names.
LANGUAGES = ['English', 'العربية', 'Deutsch', 'Español', 'Français', 'Italiano', '日本語',
             'Português Brasileiro', '中文(简体)']
# The installer in a language: Windows' id of it, the start of the warning
# on its last page and the Start-menu entry of the full-screen program.
INSTALLER_TEXTS = {
    'en': ('1033', 'Warning: the flight flashes.', 'tubeflight (full screen).lnk'),
    'de': ('1031', 'Warnung: Der Flug erzeugt Lichtblitze.', 'tubeflight (Vollbild).lnk'),
    'ar': ('1025', 'تحذير: الطيران يومض.', 'tubeflight (ملء الشاشة).lnk'),
    'zh_CN': ('2052', '警告：飞行画面会闪烁。', 'tubeflight (全屏).lnk'),
}


def check_executable(path):
    name = os.path.basename(path)
    kind = run('file', '-b', path)
    if name.endswith('.exe'):
        check(kind.startswith('PE32+ executable (GUI) x86-64'), f'{name} is a PE32+ GUI program: {kind.strip()}')
    security = run('pesec', path)
    for feature in ('ASLR', 'DEP/NX', 'Stack cookies (EXPERIMENTAL)'):
        check(re.search(re.escape(feature) + r':\s+yes', security) is not None,
              f'pesec: {name} has {feature}')
    headers = run('x86_64-w64-mingw32-objdump', '-p', path)
    check('HIGH_ENTROPY_VA' in headers, f'{name} takes 64-bit address randomisation')
    dlls = sorted(re.findall(r'DLL Name: (\S+)', headers))
    system = {'ADVAPI32.dll', 'GDI32.dll', 'GLU32.dll', 'KERNEL32.dll', 'msvcrt.dll',
              'OPENGL32.dll', 'USER32.dll', 'WINMM.dll'}
    own = [dll for dll in dlls if dll not in system]
    check(own == ([] if name == 'SDL.dll' else ['SDL.dll']),
          f'{name} needs no library but Windows\' own and SDL.dll: {dlls}')


def fly_installed(exe, prefix, cwd):
    flight = Flight(exe, prefix, trace=None, cwd=cwd)
    window = flight.window(60)
    check(window is not None, f'{exe} opens its window')
    status = flight.end_with_escape(window) if window else None
    check(status == 0, f'Escape ends it with status 0 ({status})')
    flight.kill()
    return flight.crashes


def prefix_state(prefix):
    """Every file and folder under drive_c, and every registry key."""
    subprocess.run(['wineserver', '--wait'], env={**os.environ, 'WINEPREFIX': prefix})
    files = set()
    for root, dirs, names in os.walk(os.path.join(prefix, 'drive_c')):
        for name in dirs + names:
            files.add(os.path.relpath(os.path.join(root, name), prefix))
    keys = set()
    for hive in ('system.reg', 'user.reg', 'userdef.reg'):
        with open(os.path.join(prefix, hive), errors='replace') as f:
            keys |= {hive + ' ' + line.split(']')[0] + ']' for line in f if line.startswith('[')}
    return files, keys


def test_packages(args):
    zip_path, installer = args.files
    # The silent rounds take the installer's default language, the system's,
    # which Wine takes from the session's locale: English here, whatever
    # language the session runs in.
    os.environ['LC_ALL'] = 'C.UTF-8'
    os.environ.pop('LANGUAGE', None)
    start_window_manager()
    with zipfile.ZipFile(zip_path) as archive:
        names = archive.namelist()
        folder = os.path.basename(zip_path)[:-len('.zip')]
        check(sorted(names) == sorted([f'{folder}/'] + [f'{folder}/{name}' for name in PACKAGE_FILES]),
              f'the zip holds the programs, SDL.dll and the texts in one folder: {names}')
        # Anywhere: a folder with a space in its name, started from elsewhere.
        unpacked = os.path.join(args.work, 'any folder')
        archive.extractall(unpacked)
    for name in PACKAGE_FILES:
        if name.endswith(('.exe', '.dll')):
            check_executable(os.path.join(unpacked, folder, name))
    with open(os.path.join(unpacked, folder, 'README.txt'), 'rb') as f:
        readme = f.read()
    check(b'\r\n' in readme and readme.count(b'\n') == readme.count(b'\r\n'),
          'README.txt has Windows line ends')
    check(readme.startswith(b'\xef\xbb\xbf'), 'README.txt begins with a byte order mark')
    readme = readme.decode('utf-8', errors='replace')
    for language, (first, stop) in README_WARNINGS.items():
        start = readme.find(first)
        check(0 <= start < readme.find(stop, start),
              f'README.txt warns of the flashing light in {language}: {first!r} ... {stop!r}')
    crashes = fly_installed(os.path.join(unpacked, folder, 'tubeflight.exe'), args.prefix,
                            cwd=args.work)
    check(not crashes, f'the zip\'s program did not crash: {crashes}')

    # A fresh prefix: installed silently, flown, uninstalled silently, for
    # all users and for the current user.
    fresh = args.prefix + '-install'
    shutil.rmtree(fresh, ignore_errors=True)

    def wine(*command):
        result = subprocess.run([WINE_RUN, fresh, *command],
                                capture_output=True, text=True, errors='replace', timeout=300)
        crashes.extend(f'{os.path.basename(command[0])}: {line.strip()}'
                       for line in result.stderr.splitlines() if line.startswith(CRASH))
        return result

    wine('cmd', '/c', 'exit')
    user = getpass.getuser()
    all_users = (('Program Files',), 'system.reg')
    current_user = (('users', user, 'AppData', 'Local', 'Programs'), 'user.reg')

    def through_pages(language, choose=False):
        """The installer's pages, each taken with Return (Next, I agree,
        Install, Finish; the box that would start the flight stays clear):
        in German chosen in the language dialog, or in a language that an
        earlier install is taken to have left in the registry."""
        if not choose:
            wine('reg', 'add', r'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\tubeflight',
                 '/v', 'Language', '/d', INSTALLER_TEXTS[language][0], '/f')
        setup = Flight(installer, fresh, trace='+win,+listbox')
        if choose:
            dialog = until(lambda: xdotool_search('^Installer Language$'), 60)
            until(lambda: len(setup.items) >= len(LANGUAGES), 5)
            check(dialog is not None and sorted(setup.items) == sorted(LANGUAGES),
                  f'the language dialog offers {LANGUAGES}: {setup.items}')
            if dialog:
                # D: the first language whose name begins with it, Deutsch.
                press(dialog, 'D')
                time.sleep(0.5)
                press(dialog, 'Return')
        deadline = time.monotonic() + 120
        while setup.process.poll() is None and time.monotonic() < deadline:
            window = xdotool_search(r'tubeflight ' + re.escape(args.version))
            if window:
                press(window, 'Return', check=False)
            time.sleep(1.5)
        status = setup.wait(10)
        crashes.extend(f'installer: {line}' for line in setup.crashes)
        warning = INSTALLER_TEXTS[language][1]
        with setup.lock:
            shown = [text for text in setup.texts if text.startswith(warning[:8])]
        check(any(text.startswith(warning) for text in shown),
              f'{language}: the last page warns of the flashing light: {shown}')
        return status

    rounds = [('/S /AllUsers', lambda: wine(installer, '/S', '/AllUsers').returncode, all_users, 'en'),
              ('/S /CurrentUser', lambda: wine(installer, '/S', '/CurrentUser').returncode, current_user,
               'en'),
              ('German pages', lambda: through_pages('de', choose=True), all_users, 'de'),
              ('Arabic pages', lambda: through_pages('ar'), all_users, 'ar'),
              ('Chinese pages', lambda: through_pages('zh_CN'), all_users, 'zh_CN')]

    def install_round(name, install, place, hive, language):
        """Installs, flies and uninstalls in `fresh`; returns the crashes seen."""
        nonlocal crashes
        crashes = []
        before = prefix_state(fresh)
        check(install() == 0, f'{name}: the install succeeds')
        installed = prefix_state(fresh)
        folder = os.path.join(fresh, 'drive_c', *place, 'tubeflight')
        files = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        check(files == sorted(PACKAGE_FILES + ['uninstall.exe']),
              f'{name}: it installed into {os.path.relpath(folder, fresh)}: {files}')
        language_id, _, full_screen = INSTALLER_TEXTS[language]
        menu = [path for path in installed[0] - before[0] if path.endswith('.lnk')]
        check(sorted(os.path.basename(path) for path in menu)
              == sorted([full_screen, 'tubeflight.lnk']),
              f'{name}: both programs are in the Start menu: {menu}')
        with open(os.path.join(fresh, hive), errors='replace') as f:
            registry = f.read()
        entry = registry[registry.find(UNINSTALL_KEY):].split('\n\n')[0]
        check(UNINSTALL_KEY in registry and '"DisplayVersion"="' + args.version + '"' in entry
              and '"UninstallString"=' in entry and f'"Language"="{language_id}"' in entry,
              f'{name}: "Apps" lists it in {hive} with its version, uninstaller and '
              f'language: {entry!r}')
        crashes += fly_installed(os.path.join(folder, 'tubeflight.exe'), fresh, cwd=args.work)
        check(wine(os.path.join(folder, 'uninstall.exe'), '/S').returncode == 0,
              f'{name}: the silent uninstall succeeds')
        # The uninstaller runs from a copy of itself in the user's temporary
        # folder, which it leaves for Windows to delete when it next starts,
        # in a folder of its own that is left to the clean-up of temporary
        # files. Windows starts again once the copy and every other program
        # have ended.
        subprocess.run(['wineserver', '--wait'], env={**os.environ, 'WINEPREFIX': fresh})
        wine('wineboot', '--restart')
        after = prefix_state(fresh)
        temporary = os.path.join('drive_c', 'users', user, 'Temp') + os.sep
        left = sorted(path for path in after[0] ^ before[0]
                      if not (path.startswith(temporary)
                              and os.path.isdir(os.path.join(fresh, path))))
        check(not left, f'{name}: no file is left or gone (empty temporary folders aside): {left}')
        check(not crashes, f'{name}: no program crashed: {crashes}')
        check(after[1] == before[1],
              f'{name}: no registry key is left or gone: {sorted(after[1] ^ before[1])}')
        return crashes

    # Wine's run of the installer has crashed now and then in a thread of
    # its own, after it had installed everything and ended with status 0
    # (about once in 25 rounds, a page fault near address 0). A round with a
    # crash in it is said so and tried once more; a second crash fails it.
    global held
    for name, install, (place, hive), language in rounds:
        held = []
        crashed = install_round(name, install, place, hive, language)
        checks, held = held, None
        if crashed:
            print(f'note: {name}: a program crashed under Wine, so the round is tried once '
                  f'more: {crashed}', flush=True)
            install_round(name, install, place, hive, language)
        else:
            for condition, message in checks:
                check(condition, message)


def xdotool_search(name):
    ids = subprocess.run(['xdotool', 'search', '--name', name], capture_output=True,
                         text=True).stdout.split()
    return ids[0] if ids else None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('what', choices=['flight', 'fullscreen', 'packages'])
    parser.add_argument('files', nargs='+')
    parser.add_argument('--prefix', required=True)
    parser.add_argument('--work')
    parser.add_argument('--linux-exe')
    parser.add_argument('--probe')
    parser.add_argument('--send-wm-delete')
    parser.add_argument('--version')
    args = parser.parse_args()
    args.prefix = os.path.abspath(args.prefix)
    args.exe = args.files[0]
    if args.work is None:
        args.work = os.path.join(args.prefix + '-work')
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    # A new prefix is made first, outside the time a window is waited for.
    subprocess.run([WINE_RUN, args.prefix, 'cmd', '/c', 'exit'], capture_output=True, timeout=300)
    {'flight': test_flight, 'fullscreen': test_fullscreen, 'packages': test_packages}[args.what](args)
    if failures:
        print(f'{len(failures)} checks failed', flush=True)
        sys.exit(1)


if __name__ == '__main__':
    main()
