#include "support_jsonprocess.h"

#include <algorithm>

#include <QDeadlineTimer>
#include <QJsonDocument>

JsonProcess::JsonProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &env)
{
    m_process.setProgram(program);
    m_process.setArguments(arguments);
    m_process.setProcessEnvironment(env);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.start();
}

JsonProcess::~JsonProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool JsonProcess::started()
{
    return m_process.waitForStarted(10000);
}

int JsonProcess::waitFor(const std::function<bool(const QJsonObject &)> &match, int from, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        read();
        for (int i = from; i < lines.size(); ++i) {
            if (match(lines[i]))
                return i;
        }
        from = std::max(from, int(lines.size()));
        if (deadline.hasExpired() || m_process.state() == QProcess::NotRunning)
            return -1;
        m_process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 200)));
    }
}

void JsonProcess::write(const QByteArray &bytes)
{
    m_process.write(bytes);
    m_process.waitForBytesWritten(5000);
}

void JsonProcess::terminate()
{
    m_process.terminate();
}

bool JsonProcess::finished(int *exitCode)
{
    if (!m_process.waitForFinished(kWaitMs))
        return false;
    read();
    *exitCode = m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    return true;
}

std::optional<int> JsonProcess::stop()
{
    terminate();
    int exitCode = -1;
    if (!finished(&exitCode))
        return std::nullopt;
    return exitCode;
}

QDebug operator<<(QDebug debug, const std::optional<int> &exitCode)
{
    if (exitCode)
        return debug << *exitCode;
    return debug << "not ended";
}

bool JsonProcess::running() const
{
    return m_process.state() == QProcess::Running;
}

QByteArray JsonProcess::errors()
{
    return m_process.readAllStandardError();
}

void JsonProcess::read()
{
    m_buffer += m_process.readAllStandardOutput();
    qsizetype end;
    while ((end = m_buffer.indexOf('\n')) >= 0) {
        const QJsonDocument doc = QJsonDocument::fromJson(m_buffer.left(end));
        m_buffer.remove(0, end + 1);
        if (doc.isObject())
            lines.append(doc.object());
    }
}

QString startDaemon(QProcess &daemon, const QString &program, const QStringList &arguments)
{
    daemon.start(program, arguments);
    if (!daemon.waitForStarted(5000))
        return QString();
    QDeadlineTimer deadline(10000);
    while (!daemon.canReadLine() && !deadline.hasExpired() && daemon.state() == QProcess::Running)
        daemon.waitForReadyRead(200);
    return QString::fromUtf8(daemon.readLine()).trimmed();
}

void stopDaemon(QProcess &daemon)
{
    if (daemon.state() == QProcess::NotRunning)
        return;
    daemon.terminate();
    if (!daemon.waitForFinished(5000))
        daemon.kill();
    daemon.waitForFinished(5000);
}
