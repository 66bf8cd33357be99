#include "deviceexchange.h"

#include <algorithm>

#include "firmware/firmwarelog.h"
#include "platform/hid.h"
#include "platform/log.h"

namespace firmware {

namespace {
// A report of exactly this length never ends a wait: the command interfaces
// also carry a 10-byte status report that is no reply.
constexpr std::size_t kStatusReportLength = 10;

double seconds(std::chrono::milliseconds duration)
{
    return double(duration.count()) / 1000.0;
}
} // namespace

std::shared_ptr<DeviceExchange> DeviceExchange::create(platform::RunLoop &runLoop, const QString &devKey)
{
    return std::shared_ptr<DeviceExchange>(new DeviceExchange(runLoop, devKey));
}

DeviceExchange::DeviceExchange(platform::RunLoop &runLoop, const QString &devKey)
    : m_runLoop(runLoop)
    , m_devKey(devKey)
{
}

// The deadline's timer holds the exchange weakly, so the run loop may still
// hold it; it finds nothing and ends.
DeviceExchange::~DeviceExchange() = default;

void DeviceExchange::setDeviceRef(int number, platform::HidDevice *device)
{
    if (number < kInterfaceReport || number > kInterface0C || m_cleanedUp)
        return;
    m_deviceRefs[size_t(number - 1)] = device;
    // The interface of the waiting request went away: no reply can come.
    if (!device && m_DriverCommSendSynWait && m_number == number)
        finish(CommOutcome::NoInterface);
}

void DeviceExchange::cleanup()
{
    if (m_cleanedUp)
        return;
    m_cleanedUp = true;
    m_deviceRefs.fill(nullptr);
    if (m_DriverCommSendSynWait)
        finish(CommOutcome::CleanedUp);
    std::deque<Pending> queued;
    queued.swap(m_queue);
    for (Pending &pending : queued) {
        m_runLoop.post([done = std::move(pending.done)] {
            if (done)
                done(CommOutcome::CleanedUp, {});
        });
    }
}

void DeviceExchange::commReplyCallback(const platform::InputReport &report)
{
    commReplyCallback(report.bytes);
}

void DeviceExchange::commReplyCallback(std::span<const std::uint8_t> report)
{
    if (report.size() == kStatusReportLength || !m_DriverCommSendSynWait)
        return;
    if (!report.empty() && report[0] == kReplyReportByte) {
        const std::size_t length = std::min(report.size(), kReportLength);
        std::copy_n(report.begin(), length, m_DriverCommReceiveResFrame.begin());
        finish(CommOutcome::Replied, length);
    } else {
        finish(CommOutcome::NotAReply);
    }
}

void DeviceExchange::DriverCommSend(int number, const RequestReport &request, std::chrono::milliseconds timeout,
                                    Done done)
{
    if (m_cleanedUp) {
        m_runLoop.post([done = std::move(done)] {
            if (done)
                done(CommOutcome::CleanedUp, {});
        });
        return;
    }
    m_queue.push_back(Pending{number, request, timeout, std::move(done)});
    startNext();
}

void DeviceExchange::startNext()
{
    if (m_busy || m_queue.empty() || m_cleanedUp)
        return;
    Pending pending = std::move(m_queue.front());
    m_queue.pop_front();
    m_busy = true;
    m_number = pending.number;
    m_done = std::move(pending.done);
    const quint64 id = ++m_id;
    platform::HidDevice *device = pending.number >= kInterfaceReport && pending.number <= kInterface0C
                                      ? m_deviceRefs[size_t(pending.number - 1)]
                                      : nullptr;
    m_DriverCommSendSynWait = true;
    if (!device) {
        finish(CommOutcome::NoInterface);
        return;
    }
    std::weak_ptr<DeviceExchange> weak = weak_from_this();
    const std::chrono::milliseconds timeout = pending.timeout;
    m_deadline = m_runLoop.after(seconds(timeout), this, [weak, id, timeout] {
        auto self = weak.lock();
        if (!self || self->m_id != id || !self->m_DriverCommSendSynWait)
            return;
        self->m_deadline = 0;
        qCWarning(lcFirmware, "%s: cannot read reply: none within %lld ms", qUtf8Printable(self->m_devKey),
                  static_cast<long long>(timeout.count()));
        self->finish(CommOutcome::TimedOut);
    });
    m_sendBuffer = pending.request;
    // The exchange is kept alive through the call: a device may answer, or
    // go away, from inside setReport.
    const std::shared_ptr<DeviceExchange> self = shared_from_this();
    const quint32 result = device->setReport(platform::ReportType::Output, 0, m_sendBuffer);
    if (result == platform::hidresult::Success || m_id != id || !m_DriverCommSendSynWait)
        return;
    qCInfo(lcStdout, "Driver_Comm_SendFailed: %d", int(qint32(result)));
    finish(CommOutcome::SendFailed);
}

void DeviceExchange::finish(CommOutcome outcome, std::size_t replyLength)
{
    m_DriverCommSendSynWait = false;
    if (m_deadline != 0) {
        m_runLoop.cancel(m_deadline);
        m_deadline = 0;
    }
    Done done = std::move(m_done);
    m_done = nullptr;
    m_runLoop.post([self = shared_from_this(), outcome, replyLength, done = std::move(done)]() mutable {
        self->conclude(outcome, replyLength, std::move(done));
    });
}

void DeviceExchange::conclude(CommOutcome outcome, std::size_t replyLength, Done done)
{
    if (done) {
        const std::span<const std::uint8_t> reply = outcome == CommOutcome::Replied
                                                        ? std::span<const std::uint8_t>(
                                                              m_DriverCommReceiveResFrame.data(), replyLength)
                                                        : std::span<const std::uint8_t>();
        done(outcome, reply);
    }
    m_busy = false;
    startNext();
}

} // namespace firmware
