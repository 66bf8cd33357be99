"""Virtual USB tablets for the VM test: one USB gadget per model family,
made through configfs on the kernel's dummy host controller, so that the
kernel's own usbhid, hidraw and input drivers and udev meet them as they
meet a tablet on a USB port.

Each family gives its USB ids and strings, its HID interfaces (report
descriptors), the start command the driver must send, and the bytes of its
pen and key reports as the device sends them."""

import os
import select
import threading
import time

VENDOR = 0x3A8F
CONFIGFS = "/sys/kernel/config/usb_gadget"


# --- report descriptors -----------------------------------------------------

def _item(prefix, value, size=None):
    if size is None:
        size = 0 if value is None else 1 if 0 <= value <= 0xFF else 2 if 0 <= value <= 0xFFFF else 4
    code = {0: 0, 1: 1, 2: 2, 4: 3}[size]
    data = b"" if size == 0 else int(value).to_bytes(size, "little", signed=value < 0)
    return bytes([prefix | code]) + data


def usage_page(page):
    return _item(0x04, page, 2 if page > 0xFF else 1)


def usage(u):
    return _item(0x08, u)


def collection(kind):
    return _item(0xA0, kind)


END = b"\xC0"


def report_id(n):
    return _item(0x84, n)


def vendor_bytes(main, count):
    """count bytes of vendor data as one main item (0x80 input, 0x90 output)."""
    return (_item(0x14, 0) + _item(0x24, 0xFF, 2) + _item(0x74, 8) + _item(0x94, count)
            + usage(1) + _item(main, 0x02))


def vendor_collection(page, rid, inputs, outputs=0):
    body = usage_page(page) + usage(1) + collection(1) + report_id(rid) + vendor_bytes(0x80, inputs)
    if outputs:
        body += vendor_bytes(0x90, outputs)
    return body + END


def absolute_mouse(rid):
    """Three buttons and absolute X, Y: what the kernel makes a pointer of."""
    return (usage_page(1) + usage(2) + collection(1) + report_id(rid) + usage(1) + collection(0)
            + usage_page(9) + _item(0x18, 1) + _item(0x28, 3) + _item(0x14, 0) + _item(0x24, 1)
            + _item(0x74, 1) + _item(0x94, 3) + _item(0x80, 0x02)
            + _item(0x74, 5) + _item(0x94, 1) + _item(0x80, 0x03)
            + usage_page(1) + usage(0x30) + usage(0x31) + _item(0x14, 0) + _item(0x24, 0x7FFF, 2)
            + _item(0x74, 16) + _item(0x94, 2) + _item(0x80, 0x02) + END + END)


def mouse_report(rid, x, y, buttons=0):
    return bytes([rid, buttons]) + int(x).to_bytes(2, "little") + int(y).to_bytes(2, "little")


def pen_display_desktop(rid_pen, pen_bytes, rid_mouse):
    """A generic-desktop application collection that carries the pen
    display's own vendor-formatted pen reports and a plain pointer report."""
    mouse = absolute_mouse(rid_mouse)
    # The vendor report rides inside the same application collection.
    inner = (report_id(rid_pen) + usage_page(0xFF00) + usage(1) + vendor_bytes(0x80, pen_bytes))
    return mouse[:-1] + inner + END


# The command collections: 0xFF0B, and 0xFF0C behind it (first, it would
# mean the device runs its boot program).
COMMANDS = vendor_collection(0xFF0B, 3, 63, 63) + vendor_collection(0xFF0C, 0xFC, 63, 0)


# --- families -----------------------------------------------------------------

class Interface:
    def __init__(self, name, descriptor, length, pen=False, mouse=None):
        self.name = name
        self.descriptor = descriptor
        self.length = length  # longest report, with its id
        self.pen = pen  # the pen and key reports come here
        self.mouse = mouse  # report id of a pointer report the kernel reads


