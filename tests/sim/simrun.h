#pragma once

// Runs the built driver's simulator and reads its output lines.

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QTemporaryDir>

struct Line
{
    double t = 0;
    QString key; // what the line reports: "post", "notify", "log", ...
    QJsonValue value;
    QByteArray raw;
};

struct Run
{
    QList<Line> lines;
    QByteArray out;
    QByteArray err;

    QList<Line> of(const QString &key) const;
    qsizetype indexOf(const QString &key, qsizetype from = 0) const;
    bool logged(const QString &text) const;
};

// Every line must be one JSON object: "t" with three decimals first, then
// exactly one key.
bool parseOutput(const QByteArray &out, Run *run, QString *why);
QString writeScript(const QTemporaryDir &dir, const QString &text);
// Runs the driver with --simulate on the script; fails the calling test
// when it does not end cleanly or prints anything but simulator lines.
void runSimulator(const QString &script, Run *run, const QStringList &extra = {}, bool viaStdin = false);
// Runs it twice; fails the calling test unless both runs print the same
// bytes (every clock follows the virtual time).
void runSimulatorTwice(const QString &script, Run *run);
