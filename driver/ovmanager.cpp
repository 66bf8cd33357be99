#include "ovmanager.h"

#include "driver/ovhudalert.h"
#include "driver/driverlog.h"
#include "driver/ovservice.h"
#include "firmware/ovdiawinctrl.h"
#include "platform/modifiertap.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

namespace driver {

namespace {

// The driver process's one manager. A test program makes and ends several in
// sequence through shareManager() and destroySharedManager().
std::unique_ptr<OVManager> g_sharedManager;

QList<platform::VendorProduct> matchingList(std::span<const store::Model> models)
{
    QList<platform::VendorProduct> list;
    for (store::Model model : models) {
        const store::ModelRow &row = store::rowFor(model);
        list.append(platform::VendorProduct { row.vendorId, row.productId });
    }
    return list;
}

// Mac key codes of the flags-changed events the tap follows.
constexpr quint16 kKeyRightCommand = 54;
constexpr quint16 kKeyCommand = 55;
constexpr quint16 kKeyShift = 56;
constexpr quint16 kKeyOption = 58;
constexpr quint16 kKeyControl = 59;
constexpr quint16 kKeyRightShift = 60;
constexpr quint16 kKeyRightOption = 61;
constexpr quint16 kKeyRightControl = 62;

// Shift, Control, Option and Command flags together.
constexpr quint64 kTrackedModifierMask = 0x1E0000;

} // namespace

OVManager &OVManager::shareManager(platform::Platform &platform, Terminate terminate)
{
    if (!g_sharedManager)
        g_sharedManager.reset(new OVManager(platform, std::move(terminate)));
    return *g_sharedManager;
}

OVManager *OVManager::sharedManager()
{
    return g_sharedManager.get();
}

void OVManager::destroySharedManager()
{
    // Out of the slot first: nothing that runs during the cleanup finds a
    // half-destroyed manager through sharedManager().
    std::unique_ptr<OVManager> gone = std::move(g_sharedManager);
    gone.reset();
}

OVManager::OVManager(platform::Platform &platform, Terminate terminate)
    : m_platform(platform)
    , m_terminate(std::move(terminate))
    , m_windowObservers(std::make_unique<WindowObservers>())
{
    // Everything the first notice needs is ready before the first report.
    OVHUDAlert::loadWhatNoticesNeed(m_platform);
    notice().prepareWindow();
    auto &bus = m_platform.distributed;
    bus.observe(store::OVCFGRequestDNotification, this,
        [this](const platform::Notification &n) { requestFromClient(n); });
    bus.observe(store::OVCFGDiaSDNotification, this, [this](const platform::Notification &n) { diaS(n); });
    bus.observe(store::OV_GetCurDevKey_Noti, this,
        [this](const platform::Notification &n) { getCurDevKeyFromNoti(n); });
    m_platform.runLoop.after(0, this, [this] { iokInit(); });
}

OVManager::~OVManager()
{
    cleanup();
}

void OVManager::iokInit()
{
    if (m_cleanedUp)
        return;
    m_curDevKey.clear();
    m_hidManager482Ref = createManager(platform::kHidOptionsSeize, matchingList(store::kMainMatchingModels));
    // A fatal alert has ended the driver: nothing more is opened.
    if (m_cleanedUp)
        return;
    m_hidManager517Ref
        = createManager(platform::kHidOptionsNone, matchingList(store::kUnseizedMatchingModels));
    if (m_cleanedUp)
        return;
    openEventService();
}

void OVManager::openEventService()
{
    m_eventTap = m_platform.modifierTap.create(
        [this](quint16 keyCode, quint64 flags) { modifierFlagsTapCallback(keyCode, flags); });
    if (!m_eventTap)
        alertAccessibilityPrivilege();
}

// Each property toggles at every change of its key while some modifier stays
// down, so it follows the key's presses and releases; the release of the last
// modifier clears all four.
void OVManager::modifierFlagsTapCallback(quint16 keyCode, quint64 flags)
{
    bool *property = nullptr;
    switch (keyCode) {
    case kKeyRightCommand:
    case kKeyCommand:
        property = &m_keyCode_Command;
        break;
    case kKeyShift:
    case kKeyRightShift:
        property = &m_keyCode_Shift;
        break;
    case kKeyOption:
    case kKeyRightOption:
        property = &m_keyCode_Option;
        break;
    case kKeyControl:
    case kKeyRightControl:
        property = &m_keyCode_Control;
        break;
    default:
        return; // Caps Lock (57) and every other key
    }
    if (flags & kTrackedModifierMask) {
        *property = !*property;
        return;
    }
    m_keyCode_Shift = m_keyCode_Command = m_keyCode_Option = m_keyCode_Control = false;
}

void OVManager::requestFromClient(const platform::Notification &)
{
    responseDevice(serviceKeys(), true);
}

void OVManager::responseDevice(const QStringList &keys, bool connect)
{
    QVariantMap info;
    for (const QString &key : keys)
        info.insert(key, connect);
    m_platform.distributed.post(store::OVCFGResponseDNotification, QString(), info);
}

void OVManager::diaS(const platform::Notification &notification)
{
    if (notification.userInfo.isEmpty())
        return;
    // The request carries one key; with several, the last one counts.
    const QString key = notification.userInfo.lastKey();
    OVService *target = service(key);
    if (!target)
        return;
    const QVariant name = notification.userInfo.value(key);
    if (name.typeId() != QMetaType::QString) {
        qCWarning(
            lcDriver, "%s: cannot open diagnostics: the product name is not a text", qUtf8Printable(key));
        return;
    }
    target->showD(name.toString());
}

void OVManager::terminateDriver(const QString &reason)
{
    if (m_terminate)
        m_terminate(reason);
}

bool OVManager::pressControl(const QString &window, const QString &control)
{
    if (window != firmware::OVDIAWinCtrl::windowName())
        return false;
    std::vector<firmware::OVDIAWinCtrl *> open;
    if (OVService *current = service(m_curDevKey); current && current->diaWinCtrl())
        open.push_back(current->diaWinCtrl());
    for (const auto &[key, service] : m_ovServices) {
        if (service->diaWinCtrl())
            open.push_back(service->diaWinCtrl());
    }
    return !open.empty() && open.front()->press(control);
}

void OVManager::getCurDevKeyFromNoti(const platform::Notification &notification)
{
    m_curDevKey = notification.object;
}

OVService *OVManager::getCurService() const
{
    return service(m_curDevKey);
}

void OVManager::setEventService(bool flag)
{
    qCInfo(lcDriver, "setEventService flag: %d", int(flag));
}

void OVManager::cleanup()
{
    if (m_cleanedUp)
        return;
    m_cleanedUp = true;
    m_platform.runLoop.cancelAll(this);
    // Out of the table first, so that nothing a cleanup sets off finds a
    // service on its way out.
    ServiceTable services = std::move(m_ovServices);
    m_ovServices.clear();
    for (auto &[key, service] : services)
        service->cleanup();
    services.clear();
    m_ovBins.clear();
    m_ovBinDigests.clear();
    closeManager(m_hidManager482Ref);
    closeManager(m_hidManager517Ref);
    if (m_eventTap) {
        m_platform.modifierTap.remove();
        m_eventTap = false;
    }
    m_platform.distributed.removeObserver(this);
    // The notice goes with the manager it asks for the current device.
    if (m_notice)
        m_notice->dismiss();
    m_notice.reset();
}

OVHUDAlert &OVManager::notice()
{
    if (!m_notice)
        m_notice = std::make_unique<OVHUDAlert>(m_platform, *this);
    return *m_notice;
}

void OVManager::setWindowObservers(const WindowObservers &observers)
{
    *m_windowObservers = observers;
}

OVService *OVManager::service(const QString &devKey) const
{
    auto it = m_ovServices.find(devKey);
    return it == m_ovServices.end() ? nullptr : it->second.get();
}

QStringList OVManager::serviceKeys() const
{
    QStringList keys;
    for (const auto &entry : m_ovServices)
        keys << entry.first;
    return keys;
}

} // namespace driver
