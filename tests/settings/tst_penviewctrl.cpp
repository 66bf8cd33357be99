// The pen page on the simulated platform, through the real application
// delegate and main window: what each control writes (the settings store's
// change notices, in order and with their types, and the driver's copy that
// applies them), what it shows of a stored or imported value, that the page
// stays bound to its own device, and a render of each kind of layout.

#include <cmath>

#include <QAccessible>
#include <QLabel>
#include <QListView>
#include <QTest>

#include "controls/orvanebutton.h"
#include "controls/orvanecheckboxbutton.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvaneprogressindicator.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvaneslider.h"
#include "controls/orvanetabview.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "settings/appdelegate.h"
#include "settings/ovcontentview.h"
#include "settings/ovquadraticbezierview.h"
#include "settings/ovwindow.h"
#include "settings/penviewctrl.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "store/ovrecttext.h"
#include "support_settingsapp.h"

using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using settings::PenViewCtrl;
using namespace store;

namespace {

// The per-key action editor the page is given: answers 1 with a record, or 0.
struct EditorScript
{
    int answer = 0;
    keyactions::KeyCusObject record;
    std::function<void()> during; // runs inside the modal run
    int opened = 0;
    bool penEnter = false; // the editor was opened for a pen button
    std::optional<keyactions::KeyCusObject> given;
};

class ScriptedEditor : public settings::KeyCusEditor
{
public:
    explicit ScriptedEditor(EditorScript &script)
        : m_script(script)
    { }
    void setIsPenEnter(bool isPenEnter) override { m_penEnter = isPenEnter; }
    void setKeyCusObject(const keyactions::KeyCusObject &object) override { m_script.given = object; }
    int runModal() override
    {
        ++m_script.opened;
        m_script.penEnter = m_penEnter;
        if (m_script.during)
            m_script.during();
        return m_script.answer;
    }
    std::optional<keyactions::KeyCusObject> keyCusObject() const override
    {
        return m_script.answer == 1 ? std::optional(m_script.record) : std::nullopt;
    }

private:
    EditorScript &m_script;
    bool m_penEnter = false;
};

// The settings application with the scripted per-key action editor.
struct App : SettingsApp
{
    explicit App(const QList<Model> &models)
        : SettingsApp(models, [this](settings::AppDelegate &d) {
            d.setKeyCusEditorFactory(
                [this](const QString &, QWidget *) { return std::make_unique<ScriptedEditor>(editor); });
        })
    { }

    PenViewCtrl *page(const QString &key) const
    {
        return static_cast<PenViewCtrl *>(SettingsApp::page(settings::kTabPen, key));
    }
    PenViewCtrl *page() const { return page(keys.first()); }
    const PenViewCtrl::Outlets &ib() const { return page()->outlets(); }
    void import(const QString &key, const QString &name, const QVariant &value)
    {
        SettingsApp::import(key, OVCFGPenKey, name, value);
    }
    QVariant driverValue(const QString &key, const QString &name) const
    {
        return SettingsApp::driverValue(key, OVCFGPenKey, name);
    }

    EditorScript editor;
};

keyactions::KeyCusObject hotKeyAction()
{
    keyactions::KeyCusObject object;
    object.keyActCus = keyactions::KeyCusObject::kHotKey;
    object.alias = QStringLiteral("Undo");
    object.keyActCusHotKey = 5;
    return object;
}

QString curveText(const QVariantMap &curve)
{
    return curve.value(OVCFGBezierP1).toString() + QLatin1Char(' ') + curve.value(OVCFGBezierP2).toString()
        + QLatin1Char(' ') + curve.value(OVCFGBezierPC).toString();
}

bool rowHidden(controls::OrvanePopUpButton *popup, int row)
{
    return static_cast<QListView *>(popup->view())->isRowHidden(row);
}

} // namespace

Q_DECLARE_METATYPE(Change)
Q_DECLARE_METATYPE(store::Model)

class TstPenViewCtrl : public QObject
{
    Q_OBJECT
private slots:
    void barrelButtons_data();
    void barrelButtons();
    void defaultKeepsCustomAction();
    void switchesStoreInverted();
    void firmnessSlider_data();
    void firmnessSlider();
    void curveEditorAndReset();
    void orientation_data();
    void orientation();
    void coordinateModeAndSpeed();
    void typedReads_data();
    void typedReads();
    void livePressure_data();
    void livePressure();
    void boundToItsOwnDevice();
    void editorOutlivesItsDevice();
    void hideNoticeClosesMenus();
    void renders_data();
    void renders();
};

