#include "hidsyscalls.h"

#include <cerrno>

#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform::native {

namespace {

template <typename T> T orErrno(T result)
{
    return result < 0 ? T(-errno) : result;
}

} // namespace

int HidSysCalls::open(const char *path, int flags)
{
    return orErrno(::open(path, flags));
}

int HidSysCalls::close(int fd)
{
    return orErrno(::close(fd));
}

ssize_t HidSysCalls::read(int fd, void *buffer, size_t length)
{
    return orErrno(::read(fd, buffer, length));
}

ssize_t HidSysCalls::write(int fd, const void *buffer, size_t length)
{
    return orErrno(::write(fd, buffer, length));
}

int HidSysCalls::grab(int fd)
{
    return orErrno(::ioctl(fd, EVIOCGRAB, 1));
}

int HidSysCalls::reportDescriptor(int fd, std::vector<std::uint8_t> *descriptor)
{
    int size = 0;
    if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0)
        return -errno;
    if (size <= 0 || size > HID_MAX_DESCRIPTOR_SIZE)
        return -EINVAL;
    hidraw_report_descriptor read {};
    read.size = std::uint32_t(size);
    if (::ioctl(fd, HIDIOCGRDESC, &read) < 0)
        return -errno;
    descriptor->assign(read.value, read.value + read.size);
    return 0;
}

int HidSysCalls::sendFeature(int fd, const std::uint8_t *report, size_t length)
{
    return orErrno(::ioctl(fd, HIDIOCSFEATURE(length), report));
}

HidSysCalls &HidSysCalls::system()
{
    static HidSysCalls calls;
    return calls;
}

} // namespace platform::native
