#include <cerrno>
#include <csignal>
#include <map>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

#include "hidfixture.h"
#include "platform/linux/hidrawdevice.h"
#include "platform/linux/hidrawmanager.h"
#include "platform/linux/hidrawsystem.h"
#include "platform/linux/hidsyscalls.h"
#include "platform/linux/messageboxalerts.h"
#include "platform/linux/qtrunloop.h"
#include "platform/linux/signalwatcher.h"
#include "platform/modalruns.h"

using namespace platform;
using platform::native::HidrawDevice;
using platform::native::HidrawEnvironment;
using platform::native::HidrawManager;
using platform::native::HidrawSystem;
using platform::native::HidSysCalls;
using platform::native::QtAlerts;
using platform::native::QtRunLoop;
using platform::native::SignalWatcher;

namespace {

constexpr int kVendor = 0x3A8F;
constexpr int kTevraM = 0x1104;
constexpr int kSorvi22 = 0x1113;

// System calls over socket pairs: every opened node is one end of a
// SOCK_SEQPACKET pair, so a report written to the other end is read back as
// one report, as from hidraw. Errors are injected per path.
class FakeCalls : public HidSysCalls
{
public:
    struct Sent
    {
        QString path;
        bool feature;
        QByteArray bytes;
    };

    std::map<QString, int> openErrors; // path -> errno
    std::map<QString, int> grabErrors; // event node -> errno
    int writeError = 0;
    int readError = 0; // answered by every read once set: the node is gone
    QByteArray nodeDescriptor; // what the node answers when asked for its descriptor

    std::map<int, QString> open_; // our fd -> path
    std::map<QString, int> peers; // path -> the test's end
    QStringList grabbed;
    std::vector<Sent> sent;

    ~FakeCalls() override
    {
        for (const auto &[path, fd] : peers)
            ::close(fd);
        for (const auto &[fd, path] : open_)
            ::close(fd);
    }

    int open(const char *path, int) override
    {
        const QString name = QString::fromLocal8Bit(path);
        if (auto it = openErrors.find(name); it != openErrors.end())
            return -it->second;
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0)
            return -errno;
        open_[pair[0]] = name;
        if (auto old = peers.find(name); old != peers.end())
            ::close(old->second);
        peers[name] = pair[1];
        return pair[0];
    }
    int close(int fd) override
    {
        open_.erase(fd);
        return ::close(fd) == 0 ? 0 : -errno;
    }
    ssize_t read(int fd, void *buffer, size_t length) override
    {
        if (readError)
            return -readError;
        const ssize_t result = ::read(fd, buffer, length);
        return result < 0 ? -errno : result;
    }
    ssize_t write(int fd, const void *buffer, size_t length) override
    {
        if (writeError)
            return -writeError;
        sent.push_back(
            { open_[fd], false, QByteArray(static_cast<const char *>(buffer), qsizetype(length)) });
        return ssize_t(length);
    }
    int grab(int fd) override
    {
        const QString path = open_[fd];
        if (auto it = grabErrors.find(path); it != grabErrors.end())
            return -it->second;
        grabbed.append(path);
        return 0;
    }
    int reportDescriptor(int, std::vector<std::uint8_t> *descriptor) override
    {
        if (nodeDescriptor.isEmpty())
            return -EINVAL;
        descriptor->assign(nodeDescriptor.begin(), nodeDescriptor.end());
        return 0;
    }
    int sendFeature(int fd, const std::uint8_t *report, size_t length) override
    {
        sent.push_back(
            { open_[fd], true, QByteArray(reinterpret_cast<const char *>(report), qsizetype(length)) });
        return 0;
    }

    QStringList openPaths() const
    {
        QStringList paths;
        for (const auto &[fd, path] : open_)
            paths.append(path);
        paths.sort();
        return paths;
    }
    void sendReport(const QString &path, const QByteArray &bytes) const
    {
        QVERIFY(::write(peers.at(path), bytes.constData(), size_t(bytes.size())) == bytes.size());
    }
};

