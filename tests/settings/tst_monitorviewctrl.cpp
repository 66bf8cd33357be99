// The monitor page on the simulated platform, through the real application
// delegate and main window, over simulated display layouts: the records the
// settings store posts to the driver (and the local notice for the tablet
// page), exactly and in order, for each choice, typed value, drag and screen
// check; no record at all once the state is stable; the page bound to its
// own device; the driver's simulator mapping the pen onto the very portion
// the page stored; and a render of each kind of page.

#include <QAccessible>
#include <QJsonDocument>
#include <QJsonObject>
#include <QListView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "controls/orvanetextfield.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "settings/appdelegate.h"
#include "settings/monitorviewctrl.h"
#include "settings/ovmonitorview.h"
#include "settings/ovwindow.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "store/ovrecttext.h"
#include "support_widgets.h"

using platform::DisplayInfo;
using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using settings::MonitorViewCtrl;
using namespace store;

Q_DECLARE_METATYPE(DisplayInfo)
Q_DECLARE_METATYPE(store::Model)

namespace {

const QString kBandLog = QStringLiteral("There is no mmap_num");

// The layouts, bounds as the platform gives them (origin top-left of the
// main display, y down).
const DisplayInfo kMain = displayInfo(1, QRectF(0, 0, 1920, 1080), QStringLiteral("Main"), true);
const QList<DisplayInfo> kOne { kMain };
const QList<DisplayInfo> kSideBySide { kMain, displayInfo(2, QRectF(1920, 0, 1280, 1024), QStringLiteral("Right")) };
const QList<DisplayInfo> kStacked { kMain, displayInfo(2, QRectF(0, -1080, 1920, 1080), QStringLiteral("Top")) };
const QList<DisplayInfo> kBelow { kMain, displayInfo(2, QRectF(-400, 1080, 1280, 720), QStringLiteral("Below")) };
const QList<DisplayInfo> kSameNames { displayInfo(1, QRectF(0, 0, 1920, 1080), QStringLiteral("DELL U2720Q"), true),
    displayInfo(2, QRectF(1920, 0, 1920, 1080), QStringLiteral("DELL U2720Q")) };
const QList<DisplayInfo> kSmallMain { displayInfo(1, QRectF(0, 0, 1024, 768), QStringLiteral("Main"), true) };
// A pen display beside a laptop's own panel.
const DisplayInfo kLaptop = displayInfo(1, QRectF(0, 0, 1920, 1080), QStringLiteral("Color LCD"), true, true);
const DisplayInfo kPenScreen = displayInfo(7, QRectF(1920, 0, 1920, 1080), QStringLiteral("SV22"));

// The records, as the tests expect them.
QString record(const QString &category, const QString &key, const QString &value)
{
    return category + QLatin1Char('/') + key + QLatin1String(" = ") + value;
}
QString mapRecord(int mode)
{
    return record(OVCFGMonitor, OVCFGMonitorMap, QString::number(mode));
}
QString numberRecord(quint32 id)
{
    return record(OVCFGMonitor, OVCFGMonitorNumber, QString::number(id));
}
QString frameRecord(const QString &text)
{
    return record(OVCFGMonitor, OVCFGMonitorFrame, QLatin1Char('"') + text + QLatin1Char('"'));
}
const QString kTabletMapRecord = record(OVCFGTablet, OVCFGTabletMap, QStringLiteral("0"));
const QString kNotice = QStringLiteral("notice OV_Monitor_Changed_Notification");

QStringList choiceRecords(int mode, std::optional<quint32> number = std::nullopt)
{
    QStringList list;
    if (number)
        list << numberRecord(*number);
    return list << mapRecord(mode) << kTabletMapRecord << kNotice;
}

QString valueText(const QVariant &value)
{
    if (value.typeId() == QMetaType::LongLong)
        return QString::number(value.toLongLong());
    if (value.typeId() == QMetaType::QString)
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    return value.toString() + QLatin1String(" (") + QLatin1String(value.typeName()) + QLatin1Char(')');
}

// The settings application with its devices on the simulated bus, over a
// display layout.
struct App
{
    App(const QList<Model> &models, const QList<DisplayInfo> &displays)
    {
        for (const DisplayInfo &d : displays)
            sim.displays.setDisplay(d);
        sim.workspace.setRunning(QLatin1String(platform::kSettingBundleId), 1);
        sim.workspace.setRunning(QLatin1String(platform::kDriverBundleId), 1);
        bus.setPostHook([this](const auto &, const Notification &n) {
            if (n.name != OVCFGDNotification)
                return;
            for (auto it = n.userInfo.cbegin(); it != n.userInfo.cend(); ++it) {
                const QVariantMap change = it->toMap();
                records.append({ it.key(),
                    record(change.value(QStringLiteral("c")).toString(), change.value(QStringLiteral("k")).toString(),
                        valueText(change.value(QStringLiteral("v")))) });
                posted.append(n.userInfo);
            }
        });
        sim.local.observe(OV_Monitor_Changed_Notification, this,
            [this](const Notification &) { records.append({ QString(), kNotice }); });
        delegate = std::make_unique<settings::AppDelegate>(sim.platform());
        QVariantMap answer;
        for (Model model : models) {
            keys.append(devKeyFor(model));
            answer.insert(keys.last(), true);
        }
        delegate->applicationDidFinishLaunching();
        sim.runLoop.drain();
        for (int i = 0; i < models.size(); ++i)
            QTest::ignoreMessage(QtInfoMsg, qUtf8Printable(kBandLog));
        bus.inject(Notification { QString(OVCFGResponseDNotification), QString(), answer });
        // The first-device sequence loads the monitor page at 1.1 s and
        // shows the pen page at 1.2 s; the checks run from then on.
        settle(1.5);
    }
    ~App() { sim.local.removeObserver(this); }

