#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the Windows executables and their packages under Wine.

Runs on an X display (scripts/with-xvfb gives a private one) and starts
openbox on it: Wine gives keys only to an activated window. Every Wine
prefix is private, under the build tree, and asks for no download.

  windows_test.py flight EXE --prefix DIR --linux-exe EXE --probe LIB --send-wm-delete EXE
      the windowed program: a 640x480 window titled "Sdl Test", then the
      title line; the Linux build's frames; 62.5 frames a second, counted
      from Wine's own trace of the buffer swaps; a close request does
      nothing; Escape ends it with status 0; Ctrl-C and the end of the
      session end it with the display restored
  windows_test.py fullscreen EXE --prefix DIR
      the full-screen program covers the screen at 640x480 and gives the
      screen's own mode back when it ends
  windows_test.py packages ZIP INSTALLER --prefix DIR
      the zip's programs run from any folder; a silent install into a fresh
      prefix flies, and a silent uninstall leaves the prefix as it was
"""
import argparse
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
# STATUS_CONTROL_C_EXIT (0xC000013A) as Wine's process reports it: its low byte.
STOPPED_STATUS = 0x3A
SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts')
# Wine's trace of the program's calls: timestamped (milliseconds), the
# buffer swaps of the WGL driver and the window texts set.
TRACE = '+timestamp,+wgl,+win'
SWAP = re.compile(r'^(\d+)\.(\d{3}):[0-9a-f]+:[0-9a-f]+:trace:wgl:\w*SwapBuffers')
TEXT = re.compile(r'trace:win:\w*SetWindowText\w*\s.*?L"([^"]*)"')

failures = []


def check(condition, message):
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


def wine_env(prefix, trace=False):
    return {**os.environ, 'WINEDEBUG': TRACE if trace else '-all'}


class Flight:
    """A Windows program under Wine, with its trace read as it comes."""

    def __init__(self, exe, prefix, trace=True, cwd=None):
        self.prefix = prefix
        self.swaps = []  # milliseconds of Wine's clock, one per swap
        self.texts = []  # window texts set, repeats left out
        self.lock = threading.Lock()
        self.process = subprocess.Popen(
            [os.path.join(SCRIPTS, 'wine-run'), prefix, exe], cwd=cwd,
            env=wine_env(prefix, trace), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.PIPE, text=True, errors='replace')
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.process.stderr:
            swap = SWAP.match(line)
            with self.lock:
                if swap:
                    self.swaps.append(int(swap[1]) * 1000 + int(swap[2]))
                    continue
                text = TEXT.search(line)
                if text and (not self.texts or self.texts[-1] != text[1]):
                    self.texts.append(text[1])

    def frames(self):
        with self.lock:
            return len(self.swaps)

    def window(self, seconds=30):
        """The program's top-level X window, with its title line set."""
        def found():
            if self.process.poll() is not None:
                return None
            ids = subprocess.run(['xdotool', 'search', '--name', re.escape(TITLE)],
                                 capture_output=True, text=True).stdout.split()
            return ids[0] if ids else None
        return until(found, seconds)

    def end_with_escape(self, window):
        subprocess.run(['xdotool', 'windowactivate', '--sync', window], capture_output=True)
        subprocess.run(['xdotool', 'key', '--clearmodifiers', 'Escape'], check=True)
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
        subprocess.run([os.path.join(SCRIPTS, 'wine-run'), self.prefix, 'wineboot', '--kill'],
                       capture_output=True)


def window_geometry(window):
    info = run('xwininfo', '-id', window)
    field = lambda name: int(re.search(name + r':\s+(-?\d+)', info)[1])
    return (field('Absolute upper-left X'), field('Absolute upper-left Y'),
            field('Width'), field('Height'))


def window_title(window):
    match = re.search(r'= "(.*)"', run('xprop', '-id', window, '_NET_WM_NAME'))
    return match[1] if match else None


def capture(window):
    """The window's pixels as RGB bytes, rows top first."""
    ppm = subprocess.run(['import', '-silent', '-window', window, '-depth', '8', 'ppm:-'],
                         check=True, capture_output=True).stdout
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
            data = f.read()
        header = re.match(rb'P6\s+(\d+)\s+(\d+)\s+255\s', data)
        images[frame] = data[header.end():]
    return images


def check_picture(flight, window, reference):
    """Stops the program after a swap, so that the window holds a known frame."""
    first = min(reference)
    until(lambda: flight.frames() >= first, 30)
    flight.process.send_signal(signal.SIGSTOP)
    time.sleep(0.3)  # the trace of the last swap has come in
    shown = flight.frames()
    size, rgb = capture(window)
    flight.process.send_signal(signal.SIGCONT)
    check(size == (640, 480), f'the picture is 640x480 ({size[0]}x{size[1]})')
    if shown not in reference:
        check(False, f'the program stopped at frame {shown}, after the frames compared')
        return
    # The last swap seen may be one that had not yet reached the window.
    candidates = [frame for frame in (shown, shown - 1) if frame in reference]
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


