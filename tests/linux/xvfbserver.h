#pragma once

// A private X server for the tests that need one: Xvfb picks a free display
// number itself and writes it to its standard output (-displayfd 1).

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

class XvfbServer
{
public:
    ~XvfbServer()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // The display name (":93"), or empty with the reason in *why.
    QByteArray start(QString *why)
    {
        const QString program = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (program.isEmpty()) {
            *why = QStringLiteral("Xvfb is not installed");
            return {};
        }
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(program, { QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                   QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                   QStringLiteral("1280x800x24") });
        QByteArray number;
        const QDeadlineTimer deadline(15000);
        while (!number.endsWith('\n') && !deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
            m_process.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
            number += m_process.readAllStandardOutput();
        }
        number = number.trimmed();
        if (number.isEmpty()) {
            *why = QStringLiteral("Xvfb did not start");
            return {};
        }
        return ':' + number;
    }

private:
    QProcess m_process;
};
