#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QVariantMap>

#include "platform/hid.h"
#include "platform/linux/hiddescriptor.h"
#include "platform/linux/hidsysfs.h"

class QSocketNotifier;

namespace platform {
class ModalRuns;
}

namespace platform::native {

class HidSysCalls;

// The result code of a HID call for a failed system call's errno: no access
// to the node is "not permitted" (the udev rule is missing), a node another
// program holds (an event node grabbed elsewhere) is "exclusive access".
quint32 hidResultFromErrno(int error);

// One hidraw node as a HID interface. Reports are read on the main loop as
// the node turns readable; the node is opened non-blocking so a device that
// stops sending never holds the loop.
class HidrawDevice : public HidDevice
{
public:
    HidrawDevice(HidrawNode node, HidSysCalls &calls);
    ~HidrawDevice() override;

    enum class Seize { No, Required, WhenPossible };
    // Opens the node read-write and, when seizing, grabs the kernel's own
    // event nodes of the device so its pen does not move the pointer a second
    // time. With Seize::Required an event node that is refused (no access,
    // grabbed by another program) fails the open; with WhenPossible it is
    // logged and left to grabNewEventNodes. A hidresult code; on failure
    // nothing stays open.
    quint32 open(Seize seize);
    // Grabs the event nodes not held yet: those the kernel added after the
    // hidraw node, or whose access udev granted after open. Failures are
    // logged; the device goes on.
    void grabNewEventNodes(const QStringList &eventNodes);
    // Told of each report after its callback (the system's observer, which
    // outlives the device); nullptr tells nobody.
    void setReportObserver(const std::function<void(const HidDevice *)> *observer) { m_observer = observer; }
    // Reports read during a modal run of `runs` reach the callback, copied,
    // once it has ended.
    void setModalRuns(ModalRuns *runs) { m_modalRuns = runs; }
    // Reports are delivered only while the owning manager is scheduled.
    void setDelivering(bool delivering);
    // Reads every report the node holds now; called when it turns readable.
    void readAvailable();

    const HidrawNode &node() const { return m_node; }
    bool isOpen() const { return m_fd >= 0; }
    bool isSeized() const { return m_seize; }
    // Report-id byte leads every report (read from the descriptor).
    bool numberedReports() const { return m_numbered; }

    QVariant property(const QString &key) const override;
    void registerInputReportCallback(InputReportCallback callback, int maxLength) override;
    quint32 setReport(ReportType type, quint32 reportId, std::span<const std::uint8_t> bytes) override;
    quint32 close() override;

private:
    void describe(const std::optional<HidDescriptorSummary> &summary);
    std::optional<HidDescriptorSummary> readDescriptorFromNode();
    quint32 grab(const QString &eventNode);
    void releaseGrabs();
    void updateNotifier();
    void deliverReport(quint32 reportId, std::span<const std::uint8_t> bytes);

    HidrawNode m_node;
    HidSysCalls &m_calls;
    QVariantMap m_properties;
    bool m_numbered = false;
    bool m_seize = false;
    bool m_delivering = false;
    bool m_gone = false; // the node answered a read with an error
    int m_fd = -1;
    std::vector<std::pair<QString, int>> m_grabbed; // event node, fd
    std::unique_ptr<QSocketNotifier> m_notifier;
    InputReportCallback m_callback;
    const std::function<void(const HidDevice *)> *m_observer = nullptr;
    int m_maxLength = 0;
    ModalRuns *m_modalRuns = nullptr;
    std::vector<std::uint8_t> m_buffer;
    // Cleared when the device is destroyed, so a read loop whose callback
    // ended the device stops there.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace platform::native
