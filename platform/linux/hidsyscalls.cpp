#include "hidsyscalls.h"

#include <cerrno>

#include <fcntl.h>
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

int HidSysCalls::ioctl(int fd, unsigned long request, void *argument)
{
    return orErrno(::ioctl(fd, request, argument));
}

HidSysCalls &HidSysCalls::system()
{
    static HidSysCalls calls;
    return calls;
}

} // namespace platform::native
