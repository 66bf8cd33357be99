// The diagnostics and progress windows as widgets: filled from a simulated
// device, their buttons by mouse, keyboard and assistive technology, and
// rendered to PNG files under $OV_BUILD_DIR/renders/ for a person to look at.

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QTest>

#include "firmware/deviceexchange.h"
#include "firmware/deviceinfo.h"
#include "firmware/iaptransfer.h"
#include "firmware/ovdiabuttonview.h"
#include "firmware/ovdiawinctrl.h"
#include "firmware/oviapwinctrl.h"
#include "platform/sim/simplatform.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_firmwaredevice.h"

using namespace firmware;
using store::Model;

Q_DECLARE_METATYPE(Model)

namespace {

QString rendersFolder()
{
    QDir dir(qEnvironmentVariable("OV_BUILD_DIR", QDir::currentPath()));
    dir.mkpath(QStringLiteral("renders"));
    return dir.filePath(QStringLiteral("renders"));
}

// A device service as the windows see it, over the firmware device double.
class FakeService : public FirmwareService
{
public:
    FakeService(platform::sim::SimPlatform &sim, Model model, const QString &pName)
        : m_key(store::devKeyFor(model))
        , m_pName(pName)
        , m_exchange(DeviceExchange::create(sim.runLoop, m_key))
        , m_info(DeviceInfo::create(m_exchange, sim.runLoop, sim.defaults))
        , m_device(sim.hid, sim.runLoop)
    {
        m_device.attach(*m_exchange);
    }
    QString devKey() const override { return m_key; }
    QString pName() const override { return m_pName; }
    DeviceInfo &deviceInfo() override { return *m_info; }
    bool isFirmwareUpdate() const override { return false; }
    void desDia() override { ++closes; }
    void setBPath(const QString &path) override { bPath = path; }
    void firmwareUpdate(const QString &, const QByteArray &) override { ++updates; }
    void restoreFirmwareUpdate(const QByteArray &) override { ++updates; }
    void showUpdateAlert() override { }

    int closes = 0;
    int updates = 0;
    QString bPath;
    fwtest::SimFirmwareDevice &device() { return m_device; }

private:
    QString m_key;
    QString m_pName;
    std::shared_ptr<DeviceExchange> m_exchange;
    std::shared_ptr<DeviceInfo> m_info;
    fwtest::SimFirmwareDevice m_device;
};

std::span<const std::uint8_t> bytesOf(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), size_t(bytes.size())};
}

OVDIAButtonView *button(OVDIAWinCtrl &ctrl, const char *identifier)
{
    return ctrl.window()->findChild<OVDIAButtonView *>(QLatin1String(identifier));
}

} // namespace

class TestFirmwareWindows : public QObject
{
    Q_OBJECT
private slots:
    void diagnosticsRender_data();
    void diagnosticsRender();
    void buttons();
    void progressRenders();
};

void TestFirmwareWindows::diagnosticsRender_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("pName");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("cpu");
    QTest::newRow("tablet") << Model::TevraM << QStringLiteral("Tevra M") << QStringLiteral("diagnostics-tablet.png")
                            << QStringLiteral("CPU: CP1");
    // A capability code: the CPU comes from the device's CPU query.
    QTest::newRow("pen display") << Model::Sorvi12Pro << QStringLiteral("Sorvi12 Pro(F5)")
                                 << QStringLiteral("diagnostics-pendisplay.png") << QStringLiteral("CPU: CP3");
}

