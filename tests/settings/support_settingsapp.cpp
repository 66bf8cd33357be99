#include "support_settingsapp.h"

#include <QTest>
#include <QWidget>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"

using platform::Notification;
using namespace store;

namespace {

// What the settings store logs once per device it loads.
const QString kBandLog = QStringLiteral("There is no mmap_num");

} // namespace

char *toString(const Change &change)
{
    return QTest::toString(change.key + QLatin1String(" = ")
        + (change.value
                ? change.value->toString() + QLatin1String(" (") + change.value->typeName() + QLatin1Char(')')
                : QStringLiteral("removed")));
}

SettingsApp::SettingsApp(const QList<Model> &models, const QList<platform::DisplayInfo> &displays,
    const std::function<void(settings::AppDelegate &)> &configure)
    : sim(bus, QLatin1String(platform::kSettingBundleId))
    , driver(bus, QLatin1String(platform::kDriverBundleId))
{
    for (const platform::DisplayInfo &display : displays) {
        sim.displays.setDisplay(display);
        driver.displays.setDisplay(display);
    }
    sim.workspace.setRunning(QLatin1String(platform::kSettingBundleId), 1);
    sim.workspace.setRunning(QLatin1String(platform::kDriverBundleId), 1);
    bus.setPostHook([this](const auto &, const Notification &n) {
        if (n.name == OVMCRequestDNotification) {
            requests.append(n.userInfo);
            return;
        }
        if (n.name != OVCFGDNotification)
            return;
        for (auto it = n.userInfo.cbegin(); it != n.userInfo.cend(); ++it) {
            const QVariantMap record = it->toMap();
            std::optional<QVariant> value;
            if (record.contains(QStringLiteral("v")))
                value = record.value(QStringLiteral("v"));
            changes[it.key()].append(Change { record.value(QStringLiteral("k")).toString(), value });
        }
    });
    delegate = std::make_unique<settings::AppDelegate>(sim.platform());
    if (configure)
        configure(*delegate);
    QVariantMap answer;
    for (Model model : models) {
        const QString key = devKeyFor(model);
        keys.append(key);
        answer.insert(key, true);
        QTest::ignoreMessage(QtInfoMsg, qUtf8Printable(kBandLog));
        driverStores[key] = std::make_unique<OVPublicObject>(driver.platform(), key, StoreVariant::Driver);
        driverStores[key]->loadConfiguration(QString(), false);
    }
    delegate->applicationDidFinishLaunching();
    sim.runLoop.drain();
    for (int i = 0; i < models.size(); ++i)
        QTest::ignoreMessage(QtInfoMsg, qUtf8Printable(kBandLog));
    bus.inject(Notification { QString(OVCFGResponseDNotification), QString(), answer });
    // The first-device sequence shows the pen page at 1.2 s; its curve
    // editor and the live pressure are its own a second after.
    settle(3);
    changes.clear();
    requests.clear();
}

SettingsApp::~SettingsApp()
{
    // The application's end posts (a calibration run still waiting cancels
    // it): the records it lands in are still there.
    delegate.reset();
}

void SettingsApp::settle(double seconds)
{
    sim.runLoop.advance(seconds);
    driver.runLoop.advance(seconds);
    sim.runLoop.drain();
}

void SettingsApp::selectTab(int tab)
{
    delegate->mainWindow().ibTabView()->selectTabViewItemAtIndex(tab);
    settle();
}

void SettingsApp::choose(controls::OrvanePopUpButton *popup, int index)
{
    popup->setCurrentIndex(index);
    emit popup->activated(index);
}

void SettingsApp::pick(const QString &key)
{
    controls::OrvanePopUpButton *popup = delegate->mainWindow().ibPopupBtn();
    popup->menuWillOpen();
    popup->selectItemWithTitle(QString::fromUtf8(rowFor(*modelForKey(key)).productName));
    popup->menuDidClose();
    settle(2);
}

void SettingsApp::disconnect(const QString &key)
{
    delegate->responseFromServer(
        Notification { QString(OVCFGResponseDNotification), QString(), { { key, false } } });
    sim.runLoop.drain();
}

void SettingsApp::import(const QString &key, const QString &category, const QVariantMap &values)
{
    QVariantMap configuration = store(key)->configurationList().value_or(QVariantMap());
    QVariantMap part = configuration.value(category).toMap();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        part.insert(it.key(), it.value());
    configuration.insert(category, part);
    store(key)->setConfigurationList(configuration);
    sim.local.post(OVCFGNotification);
    settle();
}

QVariant SettingsApp::driverValue(const QString &key, const QString &category, const QString &name) const
{
    return driverStores.at(key)->queryConfiguration(category, name);
}
