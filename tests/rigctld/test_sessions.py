#!/usr/bin/python3
# Client sessions as network programs send them, each run against the
# endpoint (in the harness, with the FTX-1 stand-in behind it) and against
# Hamlib's own rigctld with its dummy radio (rigctld -m 1), which is the
# reference for the form of every reply: the replies are compared line for
# line. Three kinds of client: raw lines on a socket, Hamlib's network client
# (rigctl -m 2) and Hamlib's Python binding (NET rigctl, as WSJT-X uses it).
#   test_sessions.py RIGCTLD_HARNESS
# Prints every session's replies side by side. Exits 77 (skipped) without
# rigctld, rigctl or the binding (scripts/setup.sh installs them).
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

try:
    import Hamlib
except ImportError:
    Hamlib = None

HARNESS = sys.argv[1]
failures = []


def check(what, ok, detail=""):
    print(("ok: " if ok else "FAILED: ") + what + ("" if ok else "\n  " + detail))
    if not ok:
        failures.append(what)


# ------------------------------------------------------------------ servers

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_connectable(port, process):
    for _ in range(200):
        if process.poll() is not None:
            return False
        try:
            socket.create_connection(("127.0.0.1", port), timeout=1).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


class Server:
    """The endpoint in the harness, or Hamlib's rigctld with the dummy radio."""

    def __init__(self, reference, vfo, idle_seconds=None):
        self.folder = tempfile.TemporaryDirectory()
        self.log_path = os.path.join(self.folder.name, "log")
        self.log = open(self.log_path, "w")
        if reference:
            # The free port drawn may be taken by someone else before rigctld
            # binds it (rigctld then ends): drawn again.
            for _ in range(5):
                self.port = free_port()
                command = ["rigctld", "-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t", str(self.port)]
                if vfo:
                    command.append("--vfo")
                self.process = subprocess.Popen(command, stdout=self.log, stderr=subprocess.STDOUT)
                if wait_connectable(self.port, self.process):
                    return
                self.process.kill()
                self.process.wait()
        else:
            command = [HARNESS, "--seconds", "300"] + (["--vfo"] if vfo else [])
            if idle_seconds is not None:
                command += ["--idle-seconds", str(idle_seconds)]
            self.process = subprocess.Popen(command, stdout=self.log, stderr=subprocess.STDOUT)
            self.port = 0
            for _ in range(200):
                with open(self.log_path) as log:
                    ports = [line for line in log if line.startswith("port ") and line.endswith("\n")]
                if ports:
                    self.port = int(ports[0].split()[1])
                    break
                time.sleep(0.05)
        if not wait_connectable(self.port, self.process):
            raise SystemExit("%s did not listen" % command[0])

    def stop(self):
        self.process.terminate()
        self.process.wait(timeout=10)
        self.log.close()
        self.folder.cleanup()


def session(port, lines):
    """Sends the lines on one connection, ends its sending side, and returns
    every reply line until the server closes."""
    with socket.create_connection(("127.0.0.1", port), timeout=20) as s:
        s.sendall(("".join(line + "\n" for line in lines)).encode("latin-1"))
        s.shutdown(socket.SHUT_WR)
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
    return data.decode("latin-1").split("\n")[:-1]


# The last command of every session with Hamlib's rigctld, and the start of
# the line that answers it: get_powerstat with "|" between its reply lines.
MARKER = "|\\get_powerstat"
MARKER_ANSWER = "get_powerstat:"


def reference_session(vfo, lines):
    """The same with Hamlib's rigctld. rigctld ends a connection as soon as it
    reads the end of what its client sends, even while it still answers (the
    rest of its answers may then go into the next connection it accepts), and
    now and then resets it or closes it unanswered: its client sends the
    marker after the lines and ends only once the marker is answered; a reset
    or an unanswered marker is tried again with a fresh rigctld."""
    for attempt in range(3):
        try:
            replies = marked_session(server(True, vfo).port, lines)
            if replies is not None:
                return replies
        except ConnectionResetError:
            pass
        servers.pop((True, vfo)).stop()
    raise SystemExit("rigctld never answered the marker three times over")


