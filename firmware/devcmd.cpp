#include "devcmd.h"

#include <algorithm>

#include "firmware/deviceexchange.h"
#include "firmware/iapframe.h"
#include "platform/log.h"

namespace firmware {

namespace {

enum class Deadline { Query, FlashWrite };

// One command: builds the request, sends it and hands the parsed reply to
// `done` (result code 8 and no data when nothing valid came back). The data
// are valid during the call only.
void runCommand(DeviceExchange &exchange, int number, std::uint16_t word1, std::uint16_t word2,
                std::span<const std::uint8_t> payload, Deadline deadline,
                std::function<void(const IapResponse &)> done)
{
    RequestReport request;
    // Cannot fail for the payloads below; if it did, the all-zero report
    // would go out and fail like a missing reply.
    buildRequestReport(request, takeSequenceNumber(), 0x0000, word1, word2, payload);
    const ExchangeDeadlines deadlines = exchange.deadlines();
    const auto timeout = deadline == Deadline::Query ? deadlines.query : deadlines.flashWrite;
    exchange.DriverCommSend(number, request, timeout,
                            [done = std::move(done)](CommOutcome outcome, std::span<const std::uint8_t> reply) {
                                IapResponse response;
                                // The frame is what the report carried behind its 0xFC byte.
                                if (outcome == CommOutcome::Replied && !reply.empty())
                                    response = Tll_IapParseResponse(reply.subspan(1));
                                done(response);
                            });
}

// The result code the failure lines print: the device's own, or 8 when the
// reply was valid but too short for what the command carries.
int failureCode(const IapResponse &response)
{
    return response.resultCode == 0 ? kResultCrcError : response.resultCode;
}

// 1 on success, 0 after the command's failure line.
std::function<void(const IapResponse &)> succeeded(const char *command, std::function<void(int)> done)
{
    return [command, done = std::move(done)](const IapResponse &response) {
        if (response.resultCode != 0) {
            qCInfo(lcStdout, "%s RspErrCode: %d", command, int(response.resultCode));
            done(0);
            return;
        }
        done(1);
    };
}

} // namespace

std::optional<VersionRecord> decodeVersionRecord(std::span<const std::uint8_t> data)
{
    if (data.size() < 72)
        return std::nullopt;
    VersionRecord record;
    // Data byte 0 is not used.
    record.firmwareMajor = data[1];
    record.firmwareMinor = data[2];
    std::copy_n(data.begin() + 3, record.reserved.size(), record.reserved.begin());
    record.hardwareMajor = data[67];
    record.hardwareMinor = data[68];
    record.further = {data[69], data[70], data[71]};
    return record;
}

std::optional<CpuInfo> decodeCpuInfo(std::span<const std::uint8_t> data)
{
    if (data.size() < 3)
        return std::nullopt;
    return CpuInfo{data[0], data[1], data[2]};
}

std::optional<int> decodeRunSpace(std::span<const std::uint8_t> data)
{
    if (data.empty())
        return std::nullopt;
    if (data[0] == kRunSpaceBoot || data[0] == kRunSpaceApplication)
        return int(data[0]);
    return kRunSpaceError;
}

std::optional<qint32> decodeFlashSpace(std::span<const std::uint8_t> data)
{
    if (data.size() < 4)
        return std::nullopt;
    return qint32(quint32(data[0]) | quint32(data[1]) << 8 | quint32(data[2]) << 16 | quint32(data[3]) << 24);
}

void Tll_DevCmd_ReadVersionInfo(DeviceExchange &exchange, int interfaceNumber, int modelNumber,
                                std::function<void(std::optional<VersionRecord>)> done)
{
    runCommand(exchange, interfaceNumber, modelWordFor(modelNumber), kWordReadVersion, {}, Deadline::Query,
               [done = std::move(done)](const IapResponse &response) {
                   done(response.resultCode == 0 ? decodeVersionRecord(response.data) : std::nullopt);
               });
}

void Tll_DevCmd_ReadCpuInfo(DeviceExchange &exchange, int interfaceNumber, int modelNumber,
                            std::function<void(std::optional<CpuInfo>)> done)
{
    runCommand(exchange, interfaceNumber, modelWordFor(modelNumber), kWordReadCpu, {}, Deadline::Query,
               [done = std::move(done)](const IapResponse &response) {
                   done(response.resultCode == 0 ? decodeCpuInfo(response.data) : std::nullopt);
               });
}

void Tll_IapCmd_CheckRunSpace(DeviceExchange &exchange, int interfaceNumber, std::function<void(int)> done)
{
    runCommand(exchange, interfaceNumber, kWordIap, kWordCheckRunSpace, {}, Deadline::Query,
               [done = std::move(done)](const IapResponse &response) {
                   const auto space = response.resultCode == 0 ? decodeRunSpace(response.data) : std::nullopt;
                   if (!space) {
                       qCInfo(lcStdout, "Tll_IapCmd_CheckRunSpace RspErrCode: 0x%2x", unsigned(failureCode(response)));
                       done(kRunSpaceError);
                       return;
                   }
                   done(*space);
               });
}

void Tll_IapCmd_ModifyRunSpace(DeviceExchange &exchange, int interfaceNumber, std::uint8_t target,
                               std::function<void(int)> done)
{
    const std::uint8_t payload[] = {target};
    runCommand(exchange, interfaceNumber, kWordIap, kWordModifyRunSpace, payload, Deadline::FlashWrite,
               succeeded("Tll_IapCmd_ModifyRunSpace", std::move(done)));
}

void Tll_IapCmd_CheckReserveFlashSpace(DeviceExchange &exchange, int interfaceNumber,
                                       std::function<void(qint32)> done)
{
    runCommand(exchange, interfaceNumber, kWordIap, kWordCheckReserveFlashSpace, {}, Deadline::FlashWrite,
               [done = std::move(done)](const IapResponse &response) {
                   const auto space = response.resultCode == 0 ? decodeFlashSpace(response.data) : std::nullopt;
                   if (!space) {
                       qCInfo(lcStdout, "Tll_IapCmd_CheckReserveFlashSpace RspErrCode: %d", failureCode(response));
                       done(-1);
                       return;
                   }
                   done(*space);
               });
}

void Tll_IapCmd_TransmitVersionFile(DeviceExchange &exchange, int interfaceNumber,
                                    std::span<const std::uint8_t> record, std::function<void(int)> done)
{
    runCommand(exchange, interfaceNumber, kWordIap, kWordTransmitVersionFile, record, Deadline::FlashWrite,
               succeeded("Tll_IapCmd_TransmitVersionFile", std::move(done)));
}

void Tll_IapCmd_TransmitVersionFilePara(DeviceExchange &exchange, int interfaceNumber, quint32 size, quint32 crc,
                                        std::function<void(int)> done)
{
    const std::uint8_t payload[] = {
        std::uint8_t(size >> 24), std::uint8_t(size >> 16), std::uint8_t(size >> 8), std::uint8_t(size),
        std::uint8_t(crc >> 24),  std::uint8_t(crc >> 16),  std::uint8_t(crc >> 8),  std::uint8_t(crc),
    };
    runCommand(exchange, interfaceNumber, kWordIap, kWordTransmitVersionFilePara, payload, Deadline::FlashWrite,
               succeeded("Tll_IapCmd_TransmitVersionFilePara", std::move(done)));
}

} // namespace firmware
