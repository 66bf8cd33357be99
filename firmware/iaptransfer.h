#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include <QByteArray>
#include <QLatin1String>
#include <QString>

namespace platform {
class NotificationCenter;
class RunLoop;
} // namespace platform

// The firmware transfer into a device's boot program: switch run space, ask
// for the flash space, send size and CRC, then the body record by record,
// each stage announced by the local notice "OVIAPNotification". Every step is
// an exchange on the run loop; the next one runs when it has ended.
namespace firmware {

class DeviceExchange;

// userInfo of "OVIAPNotification".
inline constexpr QLatin1String kIapIndex("index"); // integer: the stage
inline constexpr QLatin1String kIapIndm("indm"); // boolean: the bar is indeterminate
inline constexpr QLatin1String kIapPres("pres"); // real: percent done, 0..100

// Stages ("index").
inline constexpr int kIapStageSwitchFailed = 0;
inline constexpr int kIapStageWaiting = 1;
inline constexpr int kIapStageChecking = 2;
inline constexpr int kIapStageUploading = 3;
inline constexpr int kIapStageCompleted = 9;
inline constexpr int kIapStageFailed = 10;

inline constexpr std::size_t kRecordPayloadLength = 1032; // bytes: 7 descriptor bytes, 1025 body bytes

struct RecordDescriptor
{
    std::uint8_t last = 0; // 1 for the last record of the file
    quint16 index = 0; // from 0
    quint16 size = 1025;
};

struct IapEnvironment
{
    platform::RunLoop &runLoop;
    platform::NotificationCenter &local;
};

// Queues one progress notice for the next turn; notices are posted in the
// order they were queued.
void Tll_IapPostProgress(platform::RunLoop &runLoop, platform::NotificationCenter &local, int stage,
                         bool indeterminate, float percent);

// done(1) when the device runs its boot program afterwards, done(0) on
// failure. A device already there is not switched again.
void Tll_IapSwitchToBoot(DeviceExchange &exchange, int interfaceNumber, std::function<void(int)> done);

// The whole transfer of a firmware file, from its bytes as the caller read
// them once; done(1) on success, done(0) on failure. The bytes are checked
// again (checksums, length, size field) before anything is sent, and every
// record is cut from them: what goes out is exactly what was checked. done
// runs on a later turn, also for bytes refused before anything is sent.
void Tll_IapUpgrade(std::shared_ptr<DeviceExchange> exchange, int interfaceNumber, const QByteArray &file,
                    const IapEnvironment &environment, std::function<void(int)> done);

struct IapFileHeader
{
    quint32 size = 0;
    quint32 crc = 0;
    quint16 fileTag = 0;
};
// Size, CRC and file tag of a firmware file's bytes; nullopt when shorter
// than the header.
std::optional<IapFileHeader> Tll_IapReadFileHeader(const QByteArray &file);
// The payload of one record from the file's bytes (at most its first
// 524288 bytes count): descriptor, then the record's 1025 bytes at file
// offset 26 + index * 1025, a short last record padded with 0xFF. nullopt
// when the record lies wholly beyond the bytes.
std::optional<std::array<std::uint8_t, kRecordPayloadLength>>
Tll_IapReadFileRecord(const QByteArray &file, quint16 fileTag, const RecordDescriptor &descriptor);

} // namespace firmware