    void settle(double seconds = 0)
    {
        sim.runLoop.advance(seconds);
        sim.runLoop.drain();
    }
    // The records since the last take(), device keys left out.
    QStringList take()
    {
        QStringList texts;
        for (const auto &r : std::as_const(records))
            texts << r.second;
        records.clear();
        return texts;
    }

    MonitorViewCtrl *page(const QString &key) const
    {
        return static_cast<MonitorViewCtrl *>(delegate->pageForKey(settings::kTabMonitor, key));
    }
    MonitorViewCtrl *page() const { return page(keys.first()); }
    const MonitorViewCtrl::Outlets &ib() const { return page()->outlets(); }
    OVPublicObject *store(const QString &key) const { return delegate->storeForKey(key); }
    QVariant monitorValue(const QString &key, const QString &name) const
    {
        return store(key)->queryConfiguration(OVCFGMonitor, name);
    }
    void showMonitorTab() { delegate->mainWindow().ibTabView()->selectTabViewItemAtIndex(settings::kTabMonitor); }

    // The user picks a mode pop-up item.
    void choose(int index)
    {
        ib().ibPopupBtn->setCurrentIndex(index);
        emit ib().ibPopupBtn->activated(index);
        settle();
    }
    // The user types into a field and presses Return.
    void type(controls::OrvaneTextField *field, const QString &text)
    {
        field->setFocus();
        field->selectAll();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        settle();
    }
    // The user picks another device.
    void pick(const QString &key)
    {
        controls::OrvanePopUpButton *popup = delegate->mainWindow().ibPopupBtn();
        popup->menuWillOpen();
        popup->selectItemWithTitle(QString::fromUtf8(rowFor(*modelForKey(key)).productName));
        popup->menuDidClose();
        settle();
    }
    // A configuration put into the store as an import would.
    void import(const QString &key, const QVariantMap &monitor)
    {
        std::optional<QVariantMap> configuration = store(key)->configurationList();
        QVariantMap category = configuration->value(OVCFGMonitor).toMap();
        for (auto it = monitor.cbegin(); it != monitor.cend(); ++it)
            category.insert(it.key(), it.value());
        configuration->insert(OVCFGMonitor, category);
        store(key)->setConfigurationList(configuration);
        sim.local.post(OVCFGNotification);
        settle();
    }
    QStringList fields() const
    {
        return { ib().ibOXTF->text(), ib().ibOYTF->text(), ib().ibWXTF->text(), ib().ibHYTF->text() };
    }
    bool fieldsEnabled() const { return ib().ibOXTF->isEnabled() && ib().ibHYTF->isEnabled(); }
    QStringList displayItems() const { return ib().ibPopupBtn->itemTitles().mid(MonitorViewCtrl::kItemFirstDisplay); }

