#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "driver/hotkeys.h"
#include "driver/ovhudalert.h"
#include "driver/ovhudwin.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "platform/stringtable.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "support_noticedriver.h"

using namespace platform;
using namespace platform::sim;
using driver::OVHUDAlert;
using store::Model;

namespace {

// Main display 1920 x 1080 at the origin; a second one of 1280 x 1024 to its
// right, top edges aligned, so its bottom edge is 56 points above the main
// display's.
DisplayInfo mainDisplay()
{
    DisplayInfo d;
    d.id = 1;
    d.bounds = QRectF(0, 0, 1920, 1080);
    d.main = true;
    return d;
}

DisplayInfo rightDisplay()
{
    DisplayInfo d;
    d.id = 2;
    d.bounds = QRectF(1920, 0, 1280, 1024);
    return d;
}

const QRectF kMainFrame(0, 0, 1920, 1080);
const QRectF kRightFrame(1920, 56, 1280, 1024);

// The driver with the second display, and a Kalverin S as the current
// device with this monitor mapping.
struct Driver : NoticeDriver
{
    Driver() { sim.displays.setDisplay(rightDisplay()); }

    void connectMapped(qint64 map, quint32 display)
    {
        connect(Model::KalverinS);
        driver::OVService *current = service();
        QVERIFY(current);
        current->configMan()->updateConfiguration(store::OVCFGMonitor, store::OVCFGMonitorMap, map);
        current->configMan()->updateConfiguration(
            store::OVCFGMonitor, store::OVCFGMonitorNumber, qint64(display));
        sim.runLoop.drain();
    }
};

} // namespace

class TestHudAlert : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void layout_data();
    void layout();
    void screenRect_data();
    void screenRect();
    void placement_data();
    void placement();
    void widthLimitIgnoresPreviousMessage();
    void dismissedAfterLastMessage();
    void nothingWithoutDriver();
    void textsReadAtStart();
    void windowPreparedAtStart();
};

void TestHudAlert::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestHudAlert::layout_data()
{
    QTest::addColumn<QRectF>("screen");
    QTest::addColumn<double>("messageWidth");
    QTest::addColumn<double>("textWidth");
    QTest::addColumn<QRectF>("window");

    // Limit on the main display: 1920 / 2 - 260 / 2 - 58 - 10 = 762.
    QTest::newRow("short message") << kMainFrame << 100.0 << 110.0 << QRectF(871, 140, 178, 60);
    QTest::newRow("long message cut at the limit")
        << kMainFrame << 2000.0 << 762.0 << QRectF(545, 140, 830, 60);
    QTest::newRow("just under the limit") << kMainFrame << 751.0 << 761.0 << QRectF(545.5, 140, 829, 60);
    QTest::newRow("empty message") << kMainFrame << 0.0 << 10.0 << QRectF(921, 140, 78, 60);
    QTest::newRow("second display") << kRightFrame << 100.0 << 110.0 << QRectF(2471, 196, 178, 60);
    // 300 / 2 - 198 is negative: no room for text, never a negative width.
    QTest::newRow("narrow screen") << QRectF(0, 0, 300, 200) << 100.0 << 0.0 << QRectF(116, 140, 68, 60);
    QTest::newRow("no screen") << QRectF() << 50.0 << 0.0 << QRectF(-34, 140, 68, 60);
}

void TestHudAlert::layout()
{
    QFETCH(QRectF, screen);
    QFETCH(double, messageWidth);
    QFETCH(double, textWidth);
    QFETCH(QRectF, window);

    const driver::NoticeLayout layout = driver::noticeLayout(screen, messageWidth);
    QCOMPARE(layout.textWidth, textWidth);
    QCOMPARE(layout.window, window);
}

void TestHudAlert::screenRect_data()
{
    QTest::addColumn<qint64>("map");
    QTest::addColumn<quint32>("number");
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<QRectF>("expected");

    const QList<DisplayInfo> both { mainDisplay(), rightDisplay() };
    const QRectF previous(5, 6, 7, 8);
    QTest::newRow("one screen: that display") << qint64(2) << 2u << both << kRightFrame;
    QTest::newRow("one screen: the main one") << qint64(2) << 1u << both << kMainFrame;
    QTest::newRow("one screen, display offline") << qint64(2) << 9u << both << QRectF();
    QTest::newRow("portion: main display") << qint64(1) << 2u << both << kMainFrame;
    QTest::newRow("whole desktop: main display") << qint64(0) << 2u << both << kMainFrame;
    QTest::newRow("unknown mapping keeps the last") << qint64(7) << 2u << both << previous;
    QTest::newRow("no main display") << qint64(0) << 0u << QList<DisplayInfo> { rightDisplay() } << QRectF();

    // A display above the main one: its frame lies above the main
    // display's top edge in a y-up space.
    DisplayInfo above = rightDisplay();
    above.bounds = QRectF(0, -900, 1600, 900);
    QTest::newRow("display above the main one")
        << qint64(2) << 2u << QList<DisplayInfo> { mainDisplay(), above } << QRectF(0, 1080, 1600, 900);
}

void TestHudAlert::screenRect()
{
    QFETCH(qint64, map);
    QFETCH(quint32, number);
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(QRectF, expected);

    const driver::NoticeScreenInput input { map, number, displays };
    QCOMPARE(driver::noticeScreenRect(input, QRectF(5, 6, 7, 8)), expected);
}

