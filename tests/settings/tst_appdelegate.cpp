#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "platform/plist.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "settings/appdelegate.h"
#include "settings/mainwindowctrl.h"
#include "settings/modalruns.h"
#include "settings/ovwindow.h"
#include "settings/pageviewctrl.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "support_alertcatcher.h"

using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using settings::AppDelegate;
using namespace store;

namespace {

const QString kDriverId = QStringLiteral("com.orvane.OrvaneTabletDriver");
const QString kSettingId = QStringLiteral("com.orvane.OrvaneTabletSetting");
const QString kDriverPath = QStringLiteral("/Applications/OrvaneTablet/Tools/OrvaneTabletDriver.app");

QString keyOf(Model model)
{
    return devKeyFor(model);
}

const QString kBandLog = QStringLiteral("There is no mmap_num");

void expectBandLogs(int count)
{
    for (int i = 0; i < count; ++i)
        QTest::ignoreMessage(QtInfoMsg, qUtf8Printable(kBandLog));
}

// The settings application on the simulated platform, with the driver's side
// of the bus played by the test: what the application posts is recorded,
// what the driver would post is injected.
struct Settings
{
    explicit Settings(bool driverRunning = true, int ownCopies = 1)
    {
        sim.workspace.setRunning(kSettingId, ownCopies);
        if (driverRunning)
            sim.workspace.setRunning(kDriverId, 1);
        bus.setPostHook([this](const auto &, const Notification &n) { posted.append(n); });
        delegate = std::make_unique<AppDelegate>(sim.platform());
    }
    void start()
    {
        delegate->applicationDidFinishLaunching();
        sim.runLoop.drain();
    }
    // Starts, then the driver's answer names these devices (new to this
    // application: each store creates the model's defaults).
    void startWith(const QStringList &keys)
    {
        start();
        QVariantMap answer;
        for (const QString &key : keys)
            answer.insert(key, true);
        expectBandLogs(int(keys.size()));
        announce(answer);
    }
    // The driver's device notice; delivered on the application's next turn.
    void announce(const QVariantMap &userInfo)
    {
        bus.inject(Notification { QString(OVCFGResponseDNotification), QString(), userInfo });
        sim.runLoop.drain();
    }
    QStringList postedNames() const
    {
        QStringList names;
        for (const Notification &n : posted)
            names.append(n.name);
        return names;
    }
    QStringList postedKeys() const
    {
        QStringList keys;
        for (const Notification &n : posted) {
            if (n.name == OV_GetCurDevKey_Noti)
                keys.append(n.object);
        }
        return keys;
    }
    QStringList items() const { return delegate->mainWindow().ibPopupBtn()->itemTitles(); }
    controls::OrvaneTabView *tabs() const { return delegate->mainWindow().ibTabView(); }
    QWidget *shown() const { return delegate->window()->contentView(); }
    bool noDeviceShown() const { return shown() && shown() == delegate->cttView(); }

    SimBus bus;
    SimPlatform sim { bus, kSettingId };
    QList<Notification> posted;
    std::unique_ptr<AppDelegate> delegate;
};

} // namespace

class TestAppDelegate : public QObject
{
    Q_OBJECT

private slots:
    void startUp_data();
    void startUp();
    void answerWithSeveralDevices();
    void firstDeviceSequence();
    void sequenceStopsWithLastDevice();
    void disconnect_data();
    void disconnect();
    void hideNoticeBeforeRemoval();
    void repeatedYesKeepsStore();
    void parkedDuringModalRun();
    void driverDisappears();
    void exportSettings_data();
    void exportSettings();
    void exportReplacesOnlyWhatThePanelAsked_data();
    void exportReplacesOnlyWhatThePanelAsked();
    void importSettings();
    void quitAndStop();
    void showFromDriver_data();
    void showFromDriver();
    void renderNoDeviceView();
    void commandsWithoutDevice_data();
    void commandsWithoutDevice();
};

void TestAppDelegate::startUp_data()
{
    QTest::addColumn<bool>("driverRunning");
    QTest::addColumn<int>("ownCopies");
    QTest::addColumn<QStringList>("posted");
    QTest::addColumn<QStringList>("launched");
    QTest::addColumn<bool>("quits");

    QTest::newRow("driver running: asks it") << true << 1 << QStringList { OVCFGRequestDNotification }
                                             << QStringList() << false;
    QTest::newRow("no driver: launches it") << false << 1 << QStringList() << QStringList { kDriverPath }
                                            << false;
    QTest::newRow("second copy: ends before anything") << true << 2 << QStringList() << QStringList() << true;
}

