#pragma once

// The session of the end-to-end tests: an X server of their own (Xvfb), a
// session bus of their own with the accessibility bus started on demand,
// and the AT-SPI client that operates the programs' controls from outside.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class EndToEndSession
{
public:
    ~EndToEndSession();

    // Why the session cannot run here (a missing program), or a null string.
    static QString missing();
    // Starts the X server and the bus; false (with a failed test) when
    // either does not start.
    bool start(const QTemporaryDir &dir);
    void stop();

    // The environment of both programs: display, bus, folders in dir.
    const QProcessEnvironment &environment() const { return m_env; }
    // A program on the X server with its accessibility on.
    QProcessEnvironment onDisplay() const;

    // Runs the AT-SPI client on one control of the application `app`; its
    // one line of answer ("ok ..." or "cannot ...").
    QString operate(const QString &app, const QString &role, const QString &name, const QStringList &action) const;

private:
    QProcess m_xvfb;
    QProcess m_bus;
    QProcessEnvironment m_env;
};
