#pragma once

#include <cstddef>
#include <sys/types.h>

namespace platform::native {

// The system calls the hidraw devices make, behind one seam so a test can
// hand them pipes and inject errors. Each answers what the call answers, a
// failure as -errno (never through errno).
class HidSysCalls
{
public:
    virtual ~HidSysCalls() = default;
    virtual int open(const char *path, int flags);
    virtual int close(int fd);
    virtual ssize_t read(int fd, void *buffer, size_t length);
    virtual ssize_t write(int fd, const void *buffer, size_t length);
    virtual int ioctl(int fd, unsigned long request, void *argument);

    // The real calls.
    static HidSysCalls &system();
};

} // namespace platform::native