    SimBus bus;
    SimPlatform sim { bus, QLatin1String(platform::kSettingBundleId) };
    std::unique_ptr<settings::AppDelegate> delegate;
    QStringList keys;
    QList<std::pair<QString, QString>> records; // device key (none for the notice), text
    QList<QVariantMap> posted; // user info of each record, as the driver receives it
};

QStringList fieldsOf(const QRectF &r)
{
    return { QString::number(qint64(r.x())), QString::number(qint64(r.y())), QString::number(qint64(r.width())),
        QString::number(qint64(r.height())) };
}

// The driver's simulator over the same displays, with the records the page
// posted: where it puts the pen at the tablet's top-left corner and at
// (42.25, 16) of the Tevra N4's 84.5 x 63.2 units.
QList<QPointF> driverPlaces(const QList<DisplayInfo> &displays, const QList<QVariantMap> &posted)
{
    QString script;
    for (const DisplayInfo &d : displays)
        script += QStringLiteral("display %1 %2 %3 %4 %5%6\n")
                      .arg(d.id)
                      .arg(d.bounds.x())
                      .arg(d.bounds.y())
                      .arg(d.bounds.width())
                      .arg(d.bounds.height())
                      .arg(d.main ? QStringLiteral(" main") : QString());
    // The service's first screen check comes 2 s after it starts.
    script += QStringLiteral("connect n \"Tevra N4\" page=0xFF0A\nwait 3\n");
    for (const QVariantMap &userInfo : posted)
        script += QStringLiteral("notify OVCFGDNotification ")
            + QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(userInfo)).toJson(QJsonDocument::Compact))
            + QLatin1Char('\n');
    script += QStringLiteral("wait 0.1\nreport n 02 A0 00 00 00 00 00 00 00 00\nreport n 02 A0 40 2A 00 10 00 00 00 00\n");

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("monitor.ovs")));
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(script.toUtf8());
    file.close();
    QProcess driver;
    driver.start(QStringLiteral(OV_DRIVER_BINARY), { QStringLiteral("--simulate"), file.fileName() });
    if (!driver.waitForFinished(60000))
        return {};
    QList<QPointF> places;
    for (const QByteArray &line : driver.readAllStandardOutput().split('\n')) {
        const QJsonObject post = QJsonDocument::fromJson(line).object().value(QStringLiteral("post")).toObject();
        // Mouse moved, as the pen hovers.
        if (post.value(QStringLiteral("type")).toInt() == 5)
            places << QPointF(post.value(QStringLiteral("x")).toDouble(), post.value(QStringLiteral("y")).toDouble());
    }
    return places;
}

bool rowHidden(controls::OrvanePopUpButton *popup, int row)
{
    return static_cast<QListView *>(popup->view())->isRowHidden(row);
}

} // namespace

class TstMonitorViewCtrl : public QObject
{
    Q_OBJECT
private slots:
    void layouts_data();
    void layouts();
    void portionReset_data();
    void portionReset();
    void mainDisplayChanges();
    void portionOutsideTheDesktop();
    void noMainDisplay();
    void typedFields_data();
    void typedFields();
    void dragReport();
    void penDisplay();
    void penDisplayFromTheKeyboard();
    void boundToItsOwnDevice();
    void hideNoticeClosesMenu();
    void driverMapsThePortion_data();
    void driverMapsThePortion();
    void renders_data();
    void renders();
};

void TstMonitorViewCtrl::layouts_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<QList<QRectF>>("frames");
    QTest::addColumn<QRectF>("totalFrame");

    // Frames in the settings application's space: origin at the main
    // display's bottom-left corner, y up.
    QTest::newRow("one display") << kOne << QStringList { "Main" } << QList { QRectF(0, 0, 1920, 1080) }
                                 << QRectF(0, 0, 1920, 1080);
    QTest::newRow("two side by side") << kSideBySide << QStringList { "Main", "Right" }
                                      << QList { QRectF(0, 0, 1920, 1080), QRectF(1920, 56, 1280, 1024) }
                                      << QRectF(0, 0, 3200, 1080);
    QTest::newRow("two stacked") << kStacked << QStringList { "Main", "Top" }
                                 << QList { QRectF(0, 0, 1920, 1080), QRectF(0, 1080, 1920, 1080) }
                                 << QRectF(0, 0, 1920, 2160);
    QTest::newRow("one below at a negative offset")
        << kBelow << QStringList { "Main", "Below" }
        << QList { QRectF(0, 0, 1920, 1080), QRectF(-400, -720, 1280, 720) } << QRectF(-400, -720, 2320, 1800);
    QTest::newRow("two identical names")
        << kSameNames << QStringList { "DELL U2720Q", "DELL U2720Q (2)" }
        << QList { QRectF(0, 0, 1920, 1080), QRectF(1920, 0, 1920, 1080) } << QRectF(0, 0, 3840, 1080);
}