void TestAppDelegate::startUp()
{
    QFETCH(bool, driverRunning);
    QFETCH(int, ownCopies);
    QFETCH(QStringList, posted);
    QFETCH(QStringList, launched);
    QFETCH(bool, quits);

    Settings app(driverRunning, ownCopies);
    app.delegate->applicationDidFinishLaunching();
    // Nothing happens in the launch turn itself.
    QVERIFY(app.posted.isEmpty());
    QVERIFY(!app.delegate->cttView());
    app.sim.runLoop.drain();

    QCOMPARE(app.postedNames(), posted);
    QCOMPARE(app.sim.workspace.launched(), launched);
    QCOMPARE(app.sim.runLoop.quitRequested(), quits);
    if (quits) {
        QVERIFY(!app.delegate->cttView());
        QVERIFY(!app.delegate->window()->isVisible());
        return;
    }
    QVERIFY(app.noDeviceShown());
    QVERIFY(app.delegate->window()->isVisible());
    auto *text = app.delegate->cttView()->findChild<QLabel *>();
    QVERIFY(text);
    QCOMPARE(text->text(), app.sim.strings.text(QStringLiteral("OVS_AD_NF")));
    QVERIFY(!text->text().isEmpty());
    QVERIFY(app.items().isEmpty());
}

void TestAppDelegate::answerWithSeveralDevices()
{
    Settings app;
    app.start();
    app.posted.clear();
    const QString tevraM = keyOf(Model::TevraM);
    const QString sorvi = keyOf(Model::Sorvi16Pro);
    expectBandLogs(2);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^1-2: cannot list the device")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(": cannot take the device notice")));
    app.announce({ { tevraM, true }, { sorvi, true }, { QStringLiteral("1-2"), true },
        { keyOf(Model::TevraQ), QStringLiteral("yes") } });

    // In the dictionary's order; a key without a product name and a value
    // that is no boolean are left out.
    QStringList expected { QString::fromUtf8(rowFor(Model::TevraM).productName),
        QString::fromUtf8(rowFor(Model::Sorvi16Pro).productName) };
    if (sorvi < tevraM)
        std::swap(expected[0], expected[1]);
    QCOMPARE(app.items(), expected);
    QCOMPARE(app.delegate->deviceKeys().size(), 2);
    // One key notice, for the selected (first) device.
    QCOMPARE(app.postedKeys(), QStringList { app.delegate->cursorKey() });
    QCOMPARE(app.delegate->mainWindow().ibPopupBtn()->titleOfSelectedItem(), expected.first());

    for (const QString &key : { tevraM, sorvi }) {
        store::OVPublicObject *object = app.delegate->storeForKey(key);
        QVERIFY(object);
        QCOMPARE(object->variant(), StoreVariant::Settings);
        QVERIFY(object->configurationList());
        QCOMPARE(app.delegate->pageForKey(settings::kTabPen, key)->nibName(), object->penViewXIBName());
        QCOMPARE(app.delegate->pageForKey(settings::kTabBoard, key)->nibName(), object->boardViewXIBName());
        // Pages load when their tab is first shown, not at the connection.
        QVERIFY(!app.delegate->pageForKey(settings::kTabTablet, key)->isViewLoaded());
    }
}

