#include "firmwarefile.h"

#include <QRegularExpression>
#include <QStringList>

#include "firmware/crc16x25.h"
#include "store/diainfo.h"

namespace firmware {

namespace {

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes, qsizetype from = 0)
{
    if (from >= bytes.size())
        return {};
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()) + from, size_t(bytes.size() - from)};
}

quint16 littleEndian16(const std::uint8_t *at)
{
    return quint16(at[0] | at[1] << 8);
}

quint32 littleEndian32(const std::uint8_t *at)
{
    return quint32(at[0]) | quint32(at[1]) << 8 | quint32(at[2]) << 16 | quint32(at[3]) << 24;
}

std::uint8_t sum8(std::span<const std::uint8_t> body)
{
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : body)
        sum = std::uint8_t(sum + byte);
    return sum;
}

// Split at every "[" and "]", keeping empty parts: "HV[1.00]" gives
// "HV", "1.00", "".
QStringList splitAtBrackets(const QString &text)
{
    static const QRegularExpression brackets(QStringLiteral("[\\[\\]]"));
    return text.split(brackets);
}

} // namespace

std::optional<FirmwareHeader> parseFirmwareHeader(const QByteArray &file)
{
    if (file.size() < kFirmwareHeaderLength)
        return std::nullopt;
    const std::uint8_t *header = bytesOf(file).data();
    FirmwareHeader parsed;
    parsed.checkA = header[8];
    parsed.checkB = header[10];
    parsed.bodyCrc = littleEndian16(header + 12);
    parsed.fileTag = littleEndian16(header + 16);
    parsed.size = littleEndian32(header + 18);
    parsed.crc = littleEndian32(header + 22);
    return parsed;
}

quint32 recordCount(quint32 firmwareSize)
{
    return (firmwareSize >> 10) + ((firmwareSize & 0x3FF) != 0 ? 1 : 0);
}

std::optional<FirmwareName> parseBin(const QString &binstr)
{
    const QString fileName = binstr.section(QLatin1Char('/'), -1);
    if (!fileName.endsWith(QLatin1String("bin")))
        return std::nullopt;
    const QStringList pieces = fileName.split(QLatin1Char('-'));
    if (pieces.size() < 5)
        return std::nullopt;
    const QStringList hardware = splitAtBrackets(pieces[3]);
    const QStringList software = splitAtBrackets(pieces[4]);
    if (hardware.size() < 2 || software.size() < 2)
        return std::nullopt;

    FirmwareName name;
    name.bin_PM = pieces[0];
    name.bin_CPU = pieces[1];
    name.bin_Pen = pieces[2];
    const QString range = hardware[1];
    if (range.contains(QLatin1Char('^'))) {
        const QStringList ends = range.split(QLatin1Char('^'));
        name.bin_HV = ends.first();
        name.bin_maxHV = ends.last();
    } else {
        name.bin_HV = range;
    }
    name.bin_SV = software[1];
    return name;
}

quint32 numberWithHexString(const QString &text)
{
    qsizetype at = 0;
    while (at < text.size() && text[at].isSpace())
        ++at;
    if (at + 1 < text.size() && text[at] == QLatin1Char('0')
        && (text[at + 1] == QLatin1Char('x') || text[at + 1] == QLatin1Char('X')))
        at += 2;
    quint64 value = 0;
    for (; at < text.size(); ++at) {
        const char16_t c = text[at].unicode();
        int digit;
        if (c >= u'0' && c <= u'9')
            digit = c - u'0';
        else if (c >= u'a' && c <= u'f')
            digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F')
            digit = c - u'A' + 10;
        else
            break;
        value = value * 16 + quint64(digit);
        if (value > 0xFFFFFFFFu)
            return 0xFFFFFFFFu;
    }
    return quint32(value);
}

ProductCapability checkFx(const QString &code)
{
    ProductCapability capability;
    const quint32 value = numberWithHexString(code);
    if (value >= 0xF1 && value <= 0xF7) {
        const quint32 bits = value - 0xF0;
        capability.supportCheckCPU = bits & 1;
        capability.supportCheckHardwareVersion = bits & 2;
        capability.supportCheckPenKind = bits & 4;
    }
    return capability;
}

ProductCapability checkProductName(const QString &pName)
{
    static const QRegularExpression parentheses(QStringLiteral("[()]"));
    const QStringList parts = pName.split(parentheses);
    if (parts.size() < 2)
        return ProductCapability{};
    if (parts[1].toUpper().contains(QLatin1Char('F'))) {
        ProductCapability capability = checkFx(parts[1]);
        capability.hasFx = true;
        return capability;
    }
    ProductCapability refusing;
    refusing.refusesAll = true;
    return refusing;
}

float floatValue(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^\\s*([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:[eE][+-]?\\d+)?)"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return 0;
    bool ok = false;
    const float value = match.captured(1).toFloat(&ok);
    return ok ? value : 0;
}