QByteArray bytesOf(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

std::span<const std::uint8_t> spanOf(const QByteArray &bytes)
{
    return std::span(reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size()));
}

} // namespace

class TestHidrawManager : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void openResults_data();
    void openResults();
    void matchedInterfacesAnswerTheirProperties_data();
    void matchedInterfacesAnswerTheirProperties();
    void inputReportsAreCutAndDelivered();
    void deliveryFollowsScheduling();
    void outputReportsCarryTheReportIdByte_data();
    void outputReportsCarryTheReportIdByte();
    void deviceGoneMidReadIsRemovedCleanly();
    void callbackThatClosesItsDeviceStopsTheReads();
    void hotPlug();
    void heldBackDuringAnAlert();
    void eventNodesAddedLaterAreSeized();
    void realHidrawNodes();

private:
    QString dev(const QString &name) const { return m_dir->path() + "/dev/" + name; }
    std::unique_ptr<HidrawManager> manager(quint32 options, quint32 *result);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeSysfs> m_sysfs;
    std::unique_ptr<FakeCalls> m_calls;
    std::unique_ptr<HidrawSystem> m_system;
    QList<HidDevice *> m_matched;
    QList<HidDevice *> m_removed;
    bool m_opened = false;
};

void TestHidrawManager::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QDir().mkpath(m_dir->filePath("dev"));
    m_sysfs = std::make_unique<FakeSysfs>(m_dir->path());
    m_calls = std::make_unique<FakeCalls>();
    m_system = std::make_unique<HidrawSystem>(
        HidrawEnvironment { m_dir->path(), m_dir->filePath("dev"), m_calls.get(), false });
    m_matched.clear();
    m_removed.clear();
    m_opened = false;
}

void TestHidrawManager::cleanup()
{
    m_system.reset();
    m_calls.reset();
}

std::unique_ptr<HidrawManager> TestHidrawManager::manager(quint32 options, quint32 *result)
{
    auto made = std::make_unique<HidrawManager>(*m_system);
    made->setDeviceMatchingMultiple({ { kVendor, kTevraM }, { kVendor, kSorvi22 } });
    // The fake /dev holds no nodes: the first open says so in one line.
    if (!m_opened)
        QTest::ignoreMessage(
            QtInfoMsg, QRegularExpression("^hidraw unavailable: no .*/hidraw\\* device nodes"));
    m_opened = true;
    *result = made->open(options);
    made->registerDeviceMatchingCallback([this](HidDevice *device) { m_matched.append(device); });
    made->registerDeviceRemovalCallback([this](HidDevice *device) {
        m_removed.append(device);
        device->close(); // as the device manager does
    });
    made->scheduleWithRunLoop();
    return made;
}

void TestHidrawManager::openResults_data()
{
    QTest::addColumn<quint32>("options");
    QTest::addColumn<QString>("failingNode");
    QTest::addColumn<int>("openError");
    QTest::addColumn<int>("grabError");
    QTest::addColumn<quint32>("result");
    QTest::addColumn<int>("matched");

    QTest::newRow("all open, seized") << kHidOptionsSeize << "" << 0 << 0 << hidresult::Success << 2;
    // Without the udev rule the nodes belong to root.
    QTest::newRow("hidraw EACCES") << kHidOptionsSeize << "hidraw1" << EACCES << 0 << hidresult::NotPermitted
                                   << 0;
    QTest::newRow("hidraw EPERM") << kHidOptionsNone << "hidraw1" << EPERM << 0 << hidresult::NotPermitted
                                  << 0;
    QTest::newRow("event node not ours")
        << kHidOptionsSeize << "input/event4" << EACCES << 0 << hidresult::NotPermitted << 0;
    // Another program grabbed the kernel's event node: another driver.
    QTest::newRow("event node grabbed elsewhere")
        << kHidOptionsSeize << "input/event4" << 0 << EBUSY << hidresult::ExclusiveAccess << 0;
    QTest::newRow("event node gone between listing and open")
        << kHidOptionsSeize << "input/event4" << ENOENT << 0 << hidresult::Success << 2;
    QTest::newRow("unseized manager leaves event nodes alone")
        << kHidOptionsNone << "input/event4" << 0 << EBUSY << hidresult::Success << 2;
    // One node that fails otherwise is skipped; the manager works on.
    QTest::newRow("hidraw EIO skips that node")
        << kHidOptionsSeize << "hidraw1" << EIO << 0 << hidresult::Success << 1;
    QTest::newRow("hidraw gone between listing and open")
        << kHidOptionsSeize << "hidraw1" << ENODEV << 0 << hidresult::Success << 1;
}

