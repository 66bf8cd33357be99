#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace platform {

// Largest file the system reads: configuration, import and firmware files
// are far smaller.
inline constexpr qint64 kMaxReadBytes = 8 * 1024 * 1024;

enum class ReadError { None, Missing, NotRegular, TooLarge, Unreadable };

// The seam over file reads and writes, so that the simulator can report
// every file the driver writes.
class Files
{
public:
    virtual ~Files() = default;
    // Reads a regular file of at most maxBytes without ever blocking (a FIFO
    // or a device is refused).
    virtual std::optional<QByteArray> read(const QString &path, qint64 maxBytes = kMaxReadBytes,
                                           ReadError *error = nullptr) const;
    virtual bool exists(const QString &path) const;
    // Write to a temporary file, then replace. *why gets the reason on failure.
    virtual bool writeAtomically(const QString &path, const QByteArray &bytes, QString *why = nullptr);
};

} // namespace platform