def marked_session(port, lines):
    """The reply lines to the lines given, up to the marker's answer, or None
    when rigctld closes without answering it."""
    with socket.create_connection(("127.0.0.1", port), timeout=20) as s:
        s.sendall(("".join(line + "\n" for line in lines + [MARKER])).encode("latin-1"))
        data = b""
        while True:
            got = data.decode("latin-1").split("\n")
            for i in range(len(got) - 2):
                if got[i].startswith(MARKER_ANSWER) and "|Power Status:" in got[i] and got[i + 1].startswith("RPRT"):
                    return got[:i]
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
    return None


# ------------------------------------------------------------------ comparing

NUMBER = re.compile(r"^-?[0-9]+(\.[0-9]+)?$|^0x[0-9a-f]+$")


def shape(line, values):
    """A reply line as compared: the dummy calls VFO A and B Main and Sub in
    VFO mode; with `values` False numbers are set aside."""
    line = line.replace("Main", "VFOA").replace("Sub", "VFOB")
    if values or line.startswith("RPRT"):
        return line
    key, colon, value = line.rpartition(": ")
    words = (value if colon else line).split(" ")
    words = ["#" if NUMBER.match(w) else w for w in words]
    return key + colon + " ".join(words)


def state_keys(lines):
    return {line.split("=")[0] for line in lines if "=" in line}


# (name, VFO mode, lines, how the replies compare: "exact", "values" (numbers
# aside), "form" (as many lines, the same RPRT lines), "state" (\dump_state:
# its frame and keys), "caps" (\dump_caps: the lines loggers read))
SESSIONS = [
    ("CQRLOG's compound poll", False, ["F 14074000", "M USB 2400", "+f +m +v"], "exact"),
    ("CQRLOG's older poll, one word", False, ["F 7074000", "M LSB 2400", "fmv"], "exact"),
    ("several commands on one line", False, ["F 7074000 M CW 500 f m v", "+fm", "f \\get_vfo"], "exact"),
    ("WSJT-X with Mode Data/Pkt", False,
     ["F 14074000", "M PKTUSB -1", "M PKTUSB 2400", "m", "M PKTLSB 2400", "m", "+M PKTFM 16000", "+m",
      "X PKTUSB 2400", "x"], "exact"),
    ("the mode list (this radio's modes, the dummy's)", False, ["M ?"], "form"),
    ("Gpredict's get_dcd and its poll", False, ["\x8b", "+\x8b", "\\get_dcd", "F 145800000", "f"], "values"),
    ("the open of Hamlib's client", False, ["\\chk_vfo", "\\get_powerstat", "v", "s", "t", "+\\chk_vfo"], "exact"),
    ("\\dump_state extended", False, ["+\\dump_state"], "state"),
    ("\\dump_caps, as CQRLOG reads it", False, ["\\dump_caps"], "caps"),
    ("WSJT-X split in VFO mode (receive on A, transmit on B)", True,
     ["\\chk_vfo", "V VFOA", "F VFOA 14074000", "M VFOA PKTUSB 2400", "S VFOA 1 VFOB", "F VFOB 14075500",
      "M VFOB PKTUSB 2400", "f VFOA", "f VFOB", "i VFOA", "m VFOB", "s VFOA", "T VFOA 1", "t VFOA", "T VFOA 0",
      "f TX", "f RX", "S VFOA 0 VFOA", "s VFOA"], "exact"),
    ("every VFO name in VFO mode", True,
     ["F VFOA 7074000", "F VFOB 7076000", "f Main", "f Sub", "f currVFO", "f RX", "V Sub", "v", "f currVFO",
      "V Main", "v"], "exact"),
    ("extended replies in VFO mode", True,
     ["F VFOA 14074000", "M VFOA USB 2400", "+f VFOA", "+m VFOA", "+v", "+s VFOA", "+\\get_powerstat",
      "+\\chk_vfo", "+f VFOA +m VFOA +v"], "exact"),
    ("levels in VFO mode", True, ["l VFOA STRENGTH", "L VFOA RFPOWER 0.5", "l VFOA RFPOWER"], "values"),
    ("\\dump_state extended in VFO mode", True, ["+\\dump_state"], "state"),
]

servers = {}


def server(reference, vfo):
    if (reference, vfo) not in servers:
        servers[(reference, vfo)] = Server(reference, vfo)
    return servers[(reference, vfo)]


