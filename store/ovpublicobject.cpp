#include "ovpublicobject.h"

#include <array>
#include <limits>

#include "platform/alerts.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/plist.h"
#include "platform/runloop.h"
#include "platform/strings.h"
#include "store/configschema.h"
#include "store/ovdefaults.h"
#include "store/ovpublicdefine.h"
#include "store/storelog.h"

namespace {
// Message key of the import error's text.
constexpr QLatin1String OVS_AT_IC("OVS_AT_IC");
} // namespace

namespace store {

namespace {

// The pen settings the driver's device service reloads when they change.
// Key actions are left out on purpose: their readers read them at every key
// event, so a change needs no notice.
constexpr std::array<QLatin1String, 7> kAnnouncedPenKeys = { OVCFGDegree, OVCFGPressure, OVCFGTips,
    OVCFGKeyFun, OVCFGBezier, OVCFGCoordinateMode, OVCFGTrackingSpeed };

bool isAnnounced(const QString &category, const QString &key)
{
    if (category == OVCFGMonitor || category == OVCFGTablet)
        return true;
    if (category != OVCFGPenKey)
        return false;
    for (const QLatin1String announced : kAnnouncedPenKeys) {
        if (key == announced)
            return true;
    }
    return false;
}

// The twelve settings a load or an import hands to the device service, in
// the order it reloads them.
QVariantList reloadedKeys()
{
    QVariantList keys;
    for (const QLatin1String key : kAnnouncedPenKeys)
        keys.append(QString(key));
    for (const QLatin1String key :
        { OVCFGMonitorMap, OVCFGMonitorFrame, OVCFGMonitorNumber, OVCFGTabletMap, OVCFGTabletFrame })
        keys.append(QString(key));
    return keys;
}

// The value as a file gives it back, so the copy in memory equals the one a
// reload reads: floats widened to double, every integer type as qint64
// (quint64 above INT64_MAX), at every level.
QVariant storedForm(const QVariant &value)
{
    if (platform::plist::isIntegerType(value.typeId())) {
        if (!platform::plist::isUnsignedType(value.typeId()))
            return qint64(value.toLongLong());
        const quint64 number = value.toULongLong();
        return number > quint64(std::numeric_limits<qint64>::max()) ? QVariant(number)
                                                                    : QVariant(qint64(number));
    }
    switch (value.typeId()) {
    case QMetaType::Float:
        return double(value.toFloat());
    case QMetaType::QVariantMap: {
        QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it)
            *it = storedForm(*it);
        return map;
    }
    case QMetaType::QStringList:
    case QMetaType::QVariantList: {
        QVariantList list = value.toList();
        for (QVariant &item : list)
            item = storedForm(item);
        return list;
    }
    default:
        return value;
    }
}

bool isString(const QVariant &value)
{
    return value.typeId() == QMetaType::QString;
}

} // namespace

OVPublicObject::OVPublicObject(platform::Desktop &platform, const QString &devKey, StoreVariant variant)
    : m_platform(platform)
    , m_devKey(devKey)
    , m_variant(variant)
{
    m_errorPresenter = [alerts = &platform.alerts](const StoreError &error) {
        alerts->run(error.localizedDescription, QString(), { QStringLiteral("OK") });
    };
    // The settings application is the sender of every change; only the
    // driver's copy listens.
    if (m_variant == StoreVariant::Driver) {
        m_platform.distributed.observe(
            OVCFGDNotification, this, [this](const platform::Notification &n) { cfgFromClient(n); });
        m_platform.distributed.observe(
            OVCFGIDNotification, this, [this](const platform::Notification &n) { cfgFromImport(n); });
    }
}

OVPublicObject::~OVPublicObject()
{
    // A store dropped without cleanup() still keeps its last change.
    if (m_dwTimer != 0 && !m_devKey.isEmpty()) {
        m_platform.runLoop.cancel(m_dwTimer);
        delayedWriteToFile();
    }
    m_platform.distributed.removeObserver(this);
    m_platform.runLoop.cancelAll(this);
}

QVariant OVPublicObject::queryConfiguration(const QString &category, const QString &key) const
{
    if (category.isNull() || key.isNull()) {
        qCWarning(lcStore, "query: category or key is nil");
        return QVariant();
    }
    if (!m_configurationList)
        return QVariant();
    return m_configurationList->value(category).toMap().value(key);
}