void TstMonitorViewCtrl::layouts()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(QStringList, titles);
    QFETCH(QList<QRectF>, frames);
    QFETCH(QRectF, totalFrame);

    App app({ Model::TevraN4 }, displays);
    // Nothing is written by looking.
    QCOMPARE(app.take(), QStringList());
    QCOMPARE(app.displayItems(), titles);
    QCOMPARE(app.page()->totalFrame(), totalFrame);
    QCOMPARE(app.fields(), fieldsOf(totalFrame));
    QVERIFY(!app.fieldsEnabled());

    for (int i = 0; i < displays.size(); ++i) {
        app.choose(MonitorViewCtrl::kItemFirstDisplay + i);
        QCOMPARE(app.take(), choiceRecords(2, displays[i].id));
        QCOMPARE(app.fields(), fieldsOf(frames[i]));
        QVERIFY(!app.fieldsEnabled());
        QCOMPARE(app.ib().ibMV->number(), displays[i].id);
        // The next check resets the portion: 1280 points wide at the main
        // display's origin, in its proportion; once written, it stays.
        app.settle(2);
        QCOMPARE(app.take(), i == 0 ? QStringList { frameRecord("{{0, 0}, {1280, 720}}") } : QStringList());
    }
    app.choose(MonitorViewCtrl::kItemPortion);
    QCOMPARE(app.take(), choiceRecords(1));
    QCOMPARE(app.fields(), fieldsOf(QRectF(0, 0, 1280, 720)));
    QVERIFY(app.fieldsEnabled());
    app.choose(MonitorViewCtrl::kItemFull);
    QCOMPARE(app.take(), choiceRecords(0));
    QCOMPARE(app.fields(), fieldsOf(totalFrame));

    // A minute of checks over a stable desktop: not one record.
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
}

void TstMonitorViewCtrl::portionReset_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<QString>("reset");

    QTest::newRow("1920 x 1080 main") << kOne << "{{0, 0}, {1280, 720}}";
    // 1280 x 960 is larger than the desktop: cut to it.
    QTest::newRow("1024 x 768 main") << kSmallMain << "{{0, 0}, {1024, 768}}";
    // Beside a taller display the desktop reaches lower than the main one:
    // the reset portion is held inside it.
    QTest::newRow("1024 x 768 main beside a taller display")
        << QList { kSmallMain.first(), displayInfo(2, QRectF(1024, 0, 1920, 1080), "Right") } << "{{0, -192}, {1280, 960}}";
}

void TstMonitorViewCtrl::portionReset()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(QString, reset);

    App app({ Model::TevraN4 }, displays);
    app.choose(MonitorViewCtrl::kItemPortion);
    QCOMPARE(app.take(), choiceRecords(1));
    // The fields are enabled at once, on the stored portion.
    QVERIFY(app.fieldsEnabled());
    QCOMPARE(app.fields(), fieldsOf(QRectF(0, 0, 800, 600)));
    app.settle(2);
    QCOMPARE(app.take(), QStringList { frameRecord(reset) });
    QCOMPARE(app.page()->selectFrame(), *strictRectFromString(reset));
    QCOMPARE(app.ib().ibMV->selectFrame(), *strictRectFromString(reset));
    QCOMPARE(app.fields(), fieldsOf(*strictRectFromString(reset)));
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
}

void TstMonitorViewCtrl::mainDisplayChanges()
{
    App app({ Model::TevraN4 }, kOne);
    app.choose(MonitorViewCtrl::kItemPortion);
    app.settle(2);
    app.take();
    // A new resolution of the main display resets the portion at the next check.
    app.sim.displays.setDisplay(displayInfo(1, QRectF(0, 0, 1600, 1200), "Main", true));
    app.settle(2);
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {1280, 960}}") });
    // So does another display becoming the main one.
    app.sim.displays.removeDisplay(1);
    app.sim.displays.setDisplay(displayInfo(3, QRectF(0, 0, 1920, 1080), "Other", true));
    app.settle(2);
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {1280, 720}}") });
    // A display added beside it changes nothing.
    app.sim.displays.setDisplay(displayInfo(4, QRectF(1920, 0, 1920, 1080), "Right"));
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
}