void TestAppDelegate::firstDeviceSequence()
{
    Settings app;
    const QString key = keyOf(Model::TevraM);
    app.startWith({ key });
    QCOMPARE(app.postedKeys(), QStringList { key });
    QVERIFY(app.noDeviceShown());

    struct Step
    {
        double at; // seconds after the announcement
        bool content;
        bool tabsHidden;
        int tab;
    };
    // The content at 1.0 s with the tabs hidden, the monitor page at 1.1 s,
    // the pen page at 1.2 s, the tabs shown at 1.4 s.
    // Each check a millisecond after its step.
    const Step steps[] = { { 0.99, false, false, -1 }, { 1.001, true, true, settings::kTabPen },
        { 1.101, true, true, settings::kTabMonitor }, { 1.201, true, true, settings::kTabPen },
        { 1.39, true, true, settings::kTabPen }, { 1.401, true, false, settings::kTabPen } };
    double now = 0;
    for (const Step &step : steps) {
        app.sim.runLoop.advance(step.at - now);
        now = step.at;
        const QByteArray at = QByteArray::number(step.at);
        QVERIFY2(app.noDeviceShown() != step.content, at);
        if (!step.content)
            continue;
        QVERIFY2(app.shown() == app.delegate->contentView(), at);
        QVERIFY2(app.tabs()->isHidden() == step.tabsHidden, at);
        QVERIFY2(app.tabs()->indexOfSelectedTabViewItem() == step.tab, at);
    }
    // The monitor and pen pages were attached on the way; the others wait.
    QVERIFY(app.delegate->pageForKey(settings::kTabMonitor, key)->isViewLoaded());
    QVERIFY(app.delegate->pageForKey(settings::kTabPen, key)->isViewLoaded());
    QVERIFY(!app.delegate->pageForKey(settings::kTabTablet, key)->isViewLoaded());
    QCOMPARE(app.postedKeys().size(), 1);
}

void TestAppDelegate::sequenceStopsWithLastDevice()
{
    Settings app;
    const QString key = keyOf(Model::TevraM);
    app.startWith({ key });
    app.sim.runLoop.advance(1.05);
    QVERIFY(!app.noDeviceShown());
    app.announce({ { key, false } });
    QVERIFY(app.noDeviceShown());
    QCOMPARE(app.tabs()->indexOfSelectedTabViewItem(), int(settings::kTabAbout));

    // The rest of the sequence never runs: the no-device view and About stay.
    app.sim.runLoop.advance(2);
    QVERIFY(app.noDeviceShown());
    QCOMPARE(app.tabs()->indexOfSelectedTabViewItem(), int(settings::kTabAbout));

    // A device that comes later runs it again.
    app.posted.clear();
    expectBandLogs(1);
    app.announce({ { keyOf(Model::TevraS), true } });
    QCOMPARE(app.postedKeys(), QStringList { keyOf(Model::TevraS) });
    app.sim.runLoop.advance(1.401);
    QVERIFY(!app.noDeviceShown());
    QCOMPARE(app.tabs()->indexOfSelectedTabViewItem(), int(settings::kTabPen));
    QVERIFY(!app.tabs()->isHidden());
}

void TestAppDelegate::disconnect_data()
{
    QTest::addColumn<bool>("unplugSelected");
    QTest::addColumn<bool>("onAbout");
    QTest::addColumn<bool>("lastOne");
    QTest::addColumn<QStringList>("posted"); // in order, key notices as "key:<index>"

    QTest::newRow("selected, another stays")
        << true << false << false << QStringList { OVUI_DeviceDisconnect_Hide_Noti, QStringLiteral("key") };
    // The driver must not keep the removed key as its current device.
    QTest::newRow("selected, About tab shown")
        << true << true << false << QStringList { OVUI_DeviceDisconnect_Hide_Noti, QStringLiteral("key") };
    QTest::newRow("not selected") << false << false << false << QStringList();
    QTest::newRow("the last one") << true << false << true << QStringList { OVUI_DeviceDisconnect_Hide_Noti };
}

