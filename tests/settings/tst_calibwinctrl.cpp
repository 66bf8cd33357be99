// The pen-display calibration window on the simulated platform, opened from
// the tablet page of a Sorvi 22 through the real application delegate: the
// display it covers, the requests it posts in order as the driver's answers
// (injected on the bus) move it on, the labels and the crosshair, and every
// way it ends; renders of an edge step, a point step and the result.

#include <QLabel>
#include <QTest>

#include "controls/orvanebutton.h"
#include "settings/calibview.h"
#include "settings/calibwin.h"
#include "settings/calibwinctrl.h"
#include "settings/tabletviewctrl.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "support_settingsapp.h"

using platform::Notification;
using settings::CalibWinCtrl;
using settings::TabletViewCtrl;
using namespace store;
namespace calib = settings::calib;

namespace {

const platform::DisplayInfo kMain
    = displayInfo(1, QRectF(0, 0, 1920, 1080), QStringLiteral("Built-in"), true, true);
// The Sorvi 22's panel, right of the main display.
const platform::DisplayInfo kPen = displayInfo(7, QRectF(1920, 0, 1920, 1080), QStringLiteral("SV22"));

QVariantMap edgeRequest(const char *key)
{
    return { { QLatin1String(key), true } };
}

QVariantMap pointRequest(int index, QPointF p)
{
    return { { OVMCIndex, qint64(index) }, { OVMCPoint, stringFromPoint(p) } };
}

// A Sorvi 22 with its tablet page shown, and its calibration window open.
struct App : SettingsApp
{
    explicit App(const QList<platform::DisplayInfo> &displays = { kMain, kPen }, qint64 degree = 0)
        : SettingsApp({ Model::Sorvi22 }, displays)
    {
        if (degree != 0)
            import(keys.first(), OVCFGPenKey, OVCFGDegree, degree);
        selectTab(settings::kTabTablet);
        requests.clear();
    }

    TabletViewCtrl *page() const
    {
        return static_cast<TabletViewCtrl *>(SettingsApp::page(settings::kTabTablet, keys.first()));
    }
    CalibWinCtrl *open()
    {
        page()->outlets().ibCalibBtn->click();
        settle();
        return page()->cwCtr();
    }
    // The driver's answer to the step shown.
    void answer(const QString &key, bool value)
    {
        bus.inject(Notification { QString(OVMCResponseDNotification), QString(), { { key, value } } });
        settle();
    }
    void valid(bool value = true) { answer(OVMCValid, value); }
    void escape()
    {
        sim.local.post(WindowKeyDownNoti, QString::number(settings::CalibWin::kEscapeKeyCode));
        settle();
    }
};

} // namespace

class TstCalibWinCtrl : public QObject
{
    Q_OBJECT
private slots:
    void wholeRun_data();
    void wholeRun();
    void targetDisplay_data();
    void targetDisplay();
    void rejectedTouch();
    void endings_data();
    void endings();
    void escapeKeys();
    void closedWhileWaiting();
    void renders();
};

void TstCalibWinCtrl::wholeRun_data()
{
    QTest::addColumn<qint64>("degree");
    QTest::addColumn<bool>("edges");

    QTest::newRow("orientation 0") << qint64(0) << true;
    QTest::newRow("orientation 90") << qint64(1) << false;
    QTest::newRow("orientation 270") << qint64(3) << false;
}