void TstPenViewCtrl::barrelButtons_data()
{
    QTest::addColumn<bool>("upper");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("answer"); // the editor's, for "change"
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("customShown");
    QTest::addColumn<QList<Change>>("written");

    const QVariantMap custom = hotKeyAction().serialization();
    QTest::newRow("change, OK") << true << int(settings::kPenChange) << 1 << int(settings::kPenCustom) << true
                                << QList<Change> { { OVCFGPenKeyUpCus, QVariant(custom) },
                                       { OVCFGPenKeyUp, QVariant(qint64(4)) } };
    QTest::newRow("change, cancel") << true << int(settings::kPenChange) << 0 << int(settings::kPenRightMouse)
                                    << false << QList<Change> {};
    QTest::newRow("current entry again") << true << int(settings::kPenRightMouse) << 0
                                         << int(settings::kPenRightMouse) << false << QList<Change> {};
    QTest::newRow("lower: left click")
        << false << int(settings::kPenLeftMouse) << 0 << int(settings::kPenLeftMouse) << false
        << QList<Change> { { OVCFGPenKeyDown, QVariant(qint64(1)) } };
}

void TstPenViewCtrl::barrelButtons()
{
    QFETCH(bool, upper);
    QFETCH(int, chosen);
    QFETCH(int, answer);
    QFETCH(int, selected);
    QFETCH(bool, customShown);
    QFETCH(QList<Change>, written);

    App app({ Model::TevraM });
    controls::OrvanePopUpButton *popup = upper ? app.ib().ibUpKeyBtn : app.ib().ibDownKeyBtn;
    // Item 4 is hidden while no custom action is stored.
    QVERIFY(rowHidden(popup, settings::kPenCustom));
    QCOMPARE(popup->count(), 6);
    app.editor.answer = answer;
    app.editor.record = hotKeyAction();
    App::choose(popup, chosen);
    app.settle();

    QCOMPARE(app.editor.opened, chosen == settings::kPenChange ? 1 : 0);
    QCOMPARE(app.editor.penEnter, chosen == settings::kPenChange);
    QCOMPARE(app.changes.value(app.keys.first()), written);
    QCOMPARE(popup->currentIndex(), selected);
    QCOMPARE(upper ? app.page()->upKeyAction() : app.page()->downKeyAction(), quint64(selected));
    QCOMPARE(!rowHidden(popup, settings::kPenCustom), customShown);
    if (customShown)
        QCOMPARE(popup->itemText(settings::kPenCustom), QStringLiteral("Custom: Undo"));
    // The driver's copy holds what was written, with its types.
    for (const Change &change : written)
        QCOMPARE(app.driverValue(app.keys.first(), change.key), *change.value);
}

void TstPenViewCtrl::defaultKeepsCustomAction()
{
    App app({ Model::TevraM });
    app.editor.answer = 1;
    app.editor.record = hotKeyAction();
    App::choose(app.ib().ibUpKeyBtn, settings::kPenChange);
    App::choose(app.ib().ibDownKeyBtn, settings::kPenLeftMouse);
    app.settle();
    // The stored action goes back to the editor when it opens again.
    App::choose(app.ib().ibUpKeyBtn, settings::kPenChange);
    QCOMPARE(app.editor.given, std::optional(hotKeyAction()));
    app.changes.clear();

    app.ib().ibDefaultBtn->click();
    app.settle();
    QCOMPARE(app.changes.value(app.keys.first()),
        (QList<Change> { { OVCFGPenKeyUp, std::nullopt }, { OVCFGPenKeyDown, std::nullopt } }));
    QCOMPARE(app.ib().ibUpKeyBtn->currentIndex(), int(settings::kPenRightMouse));
    QCOMPARE(app.ib().ibDownKeyBtn->currentIndex(), int(settings::kPenEraser));
    QVERIFY(!rowHidden(app.ib().ibUpKeyBtn, settings::kPenCustom));
    QVERIFY(!app.driverValue(app.keys.first(), OVCFGPenKeyUp).isValid());
    QCOMPARE(app.driverValue(app.keys.first(), OVCFGPenKeyUpCus).toMap(), hotKeyAction().serialization());
    // Item 4 stays selectable.
    App::choose(app.ib().ibUpKeyBtn, settings::kPenCustom);
    app.settle();
    QCOMPARE(app.changes.value(app.keys.first()).last(), (Change { OVCFGPenKeyUp, QVariant(qint64(4)) }));
}

