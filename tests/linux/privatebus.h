#pragma once

// A session bus of the test's own: a driver of another test on a shared bus
// would hold the driver's name, and the one under test would end as a
// second copy. dbus-daemon prints its address on its standard output.

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

class PrivateBus
{
public:
    ~PrivateBus()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.kill();
        m_process.waitForFinished(5000);
    }

    static bool installed() { return !program().isEmpty(); }

    // The bus address, or empty when the daemon did not start. Makes it this
    // process's session bus: call it before the first use of the session bus.
    QString start()
    {
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(program(),
            { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        QByteArray address;
        const QDeadlineTimer deadline(30000);
        while (
            !address.endsWith('\n') && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(100);
            address += m_process.readAllStandardOutput();
        }
        const QString text = QString::fromUtf8(address.trimmed());
        if (!text.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", text.toUtf8());
        return text;
    }

private:
    static QString program() { return QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")); }

    QProcess m_process;
};
