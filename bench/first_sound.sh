#!/usr/bin/env bash
# How soon the panel of two builds is heard, side by side in one run: from a
# key (F, O and P) to the first sound of its report, and from the start of the
# program to "connected". Prints the median, least and most of each, for each
# build, and the difference of the medians.
#   bash bench/first_sound.sh BUILD_A BUILD_B [ROUNDS]      (default 5)
# A build folder needs kelvaro (for example the build of an earlier commit in
# a second folder, and this one); the stand-in is BUILD_B's ftx1-sim for both.
# Needs an X display (run under xvfb-run -a -s -noreset). The rounds alternate
# between the builds; each round starts the panel afresh against a stand-in of
# its own (answering a query after KELVARO_BENCH_ANSWER_MS, default 20 ms,
# taking KELVARO_BENCH_SET_MS, default 0, on a set command, and then the line
# time of its answer at 38400 baud), times its start, presses F, O and P once each when it
# is quiet (at a random point of the device's buffer period), and ends it.
# The sound is SDL's disk audio driver, which writes each device buffer to a
# file at the pace a sound card would play it (through stdio, whose 4 KB buffer
# would hold back several device buffers: a small preloaded shim, compiled
# here with cc, turns that buffering off); the first sound is the moment the
# first non-silent sample of the report is seen in that file. Every
# recording but delay.wav (the answer wait) is replaced by a tone of TONE_MS
# (15 ms), so the times measure the panel and not the length of the words.
# The keys go through XTest, timed from the moment they are sent.
set -uo pipefail
if [ $# -lt 2 ]; then echo "usage: $0 BUILD_A BUILD_B [ROUNDS]" >&2; exit 2; fi
exec python3 - "$@" <<'EOF'
import ctypes, os, random, shutil, signal, statistics, struct, subprocess, sys, tempfile, time

build_a, build_b = (os.path.abspath(p) for p in sys.argv[1:3])
rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 5
answer_ms = os.environ.get("KELVARO_BENCH_ANSWER_MS", "20")
set_ms = os.environ.get("KELVARO_BENCH_SET_MS", "0")
tone_ms = int(os.environ.get("TONE_MS", "15"))
rate = 22050

x11 = ctypes.CDLL("libX11.so.6")
xtst = ctypes.CDLL("libXtst.so.6")
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x11.XStringToKeysym.restype = ctypes.c_ulong
x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
x11.XFlush.argtypes = [ctypes.c_void_p]
xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
display = x11.XOpenDisplay(None)
if not display:
    sys.exit("no X display (run under xvfb-run -a -s -noreset)")

work = tempfile.mkdtemp(prefix="kelvaro-first-sound.")
procs = []

def cleanup():
    for p in procs:
        if p.poll() is None:
            p.kill()
            p.wait()
    if os.environ.get("KELVARO_BENCH_KEEP") != "1":
        shutil.rmtree(work, ignore_errors=True)
    else:
        print("work folder kept:", work)

def tone_folder(name, ms):
    """The build's recordings, each replaced by a square wave of ms."""
    folder = os.path.join(work, name)
    os.makedirs(folder)
    frames = rate * ms // 1000
    samples = b"".join(struct.pack("<h", 8000 if (i // 25) % 2 else -8000) for i in range(frames))
    header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVEfmt " + struct.pack(
        "<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) + b"data" + struct.pack("<I", len(samples))
    for entry in os.listdir(os.path.join(build_a, "wave")):
        if entry.lower() == "delay.wav":
            # Not a phrase: its length is how long the panel waits for an answer.
            shutil.copy(os.path.join(build_a, "wave", entry), folder)
        elif entry.lower().endswith(".wav"):
            with open(os.path.join(folder, entry), "wb") as f:
                f.write(header + samples)
    return folder

class Sound:
    """Follows the disk driver's output file."""
    def __init__(self, path):
        self.path, self.f, self.at = path, None, 0
    def read(self):
        if self.f is None:
            if not os.path.exists(self.path):
                return b""
            self.f = open(self.path, "rb")
        data = self.f.read()
        return data
    def first_sound(self, limit_s=3.0):
        """The time non-silent samples are first seen from now on."""
        end = time.monotonic() + limit_s
        carry = b""
        while time.monotonic() < end:
            data = carry + self.read()
            now = time.monotonic()
            whole = len(data) - len(data) % 2
            if any(data[:whole]):
                return now
            carry = data[whole:]
            time.sleep(0.0003)
        return None
    def quiet(self, span_s=0.3, limit_s=10.0):
        """Waits until span_s of silence in a row has been written."""
        end = time.monotonic() + limit_s
        since = time.monotonic()
        while time.monotonic() < end:
            if any(self.read()):
                since = time.monotonic()
            elif time.monotonic() - since >= span_s:
                return True
            time.sleep(0.005)
        return False

def press(key):
    code = x11.XKeysymToKeycode(display, x11.XStringToKeysym(key.encode()))
    xtst.XTestFakeKeyEvent(display, code, 1, 0)
    x11.XFlush(display)
    sent = time.monotonic()
    xtst.XTestFakeKeyEvent(display, code, 0, 0)
    x11.XFlush(display)
    return sent

def one_round(build, side, n, wave, shim):
    """(start→connected s, {key: latency s}) for one fresh panel."""
    folder = os.path.join(work, f"{side}{n}")
    os.makedirs(folder)
    with open(os.path.join(folder, "kelvaro.cfg"), "w", newline="") as f:
        f.write("com=05\r\nspeed=38400\r\npower=050\r\nmic=0\r\ntun=0\r\npwroff=0\r\n10m  =-100\r\n"
                "6m  =-500\r\n2m  =-600\r\n70cm =+5000\r\nvport= 0\r\ndebug=0\r\n")
    os.symlink(wave, os.path.join(folder, "wave"))
    sim = subprocess.Popen([os.path.join(build_b, "ftx1-sim"), "--link", "com5", "--answer-delay-ms", answer_ms,
                            "--set-delay-ms", set_ms],
                           cwd=folder, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL)
    procs.append(sim)
    sim.stdout.readline()  # its link is ready once it has said so
    env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE=os.path.join(folder, "audio.raw"),
               SDL_VIDEODRIVER="x11", DBUS_SESSION_BUS_ADDRESS="unix:path=/nonexistent", LD_PRELOAD=shim)
    log = os.path.join(folder, "speech.log")
    begun = time.monotonic()
    panel = subprocess.Popen([os.path.join(build, "kelvaro"), "--speech-log", log], cwd=folder, env=env,
                             stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    procs.append(panel)
    connected = None
    while time.monotonic() - begun < 10:
        try:
            with open(log) as f:
                if "connected\n" in f.read():
                    connected = time.monotonic() - begun
                    break
        except FileNotFoundError:
            pass
        time.sleep(0.001)
    if connected is None:
        sys.exit(f"build {side}: the panel did not connect")
    sound = Sound(os.path.join(folder, "audio.raw"))
    subprocess.run(["xdotool", "search", "--sync", "--pid", str(panel.pid), "windowfocus", "--sync"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=10)
    latencies = {}
    for key in ("f", "o", "p"):
        if not sound.quiet():
            sys.exit(f"build {side}: the panel does not fall quiet")
        # At a random moment: pressed right after the device took a buffer,
        # every key would wait the whole buffer period.
        time.sleep(random.uniform(0, 0.05))
        sound.read()
        sent = press(key)
        heard = sound.first_sound()
        if heard is None:
            sys.exit(f"build {side}: no sound after {key.upper()}")
        latencies[key.upper()] = heard - sent
    sound.quiet()
    for p in (panel, sim):
        p.send_signal(signal.SIGTERM)
        try:
            p.wait(5)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
    return connected, latencies

UNBUFFERED = r"""
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
static FILE* unbuffered(FILE* f, const char* path) {
  const char* watched = getenv("SDL_DISKAUDIOFILE");
  if (f && watched && strcmp(path, watched) == 0) setvbuf(f, NULL, _IONBF, 0);
  return f;
}
typedef FILE* (*Open)(const char*, const char*);
FILE* fopen(const char* path, const char* mode) {
  return unbuffered(((Open)dlsym(RTLD_NEXT, "fopen"))(path, mode), path);
}
FILE* fopen64(const char* path, const char* mode) {
  return unbuffered(((Open)dlsym(RTLD_NEXT, "fopen64"))(path, mode), path);
}
"""

def build_shim():
    source = os.path.join(work, "unbuffered.c")
    with open(source, "w") as f:
        f.write(UNBUFFERED)
    shim = os.path.join(work, "unbuffered.so")
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", source, "-o", shim, "-ldl"], check=True)
    return shim

try:
    shim = build_shim()
    wave = tone_folder("wave", tone_ms)
    results = {"A": {"start": [], "F": [], "O": [], "P": []}, "B": {"start": [], "F": [], "O": [], "P": []}}
    for n in range(rounds):
        for side, build in (("A", build_a), ("B", build_b)) if n % 2 == 0 else (("B", build_b), ("A", build_a)):
            connected, latencies = one_round(build, side, n, wave, shim)
            results[side]["start"].append(connected)
            for key, value in latencies.items():
                results[side][key].append(value)
    print(f"A {build_a}\nB {build_b}")
    print(f"{rounds} rounds; the stand-in answers after {answer_ms} ms, takes {set_ms} ms on a set; recordings: tones of {tone_ms} ms; "
          f"milliseconds: median (least-most)")
    def cell(values):
        ms = [v * 1000 for v in values]
        return f"{statistics.median(ms):6.1f} ({min(ms):5.1f}-{max(ms):5.1f})"
    print(f"{'':18} {'A':>20} {'B':>20} {'B-A':>8}")
    for what, name in (("F", "key F"), ("O", "key O"), ("P", "key P (asks radio)"), ("start", "start->connected")):
        a, b = results["A"][what], results["B"][what]
        print(f"{name:18} {cell(a):>20} {cell(b):>20} {1000 * (statistics.median(b) - statistics.median(a)):8.1f}")
finally:
    cleanup()
EOF