void TstPenViewCtrl::switchesStoreInverted()
{
    App app({ Model::TevraM });
    const std::pair<controls::OrvaneCheckboxButton *, QLatin1String> switches[]
        = { { app.ib().ibPressureBtn, OVCFGPressure }, { app.ib().ibTipsBtn, OVCFGTips },
              { app.ib().ibKeyFunBtn, OVCFGKeyFun } };
    for (const auto &[box, key] : switches) {
        // The defaults have every feature on: no box ticked.
        QVERIFY(!box->isChecked());
        box->click();
        app.settle();
        QCOMPARE(app.changes.value(app.keys.first()).last(), (Change { key, QVariant(false) }));
        QCOMPARE(app.driverValue(app.keys.first(), key).typeId(), int(QMetaType::Bool));
        box->click();
        app.settle();
        QCOMPARE(app.changes.value(app.keys.first()).last(), (Change { key, QVariant(true) }));
    }
    QCOMPARE(app.changes.value(app.keys.first()).size(), 6);
}

void TstPenViewCtrl::firmnessSlider_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("curve");
    QTest::addColumn<float>("readBack");

    // Read back through the slope's angle: atan(2v) below 0.5, atan(v / (1 -
    // v)) above, each step at the precision the page keeps.
    const auto chain = [](double q) {
        const double a = std::atan(double(float(q)));
        return float(a * 180 / M_PI) / 90.0f;
    };
    QTest::newRow("0.25") << 0.25 << "{0.25, 0} {1, 1} {0.75, 0.25}" << chain(0.5);
    QTest::newRow("0.75") << 0.75 << "{0, 0} {0.75, 1} {0.25, 0.75}" << chain(3.0);
    QTest::newRow("0.5") << 0.5 << "{0, 0} {1, 1} {0.5, 0.5}" << 0.5f;
}

void TstPenViewCtrl::firmnessSlider()
{
    QFETCH(double, value);
    QFETCH(QString, curve);
    QFETCH(float, readBack);

    App app({ Model::TevraM });
    QCOMPARE(app.ib().ibPSSlider->floatValue(), 0.5f);
    // A first move, so that 0.5 too is a change the slider reports.
    app.ib().ibPSSlider->moveTo(0.4);
    app.ib().ibPSSlider->moveTo(value);
    app.settle();
    const Change last = app.changes.value(app.keys.first()).last();
    QCOMPARE(last.key, QString(OVCFGBezier));
    QCOMPARE(curveText(last.value->toMap()), curve);
    QCOMPARE(curveText(app.driverValue(app.keys.first(), OVCFGBezier).toMap()), curve);
    // The editor shows it (200 x 150 points).
    const QVariantMap stored = last.value->toMap();
    const QPointF pc = pointFromString(stored.value(OVCFGBezierPC).toString());
    QCOMPARE(app.ib().ibPSBezierView->pc(), QPointF(pc.x() * 200, pc.y() * 150));

    // Read again (an import, a reload): the slider's value from the curve.
    app.sim.local.post(OVCFGNotification);
    app.settle();
    QCOMPARE(app.ib().ibPSSlider->floatValue(), readBack);
    if (value != 0.5)
        QVERIFY(std::abs(readBack - float(value)) > 0.01f);
}

void TstPenViewCtrl::curveEditorAndReset()
{
    App app({ Model::TevraM });
    settings::OVQuadraticBezierView *editor = app.ib().ibPSBezierView;
    QCOMPARE(editor->delegate(), app.page());
    // A drag in the editor stores the curve it reports and moves the slider.
    const QVariantMap dragged { { OVCFGBezierP1, QStringLiteral("{0, 0}") },
        { OVCFGBezierP2, QStringLiteral("{1, 1}") }, { OVCFGBezierPC, QStringLiteral("{0.25, 0.75}") } };
    app.page()->bezierPathDidChanged(dragged);
    app.settle();
    QCOMPARE(app.changes.value(app.keys.first()), (QList<Change> { { OVCFGBezier, QVariant(dragged) } }));
    QVERIFY(app.ib().ibPSSlider->floatValue() > 0.5f);

    app.ib().ibPSResetBtn->click();
    app.settle();
    QCOMPARE(curveText(app.changes.value(app.keys.first()).last().value->toMap()),
        QStringLiteral("{0, 0} {1, 1} {0.5, 0.5}"));
    QCOMPARE(app.ib().ibPSSlider->floatValue(), 0.5f);
    QCOMPARE(editor->pc(), QPointF(100, 75));
}

