#pragma once

#include <QByteArray>

namespace fwtest {

// A firmware file: 26-byte header (little-endian fields) and the body. The
// check bytes and the body CRC are computed here, bit by bit, unless the
// caller overrides them afterwards.
QByteArray makeFirmware(const QByteArray &body, quint32 size, quint16 fileTag = 0x1234,
                        quint32 firmwareCrc = 0xCAFEF00D);
// A body of `length` bytes of a fixed pattern.
QByteArray patternBody(int length);

} // namespace fwtest