void TstMonitorViewCtrl::portionOutsideTheDesktop()
{
    App app({ Model::TevraN4 }, kSideBySide);
    const QString key = app.keys.first();
    // A portion across both displays: inside the desktop, nothing written.
    app.import(key, { { OVCFGMonitorMap, qint64(1) }, { OVCFGMonitorFrame, "{{1800, 100}, {600, 400}}" } });
    QCOMPARE(app.take(), QStringList());
    QCOMPARE(app.ib().ibMV->monitorMap(), 1);
    // The right display goes: the portion comes back to the origin, once.
    app.sim.displays.removeDisplay(2);
    app.settle(2);
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {600, 400}}") });
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
    // One larger than the desktop is cut to it, once.
    app.import(key, { { OVCFGMonitorFrame, "{{0, 0}, {5000, 3000}}" } });
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {1920, 1080}}") });
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
    // An unreadable one shows the factory portion and is left as it is.
    app.import(key, { { OVCFGMonitorFrame, "{{nan, 0}, {5, 3}}" } });
    QCOMPARE(app.fields(), fieldsOf(QRectF(0, 0, 800, 600)));
    app.import(key, { { OVCFGMonitorFrame, qint64(12) }, { OVCFGMonitorMap, "1" } });
    QCOMPARE(app.ib().ibMV->monitorMap(), 0);
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
}

void TstMonitorViewCtrl::noMainDisplay()
{
    // No display at all: two fixed items, zeros, nothing written.
    App app({ Model::TevraN4 }, {});
    QCOMPARE(app.take(), QStringList());
    QCOMPARE(app.ib().ibPopupBtn->count(), 2);
    QCOMPARE(app.fields(), fieldsOf(QRectF()));
    app.choose(MonitorViewCtrl::kItemPortion);
    QCOMPARE(app.take(), choiceRecords(1));
    app.settle(2);
    // The reset waits for a main display: no frame is made without one.
    QCOMPARE(app.take(), QStringList());
    // A display that is not the main one (the main one missing while the
    // desktop is reconfigured): still no origin, still nothing written.
    app.sim.displays.setDisplay(displayInfo(2, QRectF(1920, 0, 1280, 720), "Right"));
    app.settle(4);
    QCOMPARE(app.take(), QStringList());
    QCOMPARE(app.fields(), fieldsOf(QRectF(0, 0, 800, 600)));
    app.type(app.ib().ibWXTF, "2000");
    QCOMPARE(app.take(), QStringList());
    // The main display comes: the reset is written.
    app.sim.displays.setDisplay(kMain);
    app.settle(2);
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {1280, 720}}") });
}

void TstMonitorViewCtrl::typedFields_data()
{
    QTest::addColumn<int>("field"); // 0 x, 1 y, 2 width, 3 height
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("frame"); // empty: nothing written

    // The desktop (-400, -720, 2320, 1800); the portion (0, 0, 1280, 720).
    QTest::newRow("width 100 is 320") << 2 << "100" << "320" << "{{0, 0}, {320, 720}}";
    QTest::newRow("width cut at the right edge") << 2 << "5000" << "1920" << "{{0, 0}, {1920, 720}}";
    QTest::newRow("height 10 is 180") << 3 << "10" << "180" << "{{0, 0}, {1280, 180}}";
    QTest::newRow("height cut at the top") << 3 << "5000" << "1080" << "{{0, 0}, {1280, 1080}}";
    QTest::newRow("x held at the left edge") << 0 << "-5000" << "-400" << "{{-400, 0}, {1280, 720}}";
    QTest::newRow("x keeps the portion inside") << 0 << "99999" << "640" << "{{640, 0}, {1280, 720}}";
    QTest::newRow("y held at the bottom") << 1 << "-5000" << "-720" << "{{0, -720}, {1280, 720}}";
    QTest::newRow("y keeps the portion inside") << 1 << "5000" << "360" << "{{0, 360}, {1280, 720}}";
    // Typed as a float, shown truncated toward zero.
    QTest::newRow("a fraction") << 0 << "-10.7" << "-10" << "{{-10.699999809265137, 0}, {1280, 720}}";
    QTest::newRow("the same value") << 0 << "0" << "0" << "";
    QTest::newRow("not a number") << 0 << "abc" << "0" << "";
    QTest::newRow("infinite") << 2 << "1e40" << "1280" << "";
}

void TstMonitorViewCtrl::typedFields()
{
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QString, frame);

    App app({ Model::TevraN4 }, kBelow);
    app.choose(MonitorViewCtrl::kItemPortion);
    app.settle(2);
    app.take();
    controls::OrvaneTextField *const fields[]
        = { app.ib().ibOXTF, app.ib().ibOYTF, app.ib().ibWXTF, app.ib().ibHYTF };
    app.type(fields[field], typed);
    QCOMPARE(fields[field]->text(), shown);
    QCOMPARE(app.take(), frame.isEmpty() ? QStringList() : (QStringList { frameRecord(frame), kTabletMapRecord, kNotice }));
    if (!frame.isEmpty())
        QCOMPARE(app.ib().ibMV->selectFrame(), *strictRectFromString(frame));
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
}

