// The two fatal alerts of the driver's start-up.
#include "ovmanager.h"

#include "driver/driverlog.h"
#include "platform/alerts.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/setupguide.h"
#include "platform/strings.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"

namespace driver {

namespace {

// Text keys of the alerts (title and message).
const QString OVD_AT_DC = QStringLiteral("OVD_AT_DC");
const QString OVD_AM_DC = QStringLiteral("OVD_AM_DC");
const QString OVD_AT_AP = QStringLiteral("OVD_AT_AP");
const QString OVD_AM_AP = QStringLiteral("OVD_AM_AP");

} // namespace

void OVManager::alertDriverConflict()
{
    alertWithTitle(m_platform.strings.text(OVD_AT_DC), m_platform.strings.text(OVD_AM_DC), false);
}

void OVManager::alertAccessibilityPrivilege()
{
    alertWithTitle(m_platform.strings.text(OVD_AT_AP), m_platform.strings.text(OVD_AM_AP), true);
}

void OVManager::alertWithTitle(const QString &title, const QString &message, bool tutorial)
{
    // Only one fatal alert: the driver is on its way out after the first.
    if (m_cleanedUp)
        return;
    const QString guide = platform::setupGuidePath(m_platform.defaults.preferredLanguages());
    if (m_platform.alerts.answerable()) {
        const std::weak_ptr<bool> alive = m_alive;
        m_platform.alerts.run(title, message, { QStringLiteral("OK") });
        if (alive.expired())
            return;
        if (tutorial)
            m_platform.workspace.open(guide);
    } else {
        // Started outside a graphical session nobody could press OK, and the
        // driver would wait for ever: it says why where it was started and
        // ends as after the alert. The guide cannot be shown either: its path.
        qCWarning(lcDriver, "%s: %s", qPrintable(title), qPrintable(message));
        const QString where = tutorial ? QStringLiteral("; the setup guide is ") + guide : QString();
        qCWarning(
            lcDriver, "no graphical session can show this alert: the driver quits%s", qPrintable(where));
    }
    m_platform.distributed.post(store::OVCFGQuitDNotification);
    if (m_terminate)
        m_terminate(QStringLiteral("fatal alert"));
    else
        cleanup(); // no delegate to end the driver: at least stop everything
}

} // namespace driver
