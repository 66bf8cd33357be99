#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

#include "firmware/cpuinfo.h"

// The seven commands of the device command protocol. Each runs one exchange
// (DeviceExchange::DriverCommSend) and decodes the reply; the results are the
// ones the update steps branch on.
namespace firmware {

class DeviceExchange;

// Command words (word 0 is 0x0000 for all seven).
inline constexpr std::uint16_t kWordIap = 0x0301;
inline constexpr std::uint16_t kWordReadVersion = 0x0202;
inline constexpr std::uint16_t kWordReadCpu = 0x0204;
inline constexpr std::uint16_t kWordCheckRunSpace = 0x0101;
inline constexpr std::uint16_t kWordModifyRunSpace = 0x0102;
inline constexpr std::uint16_t kWordCheckReserveFlashSpace = 0x0103;
inline constexpr std::uint16_t kWordTransmitVersionFile = 0x0104;
inline constexpr std::uint16_t kWordTransmitVersionFilePara = 0x0105;

// Run spaces (Tll_IapCmd_CheckRunSpace results and ModifyRunSpace targets).
inline constexpr int kRunSpaceBoot = 0;
inline constexpr int kRunSpaceApplication = 1;
inline constexpr int kRunSpaceError = 4;

// The version record; every field 0 after a failed read.
struct VersionRecord
{
    quint16 firmwareMajor = 0;
    quint16 firmwareMinor = 0;
    std::array<std::uint8_t, 64> reserved{}; // carried, not interpreted
    quint16 hardwareMajor = 0;
    quint16 hardwareMinor = 0;
    std::array<quint16, 3> further{}; // carried, not interpreted
};

// Decoders of a successful reply's data; nullopt when the data is too short
// for what the command carries.
std::optional<VersionRecord> decodeVersionRecord(std::span<const std::uint8_t> data);
std::optional<CpuInfo> decodeCpuInfo(std::span<const std::uint8_t> data);
std::optional<int> decodeRunSpace(std::span<const std::uint8_t> data); // 0, 1 or 4
// The one field of the protocol read low byte first.
std::optional<qint32> decodeFlashSpace(std::span<const std::uint8_t> data);

// The commands. Each sends its request on the interface given and calls
// `done` once, on a later turn of the run loop, with its result.
// The version record; nullopt when the exchange failed (the caller's zero record).
void Tll_DevCmd_ReadVersionInfo(DeviceExchange &exchange, int interfaceNumber, int modelNumber,
                                std::function<void(std::optional<VersionRecord>)> done);
void Tll_DevCmd_ReadCpuInfo(DeviceExchange &exchange, int interfaceNumber, int modelNumber,
                            std::function<void(std::optional<CpuInfo>)> done);
// 0 boot program, 1 application, 4 any other space or a failed exchange.
void Tll_IapCmd_CheckRunSpace(DeviceExchange &exchange, int interfaceNumber, std::function<void(int)> done);
// target 0: to the boot program, 1: to the application. 1 on success, 0 on failure.
void Tll_IapCmd_ModifyRunSpace(DeviceExchange &exchange, int interfaceNumber, std::uint8_t target,
                               std::function<void(int)> done);
// The reserved flash space; -1 when the exchange fails.
void Tll_IapCmd_CheckReserveFlashSpace(DeviceExchange &exchange, int interfaceNumber,
                                       std::function<void(qint32)> done);
// One 1032-byte file record (Tll_IapReadFileRecord). 1 on success, 0 on failure.
void Tll_IapCmd_TransmitVersionFile(DeviceExchange &exchange, int interfaceNumber,
                                    std::span<const std::uint8_t> record, std::function<void(int)> done);
// Firmware size and CRC from the file header. 1 on success, 0 on failure.
void Tll_IapCmd_TransmitVersionFilePara(DeviceExchange &exchange, int interfaceNumber, quint32 size, quint32 crc,
                                        std::function<void(int)> done);

} // namespace firmware