void OVPublicObject::updateConfiguration(const QString &category, const QString &key, const QVariant &value)
{
    if (category.isNull() || key.isNull()) {
        qCWarning(lcStore, "update: category or key is nil");
        return;
    }
    auto refuse = [&](const QString &why) {
        qCWarning(lcStore).noquote() << m_devKey + QStringLiteral(": cannot update ") + category
                + QLatin1Char('/') + key + QStringLiteral(": ") + why;
    };
    // One value the writer cannot take would make every later save of the
    // whole configuration fail.
    if (value.isValid() && !platform::plist::isPlistValue(value)) {
        refuse(QStringLiteral("not a property-list value (") + QString::fromLatin1(value.typeName())
            + QLatin1Char(')'));
        return;
    }
    const QVariant stored = value.isValid() ? storedForm(value) : QVariant();
    // A value that breaks its key's schema would be saved and read back by
    // both programs as something it is not.
    if (stored.isValid()) {
        if (const std::optional<QString> why = schemaViolation(category, key, stored)) {
            refuse(*why);
            return;
        }
    }

    // A category the model lacks (the wheel on a model without one) stores
    // nothing; the save and the notice still follow. While the own file is
    // unreadable, the changes make a configuration of their own in memory.
    std::optional<QVariantMap> changed = m_configurationList;
    if (m_unreadableOwnFile && !changed.value_or(QVariantMap()).contains(category)
        && defaultConfiguration(m_devKey, false, QString()).contains(category)) {
        if (!changed)
            changed = QVariantMap();
        changed->insert(category, QVariantMap());
    }
    bool stores = false;
    if (changed) {
        auto it = changed->find(category);
        if (it != changed->end() && it->typeId() == QMetaType::QVariantMap) {
            QVariantMap dictionary = it->toMap();
            if (stored.isValid())
                dictionary.insert(key, stored);
            else
                dictionary.remove(key);
            *it = dictionary;
            stores = true;
        }
    }

    if (stores && !m_devKey.isEmpty() && !m_unreadableOwnFile) {
        // What would be written is what decides: a change the writer cannot
        // take, or one that makes the file larger than a load reads, is
        // refused as a whole, so the file on disk stays one the store reads.
        QString why;
        const std::optional<QByteArray> bytes = ownFileBytes(*changed, &why);
        if (!bytes) {
            refuse(why);
            return;
        }
        m_configurationList = changed;
        keepSnapshot(*bytes);
    } else {
        if (stores)
            m_configurationList = changed;
        saveConfiguration(QString(), false);
    }

    if (m_variant == StoreVariant::Settings) {
        QVariantMap record { { kCfgRecordCategory, category }, { kCfgRecordKey, key } };
        if (stored.isValid())
            record.insert(kCfgRecordValue, stored);
        cfgToServer(record);
        return;
    }
    if (isAnnounced(category, key))
        postChangeNotice(QVariantList { key });
}

void OVPublicObject::localNotice()
{
    if (m_devKey.isEmpty())
        return;
    if (m_variant == StoreVariant::Settings) {
        // The pages reload everything from their store.
        m_platform.local.post(OVCFGNotification);
        return;
    }
    postChangeNotice(reloadedKeys());
}

void OVPublicObject::postChangeNotice(const QVariantList &keys)
{
    // After cleanup() the key is gone; a notice without it would reach every
    // device service with a key none of them has.
    if (m_devKey.isEmpty())
        return;
    m_platform.local.post(OVCFGNotification, QString(), QVariantMap { { m_devKey, keys } });
}

void OVPublicObject::scheduleLocalNotice()
{
    // On the next turn, so that an observer registered in the same turn as
    // the load still receives it.
    std::weak_ptr<int> alive = m_alive;
    m_platform.runLoop.post([this, alive] {
        if (alive.lock())
            localNotice();
    });
}

void OVPublicObject::cleanup()
{
    if (m_dwTimer != 0) {
        m_platform.runLoop.cancel(m_dwTimer);
        delayedWriteToFile();
    }
    m_dwTimer = 0;
    m_devKey.clear();
    m_platform.distributed.removeObserver(this);
}

StoreError OVPublicObject::importError() const
{
    return StoreError { QString(OVErrorDomain), -1, m_platform.strings.text(OVS_AT_IC) };
}

void OVPublicObject::showImportError()
{
    // After the current event has been handled, as a modal alert.
    m_platform.runLoop.post([presenter = m_errorPresenter, error = importError()] {
        if (presenter)
            presenter(error);
    });
}

void OVPublicObject::cfgFromClient(const platform::Notification &notification)
{
    // The settings application sends one device key per notice.
    if (m_devKey.isEmpty() || notification.userInfo.isEmpty() || notification.userInfo.lastKey() != m_devKey)
        return;
    const QVariant recordValue = notification.userInfo.last();
    if (recordValue.typeId() != QMetaType::QVariantMap) {
        qCWarning(lcStore).noquote() << m_devKey
                + QStringLiteral(": cannot apply change: the record is not a dictionary");
        return;
    }
    const QVariantMap record = recordValue.toMap();
    const QVariant category = record.value(kCfgRecordCategory);
    const QVariant key = record.value(kCfgRecordKey);
    if (!isString(category) || !isString(key)) {
        qCWarning(lcStore).noquote() << m_devKey
                + QStringLiteral(": cannot apply change: the record has no string \"c\" and \"k\"");
        return;
    }
    // No "v": the setting was reset.
    updateConfiguration(category.toString(), key.toString(), record.value(kCfgRecordValue));
}

void OVPublicObject::cfgFromImport(const platform::Notification &notification)
{
    if (m_devKey.isEmpty() || notification.userInfo.isEmpty() || notification.userInfo.lastKey() != m_devKey)
        return;
    const QVariant path = notification.userInfo.last();
    if (!isString(path)) {
        qCWarning(lcStore).noquote() << m_devKey
                + QStringLiteral(": cannot import configuration: the path is not a string");
        return;
    }
    loadConfiguration(path.toString(), true);
}

void OVPublicObject::cfgToServer(const QVariantMap &record)
{
    if (m_devKey.isEmpty())
        return;
    m_platform.distributed.post(OVCFGDNotification, QString(), QVariantMap { { m_devKey, record } });
}

} // namespace store
