// Device matching, binding by usage page and removal.
#include "ovmanager.h"

#include "driver/driverlog.h"
#include "driver/ovservice.h"
#include "platform/platform.h"
#include "store/ovmodels.h"

namespace driver {

namespace {

// Usage pages of the binding rules.
constexpr qint64 kPageGenericDesktop = 0x01;
constexpr qint64 kPageDigitizer = 0x0D;
constexpr qint64 kPageVendorFirst = 0xFF01; // pages below it are the system's
constexpr qint64 kPageM517Report = 0xFF07; // the M517 V1's report interface
constexpr qint64 kPageReport = 0xFF0A;
constexpr qint64 kPageCommand = 0xFF0B;
// The command interface; as the primary page, the device runs its boot program.
constexpr qint64 kPageBootCommand = 0xFF0C;

QString deviceKeyOf(const platform::HidDevice *device)
{
    return store::devKeyFrom(device->property(QLatin1String(platform::kHidVendorID)).toInt(),
        device->property(QLatin1String(platform::kHidProductID)).toInt());
}

qint64 primaryUsagePageOf(const platform::HidDevice *device)
{
    return device->property(QLatin1String(platform::kHidPrimaryUsagePage)).toLongLong();
}

// Null when the interface names no product.
QString productOf(const platform::HidDevice *device)
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

// The name for the plug and unplug lines; null when nothing names the device.
QString displayNameOf(const platform::HidDevice *device, const QString &key)
{
    const QString product = productOf(device);
    return product.isNull() ? OVManager::productForKey(key) : product;
}

} // namespace

std::unique_ptr<platform::HidManager> OVManager::createManager(
    quint32 options, const QList<platform::VendorProduct> &matching)
{
    std::unique_ptr<platform::HidManager> manager = m_platform.hid.createManager();
    manager->setDeviceMatchingMultiple(matching);
    const quint32 result = manager->open(options);
    switch (result) {
    case platform::hidresult::Success:
        // Callbacks before scheduling: devices already present are reported
        // as soon as the manager is scheduled.
        manager->registerDeviceMatchingCallback(
            [this](platform::HidDevice *d) { deviceMatchingCallback(d); });
        manager->registerDeviceRemovalCallback([this](platform::HidDevice *d) { deviceRemovalCallback(d); });
        manager->scheduleWithRunLoop();
        return manager;
    case platform::hidresult::NotPermitted:
        alertAccessibilityPrivilege();
        return nullptr;
    case platform::hidresult::ExclusiveAccess:
        // Another driver holds the devices.
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

void OVManager::closeManager(std::unique_ptr<platform::HidManager> &manager)
{
    if (!manager)
        return;
    manager->unscheduleFromRunLoop();
    const quint32 result = manager->close(0);
    if (result != platform::hidresult::Success)
        qCInfo(lcDriver, "manager close failed: %p", static_cast<void *>(manager.get()));
    // Dropped either way: a manager that could not be closed is of no further
    // use, and keeping it would only leak it.
    manager.reset();
}

void OVManager::deviceMatchingCallback(platform::HidDevice *device)
{
    if (!device || m_cleanedUp)
        return;
    const QString key = deviceKeyOf(device);
    if (m_curDevKey.isEmpty())
        m_curDevKey = key;

    // The first interface of a key makes its service, whatever its page; two
    // devices of the same model share the key and so the service.
    OVService *service = this->service(key);
    if (!service) {
        auto created = std::make_unique<OVService>(m_platform, *this, key);
        created->setPName(productOf(device));
        created->setBPath(m_ovBins.value(key));
        created->setBDigest(m_ovBinDigests.value(key));
        service = created.get();
        m_ovServices.emplace(key, std::move(created));
    }

    const qint64 page = primaryUsagePageOf(device);
    const QVariant pairs = device->property(QLatin1String(platform::kHidDeviceUsagePairs));
    qCInfo(lcDriver, "UsagePairs:%s", qUtf8Printable(describePairs(pairs)));

    if (page == kPageDigitizer)
        return;
    if (page == kPageGenericDesktop) {
        if (store::factsFor(key).reportUsagePage == kPageGenericDesktop)
            bindReportInterface(*service, key, device);
        return;
    }
    if (page < kPageVendorFirst)
        return;
    if (page == kPageM517Report && store::factsFor(key).reportUsagePage == kPageM517Report) {
        bindReportInterface(*service, key, device);
        return;
    }
    const QVariantList pairList = pairs.typeId() == QMetaType::QVariantList ? pairs.toList() : QVariantList();
    if (!pairList.isEmpty()) {
        // One interface may carry several collections and so fill several slots.
        for (const QVariant &pair : pairList) {
            if (m_cleanedUp)
                return; // a binding ended the driver
            const qint64 pairPage
                = pair.toMap().value(QLatin1String(platform::kHidDeviceUsagePage)).toLongLong();
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
    responseDevice({ key }, true);
    const QString name = displayNameOf(device, key);
    if (name.isNull())
        qCInfo(lcDriver, "plug in: 未获取到产品名称");
    else
        qCInfo(lcDriver, "plug in: %s", qUtf8Printable(name));
}

void OVManager::deviceRemovalCallback(platform::HidDevice *device)
{
    if (!device || m_cleanedUp)
        return;
    const QString key = deviceKeyOf(device);
    auto it = m_ovServices.find(key);
    if (it == m_ovServices.end())
        return;
    OVService *service = it->second.get();
    if (service->deviceRefForPup(primaryUsagePageOf(device)) != device) {
        // Not the interface the service holds for that page: the service
        // stays, but forgets the interface so that it never touches it again.
        service->interfaceRemoved(device);
        return;
    }
    const QString name = displayNameOf(device, key);
    if (name.isNull())
        qCInfo(lcDriver, "unplug: 未获取到产品名称");
    else
        qCInfo(lcDriver, "unplug: %s", qUtf8Printable(name));
    responseDevice({ key }, false);
    // Kept so that an update goes on when the device comes back in its boot
    // program under the same key.
    const QString path = service->bPath();
    if (path.isEmpty()) {
        m_ovBins.remove(key);
        m_ovBinDigests.remove(key);
    } else {
        m_ovBins.insert(key, path);
        m_ovBinDigests.insert(key, service->bDigest());
    }
    // Cleaned up (its pending save written) before it leaves the table, so a
    // store for the same key that a later connect loads reads the newest file.
    service->cleanup();
    m_ovServices.erase(it);
    device->close();
}

QString OVManager::productForKey(const QString &devKey)
{
    const char *name = store::factsFor(devKey).logName;
    return name ? QString::fromUtf8(name) : QString();
}

} // namespace driver
