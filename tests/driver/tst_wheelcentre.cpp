#include <QRegularExpression>
#include <QTest>

#include "driver/ovhudalert.h"
#include "driver/ovhudwin.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "driver/ovwheelfuninfo.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "support_noticedriver.h"

using namespace platform;
using namespace platform::sim;
using driver::OVHUDAlert;
using driver::OVWheelFunInfo;
using store::Model;

Q_DECLARE_METATYPE(Model)

namespace {

using Event = QPair<double, bool>; // seconds from the start, pressed

// The driver with one wheel device connected.
struct Driver : NoticeDriver
{
    explicit Driver(Model model = Model::KalverinS) { connect(model); }

    store::OVPublicObject &config() { return *service()->configMan(); }
    QVariant wheel(const QString &key) { return config().queryConfiguration(store::OVCFGWheelKey, key); }
    // Values stored over the configuration's own, past the store's checks;
    // an invalid value removes the key.
    void plant(const QString &category, const QVariantMap &values)
    {
        QVariantMap configuration = config().configurationList().value();
        QVariantMap dictionary = configuration.value(category).toMap();
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            if (it.value().isValid())
                dictionary.insert(it.key(), it.value());
            else
                dictionary.remove(it.key());
        }
        configuration.insert(category, dictionary);
        config().setConfigurationList(configuration);
    }
    void setWheel(const QVariantMap &values) { plant(store::OVCFGWheelKey, values); }
    void front(const QString &name) { sim.workspace.setFront(FrontApplication { QString(), name }); }
    // A short press: press and release in the same instant.
    void click()
    {
        service()->wheelCenterKey(true);
        service()->wheelCenterKey(false);
        sim.runLoop.drain();
    }
    void longPress()
    {
        service()->wheelCenterKey(true);
        sim.runLoop.advance(3.0);
        service()->wheelCenterKey(false);
        sim.runLoop.drain();
    }
    QString text(const char *key) const { return sim.strings.text(QLatin1String(key)); }
};

QVariantMap customFunction(const QString &alias)
{
    return QVariantMap { { store::OVCFGRKeyCusAlias, alias } };
}

} // namespace

class TestWheelCentre : public QObject
{
    Q_OBJECT
private slots:
    void init();

    void walk_data();
    void walk();
    void slotNotice_data();
    void slotNotice();
    void applicationSet();
    void pressTiming_data();
    void pressTiming();
    void panel_data();
    void panel();
    void panelReplacedAndDismissed();
    void diesWithService_data();
    void diesWithService();
};

void TestWheelCentre::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestWheelCentre::walk_data()
{
    QTest::addColumn<QVariantMap>("wheel"); // stored over the factory values; null removes
    QTest::addColumn<QList<qint64>>("expectedSlots"); // "OVCFGWheelKeyCur" after each short press

    using store::OVCFGWheelKeyCur;
    const QString k1 = store::OVCFGWheelKeyN(1), k2 = store::OVCFGWheelKeyN(2), k3 = store::OVCFGWheelKeyN(3),
                  k6 = store::OVCFGWheelKeyN(6);
    // Factory: slots 1 to 3 with functions, 4 to 6 without, current 1.
    QTest::newRow("factory") << QVariantMap() << QList<qint64> { 2, 3, 1, 2 };
    QTest::newRow("slot 1 set to no action") << QVariantMap { { k1, 0 } } << QList<qint64> { 2, 3, 2 };
    QTest::newRow("only the current slot has a function")
        << QVariantMap { { k2, 0 }, { k3, 0 } } << QList<qint64> { 1, 1 };
    QTest::newRow("current absent starts from 0")
        << QVariantMap { { OVCFGWheelKeyCur, QVariant() } } << QList<qint64> { 1, 2 };
    QTest::newRow("current 0 never reaches slot 6") << QVariantMap { { OVCFGWheelKeyCur, 0 }, { k1, 0 },
        { k2, 0 }, { k3, 0 }, { k6, 4 } } << QList<qint64> { 0 };
    QTest::newRow("slot 6 then round to 1")
        << QVariantMap { { OVCFGWheelKeyCur, 3 }, { k6, 4 } } << QList<qint64> { 6, 1 };
    QTest::newRow("current of another kind counts as absent")
        << QVariantMap { { OVCFGWheelKeyCur, QStringLiteral("3") } } << QList<qint64> { 1 };
    QTest::newRow("current out of range counts as absent")
        << QVariantMap { { OVCFGWheelKeyCur, 40 } } << QList<qint64> { 1 };
    QTest::newRow("function of another kind falls back to the factory one")
        << QVariantMap { { k2, QStringLiteral("none") } } << QList<qint64> { 2 };
}

