#include "hidrawdevice.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <QSocketNotifier>

#include <fcntl.h>

#include "platform/linux/hidsyscalls.h"
#include "platform/linux/linuxlog.h"
#include "platform/modalruns.h"

namespace platform::native {

namespace {

// hidraw hands out at most HID_MAX_BUFFER_SIZE bytes per report (bytes).
constexpr size_t kMaxReport = 16384;
// Reports read per wake-up; the rest wait for the next turn so a chatty pen
// cannot starve the loop.
constexpr int kReadsPerWakeUp = 64;

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

quint32 hidResultFromErrno(int error)
{
    switch (error) {
    case 0:
        return hidresult::Success;
    case EACCES:
    case EPERM:
        return hidresult::NotPermitted;
    case EBUSY:
        return hidresult::ExclusiveAccess;
    case ENODEV:
    case ENOENT:
    case ENXIO:
        return hidresult::NoDevice;
    default:
        return hidresult::Error;
    }
}

HidrawDevice::HidrawDevice(HidrawNode node, HidSysCalls &calls)
    : m_node(std::move(node))
    , m_calls(calls)
{
    m_properties.insert(QLatin1String(kHidVendorID), m_node.vendorId);
    m_properties.insert(QLatin1String(kHidProductID), m_node.productId);
    if (!m_node.product.isEmpty())
        m_properties.insert(QLatin1String(kHidProduct), m_node.product);
    if (!m_node.reportDescriptor.isEmpty()) {
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(m_node.reportDescriptor.constData());
        describe(parseHidDescriptor(std::span(bytes, size_t(m_node.reportDescriptor.size()))));
    }
}

HidrawDevice::~HidrawDevice()
{
    *m_alive = false;
    close();
}

void HidrawDevice::describe(const std::optional<HidDescriptorSummary> &summary)
{
    if (!summary) {
        qCWarning(lcLinux, "cannot read the report descriptor of %s: malformed", qPrintable(m_node.devNode));
        return;
    }
    m_numbered = summary->numberedReports;
    if (summary->collections.isEmpty())
        return;
    const HidUsagePair primary = summary->primary();
    m_properties.insert(QLatin1String(kHidPrimaryUsagePage), primary.usagePage);
    m_properties.insert(QLatin1String(kHidPrimaryUsage), primary.usage);
    QVariantList pairs;
    for (const HidUsagePair &pair : summary->collections)
        pairs.append(QVariantMap { { QLatin1String(kHidDeviceUsagePage), pair.usagePage },
            { QLatin1String(kHidDeviceUsage), pair.usage } });
    m_properties.insert(QLatin1String(kHidDeviceUsagePairs), pairs);
}

std::optional<HidDescriptorSummary> HidrawDevice::readDescriptorFromNode()
{
    std::vector<std::uint8_t> descriptor;
    const int result = m_calls.reportDescriptor(m_fd, &descriptor);
    if (result < 0) {
        qCWarning(lcLinux, "cannot read the report descriptor of %s: %s", qPrintable(m_node.devNode),
            qPrintable(errorText(-result)));
        return std::nullopt;
    }
    return parseHidDescriptor(descriptor);
}

quint32 HidrawDevice::open(Seize seize)
{
    if (m_fd >= 0)
        return hidresult::Success;
    const QByteArray path = m_node.devNode.toLocal8Bit();
    const int fd = m_calls.open(path.constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        qCWarning(lcLinux, "cannot open %s: %s", path.constData(), qPrintable(errorText(-fd)));
        return hidResultFromErrno(-fd);
    }
    m_fd = fd;
    m_gone = false;
    if (!m_properties.contains(QLatin1String(kHidPrimaryUsagePage)) && m_node.reportDescriptor.isEmpty())
        describe(readDescriptorFromNode());

    m_seize = seize != Seize::No;
    for (const QString &eventNode : m_seize ? m_node.eventNodes : QStringList()) {
        const quint32 result = grab(eventNode);
        // An event node that vanished meanwhile is no reason to fail.
        const bool refused = result == hidresult::NotPermitted || result == hidresult::ExclusiveAccess;
        if (refused && seize == Seize::Required) {
            close();
            return result;
        }
    }
    m_buffer.resize(kMaxReport);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(
        m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { readAvailable(); });
    updateNotifier();
    return hidresult::Success;
}

quint32 HidrawDevice::grab(const QString &eventNode)
{
    const QByteArray path = eventNode.toLocal8Bit();
    const int fd = m_calls.open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        qCWarning(lcLinux, "cannot open %s to seize it: %s", path.constData(), qPrintable(errorText(-fd)));
        return hidResultFromErrno(-fd);
    }
    const int result = m_calls.grab(fd);
    if (result < 0) {
        qCWarning(lcLinux, "cannot seize %s: %s", path.constData(), qPrintable(errorText(-result)));
        m_calls.close(fd);
        return hidResultFromErrno(-result);
    }
    m_grabbed.emplace_back(eventNode, fd);
    return hidresult::Success;
}

void HidrawDevice::grabNewEventNodes(const QStringList &eventNodes)
{
    if (m_fd < 0 || !m_seize)
        return;
    for (const QString &eventNode : eventNodes) {
        const bool held = std::any_of(m_grabbed.begin(), m_grabbed.end(),
            [&](const auto &grabbed) { return grabbed.first == eventNode; });
        if (!held && grab(eventNode) == hidresult::Success && !m_node.eventNodes.contains(eventNode))
            m_node.eventNodes.append(eventNode);
    }
}

void HidrawDevice::releaseGrabs()
{
    // Closing an event node ends its grab.
    for (const auto &[eventNode, fd] : m_grabbed)
        m_calls.close(fd);
    m_grabbed.clear();
}

void HidrawDevice::setDelivering(bool delivering)
{
    m_delivering = delivering;
    updateNotifier();
}

void HidrawDevice::updateNotifier()
{
    if (m_notifier)
        m_notifier->setEnabled(m_fd >= 0 && m_delivering && !m_gone);
}

void HidrawDevice::readAvailable()
{
    const std::shared_ptr<bool> alive = m_alive;
    for (int i = 0; i < kReadsPerWakeUp && *alive && m_fd >= 0 && !m_gone; ++i) {
        const ssize_t length = m_calls.read(m_fd, m_buffer.data(), m_buffer.size());
        if (length == -EAGAIN || length == -EWOULDBLOCK)
            return;
        if (length == -EINTR)
            continue;
        if (length <= 0) {
            // Unplugged: the node fails every read until udev reports the
            // removal, which cleans up. Stop listening until then.
            m_gone = true;
            updateNotifier();
            qCInfo(lcLinux, "%s stopped answering: %s", qPrintable(m_node.devNode),
                qPrintable(length == 0 ? QStringLiteral("end of file") : errorText(int(-length))));
            return;
        }
        if (!m_callback)
            continue; // nobody listens: the report is dropped, as the platform does
        std::span<const std::uint8_t> bytes(m_buffer.data(), size_t(length));
        if (m_maxLength > 0 && bytes.size() > size_t(m_maxLength))
            bytes = bytes.first(size_t(m_maxLength));
        const quint32 reportId = m_numbered ? bytes.front() : 0;
        if (m_modalRuns && m_modalRuns->depth() > 0) {
            // An alert's caller is on the stack: the report waits, copied,
            // for the alert to end.
            m_modalRuns->deliver(
                [this, weak = std::weak_ptr<bool>(alive), reportId, copy = QByteArray(
                    reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()))] {
                    if (weak.expired() || !m_callback)
                        return;
                    const auto *data = reinterpret_cast<const std::uint8_t *>(copy.constData());
                    deliverReport(reportId, std::span<const std::uint8_t>(data, size_t(copy.size())));
                });
            continue;
        }
        deliverReport(reportId, bytes);
    }
}

