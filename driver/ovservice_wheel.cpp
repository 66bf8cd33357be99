// The wheel's centre button: a short press walks the wheel slots, a 3-second
// press opens the wheel-function panel.

#include "ovservice.h"

#include "driver/keyconfig.h"
#include "driver/ovwheelfuninfo.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

namespace driver {

namespace {

const QString OVRK_S = QStringLiteral("OVRK_S");

constexpr double kLongPressSeconds = 3.0;
// The walk goes round the six slots the settings application offers; the
// stored keys go up to ten.
constexpr qint64 kWalkSlots = 6;
constexpr qint64 kLastSlot = 10;

// The five slots after `current`, each past 6 brought round to the start;
// the current slot is never one of them. `current` is 0..10 (a stored slot
// outside 1..10 reads as 0), so every candidate is a slot of 1..9.
template <class Qualifies> std::optional<qint64> nextSlot(qint64 current, Qualifies qualifies)
{
    Q_ASSERT(current >= 0 && current <= kLastSlot);
    for (qint64 step = 1; step < kWalkSlots; ++step) {
        qint64 candidate = current + step;
        if (candidate > kWalkSlots)
            candidate -= kWalkSlots;
        if (qualifies(candidate))
            return candidate;
    }
    return std::nullopt;
}

QString slotCusKey(qint64 slot)
{
    return store::cusKey(store::OVCFGWheelKeyN(int(slot)));
}

} // namespace

void OVService::wheelCenterKey(bool press)
{
    if (m_cleanedUp)
        return;
    m_platform.runLoop.cancel(m_wkcTimer);
    m_wkcTimer = 0;
    if (press) {
        // A second press report while the button is held starts the wait over.
        m_wkcTimer = m_platform.runLoop.after(kLongPressSeconds, this, [this] { prepareRKCLong(); });
        m_wkcDown = true;
        return;
    }
    if (m_wkcDown)
        prepareRKC(m_platform.workspace.frontApplication());
    m_wkcDown = false;
}

void OVService::prepareRKCLong()
{
    m_wkcTimer = 0;
    // The release that follows a long press changes no slot.
    m_wkcDown = false;
    showWheelFun();
}

void OVService::showWheelFun()
{
    afterIfAlive(0, [this] {
        showTip(m_platform.strings.text(OVRK_S));
        if (m_wfiCtrl) {
            m_wfiCtrl->dismiss();
            m_wfiCtrl->setDelegate(nullptr);
            m_wfiCtrl.reset();
        }
        m_wfiCtrl = std::make_unique<OVWheelFunInfo>(m_platform, getDevkey(), m_manager);
        m_wfiCtrl->setDelegate(this);
        m_wfiCtrl->showWindow();
    });
}

std::optional<qint64> OVService::searchIndexForWheelKeyAct() const
{
    const KeyConfiguration configuration = keyConfiguration();
    // A current slot outside 1..10 (or of another kind) counts as none.
    const qint64 current
        = wheelSlot(configValue(configuration, store::OVCFGWheelKey, store::OVCFGWheelKeyCur)).value_or(0);
    return nextSlot(current, [&configuration](qint64 slot) {
        // Function 0 is the entry without an action.
        return actionIndex(configuration, store::OVCFGWheelKey, store::OVCFGWheelKeyN(int(slot))) != 0;
    });
}

std::optional<qint64> OVService::searchIndexForWheelKeyCusAct(const QVariantMap &set) const
{
    const qint64 current = wheelSlot(set.value(store::OVCFGRKAppCur)).value_or(0);
    return nextSlot(current,
        [&set](qint64 slot) { return set.value(slotCusKey(slot)).typeId() == QMetaType::QVariantMap; });
}

QString OVService::searchWheelKey() const
{
    const std::optional<int> current
        = wheelSlot(configValue(keyConfiguration(), store::OVCFGWheelKey, store::OVCFGWheelKeyCur));
    return current ? store::OVCFGWheelKeyN(*current) : QString();
}

QVariantMap OVService::searchWheelKeyCusForAct(const QVariantMap &set, qint64 index) const
{
    if (index < 1 || index > kLastSlot)
        return QVariantMap();
    const QVariant function = set.value(slotCusKey(index));
    return function.typeId() == QMetaType::QVariantMap ? function.toMap() : QVariantMap();
}

void OVService::prepareRKC(const platform::FrontApplication &front)
{
    m_platform.runLoop.cancel(m_wkcTimer);
    m_wkcTimer = 0;
    if (!m_configMan)
        return;

    const KeyConfiguration configuration = keyConfiguration();
    if (std::optional<ApplicationSet> set = applicationSet(configuration, true, front)) {
        // The application's own set: its current slot moves, the device-wide
        // one stays. Only the driver's copy learns of it. The set stays under
        // the key the settings application stored it by, which may differ
        // from every name of the window in case.
        const std::optional<qint64> next = searchIndexForWheelKeyCusAct(set->set);
        if (!next)
            return;
        set->set.insert(store::OVCFGRKAppCur, *next);
        QVariantMap sets = configValue(configuration, store::OVCFGRKApp, store::OVCFGRKAppOptions).toMap();
        sets.insert(set->key, set->set);
        m_configMan->updateConfiguration(store::OVCFGRKApp, store::OVCFGRKAppOptions, sets);
        showTip(searchWheelKeyCusForAct(set->set, *next).value(store::OVCFGRKeyCusAlias).toString());
        return;
    }

    const std::optional<qint64> next = searchIndexForWheelKeyAct();
    if (!next)
        return;
    m_configMan->updateConfiguration(store::OVCFGWheelKey, store::OVCFGWheelKeyCur, *next);
    showTip(QStringLiteral("R%1: %2").arg(*next).arg(searchValueForKey(searchWheelKey(), front, true)));
}

void OVService::wheelCleanup()
{
    m_platform.runLoop.cancel(m_wkcTimer);
    m_wkcTimer = 0;
    m_wkcDown = false;
    if (m_wfiCtrl) {
        m_wfiCtrl->dismiss();
        m_wfiCtrl->setDelegate(nullptr);
        m_wfiCtrl.reset();
    }
}

} // namespace driver
