#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <QByteArray>
#include <QString>

#include "firmware/cpuinfo.h"

// Checks of a firmware file chosen by the user, before anything is sent: the
// file name against the device, then the body against the 26-byte header.
// Pure functions; the controller that shows the refusal and writes the log
// lines (checkLogLine) is their caller.
//
// File: header (little-endian fields) followed by the body, which is
// enciphered by the device maker and forwarded unread.
//   0   8  not read
//   8   1  check A: (8-bit sum of the body) XOR 0x55
//   10  1  check B: (8-bit sum of the body) XOR 0xAA
//   12  2  CRC-16/X-25 of the body
//   16  2  file tag, sent with every record
//   18  4  firmware size in bytes: records of 1024 firmware bytes, each
//          taking 1025 bytes of the body
//   22  4  firmware CRC, sent with the size; not tested here
//   26     body
namespace firmware {

inline constexpr qsizetype kFirmwareHeaderLength = 26; // bytes
inline constexpr qsizetype kRecordBodyLength = 1025; // body bytes per record
inline constexpr quint32 kFirmwareBytesPerRecord = 1024;
// The transfer reaches no further into a file; a longer file cannot be sent.
inline constexpr qsizetype kMaxFirmwareFileLength = 524288; // bytes, header included

struct FirmwareHeader
{
    std::uint8_t checkA = 0;
    std::uint8_t checkB = 0;
    quint16 bodyCrc = 0;
    quint16 fileTag = 0;
    quint32 size = 0;
    quint32 crc = 0;
};

// nullopt for a file shorter than the header.
std::optional<FirmwareHeader> parseFirmwareHeader(const QByteArray &file);
// Records the size field asks for: size / 1024, rounded up.
quint32 recordCount(quint32 firmwareSize);

// The name fields of a firmware file, e.g. M482PlusV2-CP1-Q52-HV[1.00^1.20]-SV[1.15].bin.
// A null string is "none".
struct FirmwareName
{
    QString bin_PM; // product model code
    QString bin_CPU;
    QString bin_Pen;
    QString bin_HV; // lowest hardware version
    QString bin_maxHV; // highest hardware version, or none
    QString bin_SV; // software version, kept and never compared
};

// Parses the last path component of binstr; nullopt when it does not end in
// "bin", has fewer than five "-" pieces, or piece 3 or 4 has nothing after
// a bracket.
std::optional<FirmwareName> parseBin(const QString &binstr);

// The checks a product name's capability code turns on.
struct ProductCapability
{
    bool hasFx = false; // the product name carries a capability code
    // A parenthesised part that is no capability code: every file is refused.
    bool refusesAll = false;
    bool supportCheckCPU = false;
    bool supportCheckHardwareVersion = false;
    bool supportCheckPenKind = false;
};

// The unsigned value of text read as "%x": leading white space, an optional
// 0x, hexadecimal digits; 0 when the text does not begin with a number,
// 0xFFFFFFFF when it overflows.
quint32 numberWithHexString(const QString &text);
// The flags of a capability code: F1..F7 set them by the bits of code - 0xF0
// (1 CPU, 2 hardware version, 4 pen kind); any other code sets none. hasFx
// is set by the caller.
ProductCapability checkFx(const QString &code);
// The capability of a product name (the HID product string): the part inside
// the first parentheses is a code when its upper-case form contains "F".
ProductCapability checkProductName(const QString &pName);
// A number as a text's leading floating-point number reads, 0 without one.
float floatValue(const QString &text);

enum class FirmwareVerdict {
    Passed,
    NameUnparsable,
    ProductNameRefused, // the product name's parenthesised part is no capability code
    ProductModelMismatch, // also: the device has no product model code
    CpuMismatch,
    HardwareVersionMismatch,
    PenKindMismatch,
    NotCP1, // no capability code: the file must be for CPU CP1
    FileUnreadable,
    FileTooShort, // shorter than the header
    FileTooLarge, // longer than the transfer can send
    Xor55Mismatch,
    XorAAMismatch,
    Crc16Mismatch,
    SizeMismatch, // the size field does not match the body's length
};

// What the name checks compare with.
struct FirmwareDevice
{
    QString pName; // HID product string
    QString cur_PM; // product model code of the device key, null: none
    QString cchd; // hardware version of the device (hdVer)
    CpuInfo cpuInfo;
};

// The name checks (checkProductModel, with the capability of the device's
// product name); stops at the first failure.
FirmwareVerdict checkProductModel(const FirmwareName &name, const ProductCapability &capability,
                                  const FirmwareDevice &device);
// The name parse and the name checks.
FirmwareVerdict checkFirmwareName(const QString &binstr, const FirmwareDevice &device);

bool CheckFw_Xor55(std::span<const std::uint8_t> body, std::uint8_t expected);
bool CheckFw_XorAA(std::span<const std::uint8_t> body, std::uint8_t expected);
bool CheckFw_Crc16(std::span<const std::uint8_t> body, quint16 expected);

// The file checks (ciphertextAlgoCheckFw): the three checksums, then the
// file's length against the transfer's limit and the size field.
FirmwareVerdict ciphertextAlgoCheckFw(const QByteArray &file);

// The system's log line of a verdict ("CheckFw_Xor55: 0" ...), or a null
// string when the verdict has none; it goes to standard output.
QString checkLogLine(FirmwareVerdict verdict);
// Why a verdict refuses, for our own "cannot" lines.
QString verdictReason(FirmwareVerdict verdict);

} // namespace firmware
