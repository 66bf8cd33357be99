#!/usr/bin/env python3
"""Runs the VM test: boots the distribution's kernel under qemu with the
host's root shared read-only, lets tests/vm/guest.py plug virtual USB
tablets into it and check what the installed driver does with them, then
prints every check and the latency figure.

Exit codes: 0 every check passed, 1 a check failed or the VM did not finish
in time, 77 this machine cannot run the VM (the reason is printed)."""

import argparse
import gzip
import json
import lzma
import os
import re
import shutil
import signal
import stat
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SKIP = 77
# Modules the initramfs loads to reach the host's root; the guest loads the
# rest from that root.
INITRAMFS_MODULES = ["kernel/drivers/virtio/virtio_pci.ko", "kernel/net/9p/9pnet_virtio.ko",
                     "kernel/fs/9p/9p.ko", "kernel/fs/overlayfs/overlay.ko"]


def skip(reason):
    print("SKIP: " + reason, flush=True)
    sys.exit(SKIP)


def version_key(release):
    return [int(p) if p.isdigit() else p for p in re.split(r"[.-]", release)]


def find_kernel():
    """The newest installed kernel whose modules are there too."""
    found = []
    for name in os.listdir("/boot") if os.path.isdir("/boot") else []:
        if not name.startswith("vmlinuz-"):
            continue
        release = name[len("vmlinuz-"):]
        if os.path.exists("/lib/modules/%s/modules.dep" % release) and os.access("/boot/" + name, os.R_OK):
            found.append(release)
    if not found:
        return None
    return max(found, key=version_key)


def is_static(path):
    """An ELF executable without a program interpreter."""
    with open(path, "rb") as f:
        head = f.read(64)
        if head[:4] != b"\x7fELF" or head[4] != 2:
            return False
        phoff = int.from_bytes(head[32:40], "little")
        phentsize = int.from_bytes(head[54:56], "little")
        phnum = int.from_bytes(head[56:58], "little")
        f.seek(phoff)
        table = f.read(phentsize * phnum)
    return all(int.from_bytes(table[i * phentsize:i * phentsize + 4], "little") != 3 for i in range(phnum))


def uncompressed_kernel(image, work):
    """The kernel as an uncompressed ELF image (qemu boots it straight
    through its PVH entry, which saves the decompression under emulation);
    the compressed image when its payload is of an unknown kind."""
    st = os.stat(image)
    out = os.path.join(work, "vmlinux-%s-%d-%d" % (os.path.basename(image), st.st_size, int(st.st_mtime)))
    if os.path.exists(out):
        return out
    with open(image, "rb") as f:
        data = f.read()
    payload = None
    for magic, open_ in ((b"\xfd7zXZ\x00", "xz"), (b"\x1f\x8b\x08", "gzip")):
        at = data.find(magic)
        while at >= 0 and payload is None:
            try:
                if open_ == "xz":
                    payload = lzma.LZMADecompressor().decompress(data[at:])
                else:
                    payload = gzip.GzipFile(fileobj=__import__("io").BytesIO(data[at:])).read()
                if payload[:4] != b"\x7fELF":
                    payload = None
            except (lzma.LZMAError, OSError, EOFError):
                payload = None
            at = data.find(magic, at + 1) if payload is None else at
        if payload:
            break
    if not payload:
        return image
    for old in os.listdir(work):
        if old.startswith("vmlinux-"):
            os.remove(os.path.join(work, old))
    with open(out + ".new", "wb") as f:
        f.write(payload)
    os.replace(out + ".new", out)
    return out


class Cpio:
    """A newc archive, as the kernel unpacks an initramfs."""

    def __init__(self):
        self.data = bytearray()
        self.ino = 1

    def add(self, name, mode, content=b"", rdev=(0, 0)):
        fields = [self.ino, mode, 0, 0, 1, 0, len(content), 0, 0, rdev[0], rdev[1], len(name) + 1, 0]
        self.ino += 1
        self.data += b"070701" + b"".join(b"%08X" % v for v in fields) + name.encode() + b"\0"
        self.data += b"\0" * (-len(self.data) % 4)
        self.data += content
        self.data += b"\0" * (-len(self.data) % 4)

    def finish(self):
        self.add("TRAILER!!!", 0)
        return bytes(self.data)


