#pragma once

// The end-to-end tests' desktop: an X server (Xvfb) and a session bus of
// their own, on which the accessibility bus starts on demand as in a desktop
// session. The real driver and the real settings application run in it; the
// test drives the settings application from outside through AT-SPI, by role
// and name, as a screen reader or an automation tool would. Every wait has a
// deadline.

#include <functional>
#include <memory>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariantMap>

class JsonProcess;

class DesktopSession
{
public:
    DesktopSession() = default;
    ~DesktopSession();

    // What is missing for it (Xvfb, dbus-daemon, python3-pyatspi), to skip
    // the test with; empty when all is there.
    static QString missing();
    // Starts the X server with one screen of that size ("1280x1024") and the
    // bus; false when either did not start.
    bool start(const QString &screen);

    // The environment of both programs: the session's display and bus,
    // folders inside the session's own, English texts.
    const QProcessEnvironment &env() const { return m_env; }
    // The settings application's: on the X server, its accessibility on.
    QProcessEnvironment settingsEnv() const;
    // A path inside the session's folder.
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // The driver in --sim-devices mode with this device script (written to
    // the session's folder), keeping its files in `data`; started or not.
    std::unique_ptr<JsonProcess> startDriver(const QString &script, const QString &data) const;
    // The settings application with --report-state on the X server.
    std::unique_ptr<JsonProcess> startSettings() const;
    // Waits from line `from` on for the driver's write of its file `name` in
    // `data` whose content satisfies `holds`; the line's index or -1.
    static int waitForSave(JsonProcess &driver, int from, const QString &data, const QString &name,
        const std::function<bool(const QVariantMap &root)> &holds);

    // Operates one control of the settings application (atspi_operate.py):
    // its one line of answer, "ok ..." or why not.
    QString operate(const QString &role, const QString &name, const QStringList &action) const;
    // The same on a control of another program of the session (the driver's
    // windows), found by its application name.
    QString operate(const QString &app, const QString &role, const QString &name, const QStringList &action) const;

private:
    QTemporaryDir m_dir;
    QProcess m_xvfb;
    QProcess m_bus;
    QProcessEnvironment m_env;
};