class Family:
    """A model family: ids, interfaces, start command and report bytes.
    Positions are in the device's own units; pen states are 'out', 'hover',
    'tip', 'lower' and 'upper' (a barrel button held, tip up)."""

    name = ""
    product = ""
    pid = 0
    tilt = True
    tilt_signed = True
    key_name = ""  # the express key pressed, and what its default posts
    key_events = []  # evdev key codes pressed by the key's default action
    upper_button = True
    start = []  # output reports the driver must send on the pen interface
    usb_strings = False  # started by USB string-descriptor requests
    span = (1000, 1000, 10000, 10000)  # x0, y0, x1, y1 of the positions used
    pressure_max = 8191

    def interfaces(self):
        raise NotImplementedError

    def pen(self, state, x, y, pressure=0, tilt=(0, 0)):
        raise NotImplementedError

    def key(self, pressed):
        raise NotImplementedError


KEY_LEFTCTRL = 29
KEY_KPPLUS = 78
KEY_E = 18
BTN_RIGHT = 273


def _le16(v):
    return [v & 0xFF, (v >> 8) & 0xFF]


def _s8(v):
    return v & 0xFF


class TevraM(Family):
    name = "Tevra M"
    product = "Tevra M"
    pid = 0x1104
    start = [bytes([0x02, 0xB0, 0x04, 0, 0, 0, 0, 0])]
    key_name = "express key K2 (zoom in)"
    key_events = [KEY_LEFTCTRL, KEY_KPPLUS]
    span = (2000, 2000, 18000, 9000)
    STATUS = {"out": 0xC0, "hover": 0xA0, "tip": 0xA1, "lower": 0xA2, "upper": 0xA4}

    def interfaces(self):
        # One interface with four collections: the pen and keys (0xFF0A), the
        # two command collections, and a pointer the kernel reads itself.
        return [Interface("tablet", vendor_collection(0xFF0A, 2, 9, 7) + COMMANDS + absolute_mouse(1), 64,
                          pen=True, mouse=1)]

    def pen(self, state, x, y, pressure=0, tilt=(0, 0)):
        return bytes([0x02, self.STATUS[state]] + _le16(x) + _le16(y) + _le16(pressure)
                     + [_s8(tilt[0]), _s8(tilt[1])])

    def key(self, pressed):
        # V = 0x4000 is K2 upright.
        return bytes([0x02, 0xF0, 0x40 if pressed else 0, 0, 0, 0, 0, 0, 0, 0])


class Sorvi16Pro(Family):
    name = "Sorvi 16Pro"
    product = "Sorvi 16Pro"
    pid = 0x1112
    start = [bytes([0x09, 0x01, 0x04, 0, 0, 0, 0, 0]), bytes([0x09, 0x02, 0x02, 0, 0, 0, 0, 0])]
    key_name = "express key K3 (zoom in)"
    key_events = [KEY_LEFTCTRL, KEY_KPPLUS]
    span = (4000, 4000, 60000, 34000)
    STATUS = {"out": 0xC0, "hover": 0xA0, "tip": 0xA1, "lower": 0xA2, "upper": 0xA4}

    def interfaces(self):
        return [Interface("tablet", vendor_collection(0xFF0A, 9, 12, 7) + COMMANDS, 64, pen=True)]

    def pen(self, state, x, y, pressure=0, tilt=(0, 0)):
        # Positions in radix 255; a high part above 255 sets byte 5.
        xh, xl = divmod(x, 255)
        yh, yl = divmod(y, 255)
        return bytes([0x09, 0x41, self.STATUS[state], xl, xh & 0xFF, 1 if xh > 255 else 0, yl, yh, 0]
                     + _le16(pressure) + [_s8(tilt[0]), _s8(tilt[1])])

    def key(self, pressed):
        # Byte 3 the state, byte 4 the key: 0x04 is K3 upright.
        return bytes([0x09, 0x42, 0, 1 if pressed else 0, 0x04 if pressed else 0, 0, 0, 0, 0, 0, 0, 0, 0])