void HidrawDevice::deliverReport(quint32 reportId, std::span<const std::uint8_t> bytes)
{
    const std::shared_ptr<bool> alive = m_alive;
    // Copy: the callback may unregister itself (and free what it holds).
    InputReportCallback callback = m_callback;
    callback(InputReport { hidresult::Success, this, ReportType::Input, reportId, bytes });
    if (*alive && m_observer && *m_observer)
        (*m_observer)(this);
}

QVariant HidrawDevice::property(const QString &key) const
{
    return m_properties.value(key);
}

void HidrawDevice::registerInputReportCallback(InputReportCallback callback, int maxLength)
{
    m_callback = std::move(callback);
    m_maxLength = maxLength;
}

quint32 HidrawDevice::setReport(ReportType type, quint32 reportId, std::span<const std::uint8_t> bytes)
{
    if (m_fd < 0)
        return hidresult::NoDevice;
    if (type == ReportType::Input || reportId > 0xFF)
        return hidresult::Error;
    // hidraw takes the report-id byte first. A device without numbered
    // reports gets a 0 there, which the kernel strips; a numbered report is
    // already led by its id unless the caller named the id separately.
    std::vector<std::uint8_t> out;
    out.reserve(bytes.size() + 1);
    if (!m_numbered)
        out.push_back(0);
    else if (reportId != 0 && (bytes.empty() || bytes.front() != reportId))
        out.push_back(std::uint8_t(reportId));
    out.insert(out.end(), bytes.begin(), bytes.end());
    if (out.empty() || out.size() > kMaxReport)
        return hidresult::Error;

    if (type == ReportType::Feature) {
        const int result = m_calls.sendFeature(m_fd, out.data(), out.size());
        return result < 0 ? hidResultFromErrno(-result) : hidresult::Success;
    }
    const ssize_t written = m_calls.write(m_fd, out.data(), out.size());
    if (written < 0)
        return hidResultFromErrno(int(-written));
    return size_t(written) == out.size() ? hidresult::Success : hidresult::Error;
}

quint32 HidrawDevice::close()
{
    if (m_fd < 0)
        return hidresult::Success;
    // The notifier stays (disabled) until the device goes: close() may run
    // inside its own activation.
    if (m_notifier)
        m_notifier->setEnabled(false);
    releaseGrabs();
    m_calls.close(m_fd);
    m_fd = -1;
    return hidresult::Success;
}

} // namespace platform::native
