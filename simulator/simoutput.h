#pragma once

#include <optional>

#include <atomic>
#include <cstdio>
#include <mutex>

#include <QByteArray>
#include <QString>
#include <QVariant>

#include "platform/eventposter.h"
#include "platform/hid.h"
#include "platform/notificationcenter.h"
#include "platform/usbbus.h"

namespace platform {
class RunLoop;
}

namespace driverapp {

// The simulator's standard output: one JSON object per line, in the order
// things happen, each with "t" (seconds of the driver's clock since the run
// began, 3 decimals) and one key naming what happened. Lines may come from
// any thread; each is written whole.
class SimOutput
{
public:
    explicit SimOutput(FILE *stream = stdout);
    ~SimOutput();

    // The clock of "t". It is read on the run loop's own thread only; a line
    // from another thread carries the time of the last line before it.
    void setClock(const platform::RunLoop *runLoop);
    // Every Qt message, of every category, becomes a "log" line with its
    // text exactly, until this output is destroyed.
    void captureMessages();

    void log(const QString &text);
    void post(const platform::OVEvent &event);
    void setReport(
        const QString &iface, platform::ReportType type, quint32 reportId, const QByteArray &bytes);
    void usb(int vendorId, int productId, const platform::UsbControlRequest &request);
    void notify(const platform::Notification &notification);
    void alert(const QString &title, const QString &message);
    // An alert or panel that the script held open has closed.
    void alertClosed(const QString &title, int button);
    void panelClosed(const std::optional<QString> &path);
    void launch(const QString &path);
    void open(const QString &pathOrUrl);
    // name: relative to the driver's folder.
    void write(const QString &name, const QByteArray &content);
    // An invalid value prints as null (a device with no service).
    void config(const QString &device, const QVariant &value);
    void defaults(const QVariantMap &values);
    // The driver's own windows: the on-screen notice's text, and the
    // wheel-function panel, diagnostics and progress windows coming and going.
    void notice(const QString &text);
    void window(const QString &name, bool shown);
    // The firmware update's progress window changed.
    void progress(int stage, const QString &text, double value, bool determinate);
    void exit(const QString &reason);

    // The text of one "post" value; shared with the tests' expectations.
    static QByteArray eventJson(const platform::OVEvent &event);

private:
    void line(const char *key, const QByteArray &valueJson);
    double time();

    FILE *m_stream;
    std::mutex m_mutex;
    const platform::RunLoop *m_clock = nullptr;
    double m_start = 0;
    std::atomic<double> m_last { 0 };
    bool m_capturing = false;
};

} // namespace driverapp