void TstMonitorViewCtrl::dragReport()
{
    App app({ Model::TevraN4 }, kOne);
    app.showMonitorTab();
    app.choose(MonitorViewCtrl::kItemPortion);
    app.settle(2);
    app.take();
    settings::OVMonitorView *view = app.ib().ibMV;
    const auto send
        = [view](QEvent::Type type, QPointF desktop) { sendMouse(view, type, view->transform().map(desktop)); };
    // The portion (0, 0, 1280, 720) dragged by its middle, 300 points right
    // and 100 up: the reported text is written as it is.
    send(QEvent::MouseButtonPress, QPointF(640, 360));
    send(QEvent::MouseMove, QPointF(940, 460));
    QCOMPARE(app.take(), QStringList());
    send(QEvent::MouseButtonRelease, QPointF(940, 460));
    app.settle();
    const QString moved = stringFromRect(view->selectFrame());
    QCOMPARE(app.take(), (QStringList { frameRecord(moved), kTabletMapRecord, kNotice }));
    QCOMPARE(app.fields(), fieldsOf(view->selectFrame()));
    QCOMPARE(app.monitorValue(app.keys.first(), OVCFGMonitorFrame).toString(), moved);
    // A click that moves nothing reports the same portion: nothing written.
    send(QEvent::MouseButtonPress, QPointF(900, 400));
    send(QEvent::MouseButtonRelease, QPointF(900, 400));
    app.settle();
    QCOMPARE(app.take(), QStringList());
    // While the button is down, the check waits: a changed main display is
    // seen only after the release.
    send(QEvent::MouseButtonPress, QPointF(900, 400));
    app.sim.displays.setDisplay(displayInfo(1, QRectF(0, 0, 1600, 1200), "Main", true));
    app.settle(6);
    QCOMPARE(app.take(), QStringList());
    send(QEvent::MouseButtonRelease, QPointF(900, 400));
    app.settle(2);
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {1280, 960}}") });
}

void TstMonitorViewCtrl::penDisplay()
{
    App app({ Model::Sorvi22 }, { kLaptop, kPenScreen });
    // Its display found by name at the first check; the portion item is
    // hidden in its place.
    QCOMPARE(app.take(), QStringList { numberRecord(7) });
    QCOMPARE(app.displayItems(), QStringList({ "Color LCD", "SV22" }));
    QVERIFY(rowHidden(app.ib().ibPopupBtn, MonitorViewCtrl::kItemPortion));
    QCOMPARE(app.ib().ibPopupBtn->currentText(), QStringLiteral("SV22"));
    QCOMPARE(app.fields(), fieldsOf(QRectF(1920, 0, 1920, 1080)));
    app.settle(60);
    QCOMPARE(app.take(), QStringList());

    // Replugged under a new id between two checks: the new id is written
    // and its item stays selected.
    app.sim.displays.removeDisplay(7);
    app.sim.displays.setDisplay(displayInfo(8, kPenScreen.bounds, "SV22"));
    app.settle(2);
    QCOMPARE(app.take(), QStringList { numberRecord(8) });
    QCOMPARE(app.ib().ibPopupBtn->currentText(), QStringLiteral("SV22"));
    QCOMPARE(app.ib().ibPopupBtn->currentData().toUInt(), 8u);

    // Unplugged over a check: the mapping falls back to all displays as a
    // choice of that item would, and the next check resets the portion.
    app.sim.displays.removeDisplay(8);
    app.settle(2);
    QCOMPARE(app.take(), choiceRecords(0));
    QCOMPARE(app.ib().ibPopupBtn->currentIndex(), int(MonitorViewCtrl::kItemFull));
    app.settle(2);
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {1280, 720}}") });
    // Back under the id it had: it is online again, nothing to find.
    app.sim.displays.setDisplay(displayInfo(8, kPenScreen.bounds, "SV22"));
    app.settle(60);
    QCOMPARE(app.take(), QStringList());
    QCOMPARE(app.displayItems(), QStringList({ "Color LCD", "SV22" }));
}

