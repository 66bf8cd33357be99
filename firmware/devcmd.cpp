#include "devcmd.h"

#include <algorithm>

#include "firmware/deviceexchange.h"
#include "firmware/iapframe.h"
#include "platform/log.h"

namespace firmware {

namespace {

enum class Deadline { Query, FlashWrite };

// One command: request and reply live here, on the worker's stack, for the
// duration of the exchange and of the decoding.
struct Command
{
    std::array<std::uint8_t, kReportLength> request{};
    std::array<std::uint8_t, kReportLength> reply{};
    quint16 replyLength = 0;
    IapResponse response;

    Command(DeviceExchange &exchange, int number, std::uint16_t word1, std::uint16_t word2,
            std::span<const std::uint8_t> payload, Deadline deadline)
    {
        if (buildRequestReport(request, takeSequenceNumber(), 0x0000, word1, word2, payload) == 0)
            return; // cannot happen for the payloads below; fails like no reply
        const ExchangeDeadlines deadlines = exchange.deadlines();
        const auto timeout = deadline == Deadline::Query ? deadlines.query : deadlines.flashWrite;
        if (exchange.DriverCommSend(number, request, reply, &replyLength, timeout) != CommOutcome::Replied)
            return;
        // The frame is what the report carried behind its 0xFC byte.
        const std::size_t frameLength = replyLength > 0 ? std::size_t(replyLength) - 1 : 0;
        response = Tll_IapParseResponse(std::span<const std::uint8_t>(reply).subspan(1, frameLength));
    }

    bool succeeded() const { return response.resultCode == 0; }
};

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

std::optional<VersionRecord> Tll_DevCmd_ReadVersionInfo(DeviceExchange &exchange, int interfaceNumber,
                                                        int modelNumber)
{
    const Command command(exchange, interfaceNumber, modelWordFor(modelNumber), kWordReadVersion, {},
                          Deadline::Query);
    if (!command.succeeded())
        return std::nullopt;
    return decodeVersionRecord(command.response.data);
}

std::optional<CpuInfo> Tll_DevCmd_ReadCpuInfo(DeviceExchange &exchange, int interfaceNumber, int modelNumber)
{
    const Command command(exchange, interfaceNumber, modelWordFor(modelNumber), kWordReadCpu, {},
                          Deadline::Query);
    if (!command.succeeded())
        return std::nullopt;
    return decodeCpuInfo(command.response.data);
}

int Tll_IapCmd_CheckRunSpace(DeviceExchange &exchange, int interfaceNumber)
{
    const Command command(exchange, interfaceNumber, kWordIap, kWordCheckRunSpace, {}, Deadline::Query);
    const auto space = command.succeeded() ? decodeRunSpace(command.response.data) : std::nullopt;
    if (!space) {
        qCInfo(lcStdout, "Tll_IapCmd_CheckRunSpace RspErrCode: 0x%2x",
               unsigned(command.succeeded() ? kResultCrcError : command.response.resultCode));
        return kRunSpaceError;
    }
    return *space;
}

int Tll_IapCmd_ModifyRunSpace(DeviceExchange &exchange, int interfaceNumber, std::uint8_t target)
{
    const std::uint8_t payload[] = {target};
    const Command command(exchange, interfaceNumber, kWordIap, kWordModifyRunSpace, payload,
                          Deadline::FlashWrite);
    if (!command.succeeded()) {
        qCInfo(lcStdout, "Tll_IapCmd_ModifyRunSpace RspErrCode: %d", int(command.response.resultCode));
        return 0;
    }
    return 1;
}

qint32 Tll_IapCmd_CheckReserveFlashSpace(DeviceExchange &exchange, int interfaceNumber)
{
    const Command command(exchange, interfaceNumber, kWordIap, kWordCheckReserveFlashSpace, {},
                          Deadline::FlashWrite);
    const auto space = command.succeeded() ? decodeFlashSpace(command.response.data) : std::nullopt;
    if (!space) {
        qCInfo(lcStdout, "Tll_IapCmd_CheckReserveFlashSpace RspErrCode: %d",
               int(command.succeeded() ? kResultCrcError : command.response.resultCode));
        return -1;
    }
    return *space;
}

int Tll_IapCmd_TransmitVersionFile(DeviceExchange &exchange, int interfaceNumber,
                                   std::span<const std::uint8_t> record)
{
    const Command command(exchange, interfaceNumber, kWordIap, kWordTransmitVersionFile, record,
                          Deadline::FlashWrite);
    if (!command.succeeded()) {
        qCInfo(lcStdout, "Tll_IapCmd_TransmitVersionFile RspErrCode: %d", int(command.response.resultCode));
        return 0;
    }
    return 1;
}

int Tll_IapCmd_TransmitVersionFilePara(DeviceExchange &exchange, int interfaceNumber, quint32 size, quint32 crc)
{
    const std::uint8_t payload[] = {
        std::uint8_t(size >> 24), std::uint8_t(size >> 16), std::uint8_t(size >> 8), std::uint8_t(size),
        std::uint8_t(crc >> 24),  std::uint8_t(crc >> 16),  std::uint8_t(crc >> 8),  std::uint8_t(crc),
    };
    const Command command(exchange, interfaceNumber, kWordIap, kWordTransmitVersionFilePara, payload,
                          Deadline::FlashWrite);
    if (!command.succeeded()) {
        qCInfo(lcStdout, "Tll_IapCmd_TransmitVersionFilePara RspErrCode: %d",
               int(command.response.resultCode));
        return 0;
    }
    return 1;
}

} // namespace firmware
