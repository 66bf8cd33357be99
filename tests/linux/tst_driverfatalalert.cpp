// The driver's fatal alerts where no person can answer them: started outside
// a graphical session (the offscreen platform these tests run on), with a
// tablet whose hidraw node the user may not read or whose event node another
// driver holds. The driver says why on standard error and ends through its
// normal termination path; before, it sat in an alert nobody could see.

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "driver/appdelegate.h"
#include "hidfixture.h"
#include "platform/linux/hidrawsystem.h"
#include "platform/linux/hidsyscalls.h"
#include "platform/linux/messageboxalerts.h"
#include "platform/linux/qtrunloop.h"
#include "platform/sim/simplatform.h"
#include "store/ovpublicdefine.h"

using platform::native::HidrawEnvironment;
using platform::native::HidrawSystem;
using platform::native::HidSysCalls;

namespace {

// Generous: the driver is built with sanitizers in CI.
constexpr int kDeadlineMs = 30000;

// The kernel's answers for the one tablet: these tests run as root, whom a
// node's mode does not stop, so the refusal a user meets is answered here.
// Every node that opens is /dev/null: nothing is read before the alert.
class RefusingCalls : public HidSysCalls
{
public:
    QString refusedPath;
    int openError = 0;
    int grabError = 0;
    QByteArray descriptor;

    int open(const char *path, int flags) override
    {
        if (openError && QString::fromLocal8Bit(path) == refusedPath)
            return -openError;
        return HidSysCalls::open("/dev/null", flags);
    }
    int grab(int) override { return -grabError; }
    int reportDescriptor(int, std::vector<std::uint8_t> *out) override
    {
        out->assign(descriptor.begin(), descriptor.end());
        return 0;
    }
};

} // namespace

class TestDriverFatalAlert : public QObject
{
    Q_OBJECT

private slots:
    void quitsSayingWhy_data();
    void quitsSayingWhy();
};

void TestDriverFatalAlert::quitsSayingWhy_data()
{
    QTest::addColumn<QString>("refused"); // the node under the fake /dev
    QTest::addColumn<int>("openError");
    QTest::addColumn<int>("grabError");
    QTest::addColumn<QString>("alertLine");
    QTest::addColumn<QString>("whyLine");

    // Without the udev rule's permissions: the node belongs to root.
    QTest::newRow("hidraw node not readable")
        << "hidraw0" << EACCES << 0
        << "^The driver needs permission: The Orvane tablet driver may not read .+"
        << "^no graphical session can show this alert: the driver quits; the setup guide is .+\\.pdf$";
    QTest::newRow("event node held by another driver")
        << "input/event4" << 0 << EBUSY
        << "^Another tablet driver is running: Another tablet driver holds the device\\..+"
        << "^no graphical session can show this alert: the driver quits$";
}

void TestDriverFatalAlert::quitsSayingWhy()
{
    QFETCH(QString, refused);
    QFETCH(int, openError);
    QFETCH(int, grabError);
    QFETCH(QString, alertLine);
    QFETCH(QString, whyLine);
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));

    // A Tevra M on a fake sysfs tree, its nodes in a fake /dev.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString dev = dir.filePath(QStringLiteral("dev"));
    QVERIFY(QDir().mkpath(dev + QStringLiteral("/input")));
    for (const QString &node : { QStringLiteral("hidraw0"), QStringLiteral("input/event4") }) {
        QFile file(dev + u'/' + node);
        QVERIFY(file.open(QIODevice::WriteOnly));
        // As a node without the udev rule's ACL is to the user at the seat.
        QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    }
    FakeSysfs sysfs(dir.path());
    const QByteArray descriptor = hidFixture(QStringLiteral("vendor-tablet.hex"));
    QVERIFY(!descriptor.isEmpty());
    sysfs.add({ .hidraw = QStringLiteral("hidraw0"),
        .vendorId = 0x3A8F,
        .productId = 0x1104,
        .usbProduct = QStringLiteral("Tevra M"),
        .hidName = QStringLiteral("Orvane Tevra M"),
        .reportDescriptor = descriptor,
        .events = { QStringLiteral("event4") } });
    RefusingCalls calls;
    calls.refusedPath = dev + u'/' + refused;
    calls.openError = openError;
    calls.grabError = grabError;
    calls.descriptor = descriptor;
    HidrawSystem hid(HidrawEnvironment { dir.path(), dev, &calls, false });

    // The Linux alerts and run loop; the rest of the desktop simulated.
    platform::sim::SimBus bus;
    QStringList posted;
    bus.setPostHook([&posted](const platform::sim::SimDistributedCenter &, const platform::Notification &n) {
        posted << n.name;
    });
    platform::sim::SimPlatform sim(bus, QLatin1String(platform::kDriverBundleId));
    platform::native::QtRunLoop runLoop;
    platform::native::QtAlerts alerts(&sim.modalRuns);
    const platform::Platform &simulated = sim.platform();
    platform::Platform platform { { runLoop, sim.local, sim.distributed, sim.displays, sim.workspace,
                                      sim.defaults, sim.strings, alerts, sim.filePanels, sim.keyboard,
                                      sim.files, sim.modalRuns, simulated.dataFolder, simulated.bundleId },
        hid, sim.usb, sim.poster, sim.modifierTap };

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(alertLine));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(whyLine));
    driver::AppDelegate delegate(platform);
    QString endedBy;
    delegate.setTerminationHandler([&endedBy](const QString &reason) { endedBy = reason; });

    // The test's own deadline: an alert still open by then is closed, so that
    // a driver waiting for an answer fails here instead of hanging.
    bool waited = false;
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, this, [&waited] {
        waited = true;
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        QCoreApplication::exit(1);
    });
    deadline.start(kDeadlineMs);
    delegate.applicationDidFinishLaunching();
    // The application's own loop, as the driver's main() runs it: what the
    // driver's run loop ends.
    const int code = QCoreApplication::exec();

    QVERIFY2(!waited, "the driver waited for an answer to an alert nobody can see");
    QCOMPARE(code, 0);
    QCOMPARE(endedBy, QStringLiteral("fatal alert"));
    QVERIFY(posted.contains(store::OVCFGQuitDNotification));
    // Nothing to open the setup guide in.
    QVERIFY(sim.workspace.opened().isEmpty());
}

QTEST_MAIN(TestDriverFatalAlert)
#include "tst_driverfatalalert.moc"
