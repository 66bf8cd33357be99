"""The VM test inside the guest: the first program after the initramfs, as
root in a throw-away overlay of the host's root.

Starts udev, installs the project with `cmake --install`, makes an
unprivileged user with a seat, plugs virtual USB tablets in (before and
after the driver starts), runs the driver as that user and reads what it
posts through libinput, evtest and `libinput record`. Every check goes
into results.json in the shared results folder; the host prints them."""

import fcntl
import json
import os
import pwd
import select
import signal
import struct
import subprocess
import sys
import threading
import time
import traceback

RESULTS = "/ovvm"
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tablets  # noqa: E402

USER = "ovuser"
UID = 1500
PEN = "Orvane Virtual Pen"
MOUSE = "Orvane Virtual Mouse"
KEYBOARD = "Orvane Virtual Keyboard"
VIRTUAL = (PEN, MOUSE, KEYBOARD)
# Under software emulation everything is slow; every wait still ends.
WAIT = 20.0

CONFIG = {}
CHECKS = []
FIGURES = {}
START = time.monotonic()


def note(text):
    line = "[guest %6.1fs] %s" % (time.monotonic() - START, text)
    print(line, flush=True)
    with open(RESULTS + "/guest.log", "a") as f:
        f.write(line + "\n")


def save():
    with open(RESULTS + "/results.json.new", "w") as f:
        json.dump({"checks": CHECKS, "figures": FIGURES}, f, indent=1)
    os.replace(RESULTS + "/results.json.new", RESULTS + "/results.json")


def check(name, ok, detail=""):
    CHECKS.append({"name": name, "ok": bool(ok), "detail": str(detail)})
    note("%s %s%s" % ("PASS" if ok else "FAIL", name, (": " + str(detail)) if detail else ""))
    save()
    return ok


def skip(reason):
    with open(RESULTS + "/skip", "w") as f:
        f.write(reason + "\n")
    note("SKIP " + reason)


def run(cmd, timeout=60, check_rc=True, **kw):
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout,
                       text=True, **kw)
    if check_rc and r.returncode != 0:
        raise RuntimeError("%s failed (%d): %s" % (" ".join(cmd), r.returncode, r.stdout[-2000:]))
    return r.stdout


def wait_until(what, predicate, timeout=WAIT, step=0.05):
    end = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > end:
            note("gave up waiting for " + what)
            return value
        time.sleep(step)


def modprobe(*args):
    run(["busybox", "modprobe"] + list(args))


def settle():
    run(["udevadm", "settle", "--timeout=30"], timeout=40, check_rc=False)


# --- what libinput sees ----------------------------------------------------------

class Listener:
    """The project's libinput reader on seat0, as root; its JSON lines are
    gathered in order."""

    def __init__(self, binary):
        self.events = []
        self.lock = threading.Condition()
        self.proc = subprocess.Popen([binary], stdout=subprocess.PIPE, stderr=open(RESULTS + "/listener.err", "w"),
                                     text=True)
        self.log = open(RESULTS + "/libinput-events.jsonl", "w", buffering=1)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.log.write(line)
            try:
                event = json.loads(line)
            except ValueError:
                continue
            with self.lock:
                self.events.append(event)
                self.lock.notify_all()

    def mark(self):
        with self.lock:
            return len(self.events)

    def since(self, mark, dev=None, ev=None):
        with self.lock:
            found = self.events[mark:]
        return [e for e in found if (dev is None or e.get("dev") == dev) and (ev is None or e.get("ev") == ev)]

    def wait(self, what, mark, match, count=1, timeout=WAIT):
        """The first `count` events after mark that match, or fewer at the deadline."""
        end = time.monotonic() + timeout
        with self.lock:
            while True:
                found = [e for e in self.events[mark:] if match(e)]
                if len(found) >= count:
                    return found
                left = end - time.monotonic()
                if left <= 0:
                    note("gave up waiting for " + what)
                    return found
                self.lock.wait(min(left, 0.2))

    def forced_since(self, mark):
        """How often libinput ended the pen's proximity on its own since mark."""
        return len([e for e in self.since(mark) if "forcing proximity" in e.get("log", "")])

    def forced_before(self, mark):
        """Whether the pen's last proximity change before mark was a
        proximity-out that libinput forced (its log line comes first)."""
        with self.lock:
            found = self.events[:mark]
        changes = [i for i, e in enumerate(found) if e.get("dev") == PEN and e.get("ev") == "proximity"]
        if not changes or found[changes[-1]]["in"]:
            return False
        return any("forcing proximity" in e.get("log", "") for e in found[max(0, changes[-1] - 3):changes[-1]])

    def pen_in_proximity(self):
        with self.lock:
            changes = [e for e in self.events if e.get("dev") == PEN and e.get("ev") == "proximity"]
        return bool(changes) and changes[-1]["in"]

    def stop(self):
        self.proc.send_signal(signal.SIGTERM)
        try:
            self.proc.wait(5)
        except subprocess.TimeoutExpired:
            self.proc.kill()
        self.log.flush()


