#include "files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace platform {

std::optional<QByteArray> Files::read(const QString &path, qint64 maxBytes, ReadError *error) const
{
    auto fail = [&](ReadError why) -> std::optional<QByteArray> {
        if (error)
            *error = why;
        return std::nullopt;
    };
    const QFileInfo info(path);
    if (!info.exists())
        return fail(ReadError::Missing);
    // Only regular files: opening a FIFO or a device could block the main
    // thread or read without end.
    if (!info.isFile())
        return fail(ReadError::NotRegular);
    if (info.size() > maxBytes)
        return fail(ReadError::TooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ReadError::Unreadable);
    // Read one byte more than allowed, in case the file grew since the check.
    QByteArray bytes = file.read(maxBytes + 1);
    if (bytes.size() > maxBytes)
        return fail(ReadError::TooLarge);
    if (file.error() != QFileDevice::NoError)
        return fail(ReadError::Unreadable);
    if (error)
        *error = ReadError::None;
    return bytes;
}

bool Files::exists(const QString &path) const
{
    return QFileInfo::exists(path);
}

bool Files::writeAtomically(const QString &path, const QByteArray &bytes, QString *why)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (why)
            *why = file.errorString();
        return false;
    }
    return true;
}

} // namespace platform