void TestAppDelegate::disconnect()
{
    QFETCH(bool, unplugSelected);
    QFETCH(bool, onAbout);
    QFETCH(bool, lastOne);
    QFETCH(QStringList, posted);

    Settings app;
    const QString first = keyOf(Model::TevraM);
    const QString second = keyOf(Model::TevraS);
    app.startWith({ first });
    if (!lastOne) {
        expectBandLogs(1);
        app.announce({ { second, true } });
    }
    app.sim.runLoop.advance(1.5);
    if (onAbout)
        app.tabs()->selectTabViewItemAtIndex(settings::kTabAbout);
    const QString selected = app.delegate->cursorKey();
    QCOMPARE(selected, first);
    // A change not yet saved is written when the device goes.
    app.delegate->storeForKey(first)->updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(5));
    const QString gone = unplugSelected ? first : second;
    const QString stays = unplugSelected ? second : first;
    const QString ownFile = app.delegate->storeForKey(gone)->cfgFilePath();
    QFile::remove(ownFile);
    app.posted.clear();

    app.bus.inject(Notification { QString(OVCFGResponseDNotification), QString(), { { gone, false } } });
    app.sim.runLoop.drain();
    QVERIFY(!app.delegate->storeForKey(gone));
    QVERIFY(!app.items().contains(QString::fromUtf8(rowFor(*modelForKey(gone)).productName)));
    // The pending save reached the disk.
    QFile file(ownFile);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QVariantMap saved = platform::plist::parse(file.readAll()).value_or(QVariant()).toMap();
    QCOMPARE(saved.value(OVCFGPenKey).toMap().value(OVCFGPenKeyUp).isValid(), gone == first);

    QStringList names;
    for (const Notification &n : app.posted) {
        if (n.name == OV_GetCurDevKey_Noti) {
            QCOMPARE(n.object, stays);
            names.append(QStringLiteral("key"));
        } else if (n.name != OVCFGDNotification) {
            names.append(n.name);
        }
    }
    QCOMPARE(names, posted);
    if (lastOne) {
        QVERIFY(app.noDeviceShown());
        QCOMPARE(app.tabs()->indexOfSelectedTabViewItem(), int(settings::kTabAbout));
        QVERIFY(app.delegate->cursorKey().isNull());
        return;
    }
    QCOMPARE(app.delegate->cursorKey(), stays);
    QCOMPARE(app.delegate->deviceKeys(), QStringList { stays });
    QVERIFY(!app.noDeviceShown());
    if (!onAbout && unplugSelected) {
        // The pen tab now shows the remaining device's pen page.
        QCOMPARE(app.tabs()->view(settings::kTabPen), app.delegate->pageForKey(settings::kTabPen, stays)->view());
    }
}

void TestAppDelegate::hideNoticeBeforeRemoval()
{
    Settings app;
    const QString key = keyOf(Model::TevraM);
    app.startWith({ key, keyOf(Model::TevraS) });
    // An editor of the device, in this process, must still find its device
    // when the hide notice reaches it.
    bool storeHeldAtNotice = false;
    int notices = 0;
    app.sim.local.observe(OVUI_DeviceDisconnect_Hide_Noti, this, [&](const Notification &) {
        ++notices;
        storeHeldAtNotice = app.delegate->storeForKey(key) != nullptr;
    });
    app.announce({ { key, false } });
    app.sim.local.removeObserver(this);
    QCOMPARE(notices, 1);
    QVERIFY(storeHeldAtNotice);
    QCOMPARE(app.postedNames().count(OVUI_DeviceDisconnect_Hide_Noti), 1);
}

void TestAppDelegate::repeatedYesKeepsStore()
{
    Settings app;
    const QString key = keyOf(Model::TevraM);
    app.startWith({ key });
    store::OVPublicObject *object = app.delegate->storeForKey(key);
    QPointer<settings::PageViewCtrl> page = app.delegate->pageForKey(settings::kTabPen, key);
    app.sim.runLoop.advance(3.5); // the defaults' own save
    const int writes = app.sim.files.writeCount();
    object->updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(6));
    app.posted.clear();

    // The answer to a later request names the device again.
    app.announce({ { key, true } });
    QCOMPARE(app.delegate->storeForKey(key), object);
    QCOMPARE(app.delegate->pageForKey(settings::kTabPen, key), page.data());
    QCOMPARE(app.items().size(), 1);
    QVERIFY(app.postedKeys().isEmpty());
    app.sim.runLoop.advance(3.1);
    QCOMPARE(app.sim.files.writeCount(), writes + 1);
    QCOMPARE(object->queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp), QVariant(qint64(6)));
}

void TestAppDelegate::parkedDuringModalRun()
{
    Settings app;
    const QString key = keyOf(Model::TevraM);
    app.startWith({ key, keyOf(Model::TevraS) });
    app.sim.runLoop.advance(1.5);
    QPointer<settings::PageViewCtrl> page = app.delegate->pageForKey(settings::kTabPen, key);
    QPointer<QWidget> view = page->view();

    {
        // A modal run of the device's page is spinning when it goes.
        const settings::ModalRuns::Scope modal(&app.delegate->modalRuns());
        app.announce({ { key, false } });
        app.sim.runLoop.advance(1);
        QVERIFY(!app.delegate->storeForKey(key));
        QCOMPARE(app.delegate->parkedCount(), 1);
        QVERIFY(page);
        QVERIFY(view);
    }
    // Deleted on a top-level turn once the run has ended.
    QVERIFY(page);
    app.sim.runLoop.drain();
    QCOMPARE(app.delegate->parkedCount(), 0);
    QVERIFY(!page);
    QVERIFY(!view);
}

