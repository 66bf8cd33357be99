// The tablet area page on the simulated platform, through the real
// application delegate and main window: the records each control writes (the
// settings store's change notices in order, with their types), the limits of
// the typed and dragged rectangle, the orientation shared with the pen page,
// the calibration buttons, typed reads of imported values, the page bound to
// its own device, and a render of a tablet's and a pen display's layout.

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include "controls/orvanebutton.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvanetextfield.h"
#include "settings/calibwin.h"
#include "settings/ovtabletview.h"
#include "settings/ovtabletview2.h"
#include "settings/ovwindow.h"
#include "settings/penviewctrl.h"
#include "settings/tabletviewctrl.h"
#include "store/ovgeometry.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "support_settingsapp.h"

using settings::TabletViewCtrl;
using namespace store;

namespace {

const QList<platform::DisplayInfo> kMainOnly { displayInfo(
    1, QRectF(0, 0, 1920, 1080), QStringLiteral("Built-in"), true, true) };

// The settings application with the tablet page of its first device shown.
struct App : SettingsApp
{
    explicit App(const QList<Model> &models, const QList<platform::DisplayInfo> &displays = kMainOnly)
        : SettingsApp(models, displays)
    {
        selectTab(settings::kTabTablet);
    }

    TabletViewCtrl *page(const QString &key) const
    {
        return static_cast<TabletViewCtrl *>(SettingsApp::page(settings::kTabTablet, key));
    }
    TabletViewCtrl *page() const { return page(keys.first()); }
    const TabletViewCtrl::Outlets &ib() const { return page()->outlets(); }
    QList<Change> written() const { return changes.value(keys.first()); }
    // The rectangle mode with this rectangle, as a file would hold it.
    void rectangle(const QRectF &frame)
    {
        import(keys.first(), OVCFGTablet, OVCFGTabletFrame, stringFromRect(frame));
        import(keys.first(), OVCFGTablet, OVCFGTabletMap, qint64(1));
    }
    QStringList fields() const
    {
        return { ib().ibOXTF->text(), ib().ibOYTF->text(), ib().ibWXTF->text(), ib().ibHYTF->text() };
    }
};

// Types the text into the field and ends the editing, as Return does.
void type(controls::OrvaneTextField *field, const QString &text)
{
    field->setText(text);
    emit field->editingFinished();
}

Change frameChange(const QRectF &r)
{
    return Change { OVCFGTabletFrame, QVariant(stringFromRect(r)) };
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(store::Model)

class TstTabletViewCtrl : public QObject
{
    Q_OBJECT
private slots:
    void fill_data();
    void fill();
    void areaRadios();
    void fieldEdits_data();
    void fieldEdits();
    void dragReportsOnRelease();
    void monitorChangeRereads();
    void orientation_data();
    void orientation();
    void orientationReachesPenPage();
    void calibrationButtons();
    void typedReads_data();
    void typedReads();
    void boundToItsOwnDevice();
    void keyboardAndAssistiveTechnologies();
    void renders_data();
    void renders();
};

void TstTabletViewCtrl::fill_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("penDisplay");

    QTest::newRow("Tevra N4") << Model::TevraN4 << false;
    QTest::newRow("Kalverin M") << Model::KalverinM << false;
    QTest::newRow("Tevra Q") << Model::TevraQ << false;
    QTest::newRow("Sorvi12 Pro") << Model::Sorvi12Pro << true;
    QTest::newRow("Sorvi 22") << Model::Sorvi22 << true;
}

void TstTabletViewCtrl::fill()
{
    QFETCH(Model, model);
    QFETCH(bool, penDisplay);

    App app({ model });
    const QString key = app.keys.first();
    QCOMPARE(app.page()->view()->objectName(), tabletViewXIBName(key));
    const TabletViewCtrl::Outlets &ib = app.ib();
    QCOMPARE(ib.ibTV2 != nullptr, penDisplay);
    QCOMPARE(ib.ibTV == nullptr, penDisplay);
    QCOMPARE(ib.ibCalibBtn != nullptr, penDisplay);
    QCOMPARE(ib.ibCalibDefaultBtn != nullptr, penDisplay);
    QCOMPARE(ib.ivTablet->pixmap().isNull(), !penDisplay);
    QVERIFY(ib.ivTablet->isVisible());

    // The view keeps its height and takes the area's proportions.
    const QRectF area = fullRectInch(key);
    settings::TabletAreaView *view = app.page()->areaView();
    QCOMPARE(view->height(), TabletViewCtrl::kViewHeight);
    QCOMPARE(view->width(), int(std::lround(area.width() * TabletViewCtrl::kViewHeight / area.height())));
    QCOMPARE(view->totalFrame(), area);
    // The picture's screen is the view: a pen display's picture draws its
    // bezel round it.
    const int bezel = penDisplay ? 16 : 0;
    QCOMPARE(view->geometry(), ib.ivTablet->contentsRect().adjusted(bezel, bezel, -bezel, -bezel));
    // The whole area, shown in the disabled fields.
    QCOMPARE(view->tabletMap(), 0);
    QVERIFY(ib.ibFullBtn->isChecked() && !ib.ibRatioBtn->isChecked());
    QCOMPARE(app.fields(),
        (QStringList { QString::asprintf("%0.3f", area.x()), QString::asprintf("%0.3f", area.y()),
            QString::asprintf("%0.3f", area.width()), QString::asprintf("%0.3f", area.height()) }));
    QVERIFY(!ib.ibOXTF->isEnabled() && !ib.ibHYTF->isEnabled());
    // The view draws with the model's constants (none on pen displays).
    double edge = -1, slen = -1, dlen = -1;
    app.store(key)->tabletViewEdge(&edge, &slen, &dlen);
    QCOMPARE(view->metrics().dlen, dlen);
    QCOMPARE(view->metrics().fullLine, app.store(key)->tabletViewFullLine());
    QVERIFY(app.written().isEmpty());
}

void TstTabletViewCtrl::areaRadios()
{
    App app({ Model::TevraN4 });
    const QRectF ratio = app.store(app.keys.first())->ratioRectInch();
    // 16:9 on a 4 x 3 inch area: the full width, at the top.
    QCOMPARE(ratio, QRectF(0, 0.75, 4, 2.25));

    // The rectangle: the frame first, then the mode.
    app.ib().ibRatioBtn->click();
    app.settle();
    QCOMPARE(app.written(), (QList<Change> { frameChange(ratio), { OVCFGTabletMap, QVariant(qint64(1)) } }));
    QCOMPARE(
        app.driverValue(app.keys.first(), OVCFGTablet, OVCFGTabletMap).typeId(), int(QMetaType::LongLong));
    QCOMPARE(app.fields(), (QStringList { "0.000", "0.750", "4.000", "2.250" }));
    QVERIFY(app.ib().ibOXTF->isEnabled());
    QCOMPARE(app.page()->areaView()->tabletMap(), 1);

    // A narrower rectangle, then the button again: the ratio rectangle again.
    app.changes.clear();
    type(app.ib().ibWXTF, QStringLiteral("2"));
    app.ib().ibRatioBtn->click();
    app.settle();
    QVERIFY(app.ib().ibRatioBtn->isChecked());
    QCOMPARE(app.written(),
        (QList<Change> { frameChange(QRectF(0, 0.75, 2, 2.25)), frameChange(ratio),
            { OVCFGTabletMap, QVariant(qint64(1)) } }));
    QCOMPARE(app.page()->selectFrame(), ratio);

    // The whole area: the mode only; the fields show the area, disabled.
    app.changes.clear();
    app.ib().ibFullBtn->click();
    app.settle();
    QCOMPARE(app.written(), (QList<Change> { { OVCFGTabletMap, QVariant(qint64(0)) } }));
    QCOMPARE(app.fields(), (QStringList { "0.000", "0.000", "4.000", "3.000" }));
    QVERIFY(!app.ib().ibWXTF->isEnabled());
    QVERIFY(app.ib().ibFullBtn->isChecked() && !app.ib().ibRatioBtn->isChecked());
    QCOMPARE(app.page()->areaView()->tabletMap(), 0);
}

void TstTabletViewCtrl::fieldEdits_data()
{
    QTest::addColumn<QRectF>("start");
    QTest::addColumn<int>("field"); // 0 x, 1 y, 2 width, 3 height
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QRectF>("stored"); // null: nothing written

    // A Tevra N4: 4 x 3 inches.
    const QRectF wide(0, 0.375, 4, 2.25);
    const QRectF narrow(1, 0.5, 2, 1.5);
    // A position keeps the rectangle inside the area: x = 3 on the full
    // width stays at 0 (its right edge would be 7 on a 4-inch area).
    QTest::newRow("x past the far edge") << wide << 0 << "3"
                                         << "0.000" << QRectF();
    QTest::newRow("x moves") << narrow << 0 << "1.5"
                             << "1.500" << QRectF(1.5, 0.5, 2, 1.5);
    QTest::newRow("x against the right edge") << narrow << 0 << "3.9"
                                              << "2.000" << QRectF(2, 0.5, 2, 1.5);
    QTest::newRow("x below the area") << narrow << 0 << "-2"
                                      << "0.000" << QRectF(0, 0.5, 2, 1.5);
    QTest::newRow("y against the top") << narrow << 1 << "2.8"
                                       << "1.500" << QRectF(1, 1.5, 2, 1.5);
    QTest::newRow("width at least 1.6") << narrow << 2 << "0.5"
                                        << "1.600" << QRectF(1, 0.5, 1.6, 1.5);
    QTest::newRow("width cut at the right edge") << narrow << 2 << "9"
                                                 << "3.000" << QRectF(1, 0.5, 3, 1.5);
    QTest::newRow("height at least 0.9") << narrow << 3 << "0.1"
                                         << "0.900" << QRectF(1, 0.5, 2, 0.9);
    QTest::newRow("height cut at the top") << narrow << 3 << "5"
                                           << "2.500" << QRectF(1, 0.5, 2, 2.5);
    QTest::newRow("the same value") << narrow << 2 << "2.0"
                                    << "2.000" << QRectF();
    QTest::newRow("not a number") << narrow << 0 << "left"
                                  << "1.000" << QRectF();
    QTest::newRow("infinite") << narrow << 1 << "inf"
                              << "0.500" << QRectF();
    QTest::newRow("not a number either") << narrow << 3 << "nan"
                                         << "1.500" << QRectF();
}

void TstTabletViewCtrl::fieldEdits()
{
    QFETCH(QRectF, start);
    QFETCH(int, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(QRectF, stored);

    App app({ Model::TevraN4 });
    app.rectangle(start);
    controls::OrvaneTextField *const fields[]
        = { app.ib().ibOXTF, app.ib().ibOYTF, app.ib().ibWXTF, app.ib().ibHYTF };
    if (QStringLiteral("left inf nan").contains(typed))
        QTest::ignoreMessage(QtInfoMsg,
            qUtf8Printable(app.keys.first() + QStringLiteral(": cannot take \"") + typed
                + QStringLiteral("\": not a number")));
    type(fields[field], typed);
    app.settle();
    QCOMPARE(fields[field]->text(), shown);
    if (stored.isNull()) {
        QVERIFY(app.written().isEmpty());
        QCOMPARE(app.page()->selectFrame(), start);
        return;
    }
    // The frame only: the mode stays.
    QCOMPARE(app.written(), QList<Change> { frameChange(stored) });
    QCOMPARE(app.page()->areaView()->selectFrame(), stored);
    QCOMPARE(
        app.driverValue(app.keys.first(), OVCFGTablet, OVCFGTabletFrame).toString(), stringFromRect(stored));
}

void TstTabletViewCtrl::dragReportsOnRelease()
{
    App app({ Model::TevraN4 });
    app.rectangle(QRectF(1, 0.5, 2, 1.5));
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    settings::TabletAreaView *view = app.page()->areaView();
    QSignalSpy reports(view, &settings::TabletAreaView::ratioFrameDidChanged);
    const QPoint centre = view->transform().map(QPointF(2, 1.25)).toPoint();
    QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, centre);
    for (int step = 1; step <= 5; ++step)
        QTest::mouseMove(view, centre + QPoint(6 * step, -4 * step));
    app.settle();
    // Moving writes nothing; the release reports once and writes once.
    QVERIFY(app.written().isEmpty());
    QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, centre + QPoint(30, -20));
    app.settle();
    QCOMPARE(reports.size(), 1);
    const QRectF moved = view->selectFrame();
    QVERIFY2(moved.x() > 1.3 && moved.y() > 0.7 && moved.size() == QSizeF(2, 1.5),
        qPrintable(stringFromRect(moved)));
    QCOMPARE(app.written(), QList<Change> { frameChange(moved) });
    QCOMPARE(app.fields().at(0), QString::asprintf("%0.3f", moved.x()));
    // A release without a move reports the same rectangle: nothing written.
    QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, view->transform().map(moved.center()).toPoint());
    app.settle();
    QCOMPARE(reports.size(), 2);
    QCOMPARE(app.written().size(), 1);
}