void TestHudAlert::placement_data()
{
    QTest::addColumn<bool>("device");
    QTest::addColumn<qint64>("map");
    QTest::addColumn<QRectF>("screen");

    QTest::newRow("no device connected") << false << qint64(0) << kMainFrame;
    QTest::newRow("mapped to the second display") << true << qint64(2) << kRightFrame;
    QTest::newRow("portion of the screens") << true << qint64(1) << kMainFrame;
}

void TestHudAlert::placement()
{
    QFETCH(bool, device);
    QFETCH(qint64, map);
    QFETCH(QRectF, screen);

    Driver d;
    if (device)
        d.connectMapped(map, rightDisplay().id);
    d.notice().showInfo(QStringLiteral("Canvas zoom"));
    OVHUDAlert *alert = &d.notice();
    QCOMPARE(alert->frame().center().x(), screen.center().x());
    QCOMPARE(alert->frame().y(), screen.y() + 140);
    QCOMPARE(alert->frame().height(), 60.0);
    QCOMPARE(d.notice().getWheelFunInfoScreenRect(), screen);
    QCOMPARE(d.notices, QStringList { QStringLiteral("Canvas zoom") });
}

void TestHudAlert::widthLimitIgnoresPreviousMessage()
{
    Driver d;
    d.notice().showInfo(QStringLiteral("Undo"));
    const double alone = d.notice().frame().width();

    d.notice().showInfo(QString(400, QLatin1Char('W')));
    QCOMPARE(d.notice().frame().width(), 762.0 + 58 + 10);
    // The long message's frame must not narrow the room of the next one.
    d.notice().showInfo(QString(400, QLatin1Char('W')));
    QCOMPARE(d.notice().frame().width(), 762.0 + 58 + 10);
    d.notice().showInfo(QStringLiteral("Undo"));
    QCOMPARE(d.notice().frame().width(), alone);

    // An empty message shows one blank.
    d.notice().showInfo(QString());
    QCOMPARE(d.notice().text(), QStringLiteral(" "));
}

void TestHudAlert::dismissedAfterLastMessage()
{
    Driver d;
    d.notice().showInfo(QStringLiteral("first"));
    d.sim.runLoop.advance(1.0);
    d.notice().showInfo(QStringLiteral("second"));
    QCOMPARE(d.notice().text(), QStringLiteral("second"));
    d.sim.runLoop.advance(1.4);
    QVERIFY(d.notice().isShown());
    d.sim.runLoop.advance(0.1); // 1.5 s after the second, 2.5 s after the first
    QVERIFY(!d.notice().isShown());

    QCOMPARE(d.windowChanges(OVHUDAlert::windowName()), (QList<bool> { true, false }));
    QCOMPARE(d.notices, (QStringList { QStringLiteral("first"), QStringLiteral("second") }));
}

void TestHudAlert::nothingWithoutDriver()
{
    Driver d;
    d.notice().showInfo(QStringLiteral("shown"));
    driver::OVManager *manager = d.delegate.manager();
    QVERIFY(manager->noticeIfMade());
    // The driver ends: its notice goes with it, ordered out.
    d.delegate.applicationWillTerminate();
    QVERIFY(!manager->noticeIfMade());
    QCOMPARE(d.windowChanges(OVHUDAlert::windowName()), (QList<bool> { true, false }));
}

// The notices' texts are read when the driver starts, not on the event path
// of the first key that shows one: with the resources gone by then, the
// first barrel-button press still names its action.
void TestHudAlert::textsReadAtStart()
{
    const QString table = QStringLiteral("strings/en/Localizable.json");
    QTemporaryDir resources;
    QVERIFY(QDir().mkpath(resources.filePath(QStringLiteral("strings/en"))));
    QVERIFY(QFile::copy(platform::resourceFolder() + QLatin1Char('/') + table, resources.filePath(table)));
    const QString eraser = StringTable({ QStringLiteral("en") }, resources.path())
                               .text(QLatin1String(driver::hotKeyInfo(driver::HotKey::Eraser).textKey));
    QVERIFY(!eraser.isEmpty());

    qputenv("OV_RESOURCES", QFile::encodeName(resources.path()));
    Driver d;
    qunsetenv("OV_RESOURCES");
    QVERIFY(resources.remove());
    d.connect(Model::KalverinS);
    d.service()->prepareHotKey(driver::HotKey::Eraser, true);
    QCOMPARE(d.notices, QStringList { eraser });
}

// The notice's native window exists and has been drawn once when the driver
// starts, hidden: the first notice, on the event path of the barrel button
// that shows it, only places and maps it.
void TestHudAlert::windowPreparedAtStart()
{
    Driver d;
    const OVHUDAlert *notice = d.delegate.manager()->noticeIfMade();
    QVERIFY(notice);
    QVERIFY(notice->isWindowPrepared());
    QVERIFY(!notice->isShown());
    QVERIFY(!notice->window()->isVisible());
    QVERIFY(notice->textf()->text().isEmpty());
    QVERIFY(d.windowChanges(OVHUDAlert::windowName()).isEmpty());
    QVERIFY(d.notices.isEmpty());
}

QTEST_MAIN(TestHudAlert)
#include "tst_hudalert.moc"
