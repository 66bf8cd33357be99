// The About pane: its texts by key, the rights year from the clock, the
// diagnostics request to the driver and the web site, its buttons for
// assistive technologies, and a render.

#include <QAccessible>
#include <QDir>
#include <QTest>

#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "settings/aboutviewctrl.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using settings::AboutViewCtrl;

class TestAboutViewCtrl : public QObject
{
    Q_OBJECT
private slots:
    void texts();
    void diagnose_data();
    void diagnose();
    void webSiteAndRender();
};

void TestAboutViewCtrl::texts()
{
    SimBus bus;
    SimPlatform sim(bus, QLatin1String(platform::kSettingBundleId));
    // Half a year on, whatever the time zone.
    sim.runLoop.advance(181 * 86400.0);
    AboutViewCtrl about(sim.platform(), [] { return QString(); });
    about.view();
    sim.runLoop.drain();
    const QString version = about.view()->findChild<QLabel *>(QStringLiteral("ibVersionTF"))->text();
    QCOMPARE(version, QStringLiteral("Version %1 (%2)").arg(QStringLiteral(OV_SHORT_VERSION), QStringLiteral(OV_BUNDLE_VERSION)));
    QCOMPARE(about.view()->findChild<QLabel *>(QStringLiteral("ibRightTF"))->text(),
             QStringLiteral("Copyright © 2026 Orvane. All rights reserved."));
    QCOMPARE(about.diagnoseButton()->text(), QStringLiteral("Diagnostics"));
    sim.runLoop.advance(365 * 86400.0);
    QVERIFY(about.rightText().contains(QStringLiteral("2027")));
}

void TestAboutViewCtrl::diagnose_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("driversRunning");
    QTest::addColumn<bool>("posted");
    const QString tevra = store::devKeyFor(store::Model::TevraM);
    QTest::newRow("driver running: only the request") << tevra << 1 << true;
    QTest::newRow("no driver: launch, then the request") << tevra << 0 << true;
    QTest::newRow("no current device: the launch only") << QString() << 0 << false;
}

void TestAboutViewCtrl::diagnose()
{
    QFETCH(QString, key);
    QFETCH(int, driversRunning);
    QFETCH(bool, posted);
    SimBus bus;
    SimPlatform settingsSide(bus, QLatin1String(platform::kSettingBundleId));
    SimPlatform driverSide(bus, QLatin1String(platform::kDriverBundleId));
    settingsSide.workspace.setRunning(QLatin1String(platform::kDriverBundleId), driversRunning);
    QList<Notification> received;
    driverSide.distributed.observe(store::OVCFGDiaSDNotification, this,
                                   [&](const Notification &n) { received << n; });
    AboutViewCtrl about(settingsSide.platform(), [key] { return key; });
    about.view();
    settingsSide.runLoop.drain();
    // The button, as a screen reader presses it.
    QAccessibleInterface *button = QAccessible::queryAccessibleInterface(about.diagnoseButton());
    QVERIFY(button);
    QCOMPARE(button->role(), QAccessible::Button);
    QCOMPARE(button->text(QAccessible::Name), QStringLiteral("Diagnostics"));
    about.clickDiagnose();
    settingsSide.runLoop.drain();
    driverSide.runLoop.drain();
    QCOMPARE(settingsSide.workspace.launched(),
             driversRunning ? QStringList() : QStringList{QLatin1String(platform::kDriverInstallPath)});
    QCOMPARE(received.size(), posted ? 1 : 0);
    if (posted) {
        QCOMPARE(received.first().userInfo, (QVariantMap{{key, QStringLiteral("Tevra M")}}));
        QVERIFY(received.first().object.isNull());
    }
    driverSide.distributed.removeObserver(this);
}

void TestAboutViewCtrl::webSiteAndRender()
{
    SimBus bus;
    SimPlatform sim(bus, QLatin1String(platform::kSettingBundleId));
    AboutViewCtrl about(sim.platform(), [] { return QString(); });
    QWidget *view = about.view();
    view->resize(700, 420);
    sim.runLoop.drain();
    about.webButton()->click();
    QCOMPARE(sim.workspace.opened(), QStringList{AboutViewCtrl::webSite()});
    QDir dir(qEnvironmentVariable("OV_BUILD_DIR", QDir::currentPath()));
    dir.mkpath(QStringLiteral("renders"));
    QVERIFY(view->grab().save(dir.filePath(QStringLiteral("renders/about.png"))));
    // Hidden for the models without diagnostics.
    about.setDiagnoseEnable(false);
    QVERIFY(about.diagnoseButton()->isHidden());
    QVERIFY(view->grab().save(dir.filePath(QStringLiteral("renders/about-no-diagnostics.png"))));
}

QTEST_MAIN(TestAboutViewCtrl)
#include "tst_aboutviewctrl.moc"