def is_pen(kind, **fields):
    def match(e):
        return e.get("dev") == PEN and e.get("ev") == kind and all(e.get(k) == v for k, v in fields.items())
    return match


# --- the driver ------------------------------------------------------------------

class Driver:
    def __init__(self, binary, env):
        self.logname = RESULTS + "/driver.log"
        self.logfile = open(self.logname, "a")
        self.logfile.write("--- driver started ---\n")
        self.logfile.flush()
        self.start_offset = os.path.getsize(self.logname)
        cmd = ["runuser", "-u", USER, "--", "env", "-i"] + ["%s=%s" % kv for kv in env.items()] + [
            "dbus-run-session", "--", binary]
        self.proc = subprocess.Popen(cmd, stdout=self.logfile, stderr=subprocess.STDOUT, cwd="/home/" + USER)
        self.pid = wait_until("the driver's process", self._find_pid, timeout=WAIT)

    def _find_pid(self):
        for name in os.listdir("/proc"):
            if not name.isdigit():
                continue
            try:
                with open("/proc/%s/comm" % name) as f:
                    comm = f.read().strip()
                if comm.startswith("OrvaneTabletDri") and os.stat("/proc/" + name).st_uid == UID:
                    return int(name)
            except OSError:
                continue
        return None

    def text(self):
        with open(self.logname, errors="replace") as f:
            f.seek(self.start_offset)
            return f.read()

    def mark(self):
        return len(self.text())

    def wait_line(self, line, mark=0, timeout=WAIT):
        return wait_until("driver line %r" % line, lambda: line in self.text()[mark:], timeout=timeout)

    def cpu_ns(self):
        """Time on the CPU so far (all threads), from the scheduler."""
        total = 0
        for tid in os.listdir("/proc/%d/task" % self.pid):
            with open("/proc/%d/task/%s/schedstat" % (self.pid, tid)) as f:
                total += int(f.read().split()[0])
        return total

    def alive(self):
        return self.proc.poll() is None


# --- udev and access -----------------------------------------------------------

def acl_users(path):
    """User ids named in a node's access ACL (system.posix_acl_access)."""
    try:
        raw = os.getxattr(path, "system.posix_acl_access")
    except OSError:
        return {}
    users = {}
    # Version 2 header, then entries of tag (u16), perm (u16), id (u32).
    for off in range(4, len(raw), 8):
        tag = int.from_bytes(raw[off:off + 2], "little")
        perm = int.from_bytes(raw[off + 2:off + 4], "little")
        ident = int.from_bytes(raw[off + 4:off + 8], "little")
        if tag == 0x02:  # ACL_USER
            users[ident] = perm
    return users


def user_can_open(path):
    r = subprocess.run(["runuser", "-u", USER, "--", "/usr/bin/python3", "-c",
                        "import os,sys; os.close(os.open(sys.argv[1], os.O_RDWR))", path],
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=30)
    return r.returncode == 0, r.stdout.strip()


def hidraw_of(gadget):
    """hidraw nodes, USB device node and kernel event nodes of a plugged gadget."""
    bus = gadget.busnum()
    hidraw, events, usbdev = [], [], None
    for name in sorted(os.listdir("/sys/class/hidraw")) if os.path.isdir("/sys/class/hidraw") else []:
        real = os.path.realpath("/sys/class/hidraw/" + name)
        if "/dummy_hcd.%s/" % gadget.udc.split(".")[-1] not in real:
            continue
        hidraw.append("/dev/" + name)
        hid = os.path.dirname(os.path.dirname(real))
        inputs = os.path.join(hid, "input")
        if os.path.isdir(inputs):
            for i in os.listdir(inputs):
                for e in os.listdir(os.path.join(inputs, i)):
                    if e.startswith("event"):
                        events.append("/dev/input/" + e)
    for name in os.listdir("/sys/bus/usb/devices"):
        p = "/sys/bus/usb/devices/" + name
        try:
            if int(open(p + "/busnum").read()) == bus and open(p + "/idVendor").read().strip() == "3a8f":
                usbdev = "/dev/bus/usb/%03d/%03d" % (bus, int(open(p + "/devnum").read()))
        except OSError:
            continue
    return hidraw, usbdev, sorted(events)


def check_access(gadget, phase):
    wanted = len(gadget.interfaces)
    wait_until(gadget.family.name + " hidraw nodes", lambda: len(hidraw_of(gadget)[0]) >= wanted)
    settle()
    hidraw, usbdev, events = hidraw_of(gadget)
    name = gadget.family.name
    nodes = hidraw + ([usbdev] if usbdev else [])
    missing = [n for n in nodes if UID not in acl_users(n)]
    check("%s %s: udev rule gives %s an ACL on %s" % (phase, name, USER, " ".join(nodes)),
          hidraw and usbdev and not missing, "no ACL on " + " ".join(missing) if missing else "")
    opened = [user_can_open(n) for n in hidraw]
    check("%s %s: %s opens its hidraw nodes read-write" % (phase, name, USER),
          hidraw and all(ok for ok, _ in opened), "; ".join(out for ok, out in opened if not ok))
    return hidraw, usbdev, events


