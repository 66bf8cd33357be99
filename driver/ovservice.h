#pragma once

#include <memory>
#include <vector>

#include <QString>

#include "driver/penparser.h"
#include "driver/pensink.h"
#include "platform/hid.h"
#include "platform/runloop.h"

namespace platform {
struct Platform;
struct Notification;
} // namespace platform

namespace store {
class OVPublicObject;
}

namespace driver {

class OVManager;

// The driver's object for one connected device key: owns the device's
// configuration store, holds up to three of its HID interfaces, receives
// their reports and carries the per-device state of the driver.
class OVService : public PenSink
{
public:
    OVService(platform::Platform &platform, OVManager &manager, const QString &devKey);
    ~OVService() override;
    OVService(const OVService &) = delete;
    OVService &operator=(const OVService &) = delete;

    // Empty after cleanup().
    QString getDevkey() const { return m_devKey; }
    store::OVPublicObject *configMan() const { return m_configMan.get(); }

    // The report interface: registers the report callback and sends the
    // model's start command.
    void setDeviceRef_0A(platform::HidDevice *device);
    // The command interface of usage page 0xFF0B.
    void setDeviceRef_0B(platform::HidDevice *device);
    // The command interface of usage page 0xFF0C; isFirmwareUpdate: the
    // device runs its boot program.
    void setDeviceRef_0C(platform::HidDevice *device, bool isFirmwareUpdate);
    // The interface held for a usage page, or nullptr.
    platform::HidDevice *deviceRefForPup(qint64 usagePage) const;
    // An interface of this device went away without ending the service: it
    // is forgotten and never touched again.
    void interfaceRemoved(platform::HidDevice *device);
    void cleanup();
    bool isCleanedUp() const { return m_cleanedUp; }

    QString pName() const { return m_pName; }
    void setPName(const QString &name) { m_pName = name; }
    QString bPath() const { return m_bPath; }
    void setBPath(const QString &path) { m_bPath = path; }
    QString hdVer() const { return m_hdVer; }
    void setHdVer(const QString &version) { m_hdVer = version; }
    QString fwVer() const { return m_fwVer; }
    void setFwVer(const QString &version) { m_fwVer = version; }
    bool isFirmwareUpdate() const { return m_isFirmwareUpdate; }
    void setIsFirmwareUpdate(bool flag) { m_isFirmwareUpdate = flag; }
    bool is_oem_sorvi_eraser_state() const { return m_pen.is_oem_sorvi_eraser_state; }
    void setIs_oem_sorvi_eraser_state(bool flag) { m_pen.is_oem_sorvi_eraser_state = flag; }

    // The diagnostics request of the settings application, with the product name.
    void showD(const QString &productName);

    const PenState &penState() const { return m_pen; }

    // PenSink: what the report decoders make happen.
    void postProximityEvent(bool enter) override;
    void postPointEvent(quint32 type) override;
    void preparePenKey(bool press, bool isDownKey) override;
    void prepareHKEraser(bool eraser, bool brushTool) override;
    void upPen(std::span<const std::uint8_t> report) override;
    void parseBoard(BoardParser parser, std::span<const std::uint8_t> report) override;

private:
    void serviceInit();
    void registerReports(platform::HidDevice *device, bool commandInterface);
    void vendorReportCallback(const platform::InputReport &report);
    void commReplyCallback(const platform::InputReport &report);
    void dispatchReport(const platform::InputReport &report);
    void sendOVReport();
    void sendOVRequest();
    void ovCFG(const platform::Notification &notification);
    void monitorCalibRequest(const platform::Notification &notification);
    void checkScreens();
    void hfvers();
    void bootProgramEntry();
    void restoreFirmwareUpdate();
    // Runs fn after `seconds` on the main loop unless the service is gone.
    void afterIfAlive(double seconds, std::function<void()> fn);
    void logDropped(const ReportResult &result);

    platform::Platform &m_platform;
    OVManager &m_manager;
    QString m_devKey;
    std::unique_ptr<store::OVPublicObject> m_configMan;
    platform::HidDevice *m_deviceRef_0A = nullptr;
    platform::HidDevice *m_deviceRef_0B = nullptr;
    platform::HidDevice *m_deviceRef_0C = nullptr;
    // Every interface whose report callback points at this service, so that
    // cleanup can unregister them all (replaced slots and a second device of
    // the same model included).
    std::vector<platform::HidDevice *> m_registered;
    platform::RunLoop::TimerId m_atimer = 0;
    QString m_pName;
    QString m_bPath;
    QString m_hdVer;
    QString m_fwVer;
    bool m_isFirmwareUpdate = false;
    PenState m_pen;
    // Rate limit of the dropped-report line: one per second of run-loop time.
    double m_lastDropLog = -1e9;
    bool m_cleanedUp = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace driver