void TstTabletViewCtrl::monitorChangeRereads()
{
    App app({ Model::TevraN4 });
    app.ib().ibRatioBtn->click();
    app.settle();
    // The monitor page returns the tablet to the whole area and says so.
    app.store(app.keys.first())->updateConfiguration(OVCFGTablet, OVCFGTabletMap, qint64(0));
    app.sim.local.post(OV_Monitor_Changed_Notification);
    app.settle();
    QVERIFY(app.ib().ibFullBtn->isChecked());
    QCOMPARE(app.page()->areaView()->tabletMap(), 0);
    QCOMPARE(app.fields(), (QStringList { "0.000", "0.000", "4.000", "3.000" }));
}

void TstTabletViewCtrl::orientation_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("mainDisplay");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("Tevra N4") << Model::TevraN4 << true << true;
    QTest::newRow("Sorvi 22") << Model::Sorvi22 << true << true;
    QTest::newRow("Sorvi10 keeps its orientation") << Model::Sorvi10 << true << false;
    QTest::newRow("no main display") << Model::TevraN4 << false << false;
}

void TstTabletViewCtrl::orientation()
{
    QFETCH(Model, model);
    QFETCH(bool, mainDisplay);
    QFETCH(bool, enabled);

    App app({ model }, mainDisplay ? kMainOnly : QList<platform::DisplayInfo> {});
    const QString key = app.keys.first();
    // From "OVCFGPenKey", where the pen page keeps it too.
    app.import(key, OVCFGPenKey, OVCFGDegree, qint64(2));
    // (On a pen display the monitor page, re-reading too, may store the
    // display it finds the pen display on.)
    app.changes.clear();
    controls::OrvaneRadioButton *const buttons[]
        = { app.ib().ibZDBtn, app.ib().ibNDBtn, app.ib().ibOEDBtn, app.ib().ibTSDBtn };
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(buttons[i]->isChecked(), i == 2);
        QCOMPARE(buttons[i]->isEnabled(), enabled);
    }
    buttons[1]->click();
    app.settle();
    if (!enabled) {
        QVERIFY(app.written().isEmpty());
        return;
    }
    QCOMPARE(app.written(), (QList<Change> { { OVCFGDegree, QVariant(qint64(1)) } }));
    QCOMPARE(app.driverValue(key, OVCFGPenKey, OVCFGDegree), QVariant(qint64(1)));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(buttons[i]->isChecked(), i == 1);
    // A click on the button that is on keeps it on and writes it again.
    buttons[1]->click();
    app.settle();
    QVERIFY(buttons[1]->isChecked());
    QCOMPARE(app.written().size(), 2);
}