void TestHidrawManager::openResults()
{
    QFETCH(quint32, options);
    QFETCH(QString, failingNode);
    QFETCH(int, openError);
    QFETCH(int, grabError);
    QFETCH(quint32, result);
    QFETCH(int, matched);

    const QByteArray descriptor = hidFixture("vendor-tablet.hex");
    m_sysfs->add({ "hidraw0", 3, kVendor, kTevraM, "Tevra M", "", descriptor, { "event3" } });
    m_sysfs->add({ "hidraw1", 3, kVendor, kSorvi22, "Sorvi 22", "", descriptor, { "event4" } });
    m_sysfs->add({ "hidraw2", 3, 0x046D, 0xC077, "Mouse", "", descriptor, { "event5" } });
    if (openError)
        m_calls->openErrors[dev(failingNode)] = openError;
    if (grabError)
        m_calls->grabErrors[dev(failingNode)] = grabError;
    if (openError)
        QTest::ignoreMessage(
            QtWarningMsg, QRegularExpression("^cannot open .*/" + failingNode + "( to seize it)?: "));
    else if (grabError && options == kHidOptionsSeize)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^cannot seize .*/" + failingNode + ": "));

    quint32 answered = 0;
    auto made = manager(options, &answered);
    QCOMPARE(answered, result);
    QCOMPARE(m_matched.size(), matched);
    if (result != hidresult::Success) {
        // A failed open keeps nothing open and nothing grabbed.
        QVERIFY(m_calls->openPaths().isEmpty());
        return;
    }
    QStringList expectedOpen;
    for (HidDevice *device : std::as_const(m_matched)) {
        const auto *hidraw = static_cast<HidrawDevice *>(device);
        expectedOpen.append(hidraw->node().devNode);
        if (options == kHidOptionsSeize)
            expectedOpen += hidraw->node().eventNodes;
    }
    expectedOpen.removeAll(dev(failingNode));
    expectedOpen.sort();
    QCOMPARE(m_calls->openPaths(), expectedOpen);
    if (options == kHidOptionsSeize)
        QCOMPARE(m_calls->grabbed, expectedOpen.filter("/input/"));
    else
        QVERIFY(m_calls->grabbed.isEmpty());

    made->close(kHidOptionsNone);
    QVERIFY(m_calls->openPaths().isEmpty());
}

void TestHidrawManager::matchedInterfacesAnswerTheirProperties_data()
{
    QTest::addColumn<bool>("descriptorInSysfs");
    QTest::newRow("descriptor from sysfs") << true;
    QTest::newRow("descriptor from the node") << false;
}

