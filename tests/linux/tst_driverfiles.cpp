// The running driver against a hostile process of the same user, on a bus of
// its own: an import path that keeps turning from a file into a FIFO never
// stops it answering, and a driver killed at any moment around a save leaves
// the old file or the new one, never a part.

#include <atomic>
#include <csignal>
#include <random>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTest>

#include "platform/linux/dbuscenter.h"
#include "platform/plist.h"
#include "privatebus.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

using namespace store;

namespace {

// Generous: the driver is built with sanitizers in CI.
constexpr int kDeadlineMs = 30000;

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kDeadlineMs);
}

bool writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// Replaces the link at `path` by one to `target` in one step.
void pointLink(const QByteArray &path, const QByteArray &target)
{
    const QByteArray temporary = path + ".new";
    ::unlink(temporary.constData());
    if (::symlink(target.constData(), temporary.constData()) == 0)
        ::rename(temporary.constData(), path.constData());
}

} // namespace

class TestDriverFiles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void importPathTurningIntoFifo();
    void killedAroundTheSave();

private:
    // The driver with the simulated Tevra M of `script`, its folder `data`.
    void startDriver(QProcess &driver, const QString &script, const QString &data);
    // Waits until the driver announces the Tevra M.
    bool waitForDevice(platform::native::DBusDistributedCenter &center);

    PrivateBus m_bus;
    QString m_busAddress;
    QTemporaryDir m_dir;
    const QString m_devKey = devKeyFor(Model::TevraM);
};

void TestDriverFiles::initTestCase()
{
    QVERIFY(m_dir.isValid());
    if (!PrivateBus::installed())
        QSKIP("dbus-daemon is not installed");
    m_busAddress = m_bus.start();
    QVERIFY2(!m_busAddress.isEmpty(), "dbus-daemon did not start");
}

void TestDriverFiles::startDriver(QProcess &driver, const QString &script, const QString &data)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("xdg-data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("xdg-config")));
    driver.setProcessEnvironment(env);
    // Its lines are not needed here; a full pipe must not stop it.
    driver.setStandardOutputFile(QProcess::nullDevice());
    driver.setStandardErrorFile(QProcess::nullDevice());
    driver.start(QStringLiteral(OV_DRIVER_BINARY),
        { QStringLiteral("--sim-devices"), script, QStringLiteral("--data"), data });
}

bool TestDriverFiles::waitForDevice(platform::native::DBusDistributedCenter &center)
{
    bool announced = false;
    center.observe(
        OVCFGResponseDNotification, &announced, [this, &announced](const platform::Notification &n) {
            announced = announced || n.userInfo.value(m_devKey) == QVariant(true);
        });
    const QDeadlineTimer deadline(kDeadlineMs);
    while (!announced && !deadline.hasExpired()) {
        center.post(OVCFGRequestDNotification);
        QTest::qWait(100);
    }
    center.removeObserver(&announced);
    return announced;
}

void TestDriverFiles::importPathTurningIntoFifo()
{
    const QString script = m_dir.filePath(QStringLiteral("fifo.ovs"));
    QVERIFY(writeText(script, "connect m \"Tevra M\" page=0xFF0A product=\"Tevra M\"\n"));
    const QString data = m_dir.filePath(QStringLiteral("fifo-data"));

    // A good export of the device, a FIFO, and the path the imports name,
    // a link that flips between the two as fast as it can.
    const QString good = m_dir.filePath(QStringLiteral("good.ovcfg"));
    const QVariantMap content { { QString(OVCFGVPID), m_devKey },
        { QString(OVCFGPenKey), QVariantMap { { QString(OVCFGDegree), qint64(1) } } } };
    QVERIFY(writeText(
        good, platform::plist::write(content, platform::plist::Format::Binary).value_or(QByteArray())));
    const QByteArray fifo = QFile::encodeName(m_dir.filePath(QStringLiteral("fifo")));
    QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
    const QString path = m_dir.filePath(QStringLiteral("import.ovcfg"));
    const QByteArray pathBytes = QFile::encodeName(path);
    pointLink(pathBytes, QFile::encodeName(good));

    platform::native::DBusDistributedCenter center;
    QVERIFY(center.isConnected());
    QProcess driver;
    startDriver(driver, script, data);
    QVERIFY2(driver.waitForStarted(kDeadlineMs), qPrintable(driver.errorString()));
    auto guard = qScopeGuard([&driver] { stop(driver); });
    QVERIFY2(waitForDevice(center), "the driver never announced its device");

    std::atomic<bool> flipping { true };
    std::thread flipper([&] {
        const QByteArray goodBytes = QFile::encodeName(good);
        for (bool toFifo = true; flipping; toFifo = !toFifo)
            pointLink(pathBytes, toFifo ? fifo : goodBytes);
    });
    auto joinFlipper = qScopeGuard([&] {
        flipping = false;
        flipper.join();
    });

    // Imports arrive without pause; every 200 ms the device question, whose
    // answer must never be late.
    int answers = 0;
    center.observe(
        OVCFGResponseDNotification, this, [&answers](const platform::Notification &) { ++answers; });
    QElapsedTimer sinceAnswer;
    sinceAnswer.start();
    qint64 longestSilenceMs = 0;
    int asked = 0;
    QElapsedTimer running;
    running.start();
    while (running.elapsed() < 3000 && driver.state() == QProcess::Running) {
        const int before = answers;
        center.post(OVCFGIDNotification, QString(), { { m_devKey, path } });
        if (running.elapsed() / 200 >= asked) {
            ++asked;
            center.post(OVCFGRequestDNotification);
        }
        QTest::qWait(5);
        if (answers > before)
            sinceAnswer.restart();
        longestSilenceMs = std::max(longestSilenceMs, sinceAnswer.elapsed());
    }
    joinFlipper.dismiss();
    flipping = false;
    flipper.join();
    // The last answers are on their way.
    const QDeadlineTimer settle(kDeadlineMs);
    while (answers < asked && !settle.hasExpired())
        QTest::qWait(20);
    center.removeObserver(this);

    QCOMPARE(driver.state(), QProcess::Running);
    QCOMPARE(answers, asked);
    // Far below what a driver stuck in open() would show (forever).
    QVERIFY2(longestSilenceMs < 2000, qPrintable(QString::number(longestSilenceMs)));
    // And it still ends on SIGTERM, its normal way.
    ::kill(pid_t(driver.processId()), SIGTERM);
    QVERIFY(driver.waitForFinished(kDeadlineMs));
    QCOMPARE(driver.exitStatus(), QProcess::NormalExit);
    QCOMPARE(driver.exitCode(), 0);
}