def make_initramfs(release, busybox, path):
    root = "/lib/modules/%s/" % release
    deps = {}
    with open(root + "modules.dep") as f:
        for line in f:
            name, rest = line.split(":", 1)
            deps[name] = rest.split()
    order = []

    def add(module):
        if module in order:
            return
        if module not in deps:
            skip("the kernel %s has no module %s" % (release, module))
        for dep in reversed(deps[module]):
            add(dep)
        order.append(module)

    for module in INITRAMFS_MODULES:
        add(module)
    cpio = Cpio()
    for d in ("bin", "dev", "modules"):
        cpio.add(d, stat.S_IFDIR | 0o755)
    cpio.add("dev/console", stat.S_IFCHR | 0o600, rdev=(5, 1))
    with open(busybox, "rb") as f:
        cpio.add("bin/busybox", stat.S_IFREG | 0o755, f.read())
    with open(os.path.join(HERE, "init.sh"), "rb") as f:
        cpio.add("init", stat.S_IFREG | 0o755, f.read())
    for module in order:
        with open(root + module, "rb") as f:
            cpio.add("modules/" + os.path.basename(module), stat.S_IFREG | 0o644, f.read())
    cpio.add("modules/order", stat.S_IFREG | 0o644, "".join(os.path.basename(m) + "\n" for m in order).encode())
    with open(path, "wb") as f:
        f.write(cpio.finish())


def cache_value(build, key):
    try:
        with open(os.path.join(build, "CMakeCache.txt")) as f:
            for line in f:
                if line.startswith(key + ":"):
                    return line.split("=", 1)[1].strip()
    except OSError:
        pass
    return ""


# What qemu prints when KVM cannot go on with the guest; qemu then stops the
# guest and waits.
KVM_FAILURES = ("KVM internal error", "failed to initialize kvm", "kvm run failed", "KVM: entry failed")


