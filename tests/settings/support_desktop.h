#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A desktop of its own for the end-to-end tests: an X server (Xvfb), a
// session bus on which the accessibility bus starts on demand, and folders
// under a temporary directory; the settings application runs on it and is
// operated from outside through AT-SPI (atspi_operate.py), as a screen
// reader or an automation tool would.
class DesktopSession
{
public:
    ~DesktopSession();
    // Why the session cannot run here (a program or module missing), or
    // empty; then start() may be called.
    static QString missing();
    // Starts the X server and the bus; false when one did not start.
    bool start();
    void stop();

    // The environment of the driver (offscreen) and of the settings
    // application (on the X server, its accessibility on).
    QProcessEnvironment driverEnvironment() const;
    QProcessEnvironment appEnvironment() const;
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Runs the AT-SPI client on the settings application: its one line of
    // answer ("ok ..." or why not).
    QString operate(const QString &role, const QString &name, const QStringList &action) const;

private:
    QTemporaryDir m_dir;
    QProcess m_xvfb;
    QProcess m_bus;
    QProcessEnvironment m_env;
};
