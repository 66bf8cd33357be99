#include "settings/devicepagectrl.h"

#include <algorithm>
#include <cmath>

#include <QAbstractButton>
#include <QLabel>
#include <QListView>
#include <QSignalBlocker>

#include "controls/orvanepopupbutton.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/strings.h"
#include "settings/modalruns.h"
#include "settings/pagedelegate.h"
#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"

namespace settings {

DevicePageCtrl::DevicePageCtrl(const QString &nibName, const PageContext &context, QObject *parent)
    : PageViewCtrl(nibName, parent)
    , m_platform(context.platform)
    , m_delegate(context.delegate)
    , m_devKey(context.devKey)
    , m_modalRuns(context.modalRuns)
{
    Q_ASSERT(m_platform && m_delegate);
}

DevicePageCtrl::~DevicePageCtrl()
{
    m_platform->runLoop.cancelAll(this);
    m_platform->local.removeObserver(this);
    m_platform->distributed.removeObserver(this);
}

QString DevicePageCtrl::text(const QString &key) const
{
    return m_platform->strings.text(key);
}

bool DevicePageCtrl::isDeviceShown() const
{
    return !m_disconnected && !m_devKey.isEmpty() && m_delegate->cursorKey() == m_devKey;
}

void DevicePageCtrl::deviceDidDisconnect()
{
    m_disconnected = true;
    m_platform->runLoop.cancelAll(this);
    m_platform->local.removeObserver(this);
    m_platform->distributed.removeObserver(this);
}

QVariant DevicePageCtrl::queryCFG(const QString &category, const QString &key) const
{
    if (m_disconnected)
        return QVariant();
    return m_delegate->queryConfiguration(m_devKey, category, key);
}

std::optional<quint64> DevicePageCtrl::unsignedCFG(const QString &category, const QString &key) const
{
    return store::unsignedValue(queryCFG(category, key));
}

std::optional<bool> DevicePageCtrl::truthCFG(const QString &category, const QString &key) const
{
    return store::truthValue(queryCFG(category, key));
}

std::optional<double> DevicePageCtrl::realCFG(
    const QString &category, const QString &key, double minValue, double maxValue) const
{
    const std::optional<double> value = store::realValue(queryCFG(category, key));
    if (!value || !(*value >= minValue && *value <= maxValue))
        return std::nullopt;
    return value;
}

std::optional<QVariantMap> DevicePageCtrl::dictionaryCFG(const QString &category, const QString &key) const
{
    return store::dictionaryValue(queryCFG(category, key));
}

bool DevicePageCtrl::updateCFG(const QString &category, const QString &key, const QVariant &value)
{
    if (!isDeviceShown())
        return false;
    m_delegate->updateConfiguration(m_devKey, category, key, value);
    return true;
}

void DevicePageCtrl::showDegree(const DegreeButtons &buttons, bool enabled)
{
    const quint64 degree = unsignedCFG(store::OVCFGPenKey, store::OVCFGDegree).value_or(0);
    for (size_t i = 0; i < buttons.size(); ++i) {
        const QSignalBlocker quiet(buttons[i]);
        buttons[i]->setChecked(degree == i);
        buttons[i]->setEnabled(enabled);
    }
}

void DevicePageCtrl::chooseDegree(const DegreeButtons &buttons, QAbstractButton *sender)
{
    const auto found = std::find(buttons.begin(), buttons.end(), sender);
    if (found == buttons.end())
        return;
    for (QAbstractButton *button : buttons) {
        const QSignalBlocker quiet(button);
        button->setChecked(button == sender);
    }
    if (updateCFG(store::OVCFGPenKey, store::OVCFGDegree, qint64(found - buttons.begin())))
        announceChange(store::OVCFGDegree);
}

void DevicePageCtrl::announceChange(const QString &key)
{
    if (!m_disconnected)
        m_platform->local.post(store::OVCFGNotification, QString(), { { m_devKey, QVariantList { key } } });
}

void DevicePageCtrl::after(double seconds, std::function<void()> fn)
{
    if (m_disconnected)
        return;
    m_platform->runLoop.after(seconds, this, [this, fn = std::move(fn)] {
        if (!m_disconnected)
            fn();
    });
}

void DevicePageCtrl::repeat(double seconds, std::function<void()> fn)
{
    if (m_disconnected)
        return;
    m_platform->runLoop.repeat(seconds, this, [this, fn = std::move(fn)] {
        if (!m_disconnected)
            fn();
    });
}

bool DevicePageCtrl::isModalRunActive() const
{
    return m_modalRuns && m_modalRuns->depth() > 0;
}

void DevicePageCtrl::observeLocal(
    const QString &name, std::function<void(const platform::Notification &)> handler)
{
    if (!m_disconnected)
        m_platform->local.observe(name, this, std::move(handler));
}

void DevicePageCtrl::observeDistributed(
    const QString &name, std::function<void(const platform::Notification &)> handler)
{
    if (!m_disconnected)
        m_platform->distributed.observe(name, this, std::move(handler));
}

void DevicePageCtrl::observeReloadAndHide(std::function<void()> reload, std::function<void()> hide)
{
    observeLocal(store::OVCFGNotification, [reload](const platform::Notification &) { reload(); });
    const auto onHide = [hide](const platform::Notification &) { hide(); };
    observeLocal(store::OVUI_DeviceDisconnect_Hide_Noti, onHide);
    observeDistributed(store::OVUI_DeviceDisconnect_Hide_Noti, onHide);
}

bool DevicePageCtrl::runModal(const std::function<void()> &run)
{
    {
        ModalRuns::Scope scope(m_modalRuns);
        run();
    }
    return !m_disconnected;
}

QLabel *DevicePageCtrl::labelFor(QWidget *control, const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setBuddy(control);
    control->setAccessibleName(text);
    return label;
}

void DevicePageCtrl::setCustomItem(
    controls::OrvanePopUpButton *popup, int row, const std::optional<QString> &title)
{
    auto *list = static_cast<QListView *>(popup->view());
    if (title)
        popup->setItemText(row, *title);
    list->setRowHidden(row, !title);
}

} // namespace settings