void TstPenViewCtrl::orientation_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("Tevra M chooses") << Model::TevraM << true;
    for (Model model : { Model::Sorvi10, Model::Sorvi13, Model::Sorvi1316, Model::Sorvi16Pro, Model::Sorvi22,
             Model::Sorvi22Pro })
        QTest::newRow(rowFor(model).productName) << model << false;
    QTest::newRow("Sorvi12 Pro chooses") << Model::Sorvi12Pro << true;
}

void TstPenViewCtrl::orientation()
{
    QFETCH(Model, model);
    QFETCH(bool, enabled);

    App app({ model });
    const QString key = app.keys.first();
    // A value written elsewhere (the tablet page, an import) is shown.
    app.import(key, OVCFGDegree, qint64(2));
    controls::OrvaneRadioButton *const buttons[]
        = { app.ib().ibZDBtn, app.ib().ibNDBtn, app.ib().ibOEDBtn, app.ib().ibTSDBtn };
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(buttons[i]->isChecked(), i == 2);
        QCOMPARE(buttons[i]->isEnabled(), enabled);
    }
    if (!enabled)
        return;
    buttons[3]->click();
    app.settle();
    QCOMPARE(app.changes.value(key), (QList<Change> { { OVCFGDegree, QVariant(qint64(3)) } }));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(buttons[i]->isChecked(), i == 3);
}

void TstPenViewCtrl::coordinateModeAndSpeed()
{
    App app({ Model::TevraM });
    const QString key = app.keys.first();
    app.import(key, OVCFGTrackingSpeed, 2.5);
    // Absolute: the speed is kept but cannot be moved.
    QVERIFY(app.ib().ibAbsoluteBtn->isChecked());
    QVERIFY(!app.ib().ibTSSlider->isEnabled());
    QCOMPARE(app.ib().ibTSSlider->floatValue(), 2.5f);

    app.ib().ibRelativeBtn->click();
    QVERIFY(app.ib().ibTSSlider->isEnabled());
    app.ib().ibTSSlider->moveTo(1.5);
    app.ib().ibAbsoluteBtn->click();
    app.settle();
    QCOMPARE(app.changes.value(key),
        (QList<Change> { { OVCFGCoordinateMode, QVariant(qint64(1)) }, { OVCFGTrackingSpeed, QVariant(1.5) },
            { OVCFGCoordinateMode, QVariant(qint64(0)) } }));
    QCOMPARE(app.driverValue(key, OVCFGTrackingSpeed).typeId(), int(QMetaType::Double));
    QVERIFY(!app.ib().ibRelativeBtn->isChecked());
    QVERIFY(!app.ib().ibTSSlider->isEnabled());
}

void TstPenViewCtrl::typedReads_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value");

    // Each reads as its default: a wrong type is absent, a number that is not
    // finite or out of range is the default.
    QTest::newRow("upper button as text") << QString(OVCFGPenKeyUp) << QVariant(QStringLiteral("1"));
    QTest::newRow("upper button past the list") << QString(OVCFGPenKeyUp) << QVariant(qint64(5));
    QTest::newRow("orientation as a real") << QString(OVCFGDegree) << QVariant(2.0);
    QTest::newRow("pressure as text") << QString(OVCFGPressure) << QVariant(QStringLiteral("NO"));
    QTest::newRow("curve as text") << QString(OVCFGBezier) << QVariant(QStringLiteral("{0, 0}"));
    QTest::newRow("curve without a slope")
        << QString(OVCFGBezier)
        << QVariant(QVariantMap { { OVCFGBezierP1, QStringLiteral("{0.3, 0}") },
               { OVCFGBezierP2, QStringLiteral("{1, 1}") },
               { OVCFGBezierPC, QStringLiteral("{0.3, 0.6}") } });
    QTest::newRow("curve of NaN") << QString(OVCFGBezier)
                                  << QVariant(QVariantMap { { OVCFGBezierP1, QStringLiteral("{nan, 0}") },
                                         { OVCFGBezierP2, QStringLiteral("{1, 1}") },
                                         { OVCFGBezierPC, QStringLiteral("{nan, nan}") } });
    QTest::newRow("speed NaN") << QString(OVCFGTrackingSpeed) << QVariant(std::nan(""));
    QTest::newRow("speed infinite") << QString(OVCFGTrackingSpeed) << QVariant(HUGE_VAL);
    QTest::newRow("speed out of range") << QString(OVCFGTrackingSpeed) << QVariant(1e6);
    QTest::newRow("mode as text") << QString(OVCFGCoordinateMode) << QVariant(QStringLiteral("1"));
}