void TestHidrawManager::matchedInterfacesAnswerTheirProperties()
{
    QFETCH(bool, descriptorInSysfs);

    const QByteArray descriptor = hidFixture("vendor-command.hex");
    m_calls->nodeDescriptor = descriptor;
    m_sysfs->add({ "hidraw0", 3, kVendor, kTevraM, "Tevra M", "Orvane Tevra M",
        descriptorInSysfs ? descriptor : QByteArray(), {} });

    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    QCOMPARE(result, hidresult::Success);
    QCOMPARE(m_matched.size(), 1);
    const HidDevice *device = m_matched.first();
    QCOMPARE(device->property(kHidVendorID), QVariant(kVendor));
    QCOMPARE(device->property(kHidProductID), QVariant(kTevraM));
    QCOMPARE(device->property(kHidProduct), QVariant(QStringLiteral("Tevra M")));
    QCOMPARE(device->property(kHidPrimaryUsagePage), QVariant(0xFF0B));
    QCOMPARE(device->property(kHidPrimaryUsage), QVariant(1));
    const QVariantList pairs { QVariantMap { { kHidDeviceUsagePage, 0xFF0B }, { kHidDeviceUsage, 1 } },
        QVariantMap { { kHidDeviceUsagePage, 0xFF0C }, { kHidDeviceUsage, 1 } } };
    QCOMPARE(device->property(kHidDeviceUsagePairs), QVariant(pairs));
    QVERIFY(!device->property("SerialNumber").isValid());
}

void TestHidrawManager::inputReportsAreCutAndDelivered()
{
    m_sysfs->add({ "hidraw0", 3, kVendor, kTevraM, "Tevra M", "", hidFixture("vendor-tablet.hex"), {} });
    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    QCOMPARE(m_matched.size(), 1);

    QList<QByteArray> reports;
    QList<quint32> ids;
    // The system's observer hears of each report once its callback is done.
    QList<HidDevice *> heard;
    m_system->setReportObserver([&](const HidDevice *sender) {
        QCOMPARE(ids.size(), heard.size() + 1);
        heard.append(const_cast<HidDevice *>(sender));
    });
    m_matched.first()->registerInputReportCallback(
        [&](const InputReport &report) {
            QCOMPARE(report.sender, m_matched.first());
            QCOMPARE(heard.size(), ids.size());
            reports.append(bytesOf(report.bytes));
            ids.append(report.reportId);
        },
        8);
    const QByteArray pen = QByteArray::fromHex("02A10010203040506070809A");
    const QByteArray key = QByteArray::fromHex("02E0");
    m_calls->sendReport(dev("hidraw0"), pen);
    m_calls->sendReport(dev("hidraw0"), key);
    // Through the main loop, as the notifier wakes the device.
    QTRY_COMPARE(reports.size(), 2);
    QCOMPARE(reports, (QList<QByteArray> { pen.left(8), key }));
    QCOMPARE(ids, (QList<quint32> { 2, 2 }));
    QCOMPARE(heard, (QList<HidDevice *> { m_matched.first(), m_matched.first() }));
}

void TestHidrawManager::deliveryFollowsScheduling()
{
    m_sysfs->add({ "hidraw0", 3, kVendor, kTevraM, "Tevra M", "", hidFixture("vendor-tablet.hex"), {} });
    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    int delivered = 0;
    m_matched.first()->registerInputReportCallback([&](const InputReport &) { ++delivered; }, 64);

    made->unscheduleFromRunLoop();
    m_calls->sendReport(dev("hidraw0"), QByteArray::fromHex("02A1"));
    QCoreApplication::processEvents();
    QCOMPARE(delivered, 0);
    // The report waited in the node and comes once scheduled again.
    made->scheduleWithRunLoop();
    QTRY_COMPARE(delivered, 1);
    QCOMPARE(m_matched.size(), 1); // scheduling again announces nothing twice
}