void TstMonitorViewCtrl::penDisplayFromTheKeyboard()
{
    App app({ Model::Sorvi22 }, { kLaptop, kPenScreen });
    app.showMonitorTab();
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    app.take();
    controls::OrvanePopUpButton *popup = app.ib().ibPopupBtn;
    popup->setFocus(Qt::TabFocusReason);
    // Space opens the menu, the arrows move, Return chooses as a click
    // would; the hidden portion item is stepped over both ways.
    const struct
    {
        Qt::Key key;
        int index;
        QStringList records;
    } steps[] = {
        { Qt::Key_Up, MonitorViewCtrl::kItemFirstDisplay, choiceRecords(2, kLaptop.id) },
        { Qt::Key_Up, MonitorViewCtrl::kItemFull, choiceRecords(0) },
        { Qt::Key_Down, MonitorViewCtrl::kItemFirstDisplay, choiceRecords(2, kLaptop.id) },
        { Qt::Key_Down, MonitorViewCtrl::kItemFirstDisplay + 1, choiceRecords(2, kPenScreen.id) },
    };
    for (const auto &step : steps) {
        QTest::keyClick(popup, Qt::Key_Space);
        QTRY_VERIFY(popup->view()->isVisible());
        QTest::keyClick(popup->view(), step.key);
        QTest::keyClick(popup->view(), Qt::Key_Return);
        QTRY_VERIFY(!popup->view()->isVisible());
        app.settle();
        QCOMPARE(popup->currentIndex(), step.index);
        QCOMPARE(app.take(), step.records);
        // The check after a choice resets the portion, once.
        app.settle(2);
        app.take();
    }
    QCOMPARE(app.fields(), fieldsOf(QRectF(1920, 0, 1920, 1080)));
}

void TstMonitorViewCtrl::boundToItsOwnDevice()
{
    App app({ Model::TevraN4, Model::TevraM }, kSideBySide);
    const QString first = app.delegate->cursorKey();
    const QString other = app.keys.first() == first ? app.keys.last() : app.keys.first();
    app.showMonitorTab();
    app.settle();
    app.take();
    MonitorViewCtrl *firstPage = app.page(first);
    controls::OrvanePopUpButton *popup = firstPage->outlets().ibPopupBtn;
    popup->setCurrentIndex(MonitorViewCtrl::kItemPortion);
    emit popup->activated(MonitorViewCtrl::kItemPortion);
    // At once another device: its page loads and checks, the first page's
    // check waits. A minute later neither device's portion was reset.
    app.pick(other);
    QVERIFY(app.page(other)->isViewLoaded());
    app.settle(60);
    QCOMPARE(app.records.size(), 3);
    for (const auto &r : std::as_const(app.records))
        QVERIFY2(r.first == first || r.first.isEmpty(), qPrintable(r.first + QLatin1Char(' ') + r.second));
    app.take();
    QCOMPARE(app.monitorValue(first, OVCFGMonitorFrame).toString(), QStringLiteral("{{0, 0}, {800, 600}}"));
    QCOMPARE(app.monitorValue(other, OVCFGMonitorFrame).toString(), QStringLiteral("{{0, 0}, {800, 600}}"));
    // The hidden page acts on nothing it is given.
    popup->setCurrentIndex(MonitorViewCtrl::kItemFirstDisplay);
    emit popup->activated(MonitorViewCtrl::kItemFirstDisplay);
    QCOMPARE(popup->currentIndex(), int(MonitorViewCtrl::kItemPortion));
    app.settle(4);
    QCOMPARE(app.take(), QStringList());
    // Back on the first device, its own check resets its own portion.
    app.pick(first);
    app.settle(2);
    QCOMPARE(app.records.size(), 1);
    QCOMPARE(app.records.first().first, first);
    QCOMPARE(app.take(), QStringList { frameRecord("{{0, 0}, {1280, 720}}") });
    QCOMPARE(app.monitorValue(other, OVCFGMonitorFrame).toString(), QStringLiteral("{{0, 0}, {800, 600}}"));
}

void TstMonitorViewCtrl::hideNoticeClosesMenu()
{
    App app({ Model::TevraN4 }, kOne);
    app.showMonitorTab();
    controls::OrvanePopUpButton *popup = app.ib().ibPopupBtn;
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    popup->showPopup();
    QTRY_VERIFY(popup->view()->isVisible());
    // The check waits while the menu is open: its items stay as they are.
    app.sim.displays.setDisplay(displayInfo(2, QRectF(1920, 0, 1280, 1024), "Right"));
    app.settle(4);
    QCOMPARE(app.displayItems(), QStringList { "Main" });
    app.sim.local.post(OVUI_DeviceDisconnect_Hide_Noti);
    QTRY_VERIFY(!popup->view()->isVisible());
    app.settle(2);
    QCOMPARE(app.displayItems(), QStringList({ "Main", "Right" }));
    QCOMPARE(app.take(), QStringList());
}