void TestAppDelegate::driverDisappears()
{
    Settings app;
    app.startWith({ keyOf(Model::TevraM), keyOf(Model::TevraS) });
    app.sim.runLoop.advance(1.5);
    app.posted.clear();

    app.sim.workspace.setRunning(kDriverId, 0);
    app.sim.runLoop.drain();
    QVERIFY(app.delegate->deviceKeys().isEmpty());
    QVERIFY(app.items().isEmpty());
    QVERIFY(app.noDeviceShown());
    QCOMPARE(app.tabs()->indexOfSelectedTabViewItem(), int(settings::kTabAbout));
    QVERIFY(!app.sim.runLoop.quitRequested());
    // Only the hide notice of the device that was shown goes out.
    // Each device goes as if unplugged: hide notices only (the selection
    // moves to the next device before it goes too), no key for the driver.
    QVERIFY(!app.posted.isEmpty());
    QCOMPARE(app.postedNames().count(OVUI_DeviceDisconnect_Hide_Noti), app.posted.size());

    // A driver started again is watched again.
    app.sim.workspace.setRunning(kDriverId, 1);
    app.announce({ { keyOf(Model::TevraM), true } });
    QCOMPARE(app.delegate->deviceKeys().size(), 1);
    app.sim.workspace.setRunning(kDriverId, 0);
    app.sim.runLoop.drain();
    QVERIFY(app.delegate->deviceKeys().isEmpty());
}

void TestAppDelegate::exportSettings_data()
{
    QTest::addColumn<QString>("typed"); // empty: the panel is cancelled
    QTest::addColumn<bool>("device");
    QTest::addColumn<bool>("writeFails");
    QTest::addColumn<QString>("written"); // file name, empty: none
    QTest::addColumn<bool>("alert");

    QTest::newRow("plain name") << "mine" << true << false << "mine.ovcfg" << false;
    // The panel appended the extension (or the user typed it): kept as it is.
    QTest::newRow("name with the extension") << "mine.ovcfg" << true << false << "mine.ovcfg" << false;
    QTest::newRow("write fails") << "mine" << true << true << "" << true;
    QTest::newRow("cancelled") << "" << true << false << "" << false;
    QTest::newRow("no device") << "mine" << false << false << "" << false;
}

void TestAppDelegate::exportSettings()
{
    QFETCH(QString, typed);
    QFETCH(bool, device);
    QFETCH(bool, writeFails);
    QFETCH(QString, written);
    QFETCH(bool, alert);

    QTemporaryDir folder;
    Settings app;
    app.startWith(device ? QStringList { keyOf(Model::TevraM) } : QStringList());
    app.sim.filePanels.queueAnswer(typed.isEmpty() ? std::nullopt : std::optional(folder.filePath(typed)));
    if (writeFails) {
        app.sim.files.setFailure(QStringLiteral("disk full"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot write .*disk full")));
    }
    AlertCatcher catcher;
    app.delegate->mainWindow().clickExport();
    QCOMPARE(app.sim.filePanels.shownCount(), 1);

    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), written.isEmpty() ? QStringList() : QStringList { written });
    QCOMPARE(catcher.seen.size(), alert ? 1 : 0);
    if (alert)
        QCOMPARE(catcher.seen.first().text, app.sim.strings.text(QStringLiteral("OVS_AT_EX")));
}