# --- usbmon: what reaches the device ---------------------------------------------

class UsbMon:
    """Control transfers on one bus, from the kernel's usbmon text interface."""

    def __init__(self, bus):
        self.lines = []
        self.stopped = False
        self.fd = os.open("/sys/kernel/debug/usb/usbmon/%du" % bus, os.O_RDONLY | os.O_NONBLOCK)
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        buf = b""
        while not self.stopped:
            r, _, _ = select.select([self.fd], [], [], 0.2)
            if not r:
                continue
            try:
                buf += os.read(self.fd, 65536)
            except BlockingIOError:
                continue
            *done, buf = buf.split(b"\n")
            self.lines.extend(x.decode(errors="replace") for x in done)

    def stop(self):
        self.stopped = True
        time.sleep(0.3)
        os.close(self.fd)

    def string_requests(self):
        """(index, completion status) of every GET_DESCRIPTOR(string) seen."""
        found, pending = [], {}
        for line in self.lines:
            f = line.split()
            if len(f) < 5 or not f[3].startswith("Ci:"):
                continue
            tag, kind = f[0], f[2]
            if kind == "S" and len(f) >= 10 and f[4] == "s" and f[5] == "80" and f[6] == "06" \
                    and f[7].startswith("03"):
                pending[tag] = (int(f[7][2:], 16), f[8], int(f[9], 16))
            elif kind == "C" and tag in pending:
                index, lang, length = pending.pop(tag)
                found.append({"index": index, "language": lang, "length": length, "status": f[4]})
        return found


# --- the scenarios --------------------------------------------------------------

def increasing(values):
    return len(values) >= 2 and all(b > a for a, b in zip(values, values[1:]))


EVIOCSCLOCKID = 0x400445A0  # _IOW('E', 0xa0, int)


def frame_times(node, seconds):
    """Times (monotonic ns, the kernel's stamps) of the frames an input node
    delivers during `seconds`."""
    times = []
    fd = os.open(node, os.O_RDONLY | os.O_NONBLOCK)
    fcntl.ioctl(fd, EVIOCSCLOCKID, struct.pack("i", time.CLOCK_MONOTONIC))
    end = time.monotonic() + seconds
    try:
        while time.monotonic() < end:
            select.select([fd], [], [], max(0.0, end - time.monotonic()))
            try:
                data = os.read(fd, 24 * 64)
            except BlockingIOError:
                continue
            for off in range(0, len(data) - 23, 24):
                sec, usec, kind, code, _ = struct.unpack_from("qqHHi", data, off)
                if kind == 0 and code == 0:  # SYN_REPORT
                    times.append(sec * 1000000000 + usec * 1000)
    finally:
        os.close(fd)
    return times


def gaps_ms(times):
    return [(b - a) / 1e6 for a, b in zip(times, times[1:])]


def longest_gap_ms(times, begin, end):
    """The longest stretch (ms) of [begin, end] (ns) without one of times."""
    inside = [begin] + [t for t in times if begin < t < end] + [end]
    return max(gaps_ms(inside))


