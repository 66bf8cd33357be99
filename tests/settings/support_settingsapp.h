#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>

#include "platform/sim/simplatform.h"
#include "settings/appdelegate.h"
#include "store/ovmodels.h"
#include "store/ovpublicobject.h"

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

// The settings application with its devices on the simulated bus, through
// the real application delegate and main window, and the driver's copies of
// the devices' configurations beside it, which apply what the settings
// application sends. Every change notice is noted per device.
struct SettingsApp
{
    // `configure` sets the delegate's editors before it starts.
    SettingsApp(const QList<store::Model> &models, const std::function<void(settings::AppDelegate &)> &configure);
    virtual ~SettingsApp();

    // Runs both programs' loops for `seconds`.
    void settle(double seconds = 0);
    store::OVPublicObject *store(const QString &key) const { return delegate->storeForKey(key); }
    // The user picks a pop-up's entry.
    static void choose(controls::OrvanePopUpButton *popup, int index);
    // The driver reports that a device went.
    void disconnect(const QString &key);
    // Values put into a device's store as an imported file would: the
    // pages re-read.
    void import(const QString &key, const QString &category, const QVariantMap &values);

    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim;
    platform::sim::SimPlatform driver;
    std::map<QString, std::unique_ptr<store::OVPublicObject>> driverStores;
    std::unique_ptr<settings::AppDelegate> delegate;
    QStringList keys;
    QMap<QString, QList<Change>> changes;
};
