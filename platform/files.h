#pragma once

#include <optional>

#include <QByteArray>
#include <QString>

namespace platform {

// Largest file the system reads: configuration, import and firmware files
// are far smaller.
inline constexpr qint64 kMaxReadBytes = 8 * 1024 * 1024;

enum class ReadError { None, Missing, NotRegular, TooLarge, Unreadable };

// Reads a regular file of at most maxBytes and never waits: the path is
// opened without blocking and its type and size are taken from the opened
// descriptor, so a path that turns into a FIFO or a device between any
// earlier look and the open is refused (NotRegular), not waited on. A file
// that grows past maxBytes while it is read is TooLarge. Safe on any thread.
std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, ReadError *error = nullptr);

// The seam over file reads and writes, so that the simulator can report
// every file the driver writes.
class Files
{
public:
    virtual ~Files() = default;
    // readRegularFile().
    virtual std::optional<QByteArray> read(
        const QString &path, qint64 maxBytes = kMaxReadBytes, ReadError *error = nullptr) const;
    virtual bool exists(const QString &path) const;
    // Writes a new file beside the path, then renames it over the path: a
    // reader (or a process killed at any moment) sees the old file or the
    // new one, never a part. The path itself is replaced: a symbolic link
    // there is replaced by the file, never followed, so neither a dangling
    // link's target is created nor another file rewritten. An existing
    // file's permissions are kept. *why gets the reason on failure; the old
    // file is then untouched and no temporary file is left.
    virtual bool writeAtomically(const QString &path, const QByteArray &bytes, QString *why = nullptr);
    // Appends to the file at path, creating it (and its folder) when
    // missing; a plain append, never through a link's target or a shell.
    // *why gets the reason on failure.
    virtual bool append(const QString &path, const QByteArray &bytes, QString *why = nullptr);
};

} // namespace platform