void TstTabletViewCtrl::orientationReachesPenPage()
{
    App app({ Model::TevraN4 });
    auto *pen
        = static_cast<settings::PenViewCtrl *>(app.SettingsApp::page(settings::kTabPen, app.keys.first()));
    QVERIFY(pen->isViewLoaded());
    QVERIFY(pen->outlets().ibZDBtn->isChecked());
    app.ib().ibTSDBtn->click();
    app.settle();
    // The local notice of the change: the pen page shows it too.
    QVERIFY(pen->outlets().ibTSDBtn->isChecked());
    QVERIFY(!pen->outlets().ibZDBtn->isChecked());
    // And the other way round.
    pen->outlets().ibNDBtn->click();
    app.settle();
    QVERIFY(app.ib().ibNDBtn->isChecked());
    QVERIFY(!app.ib().ibTSDBtn->isChecked());
    QCOMPARE(app.written(),
        (QList<Change> { { OVCFGDegree, QVariant(qint64(3)) }, { OVCFGDegree, QVariant(qint64(1)) } }));
}

void TstTabletViewCtrl::calibrationButtons()
{
    App app({ Model::Sorvi22 },
        { kMainOnly.first(), displayInfo(7, QRectF(1920, 0, 1920, 1080), QStringLiteral("SV22")) });
    // The factory calibration: one request to every pen display, nothing stored.
    app.ib().ibCalibDefaultBtn->click();
    app.settle();
    QCOMPARE(app.requests, (QList<QVariantMap> { { { OVMCDefault, true } } }));
    QVERIFY(app.written().isEmpty());
    QVERIFY(!app.page()->cwCtr());

    // The calibration window: one, however often the button is pressed.
    app.requests.clear();
    app.ib().ibCalibBtn->click();
    settings::CalibWinCtrl *calib = app.page()->cwCtr();
    QVERIFY(calib);
    app.ib().ibCalibBtn->click();
    QCOMPARE(app.page()->cwCtr(), calib);
    app.settle();
    QVERIFY(calib->window()->isVisible());
    QCOMPARE(calib->window()->geometry(), QRect(1920, 0, 1920, 1080));
    QCOMPARE(app.requests.first(), (QVariantMap { { OVMCBegin, true } }));
    // OK or Cancel drops it on the next turn.
    calib->clickCancel();
    QVERIFY(app.page()->cwCtr());
    app.settle();
    QVERIFY(!app.page()->cwCtr());
    QCOMPARE(app.requests.last(), (QVariantMap { { OVMCCancel, true } }));
    QVERIFY(app.written().isEmpty());
}