void TestHidrawManager::outputReportsCarryTheReportIdByte_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("type");
    QTest::addColumn<quint32>("reportId");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<bool>("feature");

    const QByteArray start = QByteArray::fromHex("02B00400000000");
    QTest::newRow("numbered: the report leads with its id")
        << "vendor-tablet.hex" << int(ReportType::Output) << 0u << start << start << false;
    QTest::newRow("numbered: id named apart")
        << "vendor-tablet.hex" << int(ReportType::Output) << 2u << QByteArray::fromHex("B004")
        << QByteArray::fromHex("02B004") << false;
    QTest::newRow("numbered: id named and leading")
        << "vendor-tablet.hex" << int(ReportType::Output) << 2u << QByteArray::fromHex("02B004")
        << QByteArray::fromHex("02B004") << false;
    // hidraw wants a 0 first for a device without report ids; the kernel
    // strips it, so the device gets exactly the report.
    QTest::newRow("unnumbered: a 0 goes first")
        << "boot-mouse.hex" << int(ReportType::Output) << 0u << QByteArray::fromHex("0102")
        << QByteArray::fromHex("000102") << false;
    QTest::newRow("feature report") << "vendor-command.hex" << int(ReportType::Feature) << 0u
                                    << QByteArray::fromHex("FD0102") << QByteArray::fromHex("FD0102") << true;
}

void TestHidrawManager::outputReportsCarryTheReportIdByte()
{
    QFETCH(QString, fixture);
    QFETCH(int, type);
    QFETCH(quint32, reportId);
    QFETCH(QByteArray, report);
    QFETCH(QByteArray, written);
    QFETCH(bool, feature);

    m_sysfs->add({ "hidraw0", 3, kVendor, kTevraM, "Tevra M", "", hidFixture(fixture), {} });
    quint32 result = 0;
    auto made = manager(kHidOptionsNone, &result);
    HidDevice *device = m_matched.first();
    QCOMPARE(device->setReport(ReportType(type), reportId, spanOf(report)), hidresult::Success);
    QCOMPARE(m_calls->sent.size(), size_t(1));
    QCOMPARE(m_calls->sent.front().path, dev("hidraw0"));
    QCOMPARE(m_calls->sent.front().feature, feature);
    QCOMPARE(m_calls->sent.front().bytes, written);
}

void TestHidrawManager::deviceGoneMidReadIsRemovedCleanly()
{
    m_sysfs->add(
        { "hidraw0", 3, kVendor, kTevraM, "Tevra M", "", hidFixture("vendor-tablet.hex"), { "event3" } });
    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    HidDevice *device = m_matched.first();
    int delivered = 0;
    device->registerInputReportCallback([&](const InputReport &) { ++delivered; }, 64);

    // Unplugged: the node answers ENODEV before udev reports the removal.
    m_calls->readError = ENODEV;
    QTest::ignoreMessage(QtInfoMsg, QRegularExpression("/hidraw0 stopped answering: "));
    m_calls->sendReport(dev("hidraw0"), QByteArray::fromHex("02A1"));
    static_cast<HidrawDevice *>(device)->readAvailable();
    QCOMPARE(delivered, 0);
    const QByteArray report = QByteArray::fromHex("02B004");
    m_calls->writeError = ENODEV;
    QCOMPARE(device->setReport(ReportType::Output, 0, spanOf(report)), hidresult::NoDevice);

    const QString sysPath = static_cast<HidrawDevice *>(device)->node().sysPath;
    made->nodeRemoved(sysPath);
    QCOMPARE(m_removed, (QList<HidDevice *> { device }));
    QCOMPARE(made->deviceCount(), 0);
    // Its node and the grab are released.
    QVERIFY(m_calls->openPaths().isEmpty());
    // A second removal of the same node (udev repeats) changes nothing.
    made->nodeRemoved(sysPath);
    QCOMPARE(m_removed.size(), 1);
}

void TestHidrawManager::callbackThatClosesItsDeviceStopsTheReads()
{
    m_sysfs->add({ "hidraw0", 3, kVendor, kTevraM, "Tevra M", "", hidFixture("vendor-tablet.hex"), {} });
    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    HidDevice *device = m_matched.first();
    int delivered = 0;
    device->registerInputReportCallback(
        [&](const InputReport &) {
            ++delivered;
            device->registerInputReportCallback({}, 0);
            device->close();
        },
        64);
    for (int i = 0; i < 3; ++i)
        m_calls->sendReport(dev("hidraw0"), QByteArray::fromHex("02A1"));
    static_cast<HidrawDevice *>(device)->readAvailable();
    QCOMPARE(delivered, 1);
    const QByteArray report = QByteArray::fromHex("02B004");
    QCOMPARE(device->setReport(ReportType::Output, 0, spanOf(report)), hidresult::NoDevice);
}

