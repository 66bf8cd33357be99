#include <QTemporaryDir>
#include <QTest>

#include "hidfixture.h"
#include "platform/linux/hidsysfs.h"

using platform::native::hidrawSysPaths;
using platform::native::readHidrawNode;

class TestHidSysfs : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void nodesAreRead_data();
    void nodesAreRead();
    void foreignFoldersAreNoNodes_data();
    void foreignFoldersAreNoNodes();
    void classListingFindsEveryNode();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeSysfs> m_sysfs;
};

void TestHidSysfs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_sysfs = std::make_unique<FakeSysfs>(m_dir->path());
}

void TestHidSysfs::nodesAreRead_data()
{
    QTest::addColumn<FakeSysfs::Device>("device");
    QTest::addColumn<QString>("product");
    QTest::addColumn<QStringList>("events");

    const QByteArray descriptor = hidFixture(QStringLiteral("vendor-tablet.hex"));
    QTest::newRow("USB tablet with two input nodes") << FakeSysfs::Device {
        "hidraw0", 3, 0x3A8F, 0x1104, "Tevra M", "Orvane Tevra M Tablet", descriptor, { "event4", "event5" }
    } << "Tevra M" << QStringList { "/dev/input/event4", "/dev/input/event5" };
    // The USB product string is what the system names the device by; the
    // kernel's HID name adds the manufacturer and is the fallback only.
    QTest::newRow("USB device without product string")
        << FakeSysfs::Device { "hidraw1", 3, 0x3A8F, 0x1105, {}, "Orvane Tablet", descriptor, {} }
        << "Orvane Tablet" << QStringList {};
    QTest::newRow("Bluetooth device")
        << FakeSysfs::Device { "hidraw2", 5, 0x3A8F, 0x1106, {}, "Orvane BT", {}, { "event7" } }
        << "Orvane BT" << QStringList { "/dev/input/event7" };
}

void TestHidSysfs::nodesAreRead()
{
    QFETCH(FakeSysfs::Device, device);
    QFETCH(QString, product);
    QFETCH(QStringList, events);

    const QString own = m_sysfs->add(device);
    // Through the class symlink, as udev and the listing name it.
    const auto node = readHidrawNode(m_sysfs->classPath(device.hidraw));
    QVERIFY(node);
    QCOMPARE(node->sysPath, QFileInfo(own).canonicalFilePath());
    QCOMPARE(node->devNode, "/dev/" + device.hidraw);
    QCOMPARE(node->busType, device.bus);
    QCOMPARE(node->vendorId, device.vendorId);
    QCOMPARE(node->productId, device.productId);
    QCOMPARE(node->product, product);
    QCOMPARE(node->reportDescriptor, device.reportDescriptor);
    QCOMPARE(node->eventNodes, events);
}

void TestHidSysfs::foreignFoldersAreNoNodes_data()
{
    QTest::addColumn<QString>("relative");

    QTest::newRow("missing") << "class/hidraw/hidraw9";
    QTest::newRow("HID device folder itself") << "hid";
    QTest::newRow("uevent without HID_ID") << "broken";
    QTest::newRow("root") << "";
}

void TestHidSysfs::foreignFoldersAreNoNodes()
{
    QFETCH(QString, relative);

    const QString good
        = m_sysfs->add(FakeSysfs::Device { "hidraw0", 3, 0x3A8F, 0x1104, "Tevra M", "", {}, {} });
    const QString broken
        = m_sysfs->add(FakeSysfs::Device { "hidraw1", 3, 0x3A8F, 0x1104, "Tevra M", "", {}, {}, true });
    QString path = m_dir->filePath(relative);
    if (relative == QLatin1String("hid"))
        path = QFileInfo(good + "/../..").canonicalFilePath();
    else if (relative == QLatin1String("broken"))
        path = broken;
    QVERIFY(!readHidrawNode(path));
}

void TestHidSysfs::classListingFindsEveryNode()
{
    m_sysfs->add(FakeSysfs::Device { "hidraw1", 3, 0x3A8F, 0x1104, "Tevra M", "", {}, {} });
    m_sysfs->add(FakeSysfs::Device { "hidraw0", 3, 0x046D, 0xC077, "Mouse", "", {}, {} });
    QCOMPARE(hidrawSysPaths(m_dir->path()),
        (QStringList { m_sysfs->classPath("hidraw0"), m_sysfs->classPath("hidraw1") }));
    QVERIFY(hidrawSysPaths(m_dir->filePath("nothing-here")).isEmpty());
}

QTEST_GUILESS_MAIN(TestHidSysfs)
#include "tst_hidsysfs.moc"
