#include "edid.h"

namespace platform::native {

namespace {

constexpr qsizetype kBaseBlockBytes = 128;
constexpr unsigned char kHeader[8] = { 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00 };

// Four 18-byte descriptors follow the timing data. One whose first two bytes
// are 0 is a display descriptor, typed by its fourth byte; its text runs
// over bytes 5..17, ended by a line feed and padded with blanks. Any other
// control character (C0 or C1) ends it too: the name goes into labels and
// log lines, where it could carry an escape sequence.
constexpr qsizetype kDescriptorStart = 54;
constexpr qsizetype kDescriptorBytes = 18;
constexpr int kDescriptorCount = 4;
constexpr unsigned char kDisplayNameTag = 0xFC;
constexpr qsizetype kDescriptorTextStart = 5;

quint8 byteAt(const QByteArray &bytes, qsizetype i)
{
    return quint8(bytes.at(i));
}

QString descriptorText(const QByteArray &edid, qsizetype start)
{
    QByteArray text;
    for (qsizetype i = start + kDescriptorTextStart; i < start + kDescriptorBytes; ++i) {
        const quint8 c = byteAt(edid, i);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            break;
        text.append(char(c));
    }
    return QString::fromLatin1(text).trimmed();
}

} // namespace

std::optional<EdidInfo> parseEdid(const QByteArray &edid)
{
    if (edid.size() < kBaseBlockBytes)
        return std::nullopt;
    for (qsizetype i = 0; i < qsizetype(sizeof kHeader); ++i) {
        if (byteAt(edid, i) != kHeader[i])
            return std::nullopt;
    }
    quint8 sum = 0;
    for (qsizetype i = 0; i < kBaseBlockBytes; ++i)
        sum += byteAt(edid, i);
    if (sum != 0)
        return std::nullopt;

    EdidInfo info;
    info.vendor = quint16(byteAt(edid, 8) << 8 | byteAt(edid, 9));
    if (info.vendor & 0x8000)
        return std::nullopt;
    // Three five-bit letters, 1 = 'A', below a zero top bit.
    for (int shift : { 10, 5, 0 }) {
        const int letter = (info.vendor >> shift) & 0x1F;
        if (letter < 1 || letter > 26)
            return std::nullopt;
        info.manufacturerId.append(QChar(u'A' + letter - 1));
    }
    info.productCode = quint16(byteAt(edid, 10) | byteAt(edid, 11) << 8);
    info.serialNumber = quint32(byteAt(edid, 12)) | quint32(byteAt(edid, 13)) << 8
        | quint32(byteAt(edid, 14)) << 16 | quint32(byteAt(edid, 15)) << 24;
    for (int d = 0; d < kDescriptorCount; ++d) {
        const qsizetype start = kDescriptorStart + d * kDescriptorBytes;
        if (byteAt(edid, start) == 0 && byteAt(edid, start + 1) == 0
            && byteAt(edid, start + 3) == kDisplayNameTag) {
            info.productName = descriptorText(edid, start);
            break;
        }
    }
    return info;
}

} // namespace platform::native