void TestHidrawManager::hotPlug()
{
    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    QCOMPARE(result, hidresult::Success);
    QVERIFY(m_matched.isEmpty());

    const QByteArray descriptor = hidFixture("vendor-tablet.hex");
    const QString other = m_sysfs->add({ "hidraw0", 3, 0x046D, 0xC077, "Mouse", "", descriptor, {} });
    made->nodeAdded(other);
    QVERIFY(m_matched.isEmpty());

    const QString tablet
        = m_sysfs->add({ "hidraw1", 3, kVendor, kTevraM, "Tevra M", "", descriptor, { "event6" } });
    made->nodeAdded(tablet, dev("hidraw1"));
    QCOMPARE(m_matched.size(), 1);
    QCOMPARE(m_calls->grabbed, QStringList { dev("input/event6") });
    // A tablet plugged in later is read like one found at start.
    QList<QByteArray> reports;
    m_matched.first()->registerInputReportCallback(
        [&](const InputReport &report) { reports.append(bytesOf(report.bytes)); }, 64);
    const QByteArray pen = QByteArray::fromHex("02A10010203040506070");
    m_calls->sendReport(dev("hidraw1"), pen);
    QTRY_COMPARE(reports, QList<QByteArray> { pen });
    // udev may report a node that the listing already found.
    made->nodeAdded(tablet, dev("hidraw1"));
    QCOMPARE(m_matched.size(), 1);

    // A node that cannot be opened is skipped with its line.
    const QString denied = m_sysfs->add({ "hidraw2", 3, kVendor, kSorvi22, "Sorvi 22", "", descriptor, {} });
    m_calls->openErrors[dev("hidraw2")] = EACCES;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^cannot open .*/hidraw2: "));
    made->nodeAdded(denied, dev("hidraw2"));
    QCOMPARE(m_matched.size(), 1);

    made->nodeRemoved(QString(), dev("hidraw1"));
    QCOMPARE(m_removed, m_matched);
    made->nodeRemoved(other);
    QCOMPARE(m_removed.size(), 1);
}

// A real message box runs its own nested loop, in which the removal and a
// SIGTERM arrive: both reach the program only after the box has closed.
void TestHidrawManager::heldBackDuringAnAlert()
{
    QtRunLoop runLoop;
    ModalRuns runs(&runLoop);
    m_system->setModalRuns(&runs);
    QtAlerts alerts(&runs);
    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    const QString tablet = m_sysfs->add(
        { "hidraw1", 3, kVendor, kTevraM, "Tevra M", "", hidFixture("vendor-tablet.hex"), {} });
    made->nodeAdded(tablet, dev("hidraw1"));
    QCOMPARE(m_matched.size(), 1);
    QList<QByteArray> reports;
    m_matched.first()->registerInputReportCallback(
        [&](const InputReport &report) { reports.append(bytesOf(report.bytes)); }, 64);

    QStringList order;
    // What the driver's delegate does with a signal during a modal run.
    SignalWatcher watcher([&] {
        order << QStringLiteral("signal");
        if (runs.depth() > 0)
            runs.beginEnding();
        runs.deliver([&] { order << QStringLiteral("terminated"); });
    });
    const QByteArray pen = QByteArray::fromHex("02A10010203040506070");
    // The report is read while the box is open, then the removal comes and
    // the signal ends the box.
    QTimer::singleShot(50, [&] { m_calls->sendReport(dev("hidraw1"), pen); });
    QTimer readBack;
    QObject::connect(&readBack, &QTimer::timeout, [&] {
        if (runs.heldBack() == 0)
            return; // not read yet
        readBack.stop();
        made->nodeRemoved(QString(), dev("hidraw1"));
        ::raise(SIGTERM);
    });
    readBack.start(10);
    QTimer::singleShot(5000, [&] { runs.beginEnding(); }); // a guard against a box left open
    const int answer = alerts.run(QStringLiteral("Update"), QString(), { QStringLiteral("OK"), QStringLiteral("Cancel") });
    const qsizetype removedDuringAlert = m_removed.size();
    order << QStringLiteral("alert returned");
    QCOMPARE(answer, 0);
    QCOMPARE(removedDuringAlert, 0);
    QVERIFY(reports.isEmpty());
    QTRY_COMPARE(order, (QStringList { "signal", "alert returned", "terminated" }));
    QCOMPARE(reports, QList<QByteArray> { pen });
    QCOMPARE(m_removed, m_matched);
    m_system->setModalRuns(nullptr);
}

