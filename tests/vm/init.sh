#!/bin/busybox sh
# The initramfs of the VM test: the host's root, shared read-only over 9p,
# becomes the guest's root under a tmpfs overlay; the results folder is
# shared writable; then the guest script takes over as the first program.
bb=/bin/busybox
fail() {
    echo "ovvm-init: $*"
    $bb poweroff -f
}
$bb mkdir -p /proc /sys /dev /lower /upper /newroot
$bb mount -t proc proc /proc
$bb mount -t devtmpfs dev /dev
for m in $($bb cat /modules/order); do
    $bb insmod "/modules/$m" || echo "ovvm-init: cannot load $m"
done
guest=""
for arg in $($bb cat /proc/cmdline); do
    case "$arg" in
    ovvm.guest=*) guest="${arg#ovvm.guest=}" ;;
    esac
done
[ -n "$guest" ] || fail "no ovvm.guest= on the command line"
$bb mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=512000,cache=loose hostroot /lower \
    || fail "cannot mount the host's root"
$bb mount -t tmpfs -o mode=0755 upper /upper
$bb mkdir -p /upper/data /upper/work
$bb mount -t overlay -o lowerdir=/lower,upperdir=/upper/data,workdir=/upper/work overlay /newroot \
    || fail "cannot make the overlay root"
$bb mkdir -p /newroot/ovvm
$bb mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 ovvm /newroot/ovvm \
    || fail "cannot mount the results folder"
$bb mount --move /dev /newroot/dev
$bb umount /proc
exec $bb switch_root /newroot /usr/bin/python3 "$guest"
