#include "iaptransfer.h"

#include <algorithm>

#include <QVariantMap>

#include "firmware/devcmd.h"
#include "firmware/deviceexchange.h"
#include "firmware/firmwarefile.h"
#include "firmware/firmwarelog.h"
#include "platform/files.h"
#include "platform/log.h"
#include "platform/notificationcenter.h"
#include "platform/runloop.h"
#include "store/ovpublicdefine.h"

namespace firmware {

void Tll_IapPostProgress(platform::RunLoop &runLoop, platform::NotificationCenter &local, int stage,
                         bool indeterminate, float percent)
{
    runLoop.postFromAnyThread([&local, stage, indeterminate, percent] {
        QVariantMap userInfo;
        userInfo.insert(kIapIndex, qint64(stage));
        userInfo.insert(kIapIndm, indeterminate);
        userInfo.insert(kIapPres, double(percent));
        local.post(store::OVIAPNotification, QString(), userInfo);
    });
}

int Tll_IapSwitchToBoot(DeviceExchange &exchange, int interfaceNumber)
{
    const int space = Tll_IapCmd_CheckRunSpace(exchange, interfaceNumber);
    if (space == kRunSpaceBoot)
        return 1;
    if (space != kRunSpaceApplication)
        return 0;
    const int switched = Tll_IapCmd_ModifyRunSpace(exchange, interfaceNumber, kRunSpaceBoot);
    qCInfo(lcStdout, "ModifyRunSpace To Boot: %d", switched);
    return switched ? 1 : 0;
}

std::optional<IapFileHeader> Tll_IapReadFileHeader(const QByteArray &file)
{
    const auto header = parseFirmwareHeader(file);
    if (!header)
        return std::nullopt;
    return IapFileHeader{header->size, header->crc, header->fileTag};
}

std::optional<std::array<std::uint8_t, kRecordPayloadLength>>
Tll_IapReadFileRecord(const QByteArray &file, quint16 fileTag, const RecordDescriptor &descriptor)
{
    const qint64 readable = std::min<qint64>(file.size(), kMaxFirmwareFileLength);
    const qint64 start = kFirmwareHeaderLength + qint64(descriptor.index) * kRecordBodyLength;
    const qint64 available = readable - start;
    if (available <= 0)
        return std::nullopt;
    std::array<std::uint8_t, kRecordPayloadLength> payload;
    payload[0] = descriptor.last;
    payload[1] = std::uint8_t(fileTag >> 8);
    payload[2] = std::uint8_t(fileTag);
    payload[3] = std::uint8_t(descriptor.index >> 8);
    payload[4] = std::uint8_t(descriptor.index);
    payload[5] = std::uint8_t(kRecordBodyLength >> 8);
    payload[6] = std::uint8_t(kRecordBodyLength);
    std::fill(payload.begin() + 7, payload.end(), std::uint8_t(0xFF));
    const qint64 count = std::min<qint64>(available, kRecordBodyLength);
    const auto *from = reinterpret_cast<const std::uint8_t *>(file.constData()) + start;
    std::copy_n(from, count, payload.begin() + 7);
    return payload;
}

int Tll_IapUpgrade(DeviceExchange &exchange, int interfaceNumber, const QString &path,
                   const IapEnvironment &environment)
{
    const QByteArray devKey = exchange.devKey().toUtf8();
    auto refuse = [&](const QString &why) {
        qCWarning(lcFirmware, "%s: cannot send firmware file: %s", devKey.constData(), qUtf8Printable(why));
        return 0;
    };

    // The whole transfer works from this one read: a file that changes while
    // it is being sent cannot mix two versions into the device.
    platform::ReadError readError = platform::ReadError::None;
    const auto file = environment.files.read(path, kMaxFirmwareFileLength, &readError);
    if (!file) {
        return refuse(verdictReason(readError == platform::ReadError::TooLarge ? FirmwareVerdict::FileTooLarge
                                                                                : FirmwareVerdict::FileUnreadable));
    }
    const FirmwareVerdict verdict = ciphertextAlgoCheckFw(*file);
    if (verdict != FirmwareVerdict::Passed)
        return refuse(verdictReason(verdict));
    const IapFileHeader header = *Tll_IapReadFileHeader(*file);

    if (!Tll_IapSwitchToBoot(exchange, interfaceNumber))
        return 0;
    const qint32 flashSize = Tll_IapCmd_CheckReserveFlashSpace(exchange, interfaceNumber);
    if (flashSize < 0)
        return 0;
    qCInfo(lcStdout, "FlashSize: %d", int(flashSize));
    Tll_IapPostProgress(environment.runLoop, environment.local, kIapStageChecking, true, 0);

    qCInfo(lcStdout, "Firmware Crc：%ld, Size：%ld", long(header.crc), long(header.size));
    if (!Tll_IapCmd_TransmitVersionFilePara(exchange, interfaceNumber, header.size, header.crc))
        return 0;
    Tll_IapPostProgress(environment.runLoop, environment.local, kIapStageUploading, false, 0);

    const quint32 count = recordCount(header.size);
    if (count == 0) {
        qCInfo(lcStdout, "已经完成IAP流程");
        return 1;
    }
    for (quint32 i = 0; i < count; ++i) {
        const RecordDescriptor descriptor{std::uint8_t(i == count - 1 ? 1 : 0), quint16(i), 1025};
        const auto payload = Tll_IapReadFileRecord(*file, header.fileTag, descriptor);
        if (!payload) {
            return refuse(QStringLiteral("record %1/%2 lies beyond the file").arg(i + 1).arg(count));
        }
        if (!Tll_IapCmd_TransmitVersionFile(exchange, interfaceNumber, *payload)) {
            qCInfo(lcStdout, "传输本文件错误: %d/%d", int(i + 1), int(count));
            qCInfo(lcStdout, "已经完成IAP流程");
            return 0;
        }
        if (i == count - 1)
            qCInfo(lcStdout, "传输版本文件结束");
        const float percent = count == 1 ? 100.0f : float(i) / float(count - 1) * 100.0f;
        Tll_IapPostProgress(environment.runLoop, environment.local, kIapStageUploading, false, percent);
        qCInfo(lcStdout, "IAP固件升级[%6.02f%%]", double(percent));
    }
    qCInfo(lcStdout, "已经完成IAP流程");
    return 1;
}

} // namespace firmware