void TestWheelCentre::walk()
{
    QFETCH(QVariantMap, wheel);
    QFETCH(QList<qint64>, expectedSlots);

    Driver d;
    // Set in the configuration itself: the store would refuse the values of
    // another kind that the walk must cope with.
    d.setWheel(wheel);
    const QVariant start = d.wheel(store::OVCFGWheelKeyCur);
    QList<qint64> seen;
    for (qsizetype i = 0; i < expectedSlots.size(); ++i) {
        d.click();
        seen << d.wheel(store::OVCFGWheelKeyCur).toLongLong();
    }
    QCOMPARE(seen, expectedSlots);
    // A notice only for a press that moved the slot.
    qsizetype moves = 0;
    QVariant last = start;
    for (qint64 slot : expectedSlots) {
        moves += QVariant(slot) != last ? 1 : 0;
        last = slot;
    }
    QCOMPARE(d.notices.size(), moves);
}

void TestWheelCentre::slotNotice_data()
{
    QTest::addColumn<bool>("tips");
    QTest::addColumn<bool>("shown");
    QTest::newRow("notices on") << true << true;
    QTest::newRow("notices off") << false << false;
}

void TestWheelCentre::slotNotice()
{
    QFETCH(bool, tips);
    QFETCH(bool, shown);

    Driver d;
    d.config().updateConfiguration(store::OVCFGPenKey, store::OVCFGTips, tips);
    d.sim.runLoop.drain();
    d.click();
    QCOMPARE(d.wheel(store::OVCFGWheelKeyCur).toLongLong(), 2);
    const QStringList expected { QStringLiteral("R2: ") + d.text("OVRK_CanvasZoom") };
    QCOMPARE(d.notices, shown ? expected : QStringList());
}

void TestWheelCentre::applicationSet()
{
    Driver d;
    const QVariantMap set { { store::OVCFGRKAppCur, 2 },
        { store::cusKey(store::OVCFGWheelKeyN(2)), customFunction(QStringLiteral("Brush")) },
        { store::cusKey(store::OVCFGWheelKeyN(6)), customFunction(QStringLiteral("Layer")) } };
    const QVariantMap other { { store::OVCFGRKAppCur, 1 } };
    d.config().updateConfiguration(store::OVCFGRKApp, store::OVCFGRKAppOptions,
        QVariantMap { { QStringLiteral("krita"), set }, { QStringLiteral("inkscape"), other } });
    auto appCur = [&d](const QString &app) {
        return d.config()
            .queryConfiguration(store::OVCFGRKApp, store::OVCFGRKAppOptions)
            .toMap()
            .value(app)
            .toMap()
            .value(store::OVCFGRKAppCur);
    };

    d.front(QStringLiteral("krita"));
    d.click();
    QCOMPARE(appCur(QStringLiteral("krita")).toLongLong(), 6);
    d.click();
    QCOMPARE(appCur(QStringLiteral("krita")).toLongLong(), 2);
    QCOMPARE(d.notices, (QStringList { QStringLiteral("Layer"), QStringLiteral("Brush") }));
    QCOMPARE(d.wheel(store::OVCFGWheelKeyCur).toLongLong(), 1);

    // A window that names the application in other case moves the stored
    // set, under the key it was stored by.
    d.front(QStringLiteral("Krita"));
    d.click();
    QCOMPARE(appCur(QStringLiteral("krita")).toLongLong(), 6);
    QVERIFY(!d.config().queryConfiguration(store::OVCFGRKApp, store::OVCFGRKAppOptions).toMap().contains("Krita"));
    d.click();
    d.notices.clear();

    // A set without functions: nothing moves, and the device-wide slot
    // does not stand in for it.
    d.front(QStringLiteral("inkscape"));
    d.click();
    QCOMPARE(appCur(QStringLiteral("inkscape")).toLongLong(), 1);
    QCOMPARE(d.wheel(store::OVCFGWheelKeyCur).toLongLong(), 1);

    // Something that is no set counts as none: the device-wide walk. The
    // store refuses such a set, so it is put into the configuration itself.
    QVariantMap sets = d.config().queryConfiguration(store::OVCFGRKApp, store::OVCFGRKAppOptions).toMap();
    sets.insert(QStringLiteral("gimp"), QStringLiteral("not a set"));
    d.plant(store::OVCFGRKApp, QVariantMap { { store::OVCFGRKAppOptions, sets } });
    d.front(QStringLiteral("gimp"));
    d.click();
    QCOMPARE(d.wheel(store::OVCFGWheelKeyCur).toLongLong(), 2);
    QCOMPARE(d.config()
                 .queryConfiguration(store::OVCFGRKApp, store::OVCFGRKAppOptions)
                 .toMap()
                 .value(QStringLiteral("gimp")),
        QVariant(QStringLiteral("not a set")));
}

void TestWheelCentre::pressTiming_data()
{
    QTest::addColumn<QList<Event>>("events");
    QTest::addColumn<qint64>("slot");
    QTest::addColumn<bool>("panel");

    QTest::newRow("release after 2.9 s is a short press")
        << QList<Event> { { 0, true }, { 2.9, false } } << qint64(2) << false;
    QTest::newRow("held 3 s opens the panel, release changes nothing")
        << QList<Event> { { 0, true }, { 3.5, false } } << qint64(1) << true;
    QTest::newRow("a second press report restarts the wait")
        << QList<Event> { { 0, true }, { 2, true }, { 4.5, false } } << qint64(2) << false;
    QTest::newRow("release without a press") << QList<Event> { { 0, false } } << qint64(1) << false;
    QTest::newRow("two short presses")
        << QList<Event> { { 0, true }, { 0.2, false }, { 1, true }, { 1.2, false } } << qint64(3) << false;
}

