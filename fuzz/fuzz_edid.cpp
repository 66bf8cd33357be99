// EDID comes from the display over a wire anyone can drive: any bytes must
// parse or be refused, and what parses must hold together. The name is shown
// to the user and the vendor ends up in a log line, so both are checked.
//
// The input is parsed as it is and once more with the header written in and
// the checksum made right, so that the fuzzer reaches the fields behind them.

#include <cstdint>

#include <QByteArray>
#include <QString>

#include "platform/linux/edid.h"

namespace {

using platform::native::EdidInfo;

constexpr qsizetype kBlock = 128;
constexpr char kHeader[] = "\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00";
constexpr qsizetype kHeaderBytes = sizeof kHeader - 1;

// Three letters A..Z packed five bits each below a zero top bit.
bool lettersValid(quint16 vendor)
{
    for (int shift : { 10, 5, 0 }) {
        const int letter = (vendor >> shift) & 0x1F;
        if (letter < 1 || letter > 26)
            return false;
    }
    return (vendor & 0x8000) == 0;
}

bool nameFromDescriptor(const QString &name, const QByteArray &edid)
{
    // One of the four 18-byte descriptors at 54 holds it in bytes 5..17.
    const QByteArray text = name.toLatin1();
    for (qsizetype start = 54; start < 126; start += 18) {
        if (edid.mid(start + 5, 13).contains(text))
            return true;
    }
    return false;
}

void check(const QByteArray &edid, const std::optional<EdidInfo> &info)
{
    if (!info)
        return;
    if (edid.size() < kBlock || !edid.startsWith(QByteArray(kHeader, kHeaderBytes)))
        __builtin_trap();
    quint8 sum = 0;
    for (qsizetype i = 0; i < kBlock; ++i)
        sum += quint8(edid.at(i));
    if (sum != 0)
        __builtin_trap();

    const quint16 packed = quint16(quint8(edid.at(8)) << 8 | quint8(edid.at(9)));
    if (info->vendor != packed || !lettersValid(info->vendor) || info->manufacturerId.size() != 3)
        __builtin_trap();
    quint16 fromLetters = 0;
    for (QChar letter : info->manufacturerId)
        fromLetters = quint16(fromLetters << 5 | (letter.unicode() - u'A' + 1));
    if (fromLetters != info->vendor)
        __builtin_trap();

    const QString &name = info->productName;
    if (name.size() > 13 || !nameFromDescriptor(name, edid))
        __builtin_trap();
    for (QChar c : name) {
        if (c.category() == QChar::Other_Control)
            __builtin_trap();
    }
    if (!name.isEmpty() && (name.front().isSpace() || name.back().isSpace()))
        __builtin_trap();

    // Extension blocks are ignored.
    if (edid.size() > kBlock) {
        const auto base = platform::native::parseEdid(edid.left(kBlock));
        if (!base || base->manufacturerId != info->manufacturerId || base->vendor != info->vendor
            || base->productCode != info->productCode || base->serialNumber != info->serialNumber
            || base->productName != info->productName)
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const QByteArray edid(reinterpret_cast<const char *>(data), qsizetype(size));
    check(edid, platform::native::parseEdid(edid));
    if (edid.size() < kBlock)
        return 0;

    QByteArray fixed = edid;
    fixed.replace(0, kHeaderBytes, QByteArray(kHeader, kHeaderBytes));
    quint8 sum = 0;
    for (qsizetype i = 0; i < kBlock - 1; ++i)
        sum += quint8(fixed.at(i));
    fixed[kBlock - 1] = char(quint8(-sum));
    const auto info = platform::native::parseEdid(fixed);
    // With header and checksum right, only the manufacturer id may refuse it.
    if (!info && lettersValid(quint16(quint8(fixed.at(8)) << 8 | quint8(fixed.at(9)))))
        __builtin_trap();
    check(fixed, info);
    return 0;
}