def side_by_side(lines, ours, theirs):
    print("    sent: " + " | ".join(l.encode("unicode_escape").decode() for l in lines))
    width = max([len(l) for l in ours[:40]] + [8])
    for i in range(max(len(ours), len(theirs))):
        if i == 40:
            print("    ... (%d and %d lines)" % (len(ours), len(theirs)))
            break
        a = ours[i] if i < len(ours) else ""
        b = theirs[i] if i < len(theirs) else ""
        print("    %-*s  %s %s" % (width, a, "=" if shape(a, True) == shape(b, True) else "~", b))


def run_sessions():
    for name, vfo, lines, how in SESSIONS:
        ours = session(server(False, vfo).port, lines)
        theirs = reference_session(vfo, lines)
        print("session: " + name + (" (VFO mode)" if vfo else "") + "; kelvaro left, rigctld right")
        side_by_side(lines, ours, theirs)
        if how == "state":
            frame = lambda l: [l[0], l[1], l[-2], l[-1]] if len(l) > 4 else l
            ok = frame(ours) == frame(theirs) and state_keys(ours) <= state_keys(theirs) and len(state_keys(ours)) > 10
            check(name + ": the same frame, and no key that rigctld lacks", ok,
                  "%s vs %s; keys only here: %s" % (frame(ours), frame(theirs), state_keys(ours) - state_keys(theirs)))
        elif how == "caps":
            wanted = ["Mode list: ", "VFO list: ", "Can set Frequency:\tY", "Can get Mode:\tY", "Can set VFO:\tY",
                      "Can get VFO:\tY", "Can set PTT:\tY", "Can set Split VFO:\tY", "Has targetable VFO: Y"]
            missing = [w for w in wanted if not any(l.startswith(w) for l in ours)
                       or not any(l.startswith(w) for l in theirs)]
            check(name + ": the lines loggers read, and RPRT 0 last", not missing and ours[-1] == theirs[-1] == "RPRT 0",
                  "missing %s" % missing)
        elif how == "form":
            form = lambda lines: [l if l.startswith("RPRT") else "..." for l in lines]
            check(name + ": kelvaro answers in rigctld's form", form(ours) == form(theirs), "%s vs %s" % (ours, theirs))
        else:
            values = how == "exact"
            a = [shape(l, values) for l in ours]
            b = [shape(l, values) for l in theirs]
            check(name + ": kelvaro answers as rigctld does", a == b, "kelvaro %s\n  rigctld %s" % (a, b))
    # What the endpoint must get right beyond the form.
    split = session(server(False, True).port,
                    ["F VFOA 14074000", "S VFOA 1 VFOB", "F VFOB 14075500", "f VFOB", "f VFOA", "f TX", "i VFOA"])
    check("VFO mode: the transmit VFO reads its own frequency", split[3:] == ["14075500", "14074000", "14075500",
                                                                              "14075500"], str(split))


# ------------------------------------------------------------------ Hamlib's clients

def rigctl(port, vfo, words):
    command = ["rigctl", "-m", "2", "-r", "127.0.0.1:%d" % port] + (["--vfo"] if vfo else []) + words
    done = subprocess.run(command, capture_output=True, text=True, timeout=30)
    return done.stdout.split("\n")[:-1]


RIGCTL_SESSIONS = [
    ("rigctl -m 2: a data mode", False, ["F", "14074000", "M", "PKTUSB", "2400", "m", "f"]),
    ("rigctl -m 2 --vfo: split, receive on A and transmit on B", True,
     ["F", "VFOA", "14074000", "M", "VFOA", "PKTUSB", "2400", "S", "VFOA", "1", "VFOB", "F", "VFOB", "14075500",
      "f", "VFOA", "f", "VFOB", "s", "VFOA", "m", "VFOB"]),
]


def run_rigctl():
    for name, vfo, words in RIGCTL_SESSIONS:
        ours = rigctl(server(False, vfo).port, vfo, words)
        theirs = rigctl(server(True, vfo).port, vfo, words)
        print("session: " + name + "; kelvaro left, rigctld right")
        side_by_side([" ".join(words)], ours, theirs)
        check(name + ": the same output as with rigctld", [shape(l, True) for l in ours] == [shape(l, True) for l in theirs],
              "kelvaro %s\n  rigctld %s" % (ours, theirs))


