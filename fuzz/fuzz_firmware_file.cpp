// Hostile firmware files and file names: the name parser and the checks must
// refuse cleanly, and a file that passes must give every record the transfer
// will ask for.
#include <cstdlib>

#include <QByteArray>
#include <QString>

#include "firmware/firmwarefile.h"
#include "firmware/iaptransfer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace firmware;
    // Up to the first 0 byte: a file name and a product name; the rest: the file.
    const QByteArray input(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = input.indexOf('\0');
    const QString name = QString::fromUtf8(split < 0 ? input : input.left(split));
    const QByteArray file = split < 0 ? QByteArray() : input.mid(split + 1);

    if (const auto parsed = parseBin(name)) {
        if (!name.endsWith(QLatin1String("bin")))
            std::abort();
        (void)floatValue(parsed->bin_HV);
        (void)floatValue(parsed->bin_maxHV);
    }
    const ProductCapability capability = checkProductName(name);
    if (capability.refusesAll && capability.hasFx)
        std::abort();
    (void)numberWithHexString(name);
    FirmwareDevice device{name, QStringLiteral("HV526"), QStringLiteral("1.10"), CpuInfo{1, 2, 0}};
    (void)checkFirmwareName(name, device);

    const FirmwareVerdict verdict = ciphertextAlgoCheckFw(file);
    (void)checkLogLine(verdict);
    if (verdict != FirmwareVerdict::Passed)
        return 0;
    const auto header = parseFirmwareHeader(file);
    if (!header || file.size() > kMaxFirmwareFileLength)
        std::abort();
    const quint32 count = recordCount(header->size);
    for (quint32 i = 0; i < count; ++i) {
        const auto record = Tll_IapReadFileRecord(file, header->fileTag,
                                                  RecordDescriptor{std::uint8_t(i == count - 1), quint16(i), 1025});
        if (!record)
            std::abort(); // a checked file never runs short of a record
    }
    return 0;
}
