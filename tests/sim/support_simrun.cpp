#include "simrun.h"

#include <QFile>
#include <QProcess>
#include <QTest>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

QList<Line> Run::of(const QString &key) const
{
    QList<Line> found;
    for (const Line &line : lines) {
        if (line.key == key)
            found.append(line);
    }
    return found;
}

qsizetype Run::indexOf(const QString &key, qsizetype from) const
{
    for (qsizetype i = from; i < lines.size(); ++i) {
        if (lines[i].key == key)
            return i;
    }
    return -1;
}

bool Run::logged(const QString &text) const
{
    for (const Line &line : of(QStringLiteral("log"))) {
        if (line.value.toString() == text)
            return true;
    }
    return false;
}

bool parseOutput(const QByteArray &out, Run *run, QString *why)
{
    static const QRegularExpression shape(QStringLiteral(R"(^\{"t":[0-9]+\.[0-9]{3},"[A-Za-z]+":)"));
    const QList<QByteArray> rawLines = out.split('\n');
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        const QByteArray &raw = rawLines[i];
        if (raw.isEmpty() && i == rawLines.size() - 1)
            break;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(raw, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject() || doc.object().size() != 2
            || !shape.match(QString::fromUtf8(raw)).hasMatch()) {
            *why = QStringLiteral("not a simulator line: ") + QString::fromUtf8(raw);
            return false;
        }
        const QJsonObject object = doc.object();
        Line line;
        line.t = object.value(QLatin1String("t")).toDouble();
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (it.key() != QLatin1String("t")) {
                line.key = it.key();
                line.value = it.value();
            }
        }
        line.raw = raw;
        run->lines.append(line);
    }
    return true;
}

QString writeScript(const QTemporaryDir &dir, const QString &text)
{
    const QString path = dir.filePath(QStringLiteral("script.ovs"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
    return path;
}

void runSimulator(const QString &script, Run *run, const QStringList &extra, bool viaStdin)
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess process;
    QStringList args { QStringLiteral("--simulate") };
    args << (viaStdin ? QStringLiteral("-") : writeScript(dir, script));
    args << extra;
    process.start(QStringLiteral(OV_DRIVER_BINARY), args);
    QVERIFY2(process.waitForStarted(), qPrintable(process.errorString()));
    if (viaStdin) {
        process.write(script.toUtf8());
        process.closeWriteChannel();
    }
    QVERIFY2(process.waitForFinished(120000), "the simulator did not end");
    run->out = process.readAllStandardOutput();
    run->err = process.readAllStandardError();
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY2(process.exitCode() == 0, run->err.constData());
    QString why;
    QVERIFY2(parseOutput(run->out, run, &why), qPrintable(why));
    QVERIFY(!run->lines.isEmpty());
    // The driver's end is always the last line, and there is one.
    QCOMPARE(run->lines.last().key, QStringLiteral("exit"));
    QCOMPARE(run->of(QStringLiteral("exit")).size(), 1);
}

void runSimulatorTwice(const QString &script, Run *run)
{
    runSimulator(script, run);
    Run second;
    runSimulator(script, &second);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(run->out, second.out);
}