def python_session(port):
    """A WSJT-X-like session through the binding: split with receive on A and
    transmit on B, in a data mode, then the transmitter keyed."""
    rig = Hamlib.Rig(Hamlib.RIG_MODEL_NETRIGCTL)
    rig.set_conf("rig_pathname", "127.0.0.1:%d" % port)
    rig.open()
    out = ["open %d" % rig.error_status]
    rig.set_freq(Hamlib.RIG_VFO_A, 14074000)
    rig.set_mode(Hamlib.RIG_MODE_PKTUSB, 2400, Hamlib.RIG_VFO_A)
    rig.set_split_vfo(Hamlib.RIG_VFO_A, Hamlib.RIG_SPLIT_ON, Hamlib.RIG_VFO_B)
    rig.set_split_freq(Hamlib.RIG_VFO_B, 14075500)
    rig.set_split_mode(Hamlib.RIG_VFO_B, Hamlib.RIG_MODE_PKTUSB, 2400)
    out.append("sets %d" % rig.error_status)
    out.append("VFO A %d" % rig.get_freq(Hamlib.RIG_VFO_A))
    out.append("VFO B %d" % rig.get_freq(Hamlib.RIG_VFO_B))
    out.append("split frequency %d" % rig.get_split_freq(Hamlib.RIG_VFO_A))
    mode, width = rig.get_mode(Hamlib.RIG_VFO_A)
    out.append("mode %s %d" % (Hamlib.rig_strrmode(mode), width))
    rig.set_ptt(Hamlib.RIG_VFO_CURR, Hamlib.RIG_PTT_ON)
    out.append("ptt %d" % rig.get_ptt(Hamlib.RIG_VFO_CURR))
    rig.set_ptt(Hamlib.RIG_VFO_CURR, Hamlib.RIG_PTT_OFF)
    out.append("ptt %d, status %d" % (rig.get_ptt(Hamlib.RIG_VFO_CURR), rig.error_status))
    rig.close()
    return out


def run_python():
    Hamlib.rig_set_debug(Hamlib.RIG_DEBUG_NONE)
    ours = python_session(server(False, True).port)
    theirs = python_session(server(True, True).port)
    print("session: the Python binding in VFO mode; kelvaro left, rigctld right")
    side_by_side(["(binding calls)"], ours, theirs)
    check("the Python binding: the same results as with rigctld", ours == theirs, "kelvaro %s\n  rigctld %s" % (ours, theirs))
    check("the Python binding: VFO B holds the transmit frequency", "VFO B 14075500" in ours, str(ours))


# ------------------------------------------------------------------ idle connections

def run_idle():
    """Sixteen clients that hold their connections and say nothing keep no
    one out: a seventeenth is answered, and the oldest idle one gave way. The
    harness's grace is 0 s, so each of them is idle long enough at once."""
    idle = Server(False, False, idle_seconds=0)
    try:
        held = []
        for _ in range(16):
            s = socket.create_connection(("127.0.0.1", idle.port), timeout=20)
            s.sendall(b"t\n")
            held.append((s, s.recv(100)))
        check("sixteen clients are answered", all(reply == b"0\n" for _, reply in held), str([r for _, r in held]))
        late = session(idle.port, ["f", "v"])
        check("a seventeenth is answered", late == ["7100000", "VFOA"], str(late))
        check("the oldest idle one gave way", held[0][0].recv(100) == b"", "it is still connected")
        held[1][0].sendall(b"t\n")
        check("the others are still served", held[1][0].recv(100) == b"0\n")
        for s, _ in held:
            s.close()
        reference = Server(True, False)
        many = [socket.create_connection(("127.0.0.1", reference.port), timeout=20) for _ in range(16)]
        print("session: 16 idle connections, then a 17th: kelvaro %s, rigctld %s" %
              (late, session(reference.port, ["f", "v"])))
        for s in many:
            s.close()
        reference.stop()
    finally:
        idle.stop()


def main():
    if not shutil.which("rigctld") or not shutil.which("rigctl") or Hamlib is None:
        print("rigctld, rigctl or the Hamlib Python binding is missing: skipped")
        return 77
    try:
        run_sessions()
        run_rigctl()
        run_python()
        run_idle()
    finally:
        for s in servers.values():
            s.stop()
    print("%d failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
