#include "settings/penviewctrl.h"

#include <cmath>

#include <QEvent>
#include <QSignalBlocker>
#include <QLabel>
#include <QListView>
#include <QLoggingCategory>
#include <QWidget>

#include "controls/kitimages.h"
#include "controls/orvanebutton.h"
#include "controls/orvanecheckboxbutton.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvaneprogressindicator.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvaneslider.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "settings/ovcontentview.h"
#include "settings/ovquadraticbezierview.h"
#include "settings/pagedelegate.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

Q_LOGGING_CATEGORY(lcPenPage, "ov.settings.pen")

namespace settings {

namespace {

using namespace store;

// The titles of PenButtonActionList, by index.
constexpr QLatin1String kPenButtonTitles[]
    = { QLatin1String("OVHK_NoAction"), QLatin1String("OVS_P_LeftMouse"), QLatin1String("OVS_P_RightMouse"),
          QLatin1String("OVS_P_POE"), QLatin1String("OVHK_Custom"), QLatin1String("OVHK_Change") };
// Item 4's title: a format with the custom action's name for "%@".
constexpr QLatin1String OVHK_CT("OVHK_CT");
// The pen tip's single entry.
constexpr QLatin1String Pen_PointKey_LeftMouse("Pen_PointKey_LeftMouse");

// Factory actions of the barrel buttons, when even the "Def" keys are unusable.
constexpr quint64 kUpFactory = kPenRightMouse;
constexpr quint64 kDownFactory = kPenEraser;

// A point text that reads back as two finite numbers.
std::optional<QPointF> curvePoint(const QVariant &value)
{
    const std::optional<QString> text = stringValue(value);
    return text ? strictPointFromString(*text) : std::nullopt;
}

// The page's own changes of a check box or radio button: the controls report
// only what the user (or an assistive technology) changes.
void setCheckedQuietly(QAbstractButton *button, bool checked)
{
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

QVariantMap curveOf(QPointF p1, QPointF p2, QPointF pc)
{
    return QVariantMap { { OVCFGBezierP1, stringFromPoint(p1) }, { OVCFGBezierP2, stringFromPoint(p2) },
        { OVCFGBezierPC, stringFromPoint(pc) } };
}

} // namespace

PenViewCtrl::PenViewCtrl(const QString &nibName, const PageContext &context, QObject *parent)
    : DevicePageCtrl(nibName, context, parent)
{ }

PenViewCtrl::~PenViewCtrl() = default;

void PenViewCtrl::viewDidLoad(QWidget *view)
{
    buildLayout(view);
    connectControls();
    view->installEventFilter(this);
    after(0, [this] { penViewInit(); });
}

bool PenViewCtrl::eventFilter(QObject *watched, QEvent *event)
{
    // The page shown takes the live pressure, also after a device switch.
    if (event->type() == QEvent::Show && watched == view())
        takeLivePressure();
    return DevicePageCtrl::eventFilter(watched, event);
}

void PenViewCtrl::takeLivePressure()
{
    if (!isDeviceShown())
        return;
    if (OVContentView *content = delegate().contentView())
        content->setDelegate(this);
}

void PenViewCtrl::connectControls()
{
    for (controls::OrvanePopUpButton *popup : { m_ib.ibUpKeyBtn, m_ib.ibDownKeyBtn })
        connect(popup, &QComboBox::activated, this, [this, popup] { clickPopUpBtn(popup); });
    if (m_ib.ibPointKeyBtn)
        connect(m_ib.ibPointKeyBtn, &QComboBox::activated, this, [this] { clickPopPointBtn(); });
    connect(m_ib.ibDefaultBtn, &QAbstractButton::clicked, this, [this] { clickDefaultBtn(); });
    // Check boxes and radio buttons act on every change of their state: a
    // click, a key, or an assistive technology's toggle, which emits no
    // click. The page changes them quietly itself.
    for (controls::OrvaneRadioButton *button : { m_ib.ibZDBtn, m_ib.ibNDBtn, m_ib.ibOEDBtn, m_ib.ibTSDBtn })
        connect(button, &QAbstractButton::toggled, this, [this, button] { clickDegreeBtn(button); });
    connect(m_ib.ibPressureBtn, &QAbstractButton::toggled, this, [this] { clickPressureBtn(); });
    connect(m_ib.ibTipsBtn, &QAbstractButton::toggled, this, [this] { clickTipsBtn(); });
    connect(m_ib.ibKeyFunBtn, &QAbstractButton::toggled, this, [this] { clickKeyFunBtn(); });
    connect(m_ib.ibPSResetBtn, &QAbstractButton::clicked, this, [this] { clickPSResetBtn(); });
    connect(m_ib.ibPSSlider, &controls::OrvaneSlider::moved, this, [this] { clickPSSlider(); });
    for (controls::OrvaneRadioButton *button : { m_ib.ibAbsoluteBtn, m_ib.ibRelativeBtn })
        connect(button, &QAbstractButton::toggled, this, [this, button] { clickCMBtn(button); });
    connect(m_ib.ibTSSlider, &controls::OrvaneSlider::moved, this, [this] { clickTSSlider(); });
}

void PenViewCtrl::penViewInit()
{
    if (!m_observing) {
        m_observing = true;
        observeReloadAndHide([this] { ovCFG(); }, [this] { deviceDisconnectHideUI(); });
    }
    ovCFG();
}

void PenViewCtrl::ovCFG()
{
    if (!isViewLoaded())
        return;
    penPointKeyInit();
    penKeyInit();
    degreeInit();
    ptkfInit();
    bezierPressureInit();
    cmtsInit();
}

void PenViewCtrl::deviceDisconnectHideUI()
{
    if (!isViewLoaded())
        return;
    m_ib.ibUpKeyBtn->cancelTracking();
    m_ib.ibDownKeyBtn->cancelTracking();
}

// Barrel buttons ---------------------------------------------------------

void PenViewCtrl::penPointKeyInit()
{
    if (!m_ib.ibPointKeyBtn)
        return;
    m_ib.ibPointKeyBtn->removeAllItems();
    m_ib.ibPointKeyBtn->addItem(text(Pen_PointKey_LeftMouse));
    m_ib.ibPointKeyBtn->setCurrentIndex(0);
}

quint64 PenViewCtrl::defaultKeyAction(const QString &defKey, quint64 factory) const
{
    const std::optional<quint64> value = unsignedCFG(OVCFGPenKey, defKey);
    return value && *value <= kPenCustom ? *value : factory;
}

quint64 PenViewCtrl::keyAction(const QString &key, const QString &defKey, quint64 factory) const
{
    const std::optional<quint64> value = unsignedCFG(OVCFGPenKey, key);
    return value && *value <= kPenCustom ? *value : defaultKeyAction(defKey, factory);
}

void PenViewCtrl::showCustomItem(controls::OrvanePopUpButton *popup, const std::optional<QVariantMap> &custom)
{
    std::optional<QString> title;
    if (custom) {
        title = text(OVHK_CT);
        title->replace(QLatin1String("%@"), stringValue(custom->value(OVCFGPenKeyCusAlias)).value_or(QString()));
    }
    setCustomItem(popup, kPenCustom, title);
}

void PenViewCtrl::penKeyInit()
{
    const QString image = delegate().penImageName(devKey());
    m_ib.ibPenIV->setPixmap(
        image.isNull() ? QPixmap() : controls::imageNamed(image, m_ib.ibPenIV->devicePixelRatioF()));

    struct Button
    {
        controls::OrvanePopUpButton *popup;
        quint64 *action;
        QLatin1String key, defKey, cusKey;
        quint64 factory;
    };
    const Button buttons[] = {
        { m_ib.ibUpKeyBtn, &m_upKeyAction, OVCFGPenKeyUp, OVCFGPenKeyUpDef, OVCFGPenKeyUpCus, kUpFactory },
        { m_ib.ibDownKeyBtn, &m_downKeyAction, OVCFGPenKeyDown, OVCFGPenKeyDownDef, OVCFGPenKeyDownCus,
            kDownFactory },
    };
    for (const Button &b : buttons) {
        b.popup->removeAllItems();
        for (const QLatin1String title : kPenButtonTitles)
            b.popup->addItem(text(title));
        *b.action = keyAction(b.key, b.defKey, b.factory);
        b.popup->setCurrentIndex(int(*b.action));
        showCustomItem(b.popup, dictionaryCFG(OVCFGPenKey, b.cusKey));
    }
}

void PenViewCtrl::clickPopUpBtn(controls::OrvanePopUpButton *sender)
{
    const bool up = sender == m_ib.ibUpKeyBtn;
    if (!up && sender != m_ib.ibDownKeyBtn)
        return;
    quint64 &current = up ? m_upKeyAction : m_downKeyAction;
    const QLatin1String key = up ? OVCFGPenKeyUp : OVCFGPenKeyDown;
    const QLatin1String cusKey = up ? OVCFGPenKeyUpCus : OVCFGPenKeyDownCus;
    // Only the page shown acts on its controls.
    if (!isDeviceShown()) {
        sender->setCurrentIndex(int(current));
        return;
    }
    int chosen = sender->currentIndex();
    if (chosen < 0 || quint64(chosen) == current)
        return;

    if (chosen == kPenChange) {
        std::unique_ptr<KeyCusEditor> editor
            = m_keyCusEditorFactory ? m_keyCusEditorFactory(devKey(), view()->window()) : nullptr;
        if (!editor) {
            qCWarning(lcPenPage).noquote()
                << devKey() + QStringLiteral(": cannot open the key-action editor: there is none");
            sender->setCurrentIndex(int(current));
            return;
        }
        editor->setIsPenEnter(true);
        if (const std::optional<QVariantMap> stored = dictionaryCFG(OVCFGPenKey, cusKey)) {
            keyactions::KeyCusObject object;
            object.deserialization(*stored);
            editor->setKeyCusObject(object);
        }
        int result = 0;
        // The device may go while the editor runs: the page then stays
        // parked until the run ends, and drops what the editor answers.
        if (!runModal([&] { result = editor->runModal(); }))
            return;
        const std::optional<keyactions::KeyCusObject> made = editor->keyCusObject();
        if (result != 1 || !made) {
            sender->setCurrentIndex(int(current));
            return;
        }
        const QVariantMap custom = made->serialization();
        updateCFG(OVCFGPenKey, cusKey, custom);
        showCustomItem(sender, custom);
        sender->setCurrentIndex(kPenCustom);
        chosen = kPenCustom;
    }
    current = quint64(chosen);
    updateCFG(OVCFGPenKey, key, qint64(chosen));
}

void PenViewCtrl::clickDefaultBtn()
{
    if (!isDeviceShown())
        return;
    m_upKeyAction = defaultKeyAction(OVCFGPenKeyUpDef, kUpFactory);
    m_downKeyAction = defaultKeyAction(OVCFGPenKeyDownDef, kDownFactory);
    m_ib.ibUpKeyBtn->setCurrentIndex(int(m_upKeyAction));
    m_ib.ibDownKeyBtn->setCurrentIndex(int(m_downKeyAction));
    updateCFG(OVCFGPenKey, OVCFGPenKeyUp, QVariant());
    updateCFG(OVCFGPenKey, OVCFGPenKeyDown, QVariant());
}

// Orientation and switches -------------------------------------------------

void PenViewCtrl::degreeInit()
{
    // The OEM pen displays keep their orientation: shown, not chosen here.
    showDegree({ m_ib.ibZDBtn, m_ib.ibNDBtn, m_ib.ibOEDBtn, m_ib.ibTSDBtn }, !isOemSorvi(devKey()));
}

void PenViewCtrl::clickDegreeBtn(QAbstractButton *sender)
{
    if (!isDeviceShown()) {
        degreeInit();
        return;
    }
    chooseDegree({ m_ib.ibZDBtn, m_ib.ibNDBtn, m_ib.ibOEDBtn, m_ib.ibTSDBtn }, sender);
}

void PenViewCtrl::switchInit(controls::OrvaneCheckboxButton *box, const QString &key)
{
    // The boxes turn a feature off: ticked when the feature is off, and
    // absent reads as off.
    setCheckedQuietly(box, !truthCFG(OVCFGPenKey, key).value_or(false));
}

void PenViewCtrl::clickSwitch(controls::OrvaneCheckboxButton *box, const QString &key)
{
    if (!isDeviceShown()) {
        switchInit(box, key);
        return;
    }
    updateCFG(OVCFGPenKey, key, !box->isChecked());
}

void PenViewCtrl::ptkfInit()
{
    switchInit(m_ib.ibPressureBtn, OVCFGPressure);
    switchInit(m_ib.ibTipsBtn, OVCFGTips);
    switchInit(m_ib.ibKeyFunBtn, OVCFGKeyFun);
}

void PenViewCtrl::clickPressureBtn()
{
    clickSwitch(m_ib.ibPressureBtn, OVCFGPressure);
}

void PenViewCtrl::clickTipsBtn()
{
    clickSwitch(m_ib.ibTipsBtn, OVCFGTips);
}

void PenViewCtrl::clickKeyFunBtn()
{
    clickSwitch(m_ib.ibKeyFunBtn, OVCFGKeyFun);
}

// Pressure curve -------------------------------------------------------------

QVariantMap PenViewCtrl::defaultCurve()
{
    return curveOf(QPointF(0, 0), QPointF(1, 1), QPointF(0.5, 0.5));
}

QVariantMap PenViewCtrl::storedCurve() const
{
    const std::optional<QVariantMap> curve = dictionaryCFG(OVCFGPenKey, OVCFGBezier);
    if (!curve)
        return defaultCurve();
    for (const QLatin1String key : { OVCFGBezierP1, OVCFGBezierP2, OVCFGBezierPC }) {
        if (!curvePoint(curve->value(key)))
            return defaultCurve();
    }
    return *curve;
}

float PenViewCtrl::sliderValueForCurve(const QVariantMap &curve)
{
    constexpr float kDefault = 0.5f;
    const std::optional<QPointF> p1 = curvePoint(curve.value(OVCFGBezierP1));
    const std::optional<QPointF> pc = curvePoint(curve.value(OVCFGBezierPC));
    if (!p1 || !pc || pc->x() == p1->x())
        return kDefault;
    const float q = float((pc->y() - p1->y()) / (pc->x() - p1->x()));
    const double a = std::atan(double(q));
    const float degrees = float(a * 180 / M_PI);
    const float slider = degrees / 90.0f;
    return std::isfinite(slider) && slider >= 0.0f && slider <= 1.0f ? slider : kDefault;
}

QVariantMap PenViewCtrl::curveForSliderValue(float v)
{
    // 1 - v in single precision; 0.5 - v and 0.5 + (1 - v) in double.
    const double oneMinusV = double(1.0f - v);
    if (v < 0.5f)
        return curveOf(QPointF(0.5 - double(v), 0), QPointF(1, 1), QPointF(oneMinusV, double(v)));
    if (v > 0.5f)
        return curveOf(QPointF(0, 0), QPointF(0.5 + oneMinusV, 1), QPointF(oneMinusV, double(v)));
    return defaultCurve();
}

void PenViewCtrl::sendCurveToEditor(const QVariantMap &curve)
{
    after(0, [this, curve] { m_ib.ibPSBezierView->updateBezierPoints(curve); });
}

void PenViewCtrl::updatePSSlider(const QVariantMap &curve)
{
    m_ib.ibPSSlider->setFloatValue(sliderValueForCurve(curve));
}

void PenViewCtrl::bezierPressureInit()
{
    const QVariantMap curve = storedCurve();
    sendCurveToEditor(curve);
    after(1.0, [this] { m_ib.ibPSBezierView->setDelegate(this); });
    after(1.0, [this] { takeLivePressure(); });
    updatePSSlider(curve);
}

void PenViewCtrl::clickPSSlider()
{
    const QVariantMap curve = curveForSliderValue(m_ib.ibPSSlider->floatValue());
    if (!updateCFG(OVCFGPenKey, OVCFGBezier, curve)) {
        updatePSSlider(storedCurve());
        return;
    }
    sendCurveToEditor(curve);
}

void PenViewCtrl::clickPSResetBtn()
{
    const QVariantMap curve = defaultCurve();
    if (!updateCFG(OVCFGPenKey, OVCFGBezier, curve))
        return;
    updatePSSlider(curve);
    sendCurveToEditor(curve);
}

void PenViewCtrl::bezierPathDidChanged(const QVariantMap &curve)
{
    if (!updateCFG(OVCFGPenKey, OVCFGBezier, curve)) {
        sendCurveToEditor(storedCurve());
        return;
    }
    updatePSSlider(curve);
}

int PenViewCtrl::maxPressure(const QString &devKey)
{
    return store::factsFor(devKey).pressureShown;
}

void PenViewCtrl::bezierPressureDidChanged(float pressure)
{
    if (!isViewLoaded() || !isDeviceShown())
        return;
    if (!std::isfinite(pressure))
        pressure = 0;
    pressure = std::clamp(pressure, 0.0f, 1.0f);
    m_ib.ibPSPI->setValue(int(100.0f * pressure));
    m_ib.ibPSLabel->setText(QString::number(int(pressure * float(maxPressure(devKey())))));
}

// Coordinate mode ------------------------------------------------------------

void PenViewCtrl::cmtsInit()
{
    const quint64 mode = unsignedCFG(OVCFGPenKey, OVCFGCoordinateMode).value_or(0);
    setCheckedQuietly(m_ib.ibAbsoluteBtn, mode == 0);
    setCheckedQuietly(m_ib.ibRelativeBtn, mode != 0);
    m_ib.ibTSSlider->setEnabled(mode != 0);
    // The speed the driver moves the pointer by, also for a file without one.
    m_ib.ibTSSlider->setFloatValue(float(store::trackingSpeedValue(queryCFG(OVCFGPenKey, OVCFGTrackingSpeed))));
}

void PenViewCtrl::clickCMBtn(QAbstractButton *sender)
{
    if (!isDeviceShown()) {
        cmtsInit();
        return;
    }
    const bool relative = sender == m_ib.ibRelativeBtn;
    setCheckedQuietly(m_ib.ibAbsoluteBtn, !relative);
    setCheckedQuietly(m_ib.ibRelativeBtn, relative);
    m_ib.ibTSSlider->setEnabled(relative);
    updateCFG(OVCFGPenKey, OVCFGCoordinateMode, qint64(relative ? 1 : 0));
}

void PenViewCtrl::clickTSSlider()
{
    updateCFG(OVCFGPenKey, OVCFGTrackingSpeed, double(m_ib.ibTSSlider->floatValue()));
}

} // namespace settings