void TestHidrawManager::eventNodesAddedLaterAreSeized()
{
    const QString tablet = m_sysfs->add(
        { "hidraw0", 3, kVendor, kTevraM, "Tevra M", "", hidFixture("vendor-tablet.hex"), { "event3" } });
    quint32 result = 0;
    auto made = manager(kHidOptionsSeize, &result);
    QCOMPARE(m_calls->grabbed, QStringList { dev("input/event3") });

    FakeSysfs::addEvent(tablet, "event8");
    made->inputNodeAdded();
    QCOMPARE(m_calls->grabbed, (QStringList { dev("input/event3"), dev("input/event8") }));
    made->inputNodeAdded();
    QCOMPARE(m_calls->grabbed.size(), 2);

    // Plugged in later, before udev has given the user its event node: the
    // tablet works at once and is seized when the input node's event comes.
    const QString later = m_sysfs->add(
        { "hidraw1", 3, kVendor, kSorvi22, "Sorvi 22", "", hidFixture("vendor-tablet.hex"), { "event9" } });
    m_calls->openErrors[dev("input/event9")] = EACCES;
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^cannot open .*/input/event9 to seize it: "));
    made->nodeAdded(later);
    QCOMPARE(m_matched.size(), 2);
    QCOMPARE(m_calls->grabbed.size(), 2);
    m_calls->openErrors.clear();
    made->inputNodeAdded();
    QCOMPARE(m_calls->grabbed.last(), dev("input/event9"));
    QCOMPARE(m_calls->grabbed.size(), 3);
}

// On a machine with HID devices: the real nodes through udev, unseized so
// that nothing the user holds is taken away.
void TestHidrawManager::realHidrawNodes()
{
    HidrawSystem system;
    QString why;
    if (!system.available(&why))
        QSKIP(qPrintable("hidraw unavailable: " + why));
    const QStringList paths = platform::native::hidrawSysPaths(QStringLiteral("/sys"));
    QVERIFY(!paths.isEmpty());
    const auto node = platform::native::readHidrawNode(paths.first());
    QVERIFY(node);

    HidrawManager real(system);
    real.setDeviceMatchingMultiple({ { node->vendorId, node->productId } });
    QList<HidDevice *> matched;
    const quint32 result = real.open(kHidOptionsNone);
    if (result == hidresult::NotPermitted)
        QSKIP(qPrintable("no access to " + node->devNode));
    QCOMPARE(result, hidresult::Success);
    real.registerDeviceMatchingCallback([&](HidDevice *device) { matched.append(device); });
    real.scheduleWithRunLoop();
    if (matched.isEmpty())
        QSKIP(qPrintable(node->devNode + " could not be opened"));
    QCOMPARE(matched.first()->property(kHidVendorID), QVariant(node->vendorId));
    QCOMPARE(matched.first()->property(kHidProductID), QVariant(node->productId));
}

QTEST_MAIN(TestHidrawManager)
#include "tst_hidrawmanager.moc"