void TestDriverFiles::killedAroundTheSave()
{
    // The first run writes the own file the device starts from.
    const QString first = m_dir.filePath(QStringLiteral("first.ovs"));
    QVERIFY(writeText(first,
        "config \"Tevra M\" {\"OVCFGPenKey\": {\"Marker\": 0}}\n"
        "connect m \"Tevra M\" page=0xFF0A product=\"Tevra M\"\n"));
    const QString later = m_dir.filePath(QStringLiteral("later.ovs"));
    QVERIFY(writeText(later, "connect m \"Tevra M\" page=0xFF0A product=\"Tevra M\"\n"));
    const QString data = m_dir.filePath(QStringLiteral("kill-data"));
    const QString ownName = QStringLiteral(".OVCFGS_") + m_devKey;
    const QString own = data + QLatin1Char('/') + ownName;
    // Some megabytes, so that writing them takes a while.
    const QByteArray blob(3 * 1000 * 1000, 'x');

    // When the kill falls, by run: before the save begins, the moment its
    // new file appears beside the old one (while it is written), and just
    // after the new file took the old one's place. The moments within each
    // come from a fixed seed.
    enum Moment { Before, While, After };
    std::mt19937 random(20260101);
    platform::native::DBusDistributedCenter center;
    QVERIFY(center.isConnected());
    qint64 marker = 0;
    int kept = 0;
    int replaced = 0;
    for (int run = 1; run <= 6; ++run) {
        QProcess driver;
        startDriver(driver, run == 1 ? first : later, data);
        QVERIFY2(driver.waitForStarted(kDeadlineMs), qPrintable(driver.errorString()));
        auto guard = qScopeGuard([&driver] { stop(driver); });
        QVERIFY2(waitForDevice(center), "the driver never announced its device");
        const QDateTime before = QFileInfo(own).lastModified();

        // One change; the driver writes it 3 s after it arrives.
        for (const auto &[key, value] : { std::pair { QStringLiteral("Marker"), QVariant(qint64(run)) },
                 std::pair { QStringLiteral("Blob"), QVariant(blob) } }) {
            center.post(OVCFGDNotification, QString(),
                { { m_devKey,
                    QVariantMap { { QStringLiteral("c"), QString(OVCFGPenKey) }, { QStringLiteral("k"), key },
                        { QStringLiteral("v"), value } } } });
        }
        QElapsedTimer sincePost;
        sincePost.start();
        const Moment moment = Moment(run % 3);
        if (moment == Before) {
            QTest::qWait(std::uniform_int_distribution<int>(2700, 3000)(random));
        } else {
            const QDir folder(data);
            const QStringList pattern { ownName + QStringLiteral(".*.tmp") };
            auto sign = [&] {
                return moment == While
                    ? !folder.entryList(pattern, QDir::Files | QDir::Hidden | QDir::System).isEmpty()
                    : QFileInfo(own).lastModified() != before;
            };
            while (!sign() && sincePost.elapsed() < kDeadlineMs)
                QThread::usleep(100);
            if (moment == After)
                QTest::qWait(std::uniform_int_distribution<int>(0, 200)(random));
        }
        ::kill(pid_t(driver.processId()), SIGKILL);
        QVERIFY(driver.waitForFinished(kDeadlineMs));

        QFile file(own);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QString error;
        const std::optional<QVariant> value = platform::plist::parse(file.readAll(), &error);
        QVERIFY2(value, qPrintable(QStringLiteral("run %1: a torn file: %2").arg(run).arg(error)));
        const QVariantMap pen = value->toMap().value(OVCFGPenKey).toMap();
        const qint64 found = pen.value(QStringLiteral("Marker")).toLongLong();
        QVERIFY2(found == marker || found == run,
            qPrintable(QStringLiteral("run %1 found marker %2 after %3").arg(run).arg(found).arg(marker)));
        if (found == run) {
            // The new file holds the whole change.
            QCOMPARE(pen.value(QStringLiteral("Blob")).toByteArray().size(), blob.size());
            ++replaced;
        } else {
            ++kept;
        }
        if (moment == After)
            QCOMPARE(found, qint64(run));
        marker = found;
    }
    QVERIFY(kept > 0);
    QVERIFY(replaced > 0);
}

QTEST_GUILESS_MAIN(TestDriverFiles)
#include "tst_driverfiles.moc"