FirmwareVerdict checkProductModel(const FirmwareName &name, const ProductCapability &capability,
                                  const FirmwareDevice &device)
{
    if (capability.refusesAll)
        return FirmwareVerdict::ProductNameRefused;
    if (device.cur_PM.isNull() || name.bin_PM != device.cur_PM)
        return FirmwareVerdict::ProductModelMismatch;
    if (!capability.hasFx) {
        return name.bin_CPU.toUpper() == QLatin1String("CP1") ? FirmwareVerdict::Passed
                                                               : FirmwareVerdict::NotCP1;
    }
    if (capability.supportCheckCPU) {
        const QString cpu = store::cpuForCpu(device.cpuInfo.cpu);
        if (cpu.isNull() || cpu != name.bin_CPU.toUpper())
            return FirmwareVerdict::CpuMismatch;
    }
    if (capability.supportCheckHardwareVersion) {
        if (name.bin_HV.contains(QLatin1Char('x')))
            return FirmwareVerdict::HardwareVersionMismatch;
        const float deviceHv = floatValue(device.cchd);
        if (floatValue(name.bin_HV) > deviceHv)
            return FirmwareVerdict::HardwareVersionMismatch;
        // A missing or non-numeric highest version reads as 0: no limit.
        const float highest = floatValue(name.bin_maxHV);
        if (highest != 0 && deviceHv > highest)
            return FirmwareVerdict::HardwareVersionMismatch;
    }
    if (capability.supportCheckPenKind) {
        const QString pen = store::penForPen(device.cpuInfo.pen, device.cur_PM);
        if (pen.isNull() || pen != name.bin_Pen.toUpper())
            return FirmwareVerdict::PenKindMismatch;
    }
    return FirmwareVerdict::Passed;
}

FirmwareVerdict checkFirmwareName(const QString &binstr, const FirmwareDevice &device)
{
    const auto name = parseBin(binstr);
    if (!name)
        return FirmwareVerdict::NameUnparsable;
    return checkProductModel(*name, checkProductName(device.pName), device);
}

bool CheckFw_Xor55(std::span<const std::uint8_t> body, std::uint8_t expected)
{
    return (sum8(body) ^ 0x55) == expected;
}

bool CheckFw_XorAA(std::span<const std::uint8_t> body, std::uint8_t expected)
{
    return (sum8(body) ^ 0xAA) == expected;
}

bool CheckFw_Crc16(std::span<const std::uint8_t> body, quint16 expected)
{
    return Crc16X25(body) == expected;
}

FirmwareVerdict ciphertextAlgoCheckFw(const QByteArray &file)
{
    const auto header = parseFirmwareHeader(file);
    if (!header)
        return FirmwareVerdict::FileTooShort;
    const auto body = bytesOf(file, kFirmwareHeaderLength);
    if (!CheckFw_Xor55(body, header->checkA))
        return FirmwareVerdict::Xor55Mismatch;
    if (!CheckFw_XorAA(body, header->checkB))
        return FirmwareVerdict::XorAAMismatch;
    if (!CheckFw_Crc16(body, header->bodyCrc))
        return FirmwareVerdict::Crc16Mismatch;
    if (file.size() > kMaxFirmwareFileLength)
        return FirmwareVerdict::FileTooLarge;
    // Every record the size field asks for must lie in the body, the last
    // one at least partly (the transfer pads it with 0xFF), and the body must
    // hold nothing beyond them.
    const qint64 count = recordCount(header->size);
    const qint64 bodyLength = qint64(body.size());
    const bool fits = count == 0 ? bodyLength == 0
                                 : (count - 1) * kRecordBodyLength < bodyLength
                                       && bodyLength <= count * kRecordBodyLength;
    return fits ? FirmwareVerdict::Passed : FirmwareVerdict::SizeMismatch;
}

QString checkLogLine(FirmwareVerdict verdict)
{
    switch (verdict) {
    case FirmwareVerdict::Xor55Mismatch:
        return QStringLiteral("CheckFw_Xor55: 0");
    case FirmwareVerdict::XorAAMismatch:
        return QStringLiteral("CheckFw_XorAA: 0");
    case FirmwareVerdict::Crc16Mismatch:
        return QStringLiteral("CheckFw_Crc16: 0");
    default:
        return QString();
    }
}

QString verdictReason(FirmwareVerdict verdict)
{
    switch (verdict) {
    case FirmwareVerdict::Passed:
        return QString();
    case FirmwareVerdict::NameUnparsable:
        return QStringLiteral("the file name does not read as a firmware name");
    case FirmwareVerdict::ProductNameRefused:
        return QStringLiteral("the product name carries no capability code");
    case FirmwareVerdict::ProductModelMismatch:
        return QStringLiteral("the file is for another product model");
    case FirmwareVerdict::CpuMismatch:
        return QStringLiteral("the file is for another CPU");
    case FirmwareVerdict::HardwareVersionMismatch:
        return QStringLiteral("the file is for another hardware version");
    case FirmwareVerdict::PenKindMismatch:
        return QStringLiteral("the file is for another pen");
    case FirmwareVerdict::NotCP1:
        return QStringLiteral("the file is not for CPU CP1");
    case FirmwareVerdict::FileUnreadable:
        return QStringLiteral("the file cannot be read");
    case FirmwareVerdict::FileTooShort:
        return QStringLiteral("the file is shorter than its header");
    case FirmwareVerdict::FileTooLarge:
        return QStringLiteral("the file is larger than the transfer can send");
    case FirmwareVerdict::Xor55Mismatch:
    case FirmwareVerdict::XorAAMismatch:
        return QStringLiteral("the body sum does not match the header");
    case FirmwareVerdict::Crc16Mismatch:
        return QStringLiteral("the body CRC does not match the header");
    case FirmwareVerdict::SizeMismatch:
        return QStringLiteral("the size field does not match the body");
    }
    return QString();
}

} // namespace firmware