void TestAppDelegate::exportReplacesOnlyWhatThePanelAsked_data()
{
    QTest::addColumn<QStringList>("answers"); // of the panels in turn; empty: cancelled
    QTest::addColumn<QString>("existing"); // a file there before
    QTest::addColumn<QString>("exported"); // the file that gets the export; empty: none
    QTest::addColumn<QString>("suggested"); // the second panel's name; empty: no second panel

    // The panel's own question was about the name it answered.
    QTest::newRow("replace the name the panel answered")
        << QStringList { "mine.ovcfg" } << "mine.ovcfg" << "mine.ovcfg" << "";
    QTest::newRow("another suffix, nothing of the full name")
        << QStringList { "mine.v2" } << "" << "mine.v2.ovcfg" << "";
    // The panel asked about "mine.v2" at most; the full name is offered again.
    QTest::newRow("another suffix over an export, confirmed")
        << QStringList { "mine.v2", "mine.v2.ovcfg" } << "mine.v2.ovcfg" << "mine.v2.ovcfg" << "mine.v2.ovcfg";
    QTest::newRow("another suffix over an export, cancelled")
        << QStringList { "mine.v2", "" } << "mine.v2.ovcfg" << "" << "mine.v2.ovcfg";
    QTest::newRow("another suffix over an export, another name")
        << QStringList { "mine.v2", "yours.ovcfg" } << "mine.v2.ovcfg" << "yours.ovcfg" << "mine.v2.ovcfg";
}

void TestAppDelegate::exportReplacesOnlyWhatThePanelAsked()
{
    QFETCH(QStringList, answers);
    QFETCH(QString, existing);
    QFETCH(QString, exported);
    QFETCH(QString, suggested);

    QTemporaryDir folder;
    const QByteArray old("not replaced");
    if (!existing.isEmpty()) {
        QFile file(folder.filePath(existing));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    Settings app;
    app.startWith({ keyOf(Model::TevraM) });
    for (const QString &answer : answers)
        app.sim.filePanels.queueAnswer(answer.isEmpty() ? std::nullopt : std::optional(folder.filePath(answer)));
    app.delegate->mainWindow().clickExport();

    const QList<platform::FilePanelOptions> &shown = app.sim.filePanels.shown();
    QCOMPARE(shown.size(), suggested.isEmpty() ? 1 : 2);
    QCOMPARE(shown.first().allowedSuffixes, QStringList { QStringLiteral("ovcfg") });
    if (!suggested.isEmpty()) {
        QCOMPARE(shown.last().fileName, suggested);
        QCOMPARE(QDir(shown.last().directory), QDir(folder.path()));
    }
    QStringList files { existing, exported };
    files.removeAll(QString());
    files.removeDuplicates();
    files.sort();
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), files);
    for (const QString &name : files) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll() == old, name != exported);
    }
}

void TestAppDelegate::importSettings()
{
    QTemporaryDir folder;
    Settings app;
    const QString key = keyOf(Model::TevraM);
    app.startWith({ key });
    store::OVPublicObject *object = app.delegate->storeForKey(key);
    object->updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(8));
    const QString path = folder.filePath(QStringLiteral("my settings.ovcfg"));
    QVERIFY(object->saveConfiguration(path, true));
    object->updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(2));
    app.posted.clear();

    // A panel may answer a file address with escapes.
    app.sim.filePanels.queueAnswer(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded));
    app.delegate->mainWindow().clickImport();
    QCOMPARE(object->queryConfiguration(OVCFGPenKey, OVCFGPenKeyUp), QVariant(qint64(8)));
    QCOMPARE(app.postedNames(), QStringList { OVCFGIDNotification });
    QCOMPARE(app.posted.first().userInfo.value(key), QVariant(path));
}

void TestAppDelegate::quitAndStop()
{
    Settings app;
    const QString key = keyOf(Model::TevraM);
    app.startWith({ key });
    app.delegate->storeForKey(key)->updateConfiguration(OVCFGPenKey, OVCFGPenKeyUp, qint64(3));
    const QString ownFile = app.delegate->storeForKey(key)->cfgFilePath();
    app.posted.clear();

    app.bus.inject(Notification { QString(OVCFGQuitDNotification), QString(), {} });
    app.sim.runLoop.drain();
    QVERIFY(app.sim.runLoop.quitRequested());

    // The stop steps: the pending save is written at once, nothing is sent.
    QVERIFY(!QFile::exists(ownFile));
    app.delegate->applicationWillTerminate();
    QVERIFY(QFile::exists(ownFile));
    QVERIFY(app.delegate->deviceKeys().isEmpty());
    app.sim.runLoop.drain();
    QVERIFY(app.posted.isEmpty());
    // Later notices find nobody listening.
    expectBandLogs(0);
    app.announce({ { keyOf(Model::TevraS), true } });
    QVERIFY(app.delegate->deviceKeys().isEmpty());
}