class Sorvi22(Family):
    """A pen display whose pen reports come on its generic-desktop interface."""
    name = "Sorvi 22"
    product = "Sorvi 22"
    pid = 0x1113
    start = []
    tilt_signed = False
    upper_button = False
    pressure_max = 2047  # 11 bits
    span = (4000, 4000, 50000, 28000)

    def interfaces(self):
        return [Interface("pen", pen_display_desktop(1, 8, 3), 9, pen=True, mouse=3)]

    def pen(self, state, x, y, pressure=0, tilt=(0, 0)):
        # Bit 6 the tip, bit 1 the button; the pressure's lowest bit in bit 0.
        status = {"out": 0x80, "hover": 0xA0, "tip": 0xE0 | (pressure & 1), "lower": 0xA2}[state]
        xh, xl = divmod(x, 255)
        yh, yl = divmod(y, 255)
        tx = max(0, min(63, tilt[0]))
        ty = max(0, min(127, tilt[1]))
        return bytes([0x01, status, xh, xl, yh, yl, (pressure >> 3) & 0xFF,
                      (((pressure >> 1) & 3) << 6) | tx, ty])

    def key(self, pressed):
        return None


class M517V1(Family):
    """Started by three USB string-descriptor requests; its reports come on
    vendor page 0xFF07."""
    name = "M517 V1"
    product = "M517 V1"
    pid = 0x1102
    start = []
    usb_strings = True
    tilt = False
    key_name = "express key K2 (zoom in)"
    key_events = [KEY_LEFTCTRL, KEY_KPPLUS]
    span = (2000, 2000, 26000, 15000)
    STATUS = {"out": 0x80, "hover": 0xC0, "tip": 0xA1, "lower": 0xA2, "upper": 0xA4}
    # GET_DESCRIPTOR of these string indexes, language 0, 255 bytes.
    STRING_INDEXES = [100, 123, 122]

    def interfaces(self):
        return [Interface("pen", vendor_collection(0xFF07, 2, 7, 7), 8, pen=True)]

    def pen(self, state, x, y, pressure=0, tilt=(0, 0)):
        return bytes([0x02, self.STATUS[state]] + _le16(x) + _le16(y) + _le16(pressure))

    def key(self, pressed):
        # Byte 4: 0x01 is K2 upright.
        return bytes([0x02, 0xE0, 0, 0, 0x01 if pressed else 0, 0, 0, 0])


FAMILIES = [TevraM(), Sorvi16Pro(), Sorvi22(), M517V1()]


# --- gadgets ------------------------------------------------------------------

def _write(path, value):
    with open(path, "wb") as f:
        f.write(value if isinstance(value, bytes) else str(value).encode())


def _read(path):
    with open(path) as f:
        return f.read().strip()


