#include "settings/tabletviewctrl.h"

#include <cmath>

#include <QLabel>
#include <QLocale>
#include <QLoggingCategory>
#include <QSignalBlocker>

#include "controls/kitimages.h"
#include "controls/orvanebutton.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvanetextfield.h"
#include "platform/displays.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "settings/areageometry.h"
#include "settings/ovtabletview.h"
#include "settings/ovtabletview2.h"
#include "settings/pagedelegate.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

Q_LOGGING_CATEGORY(lcTabletPage, "ov.settings.tablet")

namespace settings {

namespace {

using namespace store;

// The pen displays' pictures behind the area view, by model.
struct TabletPicture
{
    Model model;
    const char *image;
};
constexpr TabletPicture kPictures[] = {
    { Model::Sorvi10, "TabletSorvi10.png" },
    { Model::Sorvi1316, "TabletSorvi16.png" },
    { Model::Sorvi16Pro, "TabletSorvi16Pro.png" },
    { Model::Sorvi22, "TabletSorvi22.png" },
    { Model::Sorvi22Pro, "TabletSorvi22Pro.png" },
};

void setCheckedQuietly(QAbstractButton *button, bool checked)
{
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

QString fieldText(double value)
{
    return QString::asprintf("%0.3f", value);
}

// A rectangle a page can draw and edit: finite, with a size.
bool usableFrame(const QRectF &r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width())
        && std::isfinite(r.height()) && r.width() > 0 && r.height() > 0;
}

} // namespace

TabletViewCtrl::TabletViewCtrl(const QString &nibName, const PageContext &context, QObject *parent)
    : DevicePageCtrl(nibName, context, parent)
{ }

TabletViewCtrl::~TabletViewCtrl()
{
    if (m_cwCtr)
        m_cwCtr->cancelRun();
}

TabletAreaView *TabletViewCtrl::areaView() const
{
    if (m_ib.ibTV)
        return m_ib.ibTV;
    return m_ib.ibTV2;
}

void TabletViewCtrl::viewDidLoad(QWidget *view)
{
    buildLayout(view);
    connectControls();
    areaView()->setMetricsSource([this] {
        TabletViewMetrics metrics;
        delegate().tabletViewEdge(devKey(), &metrics.edge, &metrics.slen, &metrics.dlen);
        metrics.fullLine = delegate().tabletViewFullLine(devKey());
        metrics.ratioLine = delegate().tabletViewRatioLine(devKey());
        return metrics;
    });
    after(0, [this] { tabletViewInit(); });
}

void TabletViewCtrl::connectControls()
{
    // As on the pen page, radio buttons act on every change of their state,
    // a click, a key or an assistive technology's toggle; the page changes
    // them quietly itself.
    connect(m_ib.ibFullBtn, &QAbstractButton::toggled, this, [this] { clickFullBtn(); });
    connect(m_ib.ibRatioBtn, &QAbstractButton::toggled, this, [this] { clickRatioBtn(); });
    for (controls::OrvaneRadioButton *button : { m_ib.ibZDBtn, m_ib.ibNDBtn, m_ib.ibOEDBtn, m_ib.ibTSDBtn })
        connect(button, &QAbstractButton::toggled, this, [this, button] { clickDegreeBtn(button); });
    for (controls::OrvaneTextField *field : { m_ib.ibOXTF, m_ib.ibOYTF, m_ib.ibWXTF, m_ib.ibHYTF })
        connect(field, &QLineEdit::editingFinished, this, [this, field] { controlTextDidEndEditing(field); });
    connect(areaView(), &TabletAreaView::ratioFrameDidChanged, this, &TabletViewCtrl::ratioFrameDidChanged);
    if (m_ib.ibCalibBtn)
        connect(m_ib.ibCalibBtn, &QAbstractButton::clicked, this, [this] { clickCalibBtn(); });
    if (m_ib.ibCalibDefaultBtn)
        connect(m_ib.ibCalibDefaultBtn, &QAbstractButton::clicked, this, [this] { clickCalibDefaultBtn(); });
}

void TabletViewCtrl::tabletViewInit()
{
    if (!m_observing) {
        m_observing = true;
        observeLocal(OVCFGNotification, [this](const platform::Notification &) { ovCFG(); });
        observeLocal(OV_Monitor_Changed_Notification, [this](const platform::Notification &) { ovCFG(); });
    }
    tabletMapInit();
    degreeInit();
    showTabletPicture();
}

void TabletViewCtrl::ovCFG()
{
    if (!isViewLoaded())
        return;
    tabletMapInit();
    degreeInit();
}

void TabletViewCtrl::showTabletPicture()
{
    for (const TabletPicture &picture : kPictures) {
        if (isModel(devKey(), picture.model)) {
            m_ib.ivTablet->setPixmap(
                controls::imageNamed(QLatin1String(picture.image), m_ib.ivTablet->devicePixelRatioF()));
        }
    }
    m_ib.ivTablet->show();
}

// Fill -----------------------------------------------------------------------

QRectF TabletViewCtrl::storedFrame() const
{
    const std::optional<QString> text = stringValue(queryCFG(OVCFGTablet, OVCFGTabletFrame));
    const std::optional<QRectF> frame = text ? strictRectFromString(*text) : std::nullopt;
    if (frame && usableFrame(*frame))
        return *frame;
    // Nothing readable stored: the rectangle the rectangle button would give.
    return delegate().ratioRectInch(devKey());
}

void TabletViewCtrl::sizeViewToArea()
{
    // The view keeps its height and takes the area's proportions.
    const int width = usableFrame(m_totalFrame)
        ? int(std::lround(m_totalFrame.width() * kViewHeight / m_totalFrame.height()))
        : kViewHeight;
    TabletAreaView *view = areaView();
    view->setFixedSize(width, kViewHeight);
    // The picture frames the view with its bezel.
    m_ib.ivTablet->setFixedSize(width + 2 * m_bezel, kViewHeight + 2 * m_bezel);
    view->move(m_bezel, m_bezel);
}

void TabletViewCtrl::tabletMapInit()
{
    m_totalFrame = delegate().fullRectInch(devKey());
    m_selectFrame = storedFrame();
    const qint64 mode = unsignedCFG(OVCFGTablet, OVCFGTabletMap).value_or(0) == 1 ? 1 : 0;
    sizeViewToArea();
    areaView()->updateMap(mode, m_totalFrame, m_selectFrame);
    setCheckedQuietly(m_ib.ibFullBtn, mode == 0);
    setCheckedQuietly(m_ib.ibRatioBtn, mode == 1);
    if (mode == 1)
        showFields(m_selectFrame, true);
    else
        showFields(m_totalFrame, false);
}

void TabletViewCtrl::showFields(const QRectF &rect, bool enabled)
{
    const std::pair<controls::OrvaneTextField *, double> fields[] = { { m_ib.ibOXTF, rect.x() },
        { m_ib.ibOYTF, rect.y() }, { m_ib.ibWXTF, rect.width() }, { m_ib.ibHYTF, rect.height() } };
    for (const auto &[field, value] : fields) {
        field->setText(fieldText(value));
        field->setEnabled(enabled);
    }
}

void TabletViewCtrl::clickFullBtn()
{
    if (!isDeviceShown()) {
        tabletMapInit();
        return;
    }
    // The button stays on, also when the click would turn it off.
    setCheckedQuietly(m_ib.ibFullBtn, true);
    setCheckedQuietly(m_ib.ibRatioBtn, false);
    areaView()->updateMap(0, m_totalFrame, m_selectFrame);
    showFields(m_totalFrame, false);
    updateCFG(OVCFGTablet, OVCFGTabletMap, qint64(0));
}

void TabletViewCtrl::clickRatioBtn()
{
    if (!isDeviceShown()) {
        tabletMapInit();
        return;
    }
    setCheckedQuietly(m_ib.ibFullBtn, false);
    setCheckedQuietly(m_ib.ibRatioBtn, true);
    // A press, the first or a later one, starts again from the rectangle of
    // the mapped screen area's proportions.
    m_selectFrame = delegate().ratioRectInch(devKey());
    areaView()->updateMap(1, m_totalFrame, m_selectFrame);
    showFields(m_selectFrame, true);
    updateCFG(OVCFGTablet, OVCFGTabletFrame, stringFromRect(m_selectFrame));
    updateCFG(OVCFGTablet, OVCFGTabletMap, qint64(1));
}

void TabletViewCtrl::controlTextDidEndEditing(controls::OrvaneTextField *field)
{
    const std::pair<controls::OrvaneTextField *, area::Field> fields[]
        = { { m_ib.ibOXTF, area::Field::X }, { m_ib.ibOYTF, area::Field::Y },
              { m_ib.ibWXTF, area::Field::Width }, { m_ib.ibHYTF, area::Field::Height } };
    const auto found = std::find_if(
        std::begin(fields), std::end(fields), [field](const auto &f) { return f.first == field; });
    if (found == std::end(fields))
        return;
    const area::Field which = found->second;
    const double old = area::fieldValue(which, m_selectFrame);
    // Only the rectangle's fields of the page shown take a value; a text
    // that is no finite number takes none, and the field shows the old one.
    if (!isDeviceShown() || areaView()->tabletMap() != 1) {
        field->setText(fieldText(old));
        return;
    }
    // A number as typed here or in the user's own notation ("1,5").
    bool number = false;
    double typed = field->text().trimmed().toDouble(&number);
    if (!number)
        typed = QLocale::system().toDouble(field->text().trimmed(), &number);
    if (!number || !std::isfinite(typed)) {
        qCInfo(lcTabletPage).noquote() << devKey() + QStringLiteral(": cannot take \"") + field->text()
                + QStringLiteral("\": not a number");
        field->setText(fieldText(old));
        return;
    }
    const QRectF moved
        = area::typedValue(which, typed, m_selectFrame, m_totalFrame, QSizeF(kMinWidth, kMinHeight));
    const double result = area::fieldValue(which, moved);
    field->setText(fieldText(result));
    if (moved == m_selectFrame)
        return;
    m_selectFrame = moved;
    areaView()->updateRatio(m_selectFrame);
    updateCFG(OVCFGTablet, OVCFGTabletFrame, stringFromRect(m_selectFrame));
}

void TabletViewCtrl::ratioFrameDidChanged(const QString &text)
{
    const std::optional<QRectF> frame = strictRectFromString(text);
    if (!frame || *frame == m_selectFrame)
        return;
    if (!isDeviceShown()) {
        tabletMapInit();
        return;
    }
    m_selectFrame = *frame;
    showFields(m_selectFrame, true);
    updateCFG(OVCFGTablet, OVCFGTabletFrame, text);
}

// Orientation ------------------------------------------------------------------

bool TabletViewCtrl::orientationChoosable() const
{
    // The Sorvi10 keeps its orientation; every other model chooses it while
    // a main display is online to turn the mapping (and a pen display's
    // picture) on.
    if (isModel(devKey(), Model::Sorvi10))
        return false;
    for (const platform::DisplayInfo &display : platform().displays.displays()) {
        if (display.main)
            return true;
    }
    return false;
}

void TabletViewCtrl::degreeInit()
{
    showDegree({ m_ib.ibZDBtn, m_ib.ibNDBtn, m_ib.ibOEDBtn, m_ib.ibTSDBtn }, orientationChoosable());
}

void TabletViewCtrl::clickDegreeBtn(QAbstractButton *sender)
{
    if (!isDeviceShown() || !orientationChoosable()) {
        degreeInit();
        return;
    }
    chooseDegree({ m_ib.ibZDBtn, m_ib.ibNDBtn, m_ib.ibOEDBtn, m_ib.ibTSDBtn }, sender);
}

// Calibration ------------------------------------------------------------------

void TabletViewCtrl::clickCalibBtn()
{
    if (!isDeviceShown() || !isPenDisplay(devKey()))
        return;
    if (m_cwCtr)
        return;
    m_cwCtr = std::make_unique<CalibWinCtrl>(platform(), QStringLiteral("CalibWinCtrl"), this);
}

void TabletViewCtrl::clickCalibDefaultBtn()
{
    if (!isDeviceShown() || !isPenDisplay(devKey()))
        return;
    // Every connected pen display's service restores its factory calibration
    // of the current orientation; nothing on the page changes.
    platform().distributed.post(OVMCRequestDNotification, QString(), { { OVMCDefault, true } });
}

QVariant TabletViewCtrl::calibConfiguration(const QString &category, const QString &key) const
{
    return queryCFG(category, key);
}

void TabletViewCtrl::desCalib()
{
    if (!m_cwCtr)
        return;
    m_cwCtr->setDelegate(nullptr);
    m_cwCtr.reset();
}

void TabletViewCtrl::deviceDidDisconnect()
{
    if (m_cwCtr) {
        m_cwCtr->cancelRun();
        m_cwCtr->setDelegate(nullptr);
        m_cwCtr.reset();
    }
    DevicePageCtrl::deviceDidDisconnect();
}

} // namespace settings