void TstPenViewCtrl::typedReads()
{
    QFETCH(QString, name);
    QFETCH(QVariant, value);

    App app({ Model::TevraM });
    app.import(app.keys.first(), name, value);
    const PenViewCtrl::Outlets &ib = app.ib();
    QCOMPARE(ib.ibUpKeyBtn->currentIndex(), int(settings::kPenRightMouse));
    QCOMPARE(ib.ibZDBtn->isChecked(), true);
    // An unreadable switch reads as NO: the box is ticked.
    QCOMPARE(ib.ibPressureBtn->isChecked(), name == QLatin1String(OVCFGPressure));
    QCOMPARE(ib.ibPSSlider->floatValue(), 0.5f);
    QVERIFY(std::isfinite(ib.ibPSBezierView->pc().x()) && std::isfinite(ib.ibPSBezierView->pc().y()));
    QCOMPARE(ib.ibTSSlider->floatValue(), 1.0f);
    QVERIFY(ib.ibAbsoluteBtn->isChecked());
    // Reading writes nothing.
    QVERIFY(app.changes.isEmpty());
}

void TstPenViewCtrl::livePressure_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QString>("number");

    QTest::newRow("Tevra M") << Model::TevraM << "4095";
    QTest::newRow("Sorvi10") << Model::Sorvi10 << "1023";
    QTest::newRow("Sorvi 22") << Model::Sorvi22 << "1023";
    QTest::newRow("Sorvi 22Pro") << Model::Sorvi22Pro << "4095";
}

void TstPenViewCtrl::livePressure()
{
    QFETCH(Model, model);
    QFETCH(QString, number);

    App app({ model });
    settings::OVContentView *content = app.delegate->mainWindow().contentView();
    QCOMPARE(content->delegate(), app.page());
    content->uppres(0.5f);
    QCOMPARE(app.ib().ibPSPI->value(), 50);
    QCOMPARE(app.ib().ibPSLabel->text(), number);
    QVERIFY(app.changes.isEmpty());
}

void TstPenViewCtrl::boundToItsOwnDevice()
{
    App app({ Model::TevraM, Model::Sorvi16Pro });
    const QString first = app.delegate->cursorKey();
    const QString other = app.keys.first() == first ? app.keys.last() : app.keys.first();
    PenViewCtrl *firstPage = app.page(first);
    app.pick(other);
    PenViewCtrl *otherPage = app.page(other);
    QVERIFY(otherPage->isViewLoaded());

    // The live readout follows the device shown.
    settings::OVContentView *content = app.delegate->mainWindow().contentView();
    QCOMPARE(content->delegate(), otherPage);
    content->uppres(0.25f);
    QCOMPARE(otherPage->outlets().ibPSLabel->text(), QStringLiteral("2047"));
    QCOMPARE(firstPage->outlets().ibPSLabel->text(), QStringLiteral("0"));

    // The hidden page of the first device writes nothing, and shows no
    // change it did not write.
    firstPage->outlets().ibPressureBtn->click();
    firstPage->outlets().ibPSSlider->moveTo(0.25);
    app.settle();
    QVERIFY(!firstPage->outlets().ibPressureBtn->isChecked());
    QCOMPARE(firstPage->outlets().ibPSSlider->floatValue(), 0.5f);
    QVERIFY(app.changes.isEmpty());
    // The page shown writes its own device's store, not the first one's.
    otherPage->outlets().ibPressureBtn->click();
    app.settle();
    QCOMPARE(app.changes.keys(), QStringList { other });
    QCOMPARE(app.store(other)->queryConfiguration(OVCFGPenKey, OVCFGPressure), QVariant(false));
    QCOMPARE(app.store(first)->queryConfiguration(OVCFGPenKey, OVCFGPressure), QVariant(true));
}