void TstTabletViewCtrl::typedReads_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");

    // Each reads as its default: the whole area, or the ratio rectangle for
    // a frame that cannot be drawn, and orientation 0.
    QTest::newRow("mode as text") << QString(OVCFGTablet) << QString(OVCFGTabletMap)
                                  << QVariant(QStringLiteral("1"));
    QTest::newRow("mode 2") << QString(OVCFGTablet) << QString(OVCFGTabletMap) << QVariant(qint64(2));
    QTest::newRow("frame as a number") << QString(OVCFGTablet) << QString(OVCFGTabletFrame) << QVariant(3.5);
    QTest::newRow("frame of NaN") << QString(OVCFGTablet) << QString(OVCFGTabletFrame)
                                  << QVariant(QStringLiteral("{{nan, 0}, {2, 1}}"));
    QTest::newRow("frame without a size")
        << QString(OVCFGTablet) << QString(OVCFGTabletFrame) << QVariant(QStringLiteral("{{1, 1}, {0, -1}}"));
    QTest::newRow("frame that is no rectangle")
        << QString(OVCFGTablet) << QString(OVCFGTabletFrame) << QVariant(QStringLiteral("left half"));
    QTest::newRow("orientation as a real") << QString(OVCFGPenKey) << QString(OVCFGDegree) << QVariant(2.0);
}

