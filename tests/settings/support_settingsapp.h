#pragma once

// The settings application on the simulated platform, through the real
// application delegate and main window, with its devices announced on the
// simulated bus and the driver's copies of their configurations beside it:
// what the pages' tests drive.

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QList>
#include <QMap>
#include <QStringList>
#include <QVariant>

#include "platform/displays.h"
#include "platform/sim/simplatform.h"
#include "settings/appdelegate.h"
#include "store/ovmodels.h"
#include "store/ovpublicobject.h"
#include "support_widgets.h"

class QWidget;

namespace controls {
class OrvanePopUpButton;
}

// One change notice of the settings store: key, and the value ("v") when
// there is one.
struct Change
{
    QString key;
    std::optional<QVariant> value;
    friend bool operator==(const Change &, const Change &) = default;
};

char *toString(const Change &change);

struct SettingsApp
{
    // The displays are online before the application starts; `configure`
    // sets the delegate's editors before it starts.
    explicit SettingsApp(const QList<store::Model> &models, const QList<platform::DisplayInfo> &displays = {},
        const std::function<void(settings::AppDelegate &)> &configure = {});
    SettingsApp(const QList<store::Model> &models, const std::function<void(settings::AppDelegate &)> &configure)
        : SettingsApp(models, {}, configure)
    { }
    virtual ~SettingsApp();

    // Runs both programs' loops for `seconds`.
    void settle(double seconds = 0);

    settings::PageViewCtrl *page(int tab, const QString &key) const { return delegate->pageForKey(tab, key); }
    store::OVPublicObject *store(const QString &key) const { return delegate->storeForKey(key); }
    // The tab shown, as the user picks it.
    void selectTab(int tab);

    // The user picks a pop-up's entry.
    static void choose(controls::OrvanePopUpButton *popup, int index);
    // The user picks another device.
    void pick(const QString &key);
    // The driver reports that a device went.
    void disconnect(const QString &key);
    // Values put into a device's store as an imported file would: the
    // pages re-read.
    void import(const QString &key, const QString &category, const QVariantMap &values);
    void import(const QString &key, const QString &category, const QString &name, const QVariant &value)
    {
        import(key, category, QVariantMap { { name, value } });
    }
    QVariant driverValue(const QString &key, const QString &category, const QString &name) const;

    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim;
    platform::sim::SimPlatform driver;
    std::map<QString, std::unique_ptr<store::OVPublicObject>> driverStores;
    std::unique_ptr<settings::AppDelegate> delegate;
    QStringList keys;
    // The settings store's change notices, by device key, in order.
    QMap<QString, QList<Change>> changes;
    // The calibration requests the settings application posted, in order.
    QList<QVariantMap> requests;
};