def boot(cmd, console_path, deadline):
    """Runs qemu until the guest powers off or the deadline. Returns
    (finished, failure): failure is KVM's complaint when it could not run
    the guest (qemu is killed then)."""
    console = open(console_path, "w")
    proc = subprocess.Popen(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            start_new_session=True)
    os.set_blocking(proc.stdout.fileno(), False)
    finished = True
    failure = None
    pending = b""
    while proc.poll() is None:
        if time.monotonic() > deadline or failure:
            finished = False
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()
            break
        time.sleep(0.2)
        try:
            chunk = proc.stdout.read() or b""
        except BlockingIOError:
            chunk = b""
        pending += chunk
        *lines, pending = pending.split(b"\n")
        for raw in lines:
            line = raw.decode(errors="replace").rstrip("\r")
            console.write(line + "\n")
            if any(f in line for f in KVM_FAILURES):
                failure = line.strip()
            if line.startswith("[guest") or "ovvm-init" in line or "Kernel panic" in line:
                print(line, flush=True)
    rest = (proc.stdout.read() or b"") if finished else b""
    console.write((pending + rest).decode(errors="replace"))
    console.close()
    return finished, failure


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="the build tree to install into the guest")
    parser.add_argument("--listener", default="", help="the libinput reader (tests/vm/inputlisten)")
    parser.add_argument("--work", required=True, help="scratch folder: kernel image, initramfs, results")
    parser.add_argument("--timeout", type=float, default=540, help="seconds the VM may run")
    parser.add_argument("--memory", default="2048")
    # The driver, libinput's reader, the X server and the gadget's writer run
    # at once; under emulation each vCPU is a host thread.
    parser.add_argument("--cpus", type=int, default=max(2, min(4, os.cpu_count() or 2)))
    parser.add_argument("--accel", choices=("auto", "kvm", "tcg"), default="auto",
                        help="KVM where it runs the guest, else software emulation (auto)")
    args = parser.parse_args()

    build = os.path.abspath(args.build)
    qemu = shutil.which("qemu-system-x86_64")
    if not qemu:
        skip("no qemu-system-x86_64 (Debian package qemu-system-x86)")
    release = find_kernel()
    if not release:
        skip("no kernel image with its modules in /boot and /lib/modules (Debian package linux-image-amd64)")
    busybox = next((p for p in ("/bin/busybox", "/usr/bin/busybox") if os.path.exists(p)), None)
    if not busybox or not is_static(busybox):
        skip("no statically linked busybox (Debian package busybox-static)")
    for tool, package in (("/usr/bin/python3", "python3"), ("/usr/bin/libinput", "libinput-tools"),
                          ("/usr/bin/evtest", "evtest"), ("/lib/systemd/systemd-udevd", "udev")):
        if not os.path.exists(tool):
            skip("no %s (Debian package %s)" % (tool, package))
    if not args.listener or not os.path.exists(args.listener):
        skip("the libinput reader was not built (Debian package libinput-dev)")
    if not os.path.exists(os.path.join(build, "apps", "OrvaneTabletDriver")):
        skip("the driver is not built in %s" % build)

    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    results = os.path.join(work, "results")
    shutil.rmtree(results, ignore_errors=True)
    os.makedirs(results)
    os.chmod(results, 0o777)
    # The sanitizers' options go along only to a build that has them.
    sanitized = cache_value(build, "OV_SANITIZE") == "ON"
    env = {k: v for k, v in os.environ.items()
           if k == "QT_LOGGING_RULES" or (sanitized and k in ("ASAN_OPTIONS", "UBSAN_OPTIONS"))}
    if sanitized:
        env.setdefault("ASAN_OPTIONS", "detect_leaks=0")
    config = {"build": build, "source": cache_value(build, "CMAKE_HOME_DIRECTORY"),
              "listener": os.path.abspath(args.listener), "env": env}
    with open(os.path.join(results, "config.json"), "w") as f:
        json.dump(config, f)

    kernel = uncompressed_kernel("/boot/vmlinuz-" + release, work)
    initramfs = os.path.join(work, "initramfs.cpio")
    make_initramfs(release, busybox, initramfs)

    base = [qemu, "-nodefaults", "-no-user-config", "-display", "none", "-no-reboot",
            "-m", args.memory, "-smp", str(args.cpus), "-serial", "stdio",
            "-kernel", kernel, "-initrd", initramfs,
            "-append", "console=ttyS0 quiet panic=-1 ovvm.guest=%s" % os.path.join(HERE, "guest.py"),
            "-virtfs", "local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap",
            "-virtfs", "local,path=%s,mount_tag=ovvm,security_model=none,multidevs=remap" % results]
    accels = []
    if args.accel in ("auto", "kvm") and os.access("/dev/kvm", os.R_OK | os.W_OK):
        accels.append(("KVM", ["-accel", "kvm", "-cpu", "host"]))
    if args.accel in ("auto", "tcg"):
        accels.append(("TCG software emulation", ["-accel", "tcg", "-cpu", "max"]))
    if not accels:
        skip("no /dev/kvm that this user may open, and software emulation was not allowed")
    started = time.monotonic()
    for how, accel in accels:
        print("vm: kernel %s, %s, %d processors, build %s%s" % (
            release, how, args.cpus, cache_value(build, "CMAKE_BUILD_TYPE"),
            " with sanitizers" if sanitized else ""), flush=True)
        finished, failure = boot(base + accel, os.path.join(work, "console.log"), started + args.timeout)
        if failure and how == "KVM" and len(accels) > 1:
            # A nested or partial KVM that cannot run this kernel: the same
            # boot again under software emulation.
            print("vm: KVM cannot run the guest (%s); software emulation instead" % failure, flush=True)
            shutil.rmtree(results, ignore_errors=True)
            os.makedirs(results)
            os.chmod(results, 0o777)
            with open(os.path.join(results, "config.json"), "w") as f:
                json.dump(config, f)
            continue
        break
    elapsed = time.monotonic() - started

    if os.path.exists(os.path.join(results, "skip")):
        with open(os.path.join(results, "skip")) as f:
            skip(f.read().strip())
    try:
        with open(os.path.join(results, "results.json")) as f:
            outcome = json.load(f)
    except (OSError, ValueError):
        outcome = {"checks": [], "figures": {}}
    checks = outcome["checks"]
    failed = [c for c in checks if not c["ok"]]
    print()
    for c in checks:
        print("%s  %s%s" % ("PASS" if c["ok"] else "FAIL", c["name"], ("  [" + c["detail"] + "]") if c["detail"]
                           and not c["ok"] else ""))
    figures = outcome.get("figures", {})
    lat = figures.get("latency")
    if lat:
        print("\nlatency, report written by the gadget to event read by libinput, %d reports at %.0f Hz "
              "(%s, %s build%s):" % (lat["reports"], lat["rate_hz"], how, cache_value(build, "CMAKE_BUILD_TYPE"),
                                     " with sanitizers" if sanitized else ""))
        print("  median %.3f ms, 99th percentile %.3f ms (max %.3f ms); to the driver's uinput write: median %.3f ms"
              % (lat["median_ms"], lat["p99_ms"], lat["max_ms"], lat["to_uinput_median_ms"]))
        print("  driver CPU time per report: %.1f us (all its threads, from the scheduler)" % lat["cpu_us_per_report"])
    presses = figures.get("barrel presses")
    if presses:
        print("lower barrel button, which shows the driver's notice: the press's report to the key event read by "
              "libinput:\n  " + ", ".join("%s %.0f ms" % (p["name"], p["to_key_ms"]) for p in presses))
    if "unanswered string indexes" in figures:
        print("the gadget cannot answer string indexes %s (the USB gadget framework serves only its own strings): "
              "the requests reach it and stall" % figures["unanswered string indexes"])
    if figures.get("forced proximity-outs"):
        print("libinput ended the pen's proximity on its own after 50 ms without a frame (%s): %s"
              % (how, "; ".join(figures["forced proximity-outs"])))
    print("vm: %.0f s, console in %s, results in %s" % (elapsed, os.path.join(work, "console.log"), results))
    if not finished:
        print("FAIL: the VM did not finish within %.0f s" % args.timeout)
        return 1
    if not checks:
        print("FAIL: the guest reported nothing; the console's end:")
        with open(os.path.join(work, "console.log"), errors="replace") as f:
            print("".join(f.readlines()[-30:]))
        return 1
    print("vm: %d checks passed, %d failed" % (len(checks) - len(failed), len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