class Gadget:
    """One family's USB device on one dummy UDC (the kernel's HID function
    makes at most four interfaces in all: each family has one). plug() and unplug() bind
    and unbind it, which the host side sees as a cable plugged in or out."""

    def __init__(self, family, udc, serial):
        self.family = family
        self.udc = udc
        self.dir = os.path.join(CONFIGFS, "ov" + family.name.replace(" ", "").lower())
        self.interfaces = family.interfaces()
        self.fds = {}
        self.rate = 266.0  # reports per second while the pen is in range
        self._streamed = None
        self._wake = threading.Condition()
        self._streamer = None
        self.stream_error = None
        # Times (monotonic ns) of the streamed reports, kept while a list.
        self.streamed_at = None
        d = self.dir
        os.makedirs(d, exist_ok=True)
        _write(d + "/idVendor", "0x%04x" % VENDOR)
        _write(d + "/idProduct", "0x%04x" % family.pid)
        _write(d + "/bcdDevice", "0x0100")
        _write(d + "/bcdUSB", "0x0200")
        os.makedirs(d + "/strings/0x409", exist_ok=True)
        _write(d + "/strings/0x409/manufacturer", "Orvane")
        _write(d + "/strings/0x409/product", family.product)
        _write(d + "/strings/0x409/serialnumber", serial)
        os.makedirs(d + "/configs/c.1/strings/0x409", exist_ok=True)
        _write(d + "/configs/c.1/strings/0x409/configuration", "tablet")
        _write(d + "/configs/c.1/MaxPower", "100")
        self.devnums = []
        for i, iface in enumerate(self.interfaces):
            f = d + "/functions/hid.%s" % iface.name
            os.makedirs(f, exist_ok=True)
            _write(f + "/protocol", "0")
            _write(f + "/subclass", "0")
            _write(f + "/report_length", str(iface.length))
            _write(f + "/report_desc", iface.descriptor)
            link = d + "/configs/c.1/hid.%s" % iface.name
            if not os.path.islink(link):
                os.symlink(f, link)
            self.devnums.append(_read(f + "/dev"))

    @staticmethod
    def _node(devnum):
        # The function's character device exists while it is bound.
        end = time.monotonic() + 10
        while time.monotonic() < end:
            for name in os.listdir("/sys/class/hidg") if os.path.isdir("/sys/class/hidg") else []:
                if _read("/sys/class/hidg/%s/dev" % name) == devnum and os.path.exists("/dev/" + name):
                    return "/dev/" + name
            time.sleep(0.05)
        raise RuntimeError("no /dev/hidg node for " + devnum)

    def plugged(self):
        return _read(self.dir + "/UDC") != ""

    def plug(self):
        _write(self.dir + "/UDC", self.udc)
        for i, devnum in enumerate(self.devnums):
            self.fds[i] = os.open(self._node(devnum), os.O_RDWR | os.O_NONBLOCK)

    def unplug(self):
        self.stop_stream()
        for fd in self.fds.values():
            os.close(fd)
        self.fds = {}
        _write(self.dir + "/UDC", "\n")

    def pen_index(self):
        return next(i for i, iface in enumerate(self.interfaces) if iface.pen)

    def send(self, report, index=None, deadline=2.0):
        """Writes one input report; waits (bounded) while the host has not
        yet taken the previous one."""
        fd = self.fds[self.pen_index() if index is None else index]
        end = time.monotonic() + deadline
        while True:
            try:
                os.write(fd, report)
                return time.monotonic_ns()
            except BlockingIOError:
                if time.monotonic() > end:
                    raise TimeoutError("the host took no report from %s" % self.family.name)
                select.select([], [fd], [], 0.05)

    def stream(self, report):
        """The pen in range: the report goes out now and again at the
        tablet's rate until the next one, as a tablet keeps reporting while
        the pen is in range, also when it holds still."""
        with self._wake:
            self._streamed = report
            self._wake.notify_all()
        if not self._streamer or not self._streamer.is_alive():
            self._streamer = threading.Thread(target=self._stream, daemon=True)
            self._streamer.start()

    def stop_stream(self):
        with self._wake:
            self._streamed = None
            self._wake.notify_all()
        if self._streamer:
            self._streamer.join(5)
            self._streamer = None

    def _stream(self):
        period = 1.0 / self.rate
        due = time.monotonic()
        while True:
            with self._wake:
                report = self._streamed
                if report is None:
                    return
            try:
                sent = self.send(report)
                if self.streamed_at is not None:
                    self.streamed_at.append(sent)
            except (OSError, TimeoutError) as e:
                self.stream_error = "%s: %s" % (self.family.name, e)
                return
            due += period
            with self._wake:
                # A new report goes out at once; otherwise the next period.
                self._wake.wait_for(lambda: self._streamed is not report, max(0.0, due - time.monotonic()))
                if self._streamed is not report:
                    due = time.monotonic()

    def read_outputs(self, index=None):
        """Output reports the host has sent so far on an interface."""
        fd = self.fds[self.pen_index() if index is None else index]
        out = []
        while True:
            try:
                data = os.read(fd, 4096)
            except BlockingIOError:
                return out
            if not data:
                return out
            out.append(data)

    def busnum(self):
        """The host-side USB bus of this gadget's dummy controller."""
        n = self.udc.split(".")[-1]
        base = "/sys/devices/platform/dummy_hcd.%s" % n
        for name in os.listdir(base):
            if name.startswith("usb") and os.path.exists(base + "/" + name + "/busnum"):
                return int(_read(base + "/" + name + "/busnum"))
        raise RuntimeError("no bus for " + self.udc)