void TestWheelCentre::pressTiming()
{
    QFETCH(QList<Event>, events);
    QFETCH(qint64, slot);
    QFETCH(bool, panel);

    Driver d;
    double now = 0;
    for (const Event &event : events) {
        d.sim.runLoop.advance(event.first - now);
        now = event.first;
        d.service()->wheelCenterKey(event.second);
    }
    d.sim.runLoop.drain();
    QCOMPARE(d.wheel(store::OVCFGWheelKeyCur).toLongLong(), slot);
    QCOMPARE(d.service()->wheelFunInfo() != nullptr, panel);
    if (panel) {
        QVERIFY(d.service()->wheelFunInfo()->isShown());
        QCOMPARE(d.notices, QStringList { d.text("OVRK_S") });
    }
}

void TestWheelCentre::panel_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("keys");

    QTest::newRow("Kalverin S") << Model::KalverinS << "OVWheelFunInfoKalverinS" << 6;
    QTest::newRow("Kalverin M") << Model::KalverinM << "OVWheelFunInfoKalverinM" << 8;
    QTest::newRow("Sorvi 13/16") << Model::Sorvi1316 << "OVWheelFunInfoKalverinM" << 8;
    QTest::newRow("Sorvi12 Pro") << Model::Sorvi12Pro << "OVWheelFunInfo" << 6;
}

void TestWheelCentre::panel()
{
    QFETCH(Model, model);
    QFETCH(QString, layout);
    QFETCH(int, keys);

    Driver d(model);
    d.config().updateConfiguration(store::OVCFGWheelKey, store::OVCFGWheelKeyN(5), 10);
    d.longPress();
    OVWheelFunInfo *panel = d.service()->wheelFunInfo();
    QVERIFY(panel);
    QCOMPARE(QLatin1String(panel->layout().name), layout);
    QCOMPARE(panel->delegate(), d.service());
    QCOMPARE(panel->slotText(2), QStringLiteral("R2 ") + d.text("OVRK_CanvasZoom"));
    QCOMPARE(panel->slotText(4), QStringLiteral("R4 ") + d.text("OVRK_NoAction"));
    QCOMPARE(panel->slotText(5), QStringLiteral("R5 ") + d.text("OVRK_URDo"));
    for (int key = 1; key <= OVWheelFunInfo::kKeys; ++key) {
        const QString text = panel->keyText(key);
        if (key <= keys)
            QVERIFY2(text.startsWith(QStringLiteral("K%1 ").arg(key)), qPrintable(text));
        else
            QCOMPARE(text, store::OVCFGBoardKeyN(key));
    }
    QCOMPARE(panel->k9Text(), QStringLiteral("C: ") + d.text("OVRK_WFIRKS"));

    // 60 points from the screen's left edge, centred vertically.
    QCOMPARE(panel->frame().x(), 60.0);
    QCOMPARE(panel->frame().center().y(), 540.0);
    if (panel->window()) {
        QCOMPARE(panel->window()->pos().x(), 60);
        QCOMPARE(panel->window()->y() + panel->window()->height() / 2.0, 540.0);
    }
}

void TestWheelCentre::panelReplacedAndDismissed()
{
    Driver d;
    d.longPress();
    const QString name = OVWheelFunInfo::windowName();
    d.sim.runLoop.advance(2.0);
    d.longPress(); // a new panel, the 5 s start again
    d.sim.runLoop.advance(4.9);
    QVERIFY(d.service()->wheelFunInfo()->isShown());
    d.sim.runLoop.advance(0.1);
    QVERIFY(!d.service()->wheelFunInfo()->isShown());

    QCOMPARE(d.windowChanges(name), (QList<bool> { true, false, true, false }));
}

void TestWheelCentre::diesWithService_data()
{
    QTest::addColumn<bool>("panelOpen");
    QTest::newRow("long press pending") << false;
    QTest::newRow("panel open") << true;
}

void TestWheelCentre::diesWithService()
{
    QFETCH(bool, panelOpen);

    Driver d;
    if (panelOpen)
        d.longPress();
    else
        d.service()->wheelCenterKey(true);
    d.sim.runLoop.advance(1.0);
    QVERIFY(d.sim.hid.remove(QStringLiteral("r")));
    d.sim.runLoop.drain();
    QVERIFY(!d.delegate.manager()->getCurService());
    // An open panel closed with its service, and nothing of it is left to
    // fire: no panel after the pending long press, no second hiding.
    d.sim.runLoop.advance(10.0);
    QCOMPARE(d.windowChanges(OVWheelFunInfo::windowName()),
        panelOpen ? (QList<bool> { true, false }) : QList<bool>());
}

QTEST_MAIN(TestWheelCentre)
#include "tst_wheelcentre.moc"
