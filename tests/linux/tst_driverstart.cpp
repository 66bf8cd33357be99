// The driver started without options, as a desktop session starts it, on a
// bus of its own: it says in one line each why hidraw and uinput are of no
// use here, answers the settings application's device question with no
// devices, and ends cleanly on SIGTERM.

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/linux/dbuscenter.h"
#include "privatebus.h"
#include "store/ovpublicdefine.h"

namespace {

// Generous: the driver is built with sanitizers in CI.
constexpr int kDeadlineMs = 30000;

// What the driver must report on this machine: the uinput line when this
// process could not create virtual devices either, the hidraw line when
// there is no hidraw node at all.
bool uinputUsable()
{
    const int fd = ::open("/dev/uinput", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool hidrawPresent()
{
    return !QDir(QStringLiteral("/dev")).entryList({ QStringLiteral("hidraw*") }, QDir::System).isEmpty();
}

// An X display that no server holds: neither its lock file nor its socket is there.
QString goneXDisplay()
{
    for (int n = 4242;; ++n) {
        if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n))
            && !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
            return QStringLiteral(":%1").arg(n);
    }
}

void stop(QProcess &process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.kill();
    process.waitForFinished(kDeadlineMs);
}

} // namespace

class TestDriverStart : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startsWithoutDevices_data();
    void startsWithoutDevices();

private:
    PrivateBus m_bus;
    QString m_busAddress;
};

void TestDriverStart::initTestCase()
{
    if (!PrivateBus::installed())
        QSKIP("dbus-daemon is not installed");
    m_busAddress = m_bus.start();
    QVERIFY2(!m_busAddress.isEmpty(), "dbus-daemon did not start");
}

void TestDriverStart::startsWithoutDevices_data()
{
    // The driver's own choice of windowing platform and what it says of the
    // displays; an empty value leaves the variable out.
    QTest::addColumn<QString>("qpaPlatform");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("displaysLine");

    QTest::newRow("offscreen") << "offscreen" << qEnvironmentVariable("DISPLAY") << "";
    QTest::newRow("no display server") << "" << ""
                                       << "^displays through Qt's screens \\(no X server answers\\): .+";
    // A session restarted under a running driver's autostart leaves $DISPLAY behind.
    QTest::newRow("X server gone") << "" << goneXDisplay()
                                   << "^displays through Qt's screens \\(no X server answers\\): .+";
}

void TestDriverStart::startsWithoutDevices()
{
    QFETCH(QString, qpaPlatform);
    QFETCH(QString, display);
    QFETCH(QString, displaysLine);

    platform::native::DBusDistributedCenter center;
    QVERIFY(center.isConnected());
    QList<QVariantMap> answers;
    center.observe(store::OVCFGResponseDNotification, this,
                   [&answers](const platform::Notification &n) { answers.append(n.userInfo); });

    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_busAddress);
    // Its settings and device files go to the scratch folder.
    env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    if (!qpaPlatform.isEmpty())
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), qpaPlatform);
    if (!display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), display);
    QProcess driver;
    driver.setProcessEnvironment(env);
    driver.setProcessChannelMode(QProcess::MergedChannels);
    driver.start(QStringLiteral(OV_DRIVER_BINARY), QStringList());
    QVERIFY2(driver.waitForStarted(kDeadlineMs), qPrintable(driver.errorString()));
    auto guard = qScopeGuard([&driver] { stop(driver); });

    QStringList expected;
    if (!uinputUsable())
        expected << QStringLiteral("^uinput unavailable: .+");
    if (!hidrawPresent())
        expected << QStringLiteral("^hidraw unavailable: .+");
    if (!displaysLine.isEmpty())
        expected << displaysLine;

    // The question the settings application asks at its start, asked until the
    // driver is far enough to answer.
    QTimer ask;
    connect(&ask, &QTimer::timeout, this, [&center] { center.post(store::OVCFGRequestDNotification); });
    ask.start(200);

    QStringList output;
    auto seen = [&output](const QString &pattern) {
        return output.indexOf(QRegularExpression(pattern)) >= 0;
    };
    const QDeadlineTimer deadline(kDeadlineMs);
    while (!deadline.hasExpired() && driver.state() == QProcess::Running
           && !(answers.size() > 0 && std::all_of(expected.cbegin(), expected.cend(), seen))) {
        QTest::qWait(50);
        while (driver.canReadLine())
            output << QString::fromUtf8(driver.readLine()).trimmed();
    }
    ask.stop();
    const QString log = output.join(u'\n');
    QVERIFY2(driver.state() == QProcess::Running, qPrintable(QStringLiteral("the driver ended:\n") + log));
    for (const QString &pattern : std::as_const(expected)) {
        QVERIFY2(seen(pattern), qPrintable(pattern + QStringLiteral(" not in:\n") + log));
        QCOMPARE(output.filter(QRegularExpression(pattern)).size(), 1);
    }
    QVERIFY2(!answers.isEmpty(), qPrintable(QStringLiteral("no answer to the device question:\n") + log));
    QCOMPARE(answers.constFirst(), QVariantMap());

    ::kill(pid_t(driver.processId()), SIGTERM);
    QVERIFY(driver.waitForFinished(kDeadlineMs));
    output << QString::fromUtf8(driver.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(driver.exitStatus(), QProcess::NormalExit);
    QVERIFY2(driver.exitCode() == 0, qPrintable(output.join(u'\n')));
    center.removeObserver(this);
}

QTEST_GUILESS_MAIN(TestDriverStart)
#include "tst_driverstart.moc"
