#include "files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScopeGuard>

namespace platform {

namespace {

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes all bytes, going on after interruptions and short writes.
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

} // namespace

std::optional<QByteArray> readRegularFile(const QString &path, qint64 maxBytes, ReadError *error)
{
    auto fail = [&](ReadError why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty())
        return fail(ReadError::Missing);
    // O_NONBLOCK: opening a FIFO without a writer (or a device that waits for
    // carrier) returns at once instead of stopping the main thread. It makes
    // no difference to a regular file, whose reads never wait.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return fail(errno == ENOENT || errno == ENOTDIR ? ReadError::Missing : ReadError::Unreadable);
    const auto closeFile = qScopeGuard([fd] { ::close(fd); });
    struct stat status = {};
    if (::fstat(fd, &status) != 0)
        return fail(ReadError::Unreadable);
    if (!S_ISREG(status.st_mode))
        return fail(ReadError::NotRegular);
    if (status.st_size > maxBytes)
        return fail(ReadError::TooLarge);

    // One byte more than allowed, in case the file grew since fstat.
    QByteArray bytes;
    bytes.resize(qsizetype(std::min<qint64>(qint64(status.st_size), maxBytes) + 1));
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxBytes)
                return fail(ReadError::TooLarge);
            bytes.resize(qsizetype(std::min<qint64>(qint64(filled) * 2 + 4096, maxBytes + 1)));
        }
        const ssize_t got = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return fail(ReadError::Unreadable);
        }
        if (got == 0)
            break;
        filled += got;
    }
    if (filled > maxBytes)
        return fail(ReadError::TooLarge);
    bytes.truncate(filled);
    if (error)
        *error = ReadError::None;
    return bytes;
}

std::optional<QByteArray> Files::read(const QString &path, qint64 maxBytes, ReadError *error) const
{
    return readRegularFile(path, maxBytes, error);
}

bool Files::exists(const QString &path) const
{
    return QFileInfo::exists(path);
}

bool Files::writeAtomically(const QString &path, const QByteArray &bytes, QString *why)
{
    auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    const QByteArray target = QFile::encodeName(path);
    if (target.isEmpty())
        return fail(errorText(ENOENT));

    // The new file beside the old one, so that the rename stays within one
    // file system. A name of our own making, created exclusively and never
    // through a link.
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            return fail(errorText(errno));
    }
    if (fd < 0)
        return fail(errorText(EEXIST));
    bool closed = false;
    auto removeTemporary = qScopeGuard([&] {
        if (!closed)
            ::close(fd);
        ::unlink(temporary.constData());
    });

    // The permissions of the file being replaced; a link's target is not
    // ours to copy from.
    struct stat old = {};
    if (::lstat(target.constData(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

    if (!writeAll(fd, bytes))
        return fail(errorText(errno));
    // On disk before the rename makes it the file: after a crash of the
    // whole machine, too, the path holds one complete version.
    if (::fdatasync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return fail(errorText(errno));
    closed = true;
    if (::close(fd) != 0)
        return fail(errorText(errno));
    // rename() replaces the directory entry itself; a link is not followed.
    if (::rename(temporary.constData(), target.constData()) != 0)
        return fail(errorText(errno));
    removeTemporary.dismiss();
    return true;
}

bool Files::append(const QString &path, const QByteArray &bytes, QString *why)
{
    auto fail = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        return fail(QStringLiteral("cannot create folder ") + info.absolutePath());
    const QByteArray target = QFile::encodeName(path);
    const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return fail(errorText(errno));
    const bool written = writeAll(fd, bytes);
    const int writeError = errno;
    if (::close(fd) != 0 && written)
        return fail(errorText(errno));
    if (!written)
        return fail(errorText(writeError));
    return true;
}

} // namespace platform