void TstTabletViewCtrl::typedReads()
{
    QFETCH(QString, category);
    QFETCH(QString, name);
    QFETCH(QVariant, value);

    App app({ Model::TevraN4 });
    const QString key = app.keys.first();
    if (name == QLatin1String(OVCFGTabletFrame))
        app.import(key, OVCFGTablet, OVCFGTabletMap, qint64(1));
    app.import(key, category, name, value);
    const bool rectangle = name == QLatin1String(OVCFGTabletFrame);
    QCOMPARE(app.page()->areaView()->tabletMap(), rectangle ? 1 : 0);
    // The factory rectangle, or the ratio rectangle for one that cannot be read.
    QCOMPARE(
        app.page()->selectFrame(), rectangle ? app.store(key)->ratioRectInch() : QRectF(0, 0.375, 4, 2.25));
    for (const QString &text : app.fields()) {
        bool number = false;
        QVERIFY(std::isfinite(text.toDouble(&number)) && number);
    }
    QVERIFY(app.ib().ibZDBtn->isChecked());
    QVERIFY(app.written().isEmpty());
}

void TstTabletViewCtrl::boundToItsOwnDevice()
{
    App app({ Model::TevraN4, Model::KalverinM });
    const QString first = app.delegate->cursorKey();
    const QString other = app.keys.first() == first ? app.keys.last() : app.keys.first();
    TabletViewCtrl *firstPage = app.page(first);
    app.pick(other);
    TabletViewCtrl *otherPage = app.page(other);
    QVERIFY(otherPage->isViewLoaded());
    QCOMPARE(otherPage->totalFrame(), fullRectInch(other));

    // The hidden page writes nothing and shows what its store holds.
    firstPage->outlets().ibRatioBtn->click();
    firstPage->outlets().ibNDBtn->click();
    app.settle();
    QVERIFY(app.changes.isEmpty());
    QVERIFY(firstPage->outlets().ibFullBtn->isChecked());
    QVERIFY(firstPage->outlets().ibZDBtn->isChecked());
    // The page shown writes its own device's store.
    otherPage->outlets().ibRatioBtn->click();
    app.settle();
    QCOMPARE(app.changes.keys(), QStringList { other });
    QCOMPARE(app.store(other)->queryConfiguration(OVCFGTablet, OVCFGTabletMap), QVariant(qint64(1)));
    QCOMPARE(app.store(first)->queryConfiguration(OVCFGTablet, OVCFGTabletMap), QVariant(qint64(0)));
}

