#include "deviceexchange.h"

#include <algorithm>

#include "firmware/firmwarelog.h"
#include "platform/hid.h"
#include "platform/log.h"
#include "platform/runloop.h"

namespace firmware {

namespace {
// A report of exactly this length never ends a wait: the command interfaces
// also carry a 10-byte status report that is no reply.
constexpr std::size_t kStatusReportLength = 10;
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

void DeviceExchange::setDeviceRef(int number, platform::HidDevice *device)
{
    if (number < kInterfaceReport || number > kInterface0C)
        return;
    std::lock_guard lock(m_mutex);
    if (m_cleanedUp)
        return;
    m_deviceRefs[size_t(number - 1)] = device;
}

void DeviceExchange::cleanup()
{
    std::lock_guard lock(m_mutex);
    m_cleanedUp = true;
    m_deviceRefs.fill(nullptr);
    if (m_current != 0)
        finish(CommOutcome::CleanedUp);
}

bool DeviceExchange::isCleanedUp() const
{
    std::lock_guard lock(m_mutex);
    return m_cleanedUp;
}

void DeviceExchange::setDeadlines(const ExchangeDeadlines &deadlines)
{
    std::lock_guard lock(m_mutex);
    m_deadlines = deadlines;
}

ExchangeDeadlines DeviceExchange::deadlines() const
{
    std::lock_guard lock(m_mutex);
    return m_deadlines;
}

void DeviceExchange::finish(CommOutcome outcome)
{
    m_DriverCommReceiveResFrame = nullptr;
    m_DriverCommReceiveResLen = nullptr;
    m_DriverCommSendSynWait = false;
    m_request = nullptr;
    m_outcome = outcome;
    m_endedId = m_current;
    m_current = 0;
    m_ended.notify_all();
}

void DeviceExchange::commReplyCallback(const platform::InputReport &report)
{
    commReplyCallback(report.bytes);
}

void DeviceExchange::commReplyCallback(std::span<const std::uint8_t> report)
{
    if (report.size() == kStatusReportLength)
        return;
    std::lock_guard lock(m_mutex);
    if (!m_DriverCommSendSynWait || m_current == 0)
        return;
    if (!report.empty() && report[0] == kReplyReportByte) {
        const std::size_t length = std::min(report.size(), kReportLength);
        std::copy_n(report.begin(), length, m_DriverCommReceiveResFrame);
        *m_DriverCommReceiveResLen = quint16(length);
        finish(CommOutcome::Replied);
    } else {
        finish(CommOutcome::NotAReply);
    }
}

CommOutcome DeviceExchange::DriverCommSend(int number, std::span<const std::uint8_t, kReportLength> request,
                                           std::span<std::uint8_t, kReportLength> reply,
                                           quint16 *replyLength, std::chrono::milliseconds timeout)
{
    if (m_runLoop.isMainThread()) {
        qCWarning(lcFirmware, "%s: cannot send command: called on the main thread",
                  qUtf8Printable(m_devKey));
        return CommOutcome::OnMainThread;
    }
    std::lock_guard serial(m_serial);
    std::unique_lock lock(m_mutex);
    if (m_cleanedUp)
        return CommOutcome::CleanedUp;
    if (number < kInterfaceReport || number > kInterface0C)
        return CommOutcome::NoInterface;
    const quint64 id = ++m_lastId;
    m_current = id;
    m_request = request.data();
    m_DriverCommReceiveResFrame = reply.data();
    m_DriverCommReceiveResLen = replyLength;
    m_DriverCommSendSynWait = false;
    lock.unlock();

    std::weak_ptr<DeviceExchange> weak = weak_from_this();
    m_runLoop.postFromAnyThread([weak, id, number] {
        if (auto self = weak.lock())
            self->sendStep(id, number);
    });

    lock.lock();
    const bool ended = m_ended.wait_for(lock, timeout, [&] { return m_endedId == id; });
    if (!ended) {
        // Nothing may write into the worker's buffers once it has returned.
        finish(CommOutcome::TimedOut);
        qCWarning(lcFirmware, "%s: cannot read reply: none within %lld ms", qUtf8Printable(m_devKey),
                  static_cast<long long>(timeout.count()));
        return CommOutcome::TimedOut;
    }
    return m_outcome;
}

void DeviceExchange::sendStep(quint64 id, int number)
{
    platform::HidDevice *device = nullptr;
    {
        std::lock_guard lock(m_mutex);
        if (m_current != id)
            return; // abandoned before it could be sent
        device = m_deviceRefs[size_t(number - 1)];
        if (!device) {
            finish(CommOutcome::NoInterface);
            return;
        }
        std::copy_n(m_request, kReportLength, m_sendBuffer.begin());
        m_DriverCommSendSynWait = true;
    }
    // Unlocked: a device may answer from inside setReport.
    const quint32 result = device->setReport(platform::ReportType::Output, 0, m_sendBuffer);
    if (result == platform::hidresult::Success)
        return;
    qCInfo(lcStdout, "Driver_Comm_SendFailed: %d", int(qint32(result)));
    std::lock_guard lock(m_mutex);
    if (m_current != id)
        return;
    *m_DriverCommReceiveResLen = 0;
    finish(CommOutcome::SendFailed);
}

} // namespace firmware