void TestFirmwareWindows::diagnosticsRender()
{
    QFETCH(Model, model);
    QFETCH(QString, pName);
    QFETCH(QString, file);
    QFETCH(QString, cpu);
    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim(bus, QStringLiteral("com.orvane.OrvaneTabletDriver"));
    auto service = std::make_shared<FakeService>(sim, model, pName);
    OVDIAWinCtrl ctrl(sim.platform(), service, {}, true);
    ctrl.upHar(pName, store::devKeyFor(model));
    ctrl.showWindow();
    QVERIFY(fwtest::runUntil(sim.runLoop, [&] { return !ctrl.fieldText(QStringLiteral("lbCPU")).isEmpty(); }, 5));
    ctrl.upPen(bytesOf(QByteArray::fromHex("0211 a00f 2c0b 3402 f60c")));
    QCOMPARE(ctrl.fieldText(QStringLiteral("hFivTF")), QStringLiteral("Firmware version: 1.15"));
    QCOMPARE(ctrl.fieldText(QStringLiteral("hHavTF")), QStringLiteral("Hardware version: 1.02"));
    QCOMPARE(ctrl.fieldText(QStringLiteral("lbCPU")), cpu);
    QCOMPARE(ctrl.fieldText(QStringLiteral("hDevTF")),
             QStringLiteral("Device: %1").arg(store::devKeyFor(model).section(QLatin1Char('-'), 1)));
    QCOMPARE(ctrl.fieldText(QStringLiteral("pCoXTF")), QStringLiteral("Pen X: 4000"));
    QCOMPARE(ctrl.fieldText(QStringLiteral("pTiXTF")), QStringLiteral("Tilt X: -10"));
    const QLabel *label = ctrl.window()->findChild<QLabel *>(QStringLiteral("pPreTF"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Pressure: 564"));
    const QImage image = ctrl.window()->grab().toImage();
    QVERIFY(image.save(rendersFolder() + QLatin1Char('/') + file));
    // The band's grey and the background's grey, as drawn.
    QCOMPARE(image.pixelColor(2, 2), QColor(238, 238, 238));
    QCOMPARE(image.pixelColor(2, 100), QColor(220, 220, 220));
}

void TestFirmwareWindows::buttons()
{
    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim(bus, QStringLiteral("com.orvane.OrvaneTabletDriver"));
    auto service = std::make_shared<FakeService>(sim, Model::TevraM, QStringLiteral("Tevra M"));
    OVDIAWinCtrl ctrl(sim.platform(), service, {}, true);
    ctrl.showWindow();
    OVDIAButtonView *close = button(ctrl, "bView5");
    QVERIFY(close);

    // Released outside: nothing; inside: once, on a later turn.
    QTest::mousePress(close, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(close->isPressedLook());
    QTest::mouseRelease(close, Qt::LeftButton, {}, QPoint(close->width() + 20, 5));
    QVERIFY(!close->isPressedLook());
    sim.runLoop.drain();
    QCOMPARE(service->closes, 0);
    QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(5, 5));
    QCOMPARE(service->closes, 0);
    sim.runLoop.drain();
    QCOMPARE(service->closes, 1);

    // The keyboard and assistive technologies press it too.
    close->setFocus();
    QTest::keyClick(close, Qt::Key_Space);
    sim.runLoop.drain();
    QCOMPARE(service->closes, 2);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(close);
    QVERIFY(accessible);
    QCOMPARE(accessible->role(), QAccessible::Button);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Close"));
    QVERIFY(accessible->actionInterface());
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    sim.runLoop.drain();
    QCOMPARE(service->closes, 3);

    // The instructions page; the download page without a capability code
    // gives no hint first.
    QVERIFY(ctrl.press(QStringLiteral("bView3")));
    QVERIFY(ctrl.press(QStringLiteral("bView1")));
    QVERIFY(!ctrl.press(QStringLiteral("bView6")));
    sim.runLoop.drain();
    QCOMPARE(sim.workspace.opened().size(), 2);
    QVERIFY(sim.alerts.shown().empty());

    // The title bar's close button is the close button.
    QVERIFY(!ctrl.window()->close());
    sim.runLoop.drain();
    QCOMPARE(service->closes, 4);

    // The service gone: a click finds nothing and touches nothing.
    service.reset();
    QTest::mouseClick(close, Qt::LeftButton, {}, QPoint(5, 5));
    sim.runLoop.drain();
}

void TestFirmwareWindows::progressRenders()
{
    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim(bus, QStringLiteral("com.orvane.OrvaneTabletDriver"));
    OVIAPWinCtrl ctrl(sim.platform(), QStringLiteral("Tevra M"), {});
    ctrl.showWindow();
    const struct
    {
        int stage;
        bool indm;
        double pres;
        const char *file;
    } stages[] = {{0, true, 0, "progress-0-switch-failed.png"}, {1, true, 0, "progress-1-waiting.png"},
                  {2, true, 0, "progress-2-checking.png"},      {3, false, 40, "progress-3-uploading.png"},
                  {9, false, 100, "progress-9-completed.png"},  {10, true, 0, "progress-10-failed.png"}};
    for (const auto &s : stages) {
        sim.local.post(store::OVIAPNotification, QString(),
                       {{QString(kIapIndex), qint64(s.stage)}, {QString(kIapIndm), s.indm}, {QString(kIapPres), s.pres}});
        const QLabel *status = ctrl.window()->findChild<QLabel *>(QStringLiteral("ibTF"));
        QCOMPARE(status->text(), iapStageText(s.stage));
        QVERIFY(ctrl.window()->grab().save(rendersFolder() + QLatin1Char('/') + QLatin1String(s.file)));
    }
}

QTEST_MAIN(TestFirmwareWindows)
#include "tst_firmwarewindows.moc"