void TstTabletViewCtrl::keyboardAndAssistiveTechnologies()
{
    App app({ Model::Sorvi22 },
        { kMainOnly.first(), displayInfo(7, QRectF(1920, 0, 1920, 1080), QStringLiteral("SV22")) });
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    const TabletViewCtrl::Outlets &ib = app.ib();
    const QRectF ratio = app.store(app.keys.first())->ratioRectInch();

    // Space on the rectangle button, then a width typed and Return.
    ib.ibRatioBtn->setFocus(Qt::TabFocusReason);
    QTest::keyClick(ib.ibRatioBtn, Qt::Key_Space);
    app.settle();
    ib.ibWXTF->setFocus(Qt::TabFocusReason);
    ib.ibWXTF->selectAll();
    QTest::keyClicks(ib.ibWXTF, QStringLiteral("4.5"));
    QTest::keyClick(ib.ibWXTF, Qt::Key_Return);
    app.settle();
    // An assistive technology's toggle on the 90-degree button.
    QAccessibleInterface *ninety = QAccessible::queryAccessibleInterface(ib.ibNDBtn);
    QVERIFY(ninety->actionInterface());
    ninety->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    app.settle();
    QVERIFY(QAccessible::queryAccessibleInterface(ib.ibNDBtn)->state().checked);
    QVERIFY(!QAccessible::queryAccessibleInterface(ib.ibZDBtn)->state().checked);
    QCOMPARE(app.written(),
        (QList<Change> { frameChange(ratio), { OVCFGTabletMap, QVariant(qint64(1)) },
            frameChange(QRectF(ratio.topLeft(), QSizeF(4.5, ratio.height()))),
            { OVCFGDegree, QVariant(qint64(1)) } }));

    // The calibration window from the keyboard, and Escape in it.
    ib.ibCalibBtn->setFocus(Qt::TabFocusReason);
    QTest::keyClick(ib.ibCalibBtn, Qt::Key_Space);
    app.settle();
    settings::CalibWinCtrl *calib = app.page()->cwCtr();
    QVERIFY(calib && calib->window()->isVisible());
    QTest::keyClick(calib->window(), Qt::Key_Escape);
    app.settle();
    QVERIFY(!app.page()->cwCtr());
    QCOMPARE(app.requests.last(), (QVariantMap { { OVMCCancel, true } }));
}

void TstTabletViewCtrl::renders_data()
{
    QTest::addColumn<Model>("model");

    QTest::newRow("kalverin-m") << Model::KalverinM;
    QTest::newRow("sorvi-22") << Model::Sorvi22;
    // Its layout's own picture.
    QTest::newRow("sorvi-12-pro") << Model::Sorvi12Pro;
    // Its orientation fixed.
    QTest::newRow("sorvi10") << Model::Sorvi10;
}

void TstTabletViewCtrl::renders()
{
    QFETCH(Model, model);

    App app({ model });
    app.ib().ibRatioBtn->click();
    app.settle();
    type(app.ib().ibWXTF, QStringLiteral("6"));
    app.settle();
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    const TabletViewCtrl::Outlets &ib = app.ib();

    // Every control is found by role and the name its label gives it.
    QList<QWidget *> controls { app.page()->areaView(), ib.ibFullBtn, ib.ibRatioBtn, ib.ibOXTF, ib.ibOYTF,
        ib.ibWXTF, ib.ibHYTF, ib.ibZDBtn, ib.ibNDBtn, ib.ibOEDBtn, ib.ibTSDBtn };
    if (ib.ibCalibBtn)
        controls << ib.ibCalibBtn << ib.ibCalibDefaultBtn;
    for (QWidget *control : controls) {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(node && !node->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibWXTF)->role(), QAccessible::EditableText);
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibWXTF)->text(QAccessible::Name),
        app.sim.strings.text(QStringLiteral("OVS_T_W")));
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibRatioBtn)->role(), QAccessible::RadioButton);

    QVERIFY(saveRender(app.delegate->window()->grab().toImage(),
        QLatin1String("tabletpage-") + QLatin1String(QTest::currentDataTag())));
    // Every control lies inside the window, none over another.
    const QString misplaced = layoutFault(app.delegate->window(), controls);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
}

QTEST_MAIN(TstTabletViewCtrl)
#include "tst_tabletviewctrl.moc"
