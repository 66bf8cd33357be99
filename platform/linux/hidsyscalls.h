#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <sys/types.h>

namespace platform::native {

// The system calls the hidraw devices make, behind one seam so a test can
// hand them pipes and inject errors. Each answers what the call answers, a
// failure as -errno (never through errno). The device ioctls are named
// calls, so nothing but this pair needs the kernel's headers.
class HidSysCalls
{
public:
    virtual ~HidSysCalls() = default;
    virtual int open(const char *path, int flags);
    virtual int close(int fd);
    virtual ssize_t read(int fd, void *buffer, size_t length);
    virtual ssize_t write(int fd, const void *buffer, size_t length);
    // EVIOCGRAB on an event node: the kernel sends its events to us alone.
    virtual int grab(int fd);
    // HIDIOCGRDESCSIZE and HIDIOCGRDESC: the node's report descriptor.
    virtual int reportDescriptor(int fd, std::vector<std::uint8_t> *descriptor);
    // HIDIOCSFEATURE: one feature report, led by its report-id byte.
    virtual int sendFeature(int fd, const std::uint8_t *report, size_t length);

    // The real calls.
    static HidSysCalls &system();
};

} // namespace platform::native