def check_rate(flight, seconds=4.0):
    start = flight.frames()
    time.sleep(seconds)
    with flight.lock:
        swaps = flight.swaps[start:]
    if not check(len(swaps) > 50, f'{len(swaps)} swaps traced in {seconds} s'):
        return
    span = swaps[-1] - swaps[0]
    rate = 1000.0 * (len(swaps) - 1) / span
    gaps = [b - a for a, b in zip(swaps, swaps[1:])]
    print(f'frame rate from {len(swaps)} traced swaps over {span} ms: {rate:.2f}/s; '
          f'gaps {min(gaps)} to {max(gaps)} ms, median {sorted(gaps)[len(gaps) // 2]} ms',
          flush=True)
    # The trace's clock counts whole milliseconds: a 16 ms gap may read 15.
    check(61.5 <= rate <= 62.6, f'{rate:.2f} frames a second, 62.5 expected')
    check(min(gaps) >= 15, f'no two swaps closer than 16 ms (closest {min(gaps)} ms)')


def test_flight(args):
    start_window_manager()
    screen = screen_size()
    reference_frames = list(range(120, 400))[:0]  # filled below
    flight = Flight(args.exe, args.prefix)
    window = flight.window()
    if not check(window is not None, 'a window with the title line opened'):
        flight.kill()
        return
    x, y, width, height = window_geometry(window)
    check((width, height) == (640, 480), f'the window is 640x480 ({width}x{height})')
    check(window_title(window) == TITLE, f'its title is the title line: {window_title(window)!r}')
    with flight.lock:
        texts = list(flight.texts)
    check(texts[-2:] == [FIRST_TITLE, TITLE],
          f'the window was titled "{FIRST_TITLE}", then the title line: {texts}')

    check_rate(flight)

    # The Linux frames just ahead of where the flight is now.
    ahead = flight.frames() + 150
    reference_frames = list(range(ahead, ahead + 60))
    reference = linux_frames(args.linux_exe, args.probe, reference_frames, args.work)
    check_picture(flight, window, reference)

    # The window manager's close request is drained and ignored.
    frames = flight.frames()
    subprocess.run([args.send_wm_delete, window], check=True)
    time.sleep(1.0)
    check(flight.process.poll() is None and flight.frames() >= frames + 40,
          f'a close request changes nothing: {flight.frames() - frames} frames in 1 s after it')
    status = flight.end_with_escape(window)
    check(status == 0, f'Escape ends the flight with status 0 ({status})')
    check(screen_size() == screen, 'the screen is as it was')

    # Ctrl-C: Wine hands SIGINT to the program as the console's Ctrl-C.
    flight = Flight(args.exe, args.prefix, trace=False)
    window = flight.window()
    if check(window is not None, 'the flight started again'):
        flight.process.send_signal(signal.SIGINT)
        status = flight.wait(10)
        check(status == STOPPED_STATUS,
              f'Ctrl-C ends the flight with STATUS_CONTROL_C_EXIT ({status})')
    flight.kill()

    # The end of the session: Wine's wineboot sends WM_QUERYENDSESSION and WM_ENDSESSION.
    flight = Flight(args.exe, args.prefix, trace=False)
    window = flight.window()
    if check(window is not None, 'the flight started once more'):
        subprocess.run([os.path.join(SCRIPTS, 'wine-run'), args.prefix, 'wineboot',
                        '--end-session'], capture_output=True, timeout=60)
        status = flight.wait(10)
        check(status == STOPPED_STATUS,
              f'the end of the session ends the flight with STATUS_CONTROL_C_EXIT ({status})')
    flight.kill()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('what', choices=['flight', 'fullscreen', 'packages'])
    parser.add_argument('files', nargs='+')
    parser.add_argument('--prefix', required=True)
    parser.add_argument('--work')
    parser.add_argument('--linux-exe')
    parser.add_argument('--probe')
    parser.add_argument('--send-wm-delete')
    args = parser.parse_args()
    args.prefix = os.path.abspath(args.prefix)
    args.exe = args.files[0]
    if args.work is None:
        args.work = os.path.join(args.prefix + '-work')
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    {'flight': test_flight}[args.what](args)
    if failures:
        print(f'{len(failures)} checks failed', flush=True)
        sys.exit(1)


if __name__ == '__main__':
    main()
