#include "settings/monitorviewctrl.h"

#include <cmath>
#include <limits>

#include <QEvent>
#include <QListView>
#include <QLocale>
#include <QStandardItemModel>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetextfield.h"
#include "platform/displays.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "settings/areageometry.h"
#include "settings/monitorscreens.h"
#include "settings/ovmonitorview.h"
#include "store/ovdefaults.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

namespace settings {

namespace {

using namespace store;

// The pop-up's fixed items and the labels of made-up display names.
constexpr QLatin1String OVS_M_F("OVS_M_F");
constexpr QLatin1String OVS_M_P("OVS_M_P");
constexpr QLatin1String OVD_BI("OVD_BI");
constexpr QLatin1String OVD_BO("OVD_BO");
constexpr QLatin1String OVD_MI("OVD_MI");

// Mapping modes, as "OVCFGMonitorMap" stores them.
constexpr qint64 kMapFull = 0;
constexpr qint64 kMapPortion = 1;
constexpr qint64 kMapSingle = 2;

const QSizeF kMinimum(OVMonitorView::kMinWidth, OVMonitorView::kMinHeight);

// "%d" of a coordinate truncated toward zero.
QString pointsText(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return QString::number(int(std::trunc(std::clamp(value, lowest, highest))));
}

// Rectangles compared to the last bit: Qt's == is fuzzy.
bool sameRect(const QRectF &a, const QRectF &b)
{
    return a.x() == b.x() && a.y() == b.y() && a.width() == b.width() && a.height() == b.height();
}

} // namespace

MonitorViewCtrl::MonitorViewCtrl(const QString &nibName, const PageContext &context, QObject *parent)
    : DevicePageCtrl(nibName, context, parent)
{ }

MonitorViewCtrl::~MonitorViewCtrl() = default;

void MonitorViewCtrl::viewDidLoad(QWidget *view)
{
    buildLayout(view);
    connectControls();
    view->installEventFilter(this);
    after(0, [this] { monitorViewInit(); });
}

bool MonitorViewCtrl::eventFilter(QObject *watched, QEvent *event)
{
    // Back on screen (another device was shown, or another tab): the check
    // catches up at once rather than at its next tick.
    if (event->type() == QEvent::Show && watched == view() && m_observing)
        checkScreens();
    return DevicePageCtrl::eventFilter(watched, event);
}

void MonitorViewCtrl::connectControls()
{
    connect(m_ib.ibPopupBtn, &QComboBox::activated, this, [this] { clickPopupBtn(); });
    for (QLineEdit *field : { static_cast<QLineEdit *>(m_ib.ibOXTF), static_cast<QLineEdit *>(m_ib.ibOYTF),
             static_cast<QLineEdit *>(m_ib.ibWXTF), static_cast<QLineEdit *>(m_ib.ibHYTF) })
        connect(field, &QLineEdit::editingFinished, this, [this, field] { controlTextDidEndEditing(field); });
    connect(m_ib.ibMV, &OVMonitorView::portionFrameDidChanged, this, &MonitorViewCtrl::portionFrameDidChanged);
}

void MonitorViewCtrl::monitorViewInit()
{
    if (!m_observing) {
        m_observing = true;
        observeLocal(OVCFGNotification, [this](const platform::Notification &) { monitorMapInit(); });
        // The delegate posts the hide notice locally too, so that the menu
        // closes while its device still exists; the bus brings it later.
        const auto hide = [this](const platform::Notification &) { deviceDisconnectHideUI(); };
        observeLocal(OVUI_DeviceDisconnect_Hide_Noti, hide);
        observeDistributed(OVUI_DeviceDisconnect_Hide_Noti, hide);
        m_screenChanged = false;
        m_mainFrame = QRectF();
        m_mainNum.reset();
        repeat(kCheckInterval, [this] { checkScreens(); });
    }
    checkScreens();
}

void MonitorViewCtrl::deviceDisconnectHideUI()
{
    if (isViewLoaded())
        m_ib.ibPopupBtn->cancelTracking();
}

bool MonitorViewCtrl::isPenDisplay() const
{
    return stringValue(queryCFG(OVCFGMonitor, OVCFGMonitorName)).has_value();
}

// The check -----------------------------------------------------------------

void MonitorViewCtrl::checkScreens()
{
    // Another device's page, or a drag, an open menu or a modal run: the
    // check waits, so that it never writes for a device not shown and never
    // rebuilds what the user is working with.
    if (!isViewLoaded() || !isDeviceShown())
        return;
    if (m_ib.ibMV->isMouseDown() || m_ib.ibPopupBtn->view()->isVisible() || isModalRunActive())
        return;

    const monitor::DisplayLabels labels { text(OVD_BI), text(OVD_BO), text(OVD_MI) };
    const monitor::ScreenList list = monitor::listScreens(platform().displays.displays(), labels);
    if (list.mainNum) {
        if (m_mainNum && (*list.mainNum != *m_mainNum || !sameRect(list.mainFrame, m_mainFrame)))
            m_screenChanged = true;
        m_mainNum = list.mainNum;
        m_mainFrame = list.mainFrame;
    }
    m_mainListed = list.mainNum.has_value();
    m_screens = list.screens;
    m_totalFrame = list.totalFrame;

    if (const std::optional<QString> names = stringValue(queryCFG(OVCFGMonitor, OVCFGMonitorName))) {
        const std::optional<quint64> stored = unsignedCFG(OVCFGMonitor, OVCFGMonitorNumber);
        const quint32 number = stored && *stored <= std::numeric_limits<quint32>::max() ? quint32(*stored) : 0;
        if (const std::optional<quint32> found = monitor::refindPenDisplay(list, *names, number))
            updateCFG(OVCFGMonitor, OVCFGMonitorNumber, qint64(*found));
    }
    monitorMapInit();
}

// The refresh ---------------------------------------------------------------

QRectF MonitorViewCtrl::storedFrame() const
{
    const std::optional<QString> text = stringValue(queryCFG(OVCFGMonitor, OVCFGMonitorFrame));
    const std::optional<QRectF> frame = text ? strictRectFromString(*text) : std::nullopt;
    if (!frame || !(frame->width() > 0) || !(frame->height() > 0))
        return monitorFrameDefault();
    return *frame;
}

void MonitorViewCtrl::writeFrame(const QRectF &frame)
{
    const QString text = stringFromRect(frame);
    // Each write restarts both programs' save timers: a write of the same
    // text every 2 seconds would keep the files from ever being saved.
    if (stringValue(queryCFG(OVCFGMonitor, OVCFGMonitorFrame)) == text)
        return;
    updateCFG(OVCFGMonitor, OVCFGMonitorFrame, text);
}

int MonitorViewCtrl::itemOfNumber(quint32 number) const
{
    for (int i = kItemFirstDisplay; i < m_ib.ibPopupBtn->count(); ++i) {
        if (m_ib.ibPopupBtn->itemData(i).toUInt() == number)
            return i;
    }
    return -1;
}

void MonitorViewCtrl::rebuildPopup()
{
    controls::OrvanePopUpButton *popup = m_ib.ibPopupBtn;
    QStringList titles { text(OVS_M_F), text(OVS_M_P) };
    titles += monitor::popupTitles(m_screens, titles);
    QList<quint32> ids;
    for (const store::OVScreen &screen : m_screens)
        ids.append(screen.number());

    bool same = popup->itemTitles() == titles;
    for (int i = 0; same && i < ids.size(); ++i)
        same = popup->itemData(kItemFirstDisplay + i).toUInt() == ids.at(i);
    // Rebuilt only when the displays changed: assistive technologies would
    // otherwise see the items go and come every 2 seconds.
    if (!same) {
        popup->removeAllItems();
        for (const QString &title : titles)
            popup->addItemWithTitle(title);
        for (int i = 0; i < ids.size(); ++i)
            popup->setItemData(kItemFirstDisplay + i, ids.at(i));
    }
    // A pen display is mapped onto screens, never onto a portion: its item
    // stays in place, so that the display items keep their indexes.
    const bool hide = isPenDisplay();
    static_cast<QListView *>(popup->view())->setRowHidden(kItemPortion, hide);
    if (auto *model = qobject_cast<QStandardItemModel *>(popup->model())) {
        if (QStandardItem *item = model->item(kItemPortion))
            item->setEnabled(!hide);
    }
}

void MonitorViewCtrl::selectPopupItem(int index)
{
    m_ib.ibPopupBtn->setCurrentIndex(index);
}

void MonitorViewCtrl::monitorMapInit()
{
    // Only the page shown acts: the refresh may write, and a hidden page
    // writes nothing. The check brings it up to date once it is shown.
    if (!isViewLoaded() || !isDeviceShown())
        return;
    rebuildPopup();

    // A changed main display resets the portion; without a main display the
    // reset waits for a check that lists one.
    const std::optional<QRectF> reset
        = m_screenChanged && m_mainListed ? monitor::resetPortion(m_mainFrame) : std::nullopt;
    if (reset) {
        m_selectFrame = area::keepInside(*reset, m_totalFrame);
        writeFrame(m_selectFrame);
        m_screenChanged = false;
    } else {
        m_selectFrame = storedFrame();
    }

    const qint64 mode = qint64(unsignedCFG(OVCFGMonitor, OVCFGMonitorMap).value_or(kMapFull));
    const std::optional<quint64> stored = unsignedCFG(OVCFGMonitor, OVCFGMonitorNumber);
    const quint32 number = stored && *stored <= std::numeric_limits<quint32>::max() ? quint32(*stored) : 0;
    OVMonitorView *view = m_ib.ibMV;

    if (mode == kMapSingle) {
        const int item = itemOfNumber(number);
        if (item >= 0) {
            selectPopupItem(item);
            view->updateMapSingle(m_screens, m_totalFrame, number);
            updateTextField(view->frameByNumber(number), false);
        } else {
            // The display is gone: all displays, as if the user chose them.
            selectPopupItem(kItemFull);
            clickPopupBtn();
        }
        return;
    }
    if (mode == kMapPortion) {
        selectPopupItem(kItemPortion);
        // A portion outside the desktop (a display gone, a smaller main
        // display, an imported file) comes back to the origin, cut to the
        // desktop where it is larger, and is written once. Without a main
        // display the desktop has no origin yet: the portion waits.
        if (m_mainListed && !area::insideArea(m_selectFrame, m_totalFrame)) {
            m_selectFrame = area::keepInside(
                QRectF(QPointF(0, 0), m_selectFrame.size()), m_totalFrame);
            writeFrame(m_selectFrame);
        }
        view->updateMapPortion(m_screens, m_totalFrame, m_selectFrame);
        updateTextField(m_selectFrame, true);
        return;
    }
    selectPopupItem(kItemFull);
    view->updateMapFull(m_screens, m_totalFrame);
    updateTextField(m_totalFrame, false);
}

// The user's changes --------------------------------------------------------

void MonitorViewCtrl::clickPopupBtn()
{
    OVMonitorView *view = m_ib.ibMV;
    if (!isDeviceShown()) {
        // Not this page's turn: the pop-up shows the mapping again.
        const int item = view->monitorMap() == kMapSingle ? itemOfNumber(view->number())
                                                          : int(view->monitorMap());
        selectPopupItem(item < 0 ? kItemFull : item);
        return;
    }
    const int index = m_ib.ibPopupBtn->currentIndex();
    qint64 mode = kMapFull;
    if (index == kItemPortion) {
        view->updateMapPortion(m_screens, m_totalFrame, m_selectFrame);
        updateTextField(m_selectFrame, true);
        mode = kMapPortion;
    } else if (index >= kItemFirstDisplay) {
        const quint32 number = m_ib.ibPopupBtn->itemData(index).toUInt();
        view->updateMapSingle(m_screens, m_totalFrame, number);
        updateTextField(view->frameByNumber(number), false);
        updateCFG(OVCFGMonitor, OVCFGMonitorNumber, qint64(number));
        mode = kMapSingle;
    } else {
        view->updateMapFull(m_screens, m_totalFrame);
        updateTextField(m_totalFrame, false);
    }
    // The next check resets the portion to its default.
    m_screenChanged = true;
    updateCFG(OVCFGMonitor, OVCFGMonitorMap, mode);
    updateTabletMap();
}

void MonitorViewCtrl::controlTextDidEndEditing(QLineEdit *field)
{
    using area::Field;
    Field which = Field::X;
    if (field == m_ib.ibOYTF)
        which = Field::Y;
    else if (field == m_ib.ibWXTF)
        which = Field::Width;
    else if (field == m_ib.ibHYTF)
        which = Field::Height;
    else if (field != m_ib.ibOXTF)
        return;

    // Typed as the user's float; text that is no finite number puts the
    // field back as it was.
    bool ok = false;
    const float typed = QLocale::c().toFloat(field->text().trimmed(), &ok);
    const bool editable = m_ib.ibMV->monitorMap() == kMapPortion && m_mainListed;
    if (!ok || !std::isfinite(typed) || !editable || !isDeviceShown()) {
        field->setText(pointsText(area::fieldValue(which, m_selectFrame)));
        return;
    }
    const QRectF result = area::typedValue(which, double(typed), m_selectFrame, m_totalFrame, kMinimum);
    field->setText(pointsText(area::fieldValue(which, result)));
    if (sameRect(result, m_selectFrame))
        return;
    m_selectFrame = result;
    m_ib.ibMV->updatePortion(result);
    updateCFG(OVCFGMonitor, OVCFGMonitorFrame, stringFromRect(result));
    updateTabletMap();
}

void MonitorViewCtrl::portionFrameDidChanged(const QString &text)
{
    if (!isDeviceShown()) {
        m_ib.ibMV->updatePortion(m_selectFrame);
        return;
    }
    const std::optional<QRectF> frame = strictRectFromString(text);
    if (!frame || sameRect(*frame, m_selectFrame))
        return;
    m_selectFrame = *frame;
    updateTextField(m_selectFrame, true);
    updateCFG(OVCFGMonitor, OVCFGMonitorFrame, text);
    updateTabletMap();
}

void MonitorViewCtrl::updateTabletMap()
{
    if (updateCFG(OVCFGTablet, OVCFGTabletMap, qint64(0)))
        platform().local.post(OV_Monitor_Changed_Notification);
}

void MonitorViewCtrl::updateTextField(const QRectF &rect, bool enable)
{
    const std::pair<controls::OrvaneTextField *, double> fields[] = {
        { m_ib.ibOXTF, rect.x() },
        { m_ib.ibOYTF, rect.y() },
        { m_ib.ibWXTF, rect.width() },
        { m_ib.ibHYTF, rect.height() },
    };
    for (const auto &[field, value] : fields) {
        // The check refreshes every 2 seconds: a number being typed stays
        // until its editing ends.
        if (!(enable && field->hasFocus() && field->isModified()))
            field->setText(pointsText(value));
        field->setEnabled(enable);
    }
}

} // namespace settings
