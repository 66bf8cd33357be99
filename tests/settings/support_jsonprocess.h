#pragma once

#include <functional>
#include <optional>

#include <QDebug>
#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QStringList>

// The two-process tests: a child program whose standard output is one JSON
// object a line. Every wait has a deadline.

// Generous: the programs may run under the sanitizers on a loaded machine.
constexpr int kWaitMs = 20000;

class JsonProcess
{
public:
    JsonProcess(const QString &program, const QStringList &arguments, const QProcessEnvironment &env);
    ~JsonProcess();
    bool started();

    // Waits until a line from index `from` on matches; its index, or -1 at
    // the deadline or when the program ended.
    int waitFor(const std::function<bool(const QJsonObject &)> &match, int from = 0, int timeoutMs = kWaitMs);
    void write(const QByteArray &bytes);
    void terminate();
    bool finished(int *exitCode);
    // terminate(), then finished(): the exit code (-1 after a crash), or
    // nullopt when the program did not end by the deadline.
    std::optional<int> stop();
    bool running() const;
    QByteArray errors();

    QList<QJsonObject> lines;

private:
    void read();

    QProcess m_process;
    QByteArray m_buffer;
};

// An answer of stop() in a failed comparison: the exit code, or "not ended".
QDebug operator<<(QDebug debug, const std::optional<int> &exitCode);

// Starts a daemon that prints one line when it is ready (dbus-daemon its
// address, Xvfb its display number) and answers that line, trimmed; empty
// when it did not start or printed nothing within the deadline.
QString startDaemon(QProcess &daemon, const QString &program, const QStringList &arguments);
// Ends a daemon started so.
void stopDaemon(QProcess &daemon);