void TestAppDelegate::showFromDriver_data()
{
    QTest::addColumn<bool>("minimized");

    QTest::newRow("behind another window") << false;
    QTest::newRow("minimized") << true;
}

void TestAppDelegate::showFromDriver()
{
    QFETCH(bool, minimized);

    Settings app;
    app.start();
    QWidget *window = app.delegate->window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    if (minimized)
        window->showMinimized();
    app.posted.clear();

    // An express key asked the driver for the settings window while this
    // application runs.
    app.bus.inject(Notification { QString(OVCFGShowDNotification), QString(), {} });
    app.sim.runLoop.drain();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QVERIFY(!window->isMinimized());
    QVERIFY(window->isVisible());
    QVERIFY(app.noDeviceShown());
    QVERIFY(app.posted.isEmpty());
    QVERIFY(!app.sim.runLoop.quitRequested());
}

void TestAppDelegate::renderNoDeviceView()
{
    Settings app;
    app.start();
    QWidget *window = app.delegate->window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(app.noDeviceShown());
    // The text sits in the middle of the view, whatever the window's size.
    auto *text = app.delegate->cttView()->findChild<QLabel *>();
    const QPoint middle = app.delegate->cttView()->rect().center();
    QVERIFY((text->geometry().center() - middle).manhattanLength() <= 2);
    QVERIFY(text->width() > text->fontMetrics().horizontalAdvance(text->text()));

    const QImage image = window->grab().toImage();
    QVERIFY(!image.isNull());
    const QString folder = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QLatin1String("/renders");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(folder + QLatin1String("/settings-no-device.png")));
}

void TestAppDelegate::commandsWithoutDevice_data()
{
    QTest::addColumn<QString>("text"); // the button's text key
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("terminated");
    QTest::addColumn<bool>("quits");

    const QString guide
        = QLatin1String(platform::kSettingInstallPath) + QLatin1String("/Contents/Resources/MacOS_Setup_En.pdf");
    QTest::newRow("setup guide") << "OVS_MW_SG" << QStringList { guide } << QStringList() << false;
    QTest::newRow("quit driver") << "OVS_MW_QD" << QStringList() << QStringList { kDriverId } << true;
    QTest::newRow("quit") << "OVS_MW_QT" << QStringList() << QStringList() << true;
}

// The first start without a tablet, or after the driver went: the window's
// commands are still there, with a name for assistive technologies, and work
// from the keyboard.
void TestAppDelegate::commandsWithoutDevice()
{
    QFETCH(QString, text);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, terminated);
    QFETCH(bool, quits);

    Settings app;
    app.start();
    app.posted.clear();
    QVERIFY(app.noDeviceShown());
    QWidget *window = app.delegate->window();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QPushButton *button = nullptr;
    for (QPushButton *candidate : app.delegate->cttView()->findChildren<QPushButton *>()) {
        if (candidate->text() == app.sim.strings.text(text))
            button = candidate;
    }
    QVERIFY(button);
    QVERIFY(!button->text().isEmpty());
    QVERIFY(button->isVisibleTo(window));
    QVERIFY(button->isEnabled());
    QVERIFY(button->focusPolicy() & Qt::TabFocus);
    QAccessibleInterface *node = QAccessible::queryAccessibleInterface(button);
    QVERIFY(node);
    QCOMPARE(node->role(), QAccessible::Button);
    QCOMPARE(node->text(QAccessible::Name), button->text());
    QVERIFY(node->actionInterface()
        && node->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    // The forwarders still have no device to answer for.
    QVERIFY(!app.delegate->mainWindow().queryConfiguration(OVCFGPenKey, OVCFGDegree).isValid());

    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    app.sim.runLoop.drain();
    QCOMPARE(app.sim.workspace.opened(), opened);
    QCOMPARE(app.sim.workspace.terminated(), terminated);
    QCOMPARE(app.sim.runLoop.quitRequested(), quits);
    QVERIFY(app.posted.isEmpty());
}

QTEST_MAIN(TestAppDelegate)
#include "tst_appdelegate.moc"
