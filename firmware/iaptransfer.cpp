#include "iaptransfer.h"

#include <algorithm>

#include <QVariantMap>

#include "firmware/devcmd.h"
#include "firmware/deviceexchange.h"
#include "firmware/firmwarefile.h"
#include "firmware/firmwarelog.h"
#include "platform/log.h"
#include "platform/notificationcenter.h"
#include "platform/runloop.h"
#include "store/ovpublicdefine.h"

namespace firmware {

void Tll_IapPostProgress(platform::RunLoop &runLoop, platform::NotificationCenter &local, int stage,
                         bool indeterminate, float percent)
{
    runLoop.post([&local, stage, indeterminate, percent] {
        QVariantMap userInfo;
        userInfo.insert(kIapIndex, qint64(stage));
        userInfo.insert(kIapIndm, indeterminate);
        userInfo.insert(kIapPres, double(percent));
        local.post(store::OVIAPNotification, QString(), userInfo);
    });
}

void Tll_IapSwitchToBoot(DeviceExchange &exchange, int interfaceNumber, std::function<void(int)> done)
{
    std::weak_ptr<DeviceExchange> weak = exchange.weak_from_this();
    Tll_IapCmd_CheckRunSpace(exchange, interfaceNumber, [weak, interfaceNumber, done = std::move(done)](int space) {
        auto exchange = weak.lock();
        if (space == kRunSpaceBoot) {
            done(1);
            return;
        }
        if (space != kRunSpaceApplication || !exchange) {
            done(0);
            return;
        }
        Tll_IapCmd_ModifyRunSpace(*exchange, interfaceNumber, kRunSpaceBoot, [done](int switched) {
            qCInfo(lcStdout, "ModifyRunSpace To Boot: %d", switched);
            done(switched ? 1 : 0);
        });
    });
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

namespace {

// One transfer in progress: its bytes, header and the next record. Each
// step's continuation holds it until the transfer ends.
class Upgrade : public std::enable_shared_from_this<Upgrade>
{
public:
    Upgrade(std::shared_ptr<DeviceExchange> exchange, int interfaceNumber, const QByteArray &file,
            const IapEnvironment &environment, std::function<void(int)> done)
        : m_exchange(std::move(exchange))
        , m_number(interfaceNumber)
        , m_file(file)
        , m_environment(environment)
        , m_done(std::move(done))
    {
    }

    void start()
    {
        const FirmwareVerdict verdict = ciphertextAlgoCheckFw(m_file);
        if (verdict != FirmwareVerdict::Passed) {
            qCWarning(lcFirmware, "%s: cannot send firmware file: %s", qUtf8Printable(m_exchange->devKey()),
                      qUtf8Printable(verdictReason(verdict)));
            // Like every other end, on a later turn.
            m_environment.runLoop.post([self = shared_from_this()] { self->end(0); });
            return;
        }
        m_header = *Tll_IapReadFileHeader(m_file);
        m_count = recordCount(m_header.size);
        Tll_IapSwitchToBoot(*m_exchange, m_number, [self = shared_from_this()](int switched) {
            if (!switched) {
                self->end(0);
                return;
            }
            self->checkFlash();
        });
    }

private:
    void checkFlash()
    {
        Tll_IapCmd_CheckReserveFlashSpace(*m_exchange, m_number, [self = shared_from_this()](qint32 flashSize) {
            if (flashSize < 0) {
                self->end(0);
                return;
            }
            qCInfo(lcStdout, "FlashSize: %d", int(flashSize));
            self->progress(kIapStageChecking, true, 0);
            self->sendParameters();
        });
    }

    void sendParameters()
    {
        qCInfo(lcStdout, "Firmware Crc：%ld, Size：%ld", long(m_header.crc), long(m_header.size));
        Tll_IapCmd_TransmitVersionFilePara(*m_exchange, m_number, m_header.size, m_header.crc,
                                           [self = shared_from_this()](int accepted) {
                                               if (!accepted) {
                                                   self->end(0);
                                                   return;
                                               }
                                               self->progress(kIapStageUploading, false, 0);
                                               if (self->m_count == 0) {
                                                   qCInfo(lcStdout, "已经完成IAP流程");
                                                   self->end(1);
                                                   return;
                                               }
                                               self->sendRecord(0);
                                           });
    }

    void sendRecord(quint32 i)
    {
        const RecordDescriptor descriptor{std::uint8_t(i == m_count - 1 ? 1 : 0), quint16(i), 1025};
        // The checks above hold every record at least partly inside the bytes.
        const auto payload = Tll_IapReadFileRecord(m_file, m_header.fileTag, descriptor);
        if (!payload) {
            qCWarning(lcFirmware, "%s: cannot send firmware file: record %u/%u lies beyond the file",
                      qUtf8Printable(m_exchange->devKey()), unsigned(i + 1), unsigned(m_count));
            end(0);
            return;
        }
        Tll_IapCmd_TransmitVersionFile(*m_exchange, m_number, *payload, [self = shared_from_this(), i](int sent) {
            const quint32 count = self->m_count;
            if (!sent) {
                qCInfo(lcStdout, "传输本文件错误: %d/%d", int(i + 1), int(count));
                qCInfo(lcStdout, "已经完成IAP流程");
                self->end(0);
                return;
            }
            if (i == count - 1)
                qCInfo(lcStdout, "传输版本文件结束");
            const float percent = count == 1 ? 100.0f : float(i) / float(count - 1) * 100.0f;
            self->progress(kIapStageUploading, false, percent);
            qCInfo(lcStdout, "IAP固件升级[%6.02f%%]", double(percent));
            if (i + 1 < count) {
                self->sendRecord(i + 1);
                return;
            }
            qCInfo(lcStdout, "已经完成IAP流程");
            self->end(1);
        });
    }

    void progress(int stage, bool indeterminate, float percent)
    {
        Tll_IapPostProgress(m_environment.runLoop, m_environment.local, stage, indeterminate, percent);
    }

    void end(int result)
    {
        if (auto done = std::move(m_done))
            done(result);
    }

    const std::shared_ptr<DeviceExchange> m_exchange;
    const int m_number;
    const QByteArray m_file;
    const IapEnvironment m_environment;
    std::function<void(int)> m_done;
    IapFileHeader m_header;
    quint32 m_count = 0;
};

} // namespace

void Tll_IapUpgrade(std::shared_ptr<DeviceExchange> exchange, int interfaceNumber, const QByteArray &file,
                    const IapEnvironment &environment, std::function<void(int)> done)
{
    std::make_shared<Upgrade>(std::move(exchange), interfaceNumber, file, environment, std::move(done))->start();
}

} // namespace firmware