def still_check(lst, g, name, node, x0, y0, tilt, tries=5):
    """A pen hovering still for 2 s: the tablet keeps reporting it, the driver
    keeps its frames coming (libinput ends the proximity of a pen device that
    has never left proximity after 50 ms without one) and libinput keeps it
    in proximity. Each proximity-out that libinput forces is laid against
    the tablet's own reports: where the gadget's writer in the emulated guest
    itself fell silent for 30 ms or more of the 60 ms before it, the tablet
    did go quiet (with the driver's 10 ms keep-alive on top), and the 2-s
    window is tried again; a driver that lets its frames stop while the
    tablet reports fails."""
    fam = g.family
    frame_gaps, windows, faults, silences = [], [], [], []
    for attempt in range(tries):
        # A short move first, so the window starts with the pen in
        # proximity and first-use costs of the pen's path behind it.
        for i in range(5):
            g.stream(fam.pen("hover", x0 + 40 * (attempt * 5 + i), y0, tilt=tilt))
            time.sleep(0.02)
        lst.wait(name + " proximity in before the still hover", 0,
                 lambda e: lst.pen_in_proximity(), timeout=5)
        rest = lst.mark()
        g.streamed_at = []
        times = frame_times(node, 2.0)
        sent, g.streamed_at = g.streamed_at, None
        changes = lst.since(rest, PEN, "proximity")
        forced = [e["t"] * 1000 for e in lst.since(rest) if "forcing proximity" in e.get("log", "")]
        frame_gaps += gaps_ms(times)
        windows.append(len(changes))
        for t in forced:
            quiet = longest_gap_ms(sent, t - 60000000, t)
            detail = "tablet quiet %.0f ms, driver quiet %.0f ms before it" % (
                quiet, longest_gap_ms(times, t - 60000000, t))
            (silences if quiet >= 30 else faults).append(detail)
        if not changes or faults:
            break
    frame_gaps.sort()
    within = [gap for gap in frame_gaps if gap < 50]
    check(name + ": the driver posts a frame of the still pen at least every 50 ms (keep-alive)",
          frame_gaps and len(within) >= 0.95 * len(frame_gaps),
          "%d of %d frame gaps under 50 ms, median %.1f ms, longest %.0f ms" % (
              len(within), len(frame_gaps), frame_gaps[len(frame_gaps) // 2] if frame_gaps else 0,
              frame_gaps[-1] if frame_gaps else 0))
    check(name + ": a pen hovering still for 2 s stays in proximity", 0 in windows and not faults,
          "proximity changes per 2-s window: %s; forced while the tablet reported: %s; "
          "forced after the gadget's writer fell silent: %s" % (windows, faults or "none", silences or "none"))


def pen_scenario(lst, g, phase, still=None):
    """One family's pen, buttons and keys, checked on what libinput reads."""
    fam = g.family
    name = "%s %s" % (phase, fam.name)
    x0, y0, x1, y1 = fam.span
    step = (x1 - x0) // 40
    tilt = (20, 30) if fam.tilt else (0, 0)

    mark = begin = lst.mark()
    g.stream(fam.pen("hover", x0, y0, tilt=tilt))
    prox = lst.wait(name + " proximity in", mark, is_pen("proximity", **{"in": True}))
    if not check(name + ": proximity in", prox):
        return

    if still:
        still_check(lst, g, name, still, x0, y0, tilt)

    mark = lst.mark()
    xs = [x0 + step * i for i in range(1, 6)]
    for x in xs:
        g.stream(fam.pen("hover", x, y0 + step, tilt=tilt))
        time.sleep(0.01)
    axes = lst.wait(name + " moves", mark, is_pen("axis"), count=len(xs))
    got = [e["x"] for e in axes]
    check(name + ": moves reach libinput in order", len(got) >= 3 and increasing(got),
          "x (mm): %s" % got)
    if fam.tilt and fam.tilt_signed and axes:
        last = axes[-1]
        tx, ty = last.get("tx"), last.get("ty")
        check(name + ": tilt right and towards the user reads positive x and y in libinput",
              tx is not None and ty is not None and 15 < tx < 25 and 25 < ty < 35,
              "device tilt %s -> libinput %s/%s degrees" % (tilt, tx, ty))

    # Tip down with rising pressure (the first tip report of a connection is
    # dropped on the tablets, so there are a few more than needed).
    mark = lst.mark()
    pressures = [fam.pressure_max * f // 100 for f in (4, 9, 15, 22, 30, 40)]
    x = xs[-1]
    for p in pressures:
        x += step
        g.stream(fam.pen("tip", x, y0 + step, pressure=p, tilt=tilt))
        time.sleep(0.01)
    down = lst.wait(name + " tip down", mark, is_pen("tip", down=True))
    lst.wait(name + " pressure", mark, is_pen("axis"), count=3)
    after = [e for e in lst.since(mark, PEN) if e.get("ev") in ("tip", "axis")]
    ps = [e["pressure"] for e in after]
    check(name + ": tip down", down, "")
    check(name + ": pressure rises with the tip down", len(ps) >= 3 and increasing(ps[-3:]) and ps[-1] > 0,
          "pressure: %s" % ps)

    mark = lst.mark()
    g.stream(fam.pen("hover", x, y0 + step, tilt=tilt))
    up = lst.wait(name + " lift", mark, is_pen("tip", down=False))
    check(name + ": lift ends the touch", up and up[0].get("pressure", 1) == 0, up[:1])

    # The lower barrel button's default: the eraser hot key (E).
    mark = lst.mark()
    pressed = time.monotonic_ns()
    g.stream(fam.pen("lower", x, y0 + step, tilt=tilt))
    time.sleep(0.05)
    g.stream(fam.pen("hover", x + step, y0 + step, tilt=tilt))
    keys = lst.wait(name + " lower button", mark, lambda e: e.get("dev") == KEYBOARD and e.get("ev") == "key",
                    count=2)
    if keys:
        # Each press shows the driver's notice on the event path; the first
        # one of the run also maps its window for the first time.
        FIGURES.setdefault("barrel presses", []).append(
            {"name": name, "to_key_ms": round((keys[0]["t"] * 1000 - pressed) / 1e6, 1)})
    check(name + ": lower barrel button presses and releases E on the virtual keyboard",
          [(e["key"], e["pressed"]) for e in keys] == [(tablets.KEY_E, True), (tablets.KEY_E, False)],
          [(e["key"], e["pressed"]) for e in keys])

    if fam.upper_button:
        mark = lst.mark()
        g.stream(fam.pen("upper", x + step, y0 + step, tilt=tilt))
        time.sleep(0.05)
        g.stream(fam.pen("hover", x + 2 * step, y0 + step, tilt=tilt))
        buttons = lst.wait(name + " upper button", mark,
                           lambda e: e.get("dev") == MOUSE and e.get("ev") == "button", count=2)
        check(name + ": upper barrel button clicks the right button of the virtual mouse",
              [(e["button"], e["pressed"]) for e in buttons]
              == [(tablets.BTN_RIGHT, True), (tablets.BTN_RIGHT, False)],
              [(e["button"], e["pressed"]) for e in buttons])

    if fam.key(True) is not None:
        mark = lst.mark()
        g.send(fam.key(True))
        time.sleep(0.05)
        g.send(fam.key(False))
        want = [(k, True) for k in fam.key_events] + [(k, False) for k in reversed(fam.key_events)]
        keys = lst.wait(name + " express key", mark, lambda e: e.get("dev") == KEYBOARD and e.get("ev") == "key",
                        count=len(want))
        got = [(e["key"], e["pressed"]) for e in keys]
        check(name + ": %s presses and releases Ctrl and keypad + on the virtual keyboard" % fam.key_name,
              sorted(got[:len(fam.key_events)]) == sorted(want[:len(fam.key_events)])
              and sorted(got[len(fam.key_events):]) == sorted(want[len(fam.key_events):]), got)

    mark = lst.mark()
    g.stop_stream()
    g.send(fam.pen("out", x + 2 * step, y0 + step))
    out = lst.wait(name + " out of range", mark, is_pen("proximity", **{"in": False}), timeout=3)
    if not out:
        # libinput may have ended the proximity itself before (it does so
        # for a pen device that has never left proximity and then went
        # 50 ms without a frame); then the driver's own proximity-out is
        # the end of a proximity libinput already ended.
        out = lst.forced_before(mark) and not lst.since(mark, PEN, "proximity")
    check(name + ": out of range ends proximity", out)
    forced = lst.forced_since(begin)
    if forced:
        FIGURES.setdefault("forced proximity-outs", []).append("%s: %d" % (name, forced))


def grab_scenario(lst, g, phase, events):
    """The tablet's own kernel event nodes are held by the driver: evtest
    finds them grabbed, and a pointer report of the tablet moves nothing."""
    name = "%s %s" % (phase, g.family.name)
    index = next((i for i, iface in enumerate(g.interfaces) if iface.mouse), None)
    if not events:
        # Only the pointer collection gives the kernel something to read.
        if index is not None:
            check(name + ": the kernel made event nodes for the tablet's pointer", False, "none found")
        return
    grabbed = []
    for node in events:
        try:
            out = subprocess.run(["evtest", node], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                 timeout=3).stdout
        except subprocess.TimeoutExpired as e:
            out = (e.stdout or b"").decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        grabbed.append("grabbed by another process" in out)
    check(name + ": evtest finds the tablet's own event nodes %s grabbed" % " ".join(events), all(grabbed),
          dict(zip(events, grabbed)))
    if index is None:
        return
    rid = g.interfaces[index].mouse
    mark = lst.mark()
    for i in range(5):
        g.send(tablets.mouse_report(rid, 4000 + 1000 * i, 4000 + 500 * i), index=index)
        time.sleep(0.02)
    time.sleep(1.0)
    moved = [e for e in lst.since(mark) if e.get("ev") in ("motion", "absolute", "button")
             and e.get("dev") not in VIRTUAL]
    check(name + ": the tablet's own pointer reports move no pointer (the pointer moves once)", not moved,
          moved[:3])


def start_check(g, phase, driver, driver_mark):
    fam = g.family
    name = "%s %s" % (phase, fam.name)
    if fam.usb_strings:
        return
    if not fam.start:
        time.sleep(0.5)
        got = g.read_outputs()
        check(name + ": no start command (the model needs none)", not got, [x.hex() for x in got])
        return
    got = []
    wait_until(name + " start command",
               lambda: got.extend(g.read_outputs()) or len(got) >= len(fam.start), timeout=WAIT)
    check(name + ": start command reaches the device", got == fam.start,
          "got %s, want %s" % ([x.hex() for x in got], [x.hex() for x in fam.start]))


def strings_check(mon, g, phase, driver, driver_mark):
    """The M517 V1's start: three string-descriptor requests on the bus."""
    name = "%s %s" % (phase, g.family.name)
    want = g.family.STRING_INDEXES
    wait_until(name + " string requests",
               lambda: [r["index"] for r in mon.string_requests() if r["index"] in want] == want, timeout=WAIT)
    seen = [r for r in mon.string_requests() if r["index"] in want]
    check(name + ": string-descriptor requests 100, 123, 122 (language 0, 255 bytes) reach the device",
          [r["index"] for r in seen] == want and all(r["language"] == "0000" and r["length"] == 255 for r in seen),
          seen)
    # The gadget framework answers only the strings it made itself (and
    # none in language 0): these indexes stall, which the driver logs.
    stalled = [r["index"] for r in seen if r["status"] == "-32"]
    FIGURES.setdefault("unanswered string indexes", stalled)
    lines = ["get descriptor %d error:" % (i + 1) for i, r in enumerate(seen) if r["status"] != "0"]
    text = driver.text()[driver_mark:]
    check(name + ": the driver logs each request the device did not answer",
          all(line in text for line in lines), "stalled indexes %s; want lines %s" % (stalled, lines))


def latency_run(lst, g, driver, count=1000, rate=266.0):
    """Hover moves at the tablet's report rate: time from the gadget's write
    to libinput handing the event over, and the driver's CPU time."""
    fam = g.family
    x0, y0, x1, y1 = fam.span
    mark = lst.mark()
    g.stream(fam.pen("hover", x0, y0))
    if not lst.wait("latency proximity", mark, is_pen("proximity", **{"in": True})):
        return check("latency: proximity in before the run", False)
    time.sleep(0.5)
    # From here on every report is a move, written at the rate itself.
    g.stop_stream()
    mark = lst.mark()
    step = max(16, (x1 - x0) // count)
    writes = []
    cpu0 = driver.cpu_ns()
    period = 1.0 / rate
    t = time.monotonic()
    begin = t
    for i in range(count):
        writes.append(g.send(fam.pen("hover", x0 + step * (i + 1), y0)))
        t += period
        time.sleep(max(0.0, t - time.monotonic()))
    elapsed = time.monotonic() - begin
    axes = lst.wait("latency events", mark, is_pen("axis"), count=count, timeout=60)
    cpu1 = driver.cpu_ns()
    g.send(fam.pen("out", x0 + step * count, y0))
    lat = sorted((e["t"] * 1000 - w) / 1e6 for e, w in zip(axes, writes))
    kernel = sorted((e["k"] * 1000 - w) / 1e6 for e, w in zip(axes, writes))
    ok = len(axes) == count
    if lat:
        FIGURES["latency"] = {
            "reports": count, "rate_hz": rate, "sent_in_s": round(elapsed, 3), "events": len(axes),
            "median_ms": round(lat[len(lat) // 2], 3),
            "p99_ms": round(lat[min(len(lat) - 1, int(len(lat) * 0.99))], 3),
            "max_ms": round(lat[-1], 3),
            "to_uinput_median_ms": round(kernel[len(kernel) // 2], 3),
            "cpu_us_per_report": round((cpu1 - cpu0) / 1000.0 / count, 1),
        }
    check("latency: each of %d reports at %.0f Hz reaches libinput as one event" % (count, rate), ok,
          "%d events" % len(axes))


# --- the run ---------------------------------------------------------------------

def host_folders():
    """The host's folders the guest reads from after its own mounts: the
    build it installs, the checkout that build was made from, the listener's
    folder and this script's own checkout; each once, none inside another."""
    here = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    wanted = {os.path.realpath(p) for p in (CONFIG["build"], CONFIG.get("source") or here, here,
                                            os.path.dirname(CONFIG["listener"]))}
    return sorted(p for p in wanted if not any(q != p and p.startswith(q.rstrip("/") + "/") for q in wanted))


def mount_scratch(args, keep):
    """Mounts a fresh file system of the guest's own over a folder of the
    host's root, then binds the kept host folders that lie inside it back
    over it: a checkout cloned into /tmp, say, stays where the build's paths
    say it is."""
    target = args[-1]
    inside = [p for p in keep if p == target or p.startswith(target + "/")]
    held = "/.ovvm-host" + target.replace("/", "-")
    if inside:
        os.makedirs(held, exist_ok=True)
        subprocess.run(["mount", "--bind", target, held], check=False)
    subprocess.run(["mount"] + args, check=False)
    for p in inside:
        os.makedirs(p, exist_ok=True)
        r = subprocess.run(["mount", "--bind", held + p[len(target):], p], check=False)
        if r.returncode != 0:
            note("cannot keep the host's %s visible under the guest's %s" % (p, target))
    if inside:
        subprocess.run(["umount", "-l", held], check=False)


def mount_basics():
    keep = host_folders()
    for args in (["-t", "proc", "proc", "/proc"], ["-t", "sysfs", "sys", "/sys"],
                 ["-t", "tmpfs", "-o", "mode=0755", "run", "/run"], ["-t", "tmpfs", "tmp", "/tmp"],
                 ["-t", "devpts", "devpts", "/dev/pts"], ["-t", "tmpfs", "shm", "/dev/shm"],
                 ["-t", "debugfs", "debugfs", "/sys/kernel/debug"]):
        os.makedirs(args[-1], exist_ok=True)
        mount_scratch(args, keep)
    os.chmod("/tmp", 0o1777)


def missing_modules():
    release = os.uname().release
    with open("/lib/modules/%s/modules.dep" % release) as f:
        have = {os.path.basename(line.split(":")[0]).replace("-", "_") for line in f}
    want = ["dummy_hcd.ko", "libcomposite.ko", "usb_f_hid.ko", "uinput.ko", "usbhid.ko", "usbmon.ko",
            "evdev.ko", "hid_generic.ko"]
    return [m for m in want if m not in have]


def fake_seat():
    """The session a user at the seat has: logind's record of seat0 with
    that user active, which udev's uaccess reads to give the ACLs."""
    os.makedirs("/run/systemd/seats", exist_ok=True)
    os.makedirs("/run/systemd/sessions", exist_ok=True)
    os.makedirs("/run/systemd/users", exist_ok=True)
    with open("/run/systemd/seats/seat0", "w") as f:
        f.write("IS_SEAT0=1\nCAN_MULTI_SESSION=1\nCAN_TTY=1\nCAN_GRAPHICAL=1\n"
                "ACTIVE=1\nACTIVE_UID=%d\nSESSIONS=1\nUIDS=%d\n" % (UID, UID))
    with open("/run/systemd/sessions/1", "w") as f:
        f.write("UID=%d\nUSER=%s\nACTIVE=1\nSTATE=active\nREMOTE=0\nSEAT=seat0\nTYPE=x11\nCLASS=user\n"
                % (UID, USER))


def install():
    build = CONFIG["build"]
    out = run(["cmake", "--install", build], timeout=300)
    with open(RESULTS + "/install.log", "w") as f:
        f.write(out)
    prefix = "/usr/local"
    with open(os.path.join(build, "CMakeCache.txt")) as f:
        for line in f:
            if line.startswith("CMAKE_INSTALL_PREFIX:"):
                prefix = line.split("=", 1)[1].strip()
    binary = os.path.join(prefix, "bin", "OrvaneTabletDriver")
    rules = [p for p in ("/etc/udev/rules.d/70-orvane-tablet.rules", "/usr/lib/udev/rules.d/70-orvane-tablet.rules")
             if os.path.exists(p)]
    check("cmake --install puts the driver and its udev rule in place", os.access(binary, os.X_OK) and rules,
          "%s %s" % (binary, rules))
    run(["udevadm", "control", "--reload"])
    return binary


def make_user():
    run(["useradd", "-m", "-u", str(UID), "-s", "/bin/sh", USER])
    runtime = "/run/user/%d" % UID
    os.makedirs(runtime, exist_ok=True)
    os.chown(runtime, UID, UID)
    os.chmod(runtime, 0o700)
    groups = run(["id", "-nG", USER]).split()
    check("the test user belongs to no group that reaches devices", groups == [USER], groups)


def start_x():
    """An X server of the user's session, so the driver finds its displays
    through XRandR as on a desktop."""
    if not os.path.exists("/usr/bin/Xvfb"):
        note("no Xvfb: the driver runs offscreen")
        return None, {"QT_QPA_PLATFORM": "offscreen"}
    proc = subprocess.Popen(["runuser", "-u", USER, "--", "/usr/bin/Xvfb", ":7", "-screen", "0", "1920x1080x24",
                             "-nolisten", "tcp"], stdout=open(RESULTS + "/xvfb.log", "w"),
                            stderr=subprocess.STDOUT)
    if not wait_until("the X server", lambda: os.path.exists("/tmp/.X11-unix/X7"), timeout=WAIT):
        proc.kill()
        return None, {"QT_QPA_PLATFORM": "offscreen"}
    return proc, {"DISPLAY": ":7"}


def main():
    global CONFIG
    with open(RESULTS + "/config.json") as f:
        CONFIG = json.load(f)
    mount_basics()
    missing = missing_modules()
    if missing:
        return skip("the guest kernel lacks %s" % ", ".join(missing))
    fake_seat()
    subprocess.run(["/lib/systemd/systemd-udevd", "--daemon", "--resolve-names=never"], check=True)
    binary = install()
    make_user()
    modprobe("evdev")
    modprobe("uinput")
    modprobe("dummy_hcd", "num=%d" % len(tablets.FAMILIES))
    modprobe("libcomposite")
    modprobe("usb_f_hid")
    modprobe("usbmon")
    modprobe("usbhid")
    modprobe("hid_generic")
    subprocess.run(["mount", "-t", "configfs", "none", "/sys/kernel/config"], check=False)
    settle()
    users = acl_users("/dev/uinput")
    check("udev rule gives %s an ACL on /dev/uinput" % USER, UID in users, "ACL users: %s" % users)
    ok, out = user_can_open("/dev/uinput")
    check("%s opens /dev/uinput" % USER, ok, out)

    lst = Listener(CONFIG["listener"])
    lst.wait("the listener", 0, lambda e: e.get("ready"))
    debug = subprocess.Popen(["libinput", "debug-events"], stdout=open(RESULTS + "/libinput-debug-events.txt", "w"),
                             stderr=subprocess.STDOUT)
    xserver, display = start_x()

    gadgets = [tablets.Gadget(fam, "dummy_udc.%d" % i, "OV%04d" % (i + 1)) for i, fam in enumerate(tablets.FAMILIES)]
    env = {"HOME": "/home/" + USER, "USER": USER, "LOGNAME": USER, "PATH": "/usr/local/bin:/usr/bin:/bin",
           "LANG": "C.UTF-8", "XDG_RUNTIME_DIR": "/run/user/%d" % UID, "XDG_SESSION_TYPE": "x11",
           "XDG_SEAT": "seat0"}
    env.update(display)
    env.update(CONFIG.get("env", {}))
    m517 = next(g for g in gadgets if g.family.usb_strings)

    # Cold plug: every tablet is there before the driver starts.
    for g in gadgets:
        g.plug()
    settle()
    nodes = {g.family.name: check_access(g, "cold plug") for g in gadgets}
    mon = UsbMon(m517.busnum())
    driver = Driver(binary, env)
    check("the driver runs as %s" % USER, driver.pid and os.stat("/proc/%d" % driver.pid).st_uid == UID,
          "pid %s" % driver.pid)
    pen_added = lst.wait("the virtual pen", 0, lambda e: e.get("dev") == PEN and e.get("ev") == "added")
    check("libinput finds the driver's virtual pen, mouse and keyboard",
          pen_added and all(lst.wait(d, 0, lambda e, d=d: e.get("dev") == d and e.get("ev") == "added")
                            for d in (MOUSE, KEYBOARD)), pen_added[:1])
    for g in gadgets:
        check("cold plug %s: the driver reports it plugged in" % g.family.name,
              driver.wait_line("plug in: %s" % g.family.product))
    for g in gadgets:
        start_check(g, "cold plug", driver, 0)
    strings_check(mon, m517, "cold plug", driver, 0)
    mon.stop()
    for g in gadgets:
        grab_scenario(lst, g, "cold plug", nodes[g.family.name][2])

    evtest = None
    if pen_added:
        evtest = subprocess.Popen(["evtest", "/dev/input/" + pen_added[0]["sys"]],
                                  stdout=open(RESULTS + "/evtest-virtual-pen.txt", "w"), stderr=subprocess.STDOUT)
    for i, g in enumerate(gadgets):
        pen_scenario(lst, g, "cold plug", still=("/dev/input/" + pen_added[0]["sys"]) if i == 0 and pen_added else None)
    if evtest:
        evtest.terminate()
        evtest.wait(5)
        with open(RESULTS + "/evtest-virtual-pen.txt") as f:
            text = f.read()
        check("evtest reads the virtual pen's tool, pressure and tilt",
              all(s in text for s in ("(BTN_TOOL_PEN), value 1", "(ABS_PRESSURE), value", "(ABS_TILT_X), value")),
              text[-300:] if "BTN_TOOL_PEN" not in text else "")

    # Unplug: every tablet goes.
    for g in gadgets:
        mark = driver.mark()
        g.unplug()
        check("unplug %s: the driver sees it go" % g.family.name, driver.wait_line("unplug: %s" % g.family.product,
                                                                                    mark))
    check("the driver still runs with no tablet", driver.alive())

    # Hot plug: each tablet comes while the driver runs.
    record = None
    for g in gadgets:
        mark = driver.mark()
        mon = UsbMon(g.busnum()) if g.family.usb_strings else None
        g.plug()
        ok = driver.wait_line("plug in: %s" % g.family.product, mark)
        check("hot plug %s: the driver reports it plugged in" % g.family.name, ok)
        settle()
        _, _, events = check_access(g, "hot plug")
        start_check(g, "hot plug", driver, mark)
        if mon:
            strings_check(mon, g, "hot plug", driver, mark)
            mon.stop()
        grab_scenario(lst, g, "hot plug", events)
        if g is gadgets[0] and pen_added:
            record = subprocess.Popen(["libinput", "record", "-o", RESULTS + "/libinput-record-virtual-pen.yml",
                                       "/dev/input/" + pen_added[0]["sys"]],
                                      stdout=open(RESULTS + "/libinput-record.log", "w"), stderr=subprocess.STDOUT)
            time.sleep(1.0)
        pen_scenario(lst, g, "hot plug")
        if record:
            record.send_signal(signal.SIGINT)
            record.wait(10)
            with open(RESULTS + "/libinput-record-virtual-pen.yml") as f:
                text = f.read()
            check("libinput record captures the virtual pen's events",
                  "ABS_PRESSURE" in text and "BTN_TOOL_PEN" in text and text.count("- evdev:") >= 5,
                  "%d frames" % text.count("- evdev:"))
            record = None

    latency_run(lst, gadgets[0], driver)

    # SIGTERM ends the driver through its normal end.
    mark = lst.mark()
    os.kill(driver.pid, signal.SIGTERM)
    try:
        code = driver.proc.wait(WAIT)
    except subprocess.TimeoutExpired:
        code = None
        driver.proc.kill()
    check("SIGTERM ends the driver cleanly (exit 0)", code == 0, "exit %s" % code)
    gone = lst.wait("virtual devices removed", mark, lambda e: e.get("ev") == "removed" and e.get("dev") in VIRTUAL,
                    count=3)
    check("the virtual pen, mouse and keyboard go with the driver", len(gone) == 3, [e["dev"] for e in gone])
    with open(RESULTS + "/libinput-debug-events.txt") as f:
        text = f.read()
    check("libinput debug-events shows the virtual pen's proximity and tip",
          "TABLET_TOOL_PROXIMITY" in text and "TABLET_TOOL_TIP" in text and "Orvane Virtual Pen" in text)
    debug.terminate()
    lst.stop()
    if xserver:
        xserver.terminate()


if __name__ == "__main__":
    try:
        main()
    except Exception:
        note("guest error:\n" + traceback.format_exc())
        CHECKS.append({"name": "the guest run ends without an error", "ok": False,
                       "detail": traceback.format_exc().splitlines()[-1]})
        save()
    finally:
        note("done")
        save()
        os.sync()
        if os.getpid() == 1:
            subprocess.run(["busybox", "poweroff", "-f"])