void TstMonitorViewCtrl::driverMapsThePortion_data()
{
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<int>("item");
    QTest::addColumn<QStringList>("typed"); // x and y, or none
    QTest::addColumn<QString>("stored"); // "OVCFGMonitorFrame", settings space
    QTest::addColumn<QRectF>("target"); // where the driver maps, its own space (y down)

    // The reset portion on a 1920 x 1080 main display: its top edge is 720
    // points up, 360 down from the main display's top.
    QTest::newRow("reset portion") << kOne << int(MonitorViewCtrl::kItemPortion) << QStringList()
                                   << "{{0, 0}, {1280, 720}}" << QRectF(0, 360, 1280, 720);
    // Typed onto the display below and left of the main one: the driver maps
    // onto exactly that display.
    QTest::newRow("portion typed onto the lower display")
        << kBelow << int(MonitorViewCtrl::kItemPortion) << QStringList { "-400", "-720" }
        << "{{-400, -720}, {1280, 720}}" << QRectF(-400, 1080, 1280, 720);
    QTest::newRow("one display chosen") << kStacked << int(MonitorViewCtrl::kItemFirstDisplay + 1) << QStringList()
                                        << "{{0, 0}, {1280, 720}}" << QRectF(0, -1080, 1920, 1080);
}

void TstMonitorViewCtrl::driverMapsThePortion()
{
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(int, item);
    QFETCH(QStringList, typed);
    QFETCH(QString, stored);
    QFETCH(QRectF, target);

    App app({ Model::TevraN4 }, displays);
    app.choose(item);
    app.settle(2);
    if (!typed.isEmpty()) {
        app.type(app.ib().ibOXTF, typed[0]);
        app.type(app.ib().ibOYTF, typed[1]);
    }
    QCOMPARE(app.monitorValue(app.keys.first(), OVCFGMonitorFrame).toString(), stored);

    const QList<QPointF> places = driverPlaces(displays, app.posted);
    QCOMPARE(places.size(), 2);
    // The tablet's corner lands on the target's corner, held one point inside.
    QCOMPARE(places[0], target.topLeft() + QPointF(1, 1));
    const QPointF middle(target.x() + target.width() * 42.25 / 84.5, target.y() + target.height() * 16 / 63.2);
    QVERIFY2(qAbs(places[1].x() - middle.x()) < 1e-3 && qAbs(places[1].y() - middle.y()) < 1e-3,
        qPrintable(QStringLiteral("%1, %2").arg(places[1].x()).arg(places[1].y())));
}

void TstMonitorViewCtrl::renders_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QList<DisplayInfo>>("displays");
    QTest::addColumn<int>("item");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("one-display") << Model::TevraN4 << kOne << int(MonitorViewCtrl::kItemFull) << false;
    QTest::newRow("two-displays-portion") << Model::TevraM << kSideBySide << int(MonitorViewCtrl::kItemPortion)
                                          << true;
    QTest::newRow("pen-display-alone") << Model::Sorvi22 << QList { kLaptop, kPenScreen } << -1 << false;
}

void TstMonitorViewCtrl::renders()
{
    QFETCH(Model, model);
    QFETCH(QList<DisplayInfo>, displays);
    QFETCH(int, item);
    QFETCH(bool, enabled);

    App app({ model }, displays);
    app.showMonitorTab();
    if (item >= 0)
        app.choose(item);
    app.settle(2);
    QCOMPARE(app.page()->view()->objectName(), monitorViewXIBName(app.keys.first()));
    QCOMPARE(app.fieldsEnabled(), enabled);
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));

    const MonitorViewCtrl::Outlets &ib = app.ib();
    const QList<QWidget *> controls { ib.ibPopupBtn, ib.ibMV, ib.ibOXTF, ib.ibOYTF, ib.ibWXTF, ib.ibHYTF };
    const QStringList names { "Map the pen to", "Displays", "X", "Y", "Width", "Height" };
    for (int i = 0; i < controls.size(); ++i) {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(controls[i]);
        QVERIFY(node);
        QCOMPARE(node->text(QAccessible::Name), names[i]);
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibPopupBtn)->role(), QAccessible::ComboBox);
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibWXTF)->role(), QAccessible::EditableText);
    QVERIFY(!QAccessible::queryAccessibleInterface(ib.ibMV)->text(QAccessible::Description).isEmpty());

    QVERIFY(saveRender(app.delegate->window()->grab().toImage(),
        QLatin1String("monitorpage-") + QLatin1String(QTest::currentDataTag())));
    const QString fault = layoutFault(app.delegate->window(), controls);
    QVERIFY2(fault.isEmpty(), qPrintable(fault));
}

QTEST_MAIN(TstMonitorViewCtrl)
#include "tst_monitorviewctrl.moc"
