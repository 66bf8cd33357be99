#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "platform/sim/simhid.h"
#include "platform/sim/simrunloop.h"

namespace firmware {
class DeviceExchange;
}

namespace fwtest {

// CRC-16/X-25 computed bit by bit, so that the double does not rely on the
// table-driven code it tests.
quint16 referenceCrc(const QByteArray &bytes);
// A frame as the device builds it: 0x89 FF FF, sequence, L, three words,
// payload, CRC high byte first.
QByteArray referenceFrame(quint16 sequence, quint16 word0, quint16 word1, quint16 word2,
                          const QByteArray &payload);

// One request as the device received it.
struct Request
{
    quint16 sequence = 0;
    quint16 words[3] = {0, 0, 0};
    QByteArray payload;
    bool crcValid = false;
    bool zeroPadded = false; // every report byte after the frame is 0
    int reportLength = 0;
};

// A device's boot and application programs behind a 0xFF0C interface of the
// simulated HID platform. It answers each request on a later run-loop turn,
// or answerDelay virtual seconds later (as hardware does), through the
// input-report callback that the test binds to a DeviceExchange.
class SimFirmwareDevice
{
public:
    SimFirmwareDevice(platform::sim::SimHidSystem &hid, platform::sim::SimRunLoop &runLoop,
                      const QString &name = QStringLiteral("0C"));
    ~SimFirmwareDevice();
    SimFirmwareDevice(const SimFirmwareDevice &) = delete;
    SimFirmwareDevice &operator=(const SimFirmwareDevice &) = delete;

    platform::sim::SimHidDevice *hidDevice() const { return m_device; }
    // Binds the interface to the exchange as interface 3 and routes its
    // input reports to commReplyCallback.
    void attach(firmware::DeviceExchange &exchange);

    // What the device answers.
    int runSpace = 1; // 0 boot, 1 application; ModifyRunSpace changes it
    QByteArray runSpaceByte; // when set, the run-space reply carries this instead
    qint32 flashSpace = 65536;
    QByteArray flashBytes; // when set, the flash reply's data instead
    quint8 firmwareMajor = 1, firmwareMinor = 15, hardwareMajor = 1, hardwareMinor = 2;
    QByteArray cpuBytes = QByteArray::fromHex("030105");
    std::map<quint16, quint16> resultCodes; // by command word 2; default 0
    std::map<quint16, bool> silentFor; // by command word 2: no answer at all
    bool silent = false; // answers nothing
    bool corruptCrc = false; // replies carry a wrong CRC
    int failRecordIndex = -1; // this record gets result code 3
    // Reports sent before the reply (e.g. a 10-byte status report).
    std::vector<QByteArray> beforeReply;
    bool replyAtAll = true; // false: only beforeReply is sent
    double answerDelay = 0; // virtual seconds before the answer
    // Output reports are refused with this result (the device never sees them).
    void refuseReports(quint32 result);

    const std::vector<Request> &requests() const { return m_requests; }
    std::vector<quint16> commandWords() const; // word 2 of every request, in order
    // Virtual time of every request, in order.
    const std::vector<double> &requestTimes() const { return m_times; }
    // A request came while an earlier one was still unanswered.
    bool sawOverlap() const { return m_overlap; }

private:
    void onOutput(const QByteArray &report);
    QByteArray answerFor(const Request &request);

    platform::sim::SimRunLoop &m_runLoop;
    platform::sim::SimHidDevice *m_device = nullptr;
    std::vector<Request> m_requests;
    std::vector<double> m_times;
    int m_unanswered = 0;
    bool m_refusing = false;
    bool m_overlap = false;
};

// Runs the run loop, in virtual time, until done() answers true or
// `limit` virtual seconds have passed; answers done().
bool runUntil(platform::sim::SimRunLoop &runLoop, const std::function<bool()> &done, double limit = 60);

// Starts an asynchronous command with a completion and runs the run loop
// until the completion has come; answers its result (a default value, and a
// failed test, when it never came).
template<typename Result, typename Start>
Result await(platform::sim::SimRunLoop &runLoop, Start start, double limit = 60)
{
    std::optional<Result> result;
    start([&result](Result value) { result = std::move(value); });
    runUntil(runLoop, [&] { return result.has_value(); }, limit);
    return result.value_or(Result{});
}

// Collects log lines, by category. Restores the previous handler when
// destroyed.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    // Lines of one category ("ov.stdout", "ov.firmware"), in order.
    QStringList lines(const char *category) const;
    QStringList warnings() const;
    void clear();
};

} // namespace fwtest
