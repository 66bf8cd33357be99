#include "ovmanager.h"

#include <QLocale>

#include "driver/driverlog.h"
#include "driver/ovservice.h"
#include "platform/alerts.h"
#include "platform/modifiertap.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/strings.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

namespace driver {

namespace {

OVManager *g_sharedManager = nullptr;

constexpr char kGuideCN[] = "/Applications/OrvaneTablet/OrvaneTabletSetting.app/Contents/Resources/MacOS_Setup_CN.pdf";
constexpr char kGuideEn[] = "/Applications/OrvaneTablet/OrvaneTabletSetting.app/Contents/Resources/MacOS_Setup_En.pdf";

// Usage pages of the binding rules.
constexpr qint64 kPageGenericDesktop = 0x01;
constexpr qint64 kPageDigitizer = 0x0D;
constexpr qint64 kPageVendorFirst = 0xFF01;
constexpr qint64 kPageM517Report = 0xFF07;
constexpr qint64 kPageReport = 0xFF0A;
constexpr qint64 kPageCommand = 0xFF0B;
constexpr qint64 kPageBootCommand = 0xFF0C;

// Flags of the four tracked modifiers: Shift, Control, Option, Command.
constexpr quint64 kTrackedModifierMask = 0x1E0000;

QList<platform::VendorProduct> matchingList(std::span<const store::Model> models)
{
    QList<platform::VendorProduct> list;
    for (store::Model model : models) {
        const store::ModelRow &row = store::rowFor(model);
        list.append(platform::VendorProduct{row.vendorId, row.productId});
    }
    return list;
}

QString deviceKeyOf(platform::HidDevice *device)
{
    return store::devKeyFrom(device->property(QLatin1String(platform::kHidVendorID)).toInt(),
                             device->property(QLatin1String(platform::kHidProductID)).toInt());
}

QString productOf(platform::HidDevice *device)
{
    const QVariant product = device->property(QLatin1String(platform::kHidProduct));
    return product.typeId() == QMetaType::QString ? product.toString() : QString();
}

// The pairs as one log line, in the platform's description style.
QString describePairs(const QVariant &pairs)
{
    if (!pairs.isValid())
        return QStringLiteral("(null)");
    QStringList items;
    for (const QVariant &pair : pairs.toList()) {
        const QVariantMap map = pair.toMap();
        items << QStringLiteral("{DeviceUsage = %1; DeviceUsagePage = %2;}")
                     .arg(map.value(QLatin1String(platform::kHidDeviceUsage)).toLongLong())
                     .arg(map.value(QLatin1String(platform::kHidDeviceUsagePage)).toLongLong());
    }
    return QLatin1Char('(') + items.join(QStringLiteral(", ")) + QLatin1Char(')');
}

bool isReportInterfaceOnGenericDesktop(const QString &key)
{
    return store::isModel(key, store::Model::Sorvi10) || store::isModel(key, store::Model::Sorvi1316)
        || store::isModel(key, store::Model::Sorvi22);
}

// Linux language tags name a region ("zh-CN", "zh_TW"), so the guide goes by
// the script that the tag stands for.
bool prefersChinese(const QStringList &languages)
{
    if (languages.isEmpty())
        return false;
    const QString tag = languages.first();
    if (tag.contains(QLatin1String("zh-Hans")) || tag.contains(QLatin1String("zh-Hant")))
        return true;
    const QLocale locale(tag);
    return locale.language() == QLocale::Chinese
        && (locale.script() == QLocale::SimplifiedHanScript || locale.script() == QLocale::TraditionalHanScript);
}

} // namespace

OVManager &OVManager::shareManager(platform::Platform &platform, Terminate terminate)
{
    if (!g_sharedManager)
        g_sharedManager = new OVManager(platform, std::move(terminate));
    return *g_sharedManager;
}

OVManager *OVManager::sharedManager()
{
    return g_sharedManager;
}

void OVManager::destroySharedManager()
{
    delete g_sharedManager;
    g_sharedManager = nullptr;
}

OVManager::OVManager(platform::Platform &platform, Terminate terminate)
    : m_platform(platform)
    , m_terminate(std::move(terminate))
{
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
    m_curDevKey.clear();
    m_hidManager482Ref = createManager(platform::kHidOptionsSeize, matchingList(store::kMainMatchingModels));
    if (m_cleanedUp)
        return; // a fatal alert ended the driver
    const store::Model m517[] = {store::Model::M517V1};
    m_hidManager517Ref = createManager(platform::kHidOptionsNone, matchingList(m517));
    if (m_cleanedUp)
        return;
    openEventService();
}

std::unique_ptr<platform::HidManager> OVManager::createManager(quint32 options,
                                                               const QList<platform::VendorProduct> &matching)
{
    std::unique_ptr<platform::HidManager> manager = m_platform.hid.createManager();
    manager->setDeviceMatchingMultiple(matching);
    const quint32 result = manager->open(options);
    switch (result) {
    case platform::hidresult::Success:
        manager->registerDeviceMatchingCallback([this](platform::HidDevice *d) { deviceMatchingCallback(d); });
        manager->registerDeviceRemovalCallback([this](platform::HidDevice *d) { deviceRemovalCallback(d); });
        manager->scheduleWithRunLoop();
        return manager;
    case platform::hidresult::NotPermitted:
        alertAccessibilityPrivilege();
        return nullptr;
    case platform::hidresult::ExclusiveAccess:
        alertDriverConflict();
        return nullptr;
    case platform::hidresult::NotPrivileged:
        qCInfo(lcDriver, "manager open failed: privilege violation");
        return nullptr;
    default:
        qCInfo(lcDriver, "manager open failed: %u", result);
        return nullptr;
    }
}

void OVManager::openEventService()
{
    m_eventTap = m_platform.modifierTap.create(
        [this](quint16 keyCode, quint64 flags) { modifierFlagsTapCallback(keyCode, flags); });
    if (!m_eventTap)
        alertAccessibilityPrivilege();
}

void OVManager::closeManager(std::unique_ptr<platform::HidManager> &manager)
{
    if (!manager)
        return;
    manager->unscheduleFromRunLoop();
    const quint32 result = manager->close(0);
    if (result != platform::hidresult::Success)
        qCInfo(lcDriver, "manager close failed: %p", static_cast<void *>(manager.get()));
    manager.reset();
}

void OVManager::modifierFlagsTapCallback(quint16 keyCode, quint64 flags)
{
    switch (keyCode) {
    case 54: case 55: case 56: case 58: case 59: case 60: case 61: case 62:
        break;
    default:
        return; // Caps Lock (57) and every other key
    }
    if (!(flags & kTrackedModifierMask)) {
        // The last modifier went up.
        m_keyCode_Shift = m_keyCode_Command = m_keyCode_Option = m_keyCode_Control = false;
        return;
    }
    switch (keyCode) {
    case 54: case 55: m_keyCode_Command = !m_keyCode_Command; break;
    case 56: case 60: m_keyCode_Shift = !m_keyCode_Shift; break;
    case 58: case 61: m_keyCode_Option = !m_keyCode_Option; break;
    case 59: case 62: m_keyCode_Control = !m_keyCode_Control; break;
    }
}

void OVManager::deviceMatchingCallback(platform::HidDevice *device)
{
    if (!device || m_cleanedUp)
        return;
    const QString key = deviceKeyOf(device);
    if (m_curDevKey.isEmpty())
        m_curDevKey = key;

    OVService *service = this->service(key);
    if (!service) {
        auto created = std::make_unique<OVService>(m_platform, *this, key);
        created->setPName(productOf(device));
        created->setBPath(m_ovBins.value(key));
        service = created.get();
        m_ovServices.emplace(key, std::move(created));
    }

    const qint64 page = device->property(QLatin1String(platform::kHidPrimaryUsagePage)).toLongLong();
    const QVariant pairs = device->property(QLatin1String(platform::kHidDeviceUsagePairs));
    qCInfo(lcDriver, "UsagePairs:%s", qUtf8Printable(describePairs(pairs)));

    if (page == kPageDigitizer)
        return;
    if (page == kPageGenericDesktop) {
        if (isReportInterfaceOnGenericDesktop(key))
            bindReportInterface(*service, key, device);
        return;
    }
    if (page < kPageVendorFirst)
        return;
    if (page == kPageM517Report && store::isModel(key, store::Model::M517V1)) {
        bindReportInterface(*service, key, device);
        return;
    }
    const QVariantList pairList = pairs.typeId() == QMetaType::QVariantList ? pairs.toList() : QVariantList();
    if (!pairList.isEmpty()) {
        for (const QVariant &pair : pairList) {
            // The service may be gone if a binding ended the driver.
            if (!this->service(key))
                return;
            const qint64 pairPage = pair.toMap().value(QLatin1String(platform::kHidDeviceUsagePage)).toLongLong();
            if (pairPage == kPageReport)
                bindReportInterface(*service, key, device);
            else if (pairPage == kPageCommand)
                service->setDeviceRef_0B(device);
            else if (pairPage == kPageBootCommand)
                service->setDeviceRef_0C(device, page == kPageBootCommand);
        }
        return;
    }
    if (page == kPageBootCommand)
        service->setDeviceRef_0C(device, true);
    else if (page == kPageCommand)
        service->setDeviceRef_0B(device);
    else if (page == kPageReport)
        bindReportInterface(*service, key, device);
}

void OVManager::bindReportInterface(OVService &service, const QString &key, platform::HidDevice *device)
{
    service.setDeviceRef_0A(device);
    notifyPlugIn(key, device);
}

void OVManager::notifyPlugIn(const QString &key, platform::HidDevice *device)
{
    responseDevice({key}, true);
    QString name = productOf(device);
    if (name.isNull())
        name = productForKey(key);
    if (name.isNull())
        qCInfo(lcDriver, "plug in: 未获取到产品名称");
    else
        qCInfo(lcDriver, "plug in: %s", qUtf8Printable(name));
}

void OVManager::deviceRemovalCallback(platform::HidDevice *device)
{
    if (!device)
        return;
    const QString key = deviceKeyOf(device);
    auto it = m_ovServices.find(key);
    if (it == m_ovServices.end())
        return;
    OVService *service = it->second.get();
    const qint64 page = device->property(QLatin1String(platform::kHidPrimaryUsagePage)).toLongLong();
    if (service->deviceRefForPup(page) != device) {
        // Not the interface the service holds for that page: the service stays,
        // but forgets the interface so that it never touches it again.
        service->interfaceRemoved(device);
        return;
    }
    QString name = productOf(device);
    if (name.isNull())
        name = productForKey(key);
    if (name.isNull())
        qCInfo(lcDriver, "unplug: 未获取到产品名称");
    else
        qCInfo(lcDriver, "unplug: %s", qUtf8Printable(name));
    responseDevice({key}, false);
    const QString path = service->bPath();
    if (path.isEmpty())
        m_ovBins.remove(key);
    else
        m_ovBins.insert(key, path);
    std::unique_ptr<OVService> gone = std::move(it->second);
    m_ovServices.erase(it);
    gone->cleanup();
    gone.reset();
    device->close();
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
    const QString key = notification.userInfo.lastKey();
    const QVariant name = notification.userInfo.value(key);
    if (name.typeId() != QMetaType::QString) {
        qCWarning(lcDriver, "%s: cannot open diagnostics: the product name is not a text", qUtf8Printable(key));
        return;
    }
    if (OVService *target = service(key))
        target->showD(name.toString());
}

void OVManager::getCurDevKeyFromNoti(const platform::Notification &notification)
{
    m_curDevKey = notification.object;
}

OVService *OVManager::getCurService() const
{
    return service(m_curDevKey);
}

QString OVManager::productForKey(const QString &devKey)
{
    const auto model = store::modelForKey(devKey);
    if (!model)
        return QString();
    switch (*model) {
    case store::Model::Sorvi10: return QStringLiteral("Sorvi 10");
    case store::Model::Sorvi22: return QStringLiteral("Sorvi 22");
    case store::Model::Sorvi1316: return QStringLiteral("Sorvi 16");
    case store::Model::Sorvi16Pro: return QStringLiteral("Sorvi 16Pro");
    case store::Model::Sorvi22Pro: return QStringLiteral("Sorvi 22Pro");
    default: return QString();
    }
}

void OVManager::alertDriverConflict()
{
    alertWithTitle(m_platform.strings.text(QStringLiteral("OVD_AT_DC")),
                   m_platform.strings.text(QStringLiteral("OVD_AM_DC")), false);
}

void OVManager::alertAccessibilityPrivilege()
{
    alertWithTitle(m_platform.strings.text(QStringLiteral("OVD_AT_AP")),
                   m_platform.strings.text(QStringLiteral("OVD_AM_AP")), true);
}

void OVManager::alertWithTitle(const QString &title, const QString &message, bool tutorial)
{
    if (m_cleanedUp)
        return;
    m_platform.alerts.run(title, message, {QStringLiteral("OK")});
    if (tutorial) {
        const bool chinese = prefersChinese(m_platform.defaults.preferredLanguages());
        m_platform.workspace.open(QString::fromUtf8(chinese ? kGuideCN : kGuideEn));
    }
    m_platform.distributed.post(store::OVCFGQuitDNotification);
    if (m_terminate)
        m_terminate(QStringLiteral("fatal alert"));
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
    auto services = std::move(m_ovServices);
    m_ovServices.clear();
    for (auto &[key, service] : services)
        service->cleanup();
    services.clear();
    m_ovBins.clear();
    closeManager(m_hidManager482Ref);
    closeManager(m_hidManager517Ref);
    if (m_eventTap) {
        m_platform.modifierTap.remove();
        m_eventTap = false;
    }
    m_platform.distributed.removeObserver(this);
}

OVService *OVManager::service(const QString &devKey) const
{
    auto it = m_ovServices.find(devKey);
    return it == m_ovServices.end() ? nullptr : it->second.get();
}

QStringList OVManager::serviceKeys() const
{
    QStringList keys;
    for (const auto &[key, service] : m_ovServices)
        keys << key;
    return keys;
}

} // namespace driver