void TstPenViewCtrl::editorOutlivesItsDevice()
{
    App app({ Model::TevraM, Model::Sorvi16Pro });
    const QString key = app.delegate->cursorKey();
    QPointer<PenViewCtrl> page = app.page(key);
    // The device goes while the editor runs, and the editor still says OK.
    app.editor.answer = 1;
    app.editor.record = hotKeyAction();
    int parkedInside = -1;
    app.editor.during = [&] {
        app.disconnect(key);
        parkedInside = app.delegate->parkedCount();
        QVERIFY(page);
    };
    App::choose(page->outlets().ibUpKeyBtn, settings::kPenChange);
    QCOMPARE(parkedInside, 1);
    QVERIFY(page);
    app.settle();
    // Nothing written for the gone device, and its page freed after the run.
    QVERIFY(!app.changes.contains(key));
    QVERIFY(!app.driverValue(key, OVCFGPenKeyUpCus).isValid());
    QVERIFY(!page);
}

void TstPenViewCtrl::hideNoticeClosesMenus()
{
    App app({ Model::TevraM });
    controls::OrvanePopUpButton *popup = app.ib().ibUpKeyBtn;
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    popup->showPopup();
    QTRY_VERIFY(popup->view()->isVisible());
    app.sim.local.post(OVUI_DeviceDisconnect_Hide_Noti);
    QTRY_VERIFY(!popup->view()->isVisible());
    QVERIFY(app.changes.isEmpty());
}

void TstPenViewCtrl::renders_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("penTip");
    QTest::addColumn<bool>("orientationEnabled");

    QTest::newRow("tevra-m") << Model::TevraM << true << true;
    QTest::newRow("sorvi-16pro") << Model::Sorvi16Pro << true << false;
    QTest::newRow("tevra-n4") << Model::TevraN4 << false << true;
}

void TstPenViewCtrl::renders()
{
    QFETCH(Model, model);
    QFETCH(bool, penTip);
    QFETCH(bool, orientationEnabled);

    App app({ model });
    QCOMPARE(app.page()->view()->objectName(), penViewXIBName(app.keys.first()));
    const PenViewCtrl::Outlets &ib = app.ib();
    QCOMPARE(ib.ibPointKeyBtn != nullptr, penTip);
    QCOMPARE(ib.ibZDBtn->isEnabled(), orientationEnabled);
    QVERIFY(!ib.ibPenIV->pixmap().isNull());
    app.delegate->mainWindow().contentView()->uppres(0.5f);
    app.ib().ibPSSlider->moveTo(0.3);
    app.settle();
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));

    // Every control is found by role and the name its label gives it.
    const QList<QWidget *> controls { ib.ibUpKeyBtn, ib.ibDownKeyBtn, ib.ibDefaultBtn, ib.ibZDBtn,
        ib.ibPressureBtn, ib.ibTipsBtn, ib.ibKeyFunBtn, ib.ibPSBezierView, ib.ibPSSlider, ib.ibPSResetBtn,
        ib.ibPSPI, ib.ibAbsoluteBtn, ib.ibRelativeBtn, ib.ibTSSlider };
    for (QWidget *control : controls) {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(node && !node->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibPSSlider)->role(), QAccessible::Slider);
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibPSSlider)->text(QAccessible::Name),
        app.sim.strings.text(QStringLiteral("OVS_P_Firmness")));
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibPressureBtn)->role(), QAccessible::CheckBox);
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibPressureBtn)->text(QAccessible::Name),
        app.sim.strings.text(QStringLiteral("OVS_P_PressureOff")));

    QVERIFY(saveRender(app.delegate->window()->grab().toImage(),
        QLatin1String("penpage-") + QLatin1String(QTest::currentDataTag())));
    // Every control lies inside the window, none over another.
    const QString misplaced = layoutFault(app.delegate->window(), controls);
    QVERIFY2(misplaced.isEmpty(), qPrintable(misplaced));
}

QTEST_MAIN(TstPenViewCtrl)
#include "tst_penviewctrl.moc"