void TstCalibWinCtrl::wholeRun()
{
    QFETCH(qint64, degree);
    QFETCH(bool, edges);

    App app({ kMain, kPen }, degree);
    CalibWinCtrl *calib = app.open();
    QVERIFY(calib);
    settings::CalibView *view = calib->view();
    QCOMPARE(calib->screct(), kPen.bounds);
    QCOMPARE(calib->window()->geometry(), kPen.bounds.toRect());
    QVERIFY(calib->window()->isVisible());
    QVERIFY(calib->window()->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(calib->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(calib->window()->cursor().shape(), Qt::BlankCursor);

    const QPointF targets[] = { { 2070, 150 }, { 3690, 150 }, { 2070, 930 }, { 3690, 930 }, { 2880, 540 } };
    QList<QVariantMap> expected { { { OVMCBegin, true } } };
    if (edges) {
        const char *keys[] = { "OVMCMINX", "OVMCMINY", "OVMCMAXX", "OVMCMAXY" };
        for (qint64 edge = 0; edge < 4; ++edge) {
            // One step at a time: each waits for the driver's YES.
            expected << edgeRequest(keys[edge]);
            QCOMPARE(app.requests, expected);
            QCOMPARE(view->edgeIndex(), edge);
            QCOMPARE(view->index(), calib::kNone);
            QVERIFY(view->ibTipA()->isVisible());
            QVERIFY(!view->ibTipC()->isVisible());
            app.valid();
        }
    }
    for (int i = 0; i < 5; ++i) {
        expected << pointRequest(i, targets[i]);
        QCOMPARE(app.requests, expected);
        QCOMPARE(calib->psscrn()[size_t(i)], targets[i]);
        QCOMPARE(view->index(), qint64(i));
        QCOMPARE(view->edgeIndex(), calib::kNone);
        QVERIFY(!view->ibTipA()->isVisible());
        QVERIFY(view->ibTipC()->isVisible());
        app.valid();
    }
    expected << QVariantMap { { OVMCEnd, true } };
    QCOMPARE(app.requests, expected);
    QCOMPARE(view->index(), calib::kNone);
    QVERIFY(!view->ibTipC()->isVisible());
    QCOMPARE(calib->window()->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(calib->ibCancelBtn()->isVisible());
    QVERIFY(!calib->ibOKBtn()->isVisible());

    // The result takes the invalid-touch label's place, OK the Cancel button's.
    const QPoint labelAt = calib->ibIva()->pos();
    const QPoint cancelAt = calib->ibCancelBtn()->pos();
    app.answer(OVMCFinish, true);
    QVERIFY(calib->ibSuc()->isVisible());
    QVERIFY(!calib->ibFad()->isVisible());
    QCOMPARE(calib->ibSuc()->pos(), labelAt);
    QVERIFY(calib->ibOKBtn()->isVisible());
    QVERIFY(!calib->ibCancelBtn()->isVisible());
    QCOMPARE(calib->ibOKBtn()->pos(), cancelAt);
    // Answers after the result change nothing and post nothing.
    app.valid();
    QCOMPARE(app.requests, expected);

    calib->ibOKBtn()->click();
    app.settle();
    QVERIFY(!app.page()->cwCtr());
    QCOMPARE(app.requests, expected);
    QVERIFY(app.changes.isEmpty());
}

void TstCalibWinCtrl::targetDisplay_data()
{
    QTest::addColumn<QList<platform::DisplayInfo>>("displays");
    QTest::addColumn<QVariant>("map");
    QTest::addColumn<QVariant>("number");
    QTest::addColumn<QRectF>("covered");

    const platform::DisplayInfo unnamed = displayInfo(4, QRectF(-1280, 0, 1280, 1024), QString());
    const platform::DisplayInfo other
        = displayInfo(5, QRectF(0, 1080, 1920, 1080), QStringLiteral("Office 24"));
    const QVariant none;
    QTest::newRow("named") << QList { kMain, other, kPen } << none << none << kPen.bounds;
    // The one the pen is mapped to, though an unnamed monitor comes first.
    QTest::newRow("mapped") << QList { kMain, unnamed, kPen } << QVariant(qint64(2)) << QVariant(qint64(7))
                            << kPen.bounds;
    // Not mapped to one screen: an unnamed external monitor is taken as the
    // pen display, as its panel name cannot be read.
    QTest::newRow("unnamed first") << QList { kMain, unnamed, kPen } << QVariant(qint64(0))
                                   << QVariant(qint64(7)) << unnamed.bounds;
    // The mapped display is offline: the names decide.
    QTest::newRow("mapped offline") << QList { kMain, other, kPen } << QVariant(qint64(2))
                                    << QVariant(qint64(9)) << kPen.bounds;
    QTest::newRow("number as text") << QList { kMain, unnamed, kPen } << QVariant(qint64(2))
                                    << QVariant(QStringLiteral("7")) << unnamed.bounds;
    QTest::newRow("none matches") << QList { kMain, other } << none << none << kMain.bounds;
}

void TstCalibWinCtrl::targetDisplay()
{
    QFETCH(QList<platform::DisplayInfo>, displays);
    QFETCH(QVariant, map);
    QFETCH(QVariant, number);
    QFETCH(QRectF, covered);

    App app(displays);
    if (map.isValid())
        app.import(app.keys.first(), OVCFGMonitor, OVCFGMonitorMap, map);
    if (number.isValid())
        app.import(app.keys.first(), OVCFGMonitor, OVCFGMonitorNumber, number);
    app.requests.clear();
    CalibWinCtrl *calib = app.open();
    QVERIFY(calib);
    QCOMPARE(calib->screct(), covered);
    QCOMPARE(calib->window()->geometry(), covered.toRect());
    QCOMPARE(app.requests, (QList<QVariantMap> { { { OVMCBegin, true } }, edgeRequest("OVMCMINX") }));
    // The targets lie on the display covered.
    for (int edge = 0; edge < 4; ++edge)
        app.valid();
    QCOMPARE(app.requests.last(), pointRequest(0, covered.topLeft() + QPointF(150, 150)));
}

void TstCalibWinCtrl::rejectedTouch()
{
    App app;
    CalibWinCtrl *calib = app.open();
    for (int edge = 0; edge < 4; ++edge)
        app.valid();
    app.valid(); // point 0
    const qsizetype posted = app.requests.size();
    QCOMPARE(calib->view()->index(), 1);

    // NO: the same crosshair, the invalid-touch label, nothing posted.
    app.valid(false);
    QCOMPARE(calib->view()->index(), 1);
    QVERIFY(calib->ibIva()->isVisible());
    QCOMPARE(app.requests.size(), posted);
    QVERIFY(!calib->psalid());
    // The next YES hides it and moves on.
    app.valid();
    QVERIFY(!calib->ibIva()->isVisible());
    QCOMPARE(calib->view()->index(), 2);
    QCOMPARE(app.requests.size(), posted + 1);

    // A rejected touch on the Cancel button leaves the label as it is.
    const QRect cancel = calib->ibCancelBtn()->geometry();
    app.sim.displays.setPointer(kPen.bounds.topLeft() + QPointF(cancel.center()));
    app.valid(false);
    QVERIFY(!calib->ibIva()->isVisible());
    QCOMPARE(calib->view()->index(), 2);
    // An answer that is no Boolean is no answer.
    QTest::ignoreMessage(QtWarningMsg, "cannot take the driver's answer: \"OVMCValid\" is not a Boolean");
    app.bus.inject(Notification {
        QString(OVMCResponseDNotification), QString(), { { OVMCValid, QStringLiteral("yes") } } });
    app.settle();
    QCOMPARE(calib->view()->index(), 2);
    QCOMPARE(app.requests.size(), posted + 1);
}

void TstCalibWinCtrl::endings_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("finished"); // the result is shown first
    QTest::addColumn<bool>("cancels");

    QTest::newRow("Cancel") << "cancel" << false << true;
    QTest::newRow("Escape during the run") << "escape" << false << true;
    QTest::newRow("Escape after the result") << "escape" << true << false;
    QTest::newRow("OK") << "ok" << true << false;
    QTest::newRow("device disconnect notice") << "hide" << false << true;
    QTest::newRow("window manager's close") << "close" << false << true;
    // The device goes: the page cancels the run before it drops the window.
    QTest::newRow("device goes") << "disconnect" << false << true;
    QTest::newRow("driver's quit notice") << "quit" << false << true;
}

void TstCalibWinCtrl::endings()
{
    QFETCH(QString, how);
    QFETCH(bool, finished);
    QFETCH(bool, cancels);

    App app;
    QPointer<CalibWinCtrl> calib = app.open();
    QPointer<settings::CalibWin> window = calib->window();
    if (finished) {
        for (int step = 0; step < 9; ++step)
            app.valid();
        app.answer(OVMCFinish, false);
        QVERIFY(calib->ibFad()->isVisible());
        QVERIFY(!calib->ibSuc()->isVisible());
    } else {
        app.valid();
    }
    app.requests.clear();

    if (how == QLatin1String("cancel")) {
        calib->ibCancelBtn()->click();
    } else if (how == QLatin1String("escape")) {
        QTest::keyClick(window, Qt::Key_Escape);
    } else if (how == QLatin1String("ok")) {
        calib->ibOKBtn()->click();
    } else if (how == QLatin1String("hide")) {
        app.bus.inject(Notification { QString(OVUI_DeviceDisconnect_Hide_Noti), QString(), {} });
    } else if (how == QLatin1String("close")) {
        QVERIFY(window->close());
    } else if (how == QLatin1String("disconnect")) {
        app.bus.inject(
            Notification { QString(OVCFGResponseDNotification), QString(), { { app.keys.first(), false } } });
    } else if (how == QLatin1String("quit")) {
        app.bus.inject(Notification { QString(OVCFGQuitDNotification), QString(), {} });
        app.delegate->applicationWillTerminate();
    }
    app.settle(1);
    const QList<QVariantMap> cancel { { { OVMCCancel, true } } };
    QCOMPARE(app.requests, cancels ? cancel : QList<QVariantMap>());
    QVERIFY(!window || !window->isVisible());
    if (how != QLatin1String("disconnect") && how != QLatin1String("quit"))
        QVERIFY(!app.page()->cwCtr());
    // Nothing more after the end, whatever arrives.
    app.requests.clear();
    app.bus.inject(Notification { QString(OVMCResponseDNotification), QString(), { { OVMCValid, true } } });
    app.settle(1);
    QVERIFY(app.requests.isEmpty());
}

void TstCalibWinCtrl::escapeKeys()
{
    App app;
    CalibWinCtrl *calib = app.open();
    // Other keys of the main window do nothing; Escape there ends the run
    // on the next turn.
    app.sim.local.post(WindowKeyDownNoti, QStringLiteral("36"));
    app.settle();
    QVERIFY(app.page()->cwCtr());
    QVERIFY(calib->window()->hasAddNoti());
    app.requests.clear();
    app.escape();
    QCOMPARE(app.requests, (QList<QVariantMap> { { { OVMCCancel, true } } }));
    QVERIFY(!app.page()->cwCtr());
    // A second window hears Escape once.
    calib = app.open();
    app.requests.clear();
    app.escape();
    QCOMPARE(app.requests.size(), 1);
}

void TstCalibWinCtrl::closedWhileWaiting()
{
    App app;
    CalibWinCtrl *calib = app.open();
    for (int step = 0; step < 5; ++step)
        app.valid();
    QCOMPARE(calib->view()->index(), 1);
    app.requests.clear();
    // The window goes while point 1 waits: the page drops the controller,
    // and no answer makes anything more go out.
    calib->clickOK();
    app.settle();
    QVERIFY(!app.page()->cwCtr());
    for (int step = 0; step < 4; ++step)
        app.valid();
    QVERIFY(app.requests.isEmpty());
}

void TstCalibWinCtrl::renders()
{
    App app;
    CalibWinCtrl *calib = app.open();
    QVERIFY(QTest::qWaitForWindowExposed(calib->window()));
    const auto save = [&](const QString &name) {
        QVERIFY(saveRender(calib->window()->grab().toImage(), QLatin1String("calibwin-") + name));
    };
    // The top edge: the arrow from the edge's middle, the hint centred
    // below it.
    app.valid();
    QCOMPARE(calib->view()->edgeIndex(), qint64(calib::kTop));
    const QRect tipA = calib->view()->ibTipA()->geometry();
    const QSizeF glyph = settings::CalibView::glyphSize(calib::kTop);
    QVERIFY2(tipA.top() > glyph.height() - 12 && std::abs(tipA.center().x() - (960 + glyph.width() / 2)) <= 1,
        qPrintable(QStringLiteral("%1, %2").arg(tipA.x()).arg(tipA.y())));
    save(QStringLiteral("edge"));
    // The top-right target after a rejected touch: the hint left of the cross.
    for (int step = 0; step < 4; ++step)
        app.valid();
    app.valid(false);
    QCOMPARE(calib->view()->index(), 1);
    const QRect tipC = calib->view()->ibTipC()->geometry();
    QVERIFY(tipC.right() < 1920 - 150 - 20 + 1 && std::abs(tipC.center().y() - 150) <= 1);
    save(QStringLiteral("point"));
    for (int step = 0; step < 4; ++step)
        app.valid();
    app.answer(OVMCFinish, true);
    save(QStringLiteral("end"));
    // Every control of the result is named for assistive technologies.
    QCOMPARE(calib->ibOKBtn()->text(), app.sim.strings.text(QStringLiteral("OVS_CW_OK")));
    QVERIFY(calib->ibOKBtn()->hasFocus() || !calib->window()->isActiveWindow());
}

QTEST_MAIN(TstCalibWinCtrl)
#include "tst_calibwinctrl.moc"
