#include <map>
#include <memory>

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "controls/kitstyle.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "settings/aboutviewctrl.h"
#include "settings/boardviewctrl.h"
#include "settings/mainwindowctrl.h"
#include "settings/monitorviewctrl.h"
#include "settings/ovwindow.h"
#include "settings/penviewctrl.h"
#include "settings/tabletviewctrl.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

using controls::OrvanePopUpButton;
using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimDistributedCenter;
using platform::sim::SimPlatform;
using settings::MainWindowCtrl;
using store::Model;

namespace {

QString keyOf(Model model)
{
    return store::devKeyFor(model);
}

QString nameOf(Model model)
{
    return QString::fromUtf8(store::rowFor(model).productName);
}

// The delegate's per-device objects, made as the delegate makes them: a
// settings store with the model's defaults and four pages named by the model.
class Devices : public settings::DeviceDirectory
{
public:
    explicit Devices(platform::Platform &platform)
        : m_platform(platform)
    { }

    void add(const QString &key)
    {
        Objects &objects = m_objects[key];
        objects.store
            = std::make_unique<store::OVPublicObject>(m_platform, key, store::StoreVariant::Settings);
        objects.store->loadConfiguration(QString(), false);
        const settings::PageContext context { &m_platform, delegate, key };
        objects.pages[0] = std::make_unique<settings::PenViewCtrl>(store::penViewXIBName(key), context);
        objects.pages[1]
            = std::make_unique<settings::MonitorViewCtrl>(store::monitorViewXIBName(key), context);
        objects.pages[2] = std::make_unique<settings::TabletViewCtrl>(store::tabletViewXIBName(key), context);
        objects.pages[3] = std::make_unique<settings::BoardViewCtrl>(store::boardViewXIBName(key), context);
    }

    store::OVPublicObject *storeForKey(const QString &key) const override
    {
        const auto it = m_objects.find(key);
        return it == m_objects.end() ? nullptr : it->second.store.get();
    }

    settings::PageViewCtrl *pageForKey(int tab, const QString &key) const override
    {
        const auto it = m_objects.find(key);
        return it == m_objects.end() || tab < 0 || tab > 3 ? nullptr : it->second.pages[tab].get();
    }

    // The pages' forwarders: the main window, made after the directory.
    settings::PageDelegate *delegate = nullptr;

private:
    struct Objects
    {
        std::unique_ptr<store::OVPublicObject> store;
        std::unique_ptr<settings::PageViewCtrl> pages[4];
    };
    platform::Platform &m_platform;
    std::map<QString, Objects> m_objects;
};

// The settings application's main window on a simulated platform, with the
// notifications it posts to the bus.
struct Fixture
{
    Fixture()
    {
        bus.setPostHook([this](const SimDistributedCenter &, const Notification &n) { posts << n; });
        devices.delegate = &main;
        main.setTerminate([this] { ++terminations; });
    }

    // Adds the devices to the directory and the pop-up, as a connect does.
    void connect(std::initializer_list<Model> models)
    {
        for (Model model : models) {
            devices.add(keyOf(model));
            popup().addItemWithTitle(nameOf(model));
        }
    }

    OrvanePopUpButton &popup() { return *main.ibPopupBtn(); }
    controls::OrvaneTabView &tabs() { return *main.ibTabView(); }

    // The user picks an item from the device pop-up's menu.
    void pick(Model model)
    {
        popup().menuWillOpen();
        popup().selectItemWithTitle(nameOf(model));
        popup().menuDidClose();
    }

    QStringList postedKeys() const
    {
        QStringList keys;
        for (const Notification &n : posts) {
            if (n.name == store::OV_GetCurDevKey_Noti)
                keys << n.object;
        }
        return keys;
    }

    SimBus bus;
    SimPlatform sim { bus, QLatin1String(platform::kSettingBundleId) };
    Devices devices { sim.platform() };
    MainWindowCtrl main { sim.platform(), devices };
    QList<Notification> posts;
    int terminations = 0;
};

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void popupChangeReport_data();
    void popupChangeReport();
    void boardTabRefusedPerModel_data();
    void boardTabRefusedPerModel();
    void diagnoseButtonPerModel_data();
    void diagnoseButtonPerModel();
    void deviceChangeAttachesCurrentTab_data();
    void deviceChangeAttachesCurrentTab();
    void removalOnAboutTabMovesDriverOffRemovedKey();
    void keyDownNotice_data();
    void keyDownNotice();
    void forwardersFollowCurrentDevice_data();
    void forwardersFollowCurrentDevice();
    void commands_data();
    void commands();
    void renderTwoDevices();
};

enum class PopupAction {
    OpenClose,
    PickSame,
    PickOther,
    ClickInMenu,
    CancelTracking,
    RemoveSelected,
    RemoveOther,
    RemoveLast,
    RemoveMissing,
};
Q_DECLARE_METATYPE(PopupAction)

void TstMainWindow::popupChangeReport_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QStringList>("titles");
    QTest::addColumn<PopupAction>("action");
    // Run-loop turns until the report; -1: none.
    QTest::addColumn<int>("turns");

    const QStringList two { QStringLiteral("Tevra M"), QStringLiteral("Sorvi 16Pro") };
    const QString device = QLatin1String(controls::kNeedSelectDidChanged);
    QTest::newRow("menu closed without a choice") << device << two << PopupAction::OpenClose << -1;
    QTest::newRow("selected item chosen again") << device << two << PopupAction::PickSame << -1;
    QTest::newRow("other item chosen") << device << two << PopupAction::PickOther << 2;
    QTest::newRow("other item clicked in the shown menu") << device << two << PopupAction::ClickInMenu << 2;
    QTest::newRow("menu closed by a disconnect") << device << two << PopupAction::CancelTracking << -1;
    QTest::newRow("selected item removed") << device << two << PopupAction::RemoveSelected << 1;
    QTest::newRow("unselected item removed") << device << two << PopupAction::RemoveOther << -1;
    QTest::newRow("only item removed") << device << QStringList { two[0] } << PopupAction::RemoveLast << 1;
    QTest::newRow("title not in the pop-up") << device << two << PopupAction::RemoveMissing << -1;
    QTest::newRow("other identifier, other item chosen") << "Other" << two << PopupAction::PickOther << -1;
    QTest::newRow("other identifier, selected removed")
        << "Other" << two << PopupAction::RemoveSelected << -1;
}

void TstMainWindow::popupChangeReport()
{
    QFETCH(QString, identifier);
    QFETCH(QStringList, titles);
    QFETCH(PopupAction, action);
    QFETCH(int, turns);

    SimBus bus;
    SimPlatform sim(bus, QLatin1String(platform::kSettingBundleId));
    QWidget window;
    auto &popup = *new OrvanePopUpButton(sim.runLoop, &window);
    controls::setIdentifier(&popup, identifier);
    for (const QString &title : titles)
        popup.addItemWithTitle(title);
    if (action == PopupAction::ClickInMenu || action == PopupAction::CancelTracking) {
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    QCOMPARE(popup.titleOfSelectedItem(), titles.first());
    QSignalSpy report(&popup, &OrvanePopUpButton::popupSelectDidChanged);

    switch (action) {
    case PopupAction::OpenClose:
        popup.menuWillOpen();
        popup.menuDidClose();
        break;
    case PopupAction::PickSame:
    case PopupAction::PickOther:
        popup.menuWillOpen();
        popup.selectItemWithTitle(action == PopupAction::PickSame ? titles.first() : titles.last());
        popup.menuDidClose();
        break;
    case PopupAction::ClickInMenu: {
        popup.showPopup();
        QTRY_VERIFY(popup.view()->isVisible());
        QWidget *viewport = popup.view()->viewport();
        const QRect item = popup.view()->visualRect(popup.model()->index(1, 0));
        QTest::mouseClick(viewport, Qt::LeftButton, {}, item.center());
        QTRY_VERIFY(!popup.view()->isVisible());
        QCOMPARE(popup.titleOfSelectedItem(), titles.last());
        break;
    }
    case PopupAction::CancelTracking:
        popup.showPopup();
        QTRY_VERIFY(popup.view()->isVisible());
        popup.cancelTracking();
        QVERIFY(!popup.view()->isVisible());
        break;
    case PopupAction::RemoveSelected:
    case PopupAction::RemoveLast:
        popup.removeItemWithTitle(titles.first());
        break;
    case PopupAction::RemoveOther:
        popup.removeItemWithTitle(titles.last());
        break;
    case PopupAction::RemoveMissing:
        popup.removeItemWithTitle(QStringLiteral("Tevra Q"));
        break;
    }

    // Nothing is reported in the turn of the change itself.
    QCOMPARE(report.count(), 0);
    int turn = 0;
    while (report.isEmpty() && sim.runLoop.runNext())
        ++turn;
    if (turns < 0) {
        QCOMPARE(report.count(), 0);
        return;
    }
    QCOMPARE(report.count(), 1);
    QCOMPARE(turn, turns);
    QCOMPARE(report.at(0).at(0).value<OrvanePopUpButton *>(), &popup);
    sim.runLoop.drain();
    QCOMPARE(report.count(), 1);
}

void TstMainWindow::boardTabRefusedPerModel_data()
{
    QTest::addColumn<std::optional<Model>>("model");
    QTest::addColumn<bool>("opens");

    QTest::newRow("Tevra N4") << std::optional(Model::TevraN4) << false;
    QTest::newRow("Tevra N7") << std::optional(Model::TevraN7) << false;
    QTest::newRow("Tevra N10") << std::optional(Model::TevraN10) << false;
    QTest::newRow("Sorvi10") << std::optional(Model::Sorvi10) << false;
    QTest::newRow("Sorvi 22") << std::optional(Model::Sorvi22) << false;
    QTest::newRow("Sorvi 22Pro") << std::optional(Model::Sorvi22Pro) << false;
    QTest::newRow("Tevra N7B") << std::optional(Model::TevraN7B) << true;
    QTest::newRow("Tevra N10B") << std::optional(Model::TevraN10B) << true;
    QTest::newRow("Sorvi 16Pro") << std::optional(Model::Sorvi16Pro) << true;
    QTest::newRow("Tevra M") << std::optional(Model::TevraM) << true;
    QTest::newRow("no device") << std::optional<Model>() << true;
}

void TstMainWindow::boardTabRefusedPerModel()
{
    QFETCH(std::optional<Model>, model);
    QFETCH(bool, opens);

    Fixture f;
    if (model)
        f.connect({ *model });
    f.tabs().selectTabViewItemAtIndex(settings::kTabMonitor);
    f.tabs().selectTabViewItemAtIndex(settings::kTabBoard);
    QCOMPARE(f.tabs().indexOfSelectedTabViewItem(), opens ? settings::kTabBoard : settings::kTabMonitor);
    // The other tabs stay open to every device.
    for (int tab : { settings::kTabPen, settings::kTabTablet, settings::kTabAbout, settings::kTabMonitor }) {
        f.tabs().selectTabViewItemAtIndex(tab);
        QCOMPARE(f.tabs().indexOfSelectedTabViewItem(), tab);
    }
}

void TstMainWindow::diagnoseButtonPerModel_data()
{
    QTest::addColumn<std::optional<Model>>("model");
    QTest::addColumn<bool>("shown");

    QTest::newRow("M517 V1") << std::optional(Model::M517V1) << false;
    QTest::newRow("Sorvi10") << std::optional(Model::Sorvi10) << false;
    QTest::newRow("Sorvi13") << std::optional(Model::Sorvi13) << false;
    QTest::newRow("Sorvi 13/16") << std::optional(Model::Sorvi1316) << false;
    QTest::newRow("Sorvi 16Pro") << std::optional(Model::Sorvi16Pro) << false;
    QTest::newRow("Sorvi 22") << std::optional(Model::Sorvi22) << false;
    QTest::newRow("Sorvi 22Pro") << std::optional(Model::Sorvi22Pro) << false;
    QTest::newRow("M517 V2") << std::optional(Model::M517V2) << true;
    QTest::newRow("Sorvi12 Pro") << std::optional(Model::Sorvi12Pro) << true;
    QTest::newRow("Tevra N4") << std::optional(Model::TevraN4) << true;
    QTest::newRow("no device") << std::optional<Model>() << true;
}

void TstMainWindow::diagnoseButtonPerModel()
{
    QFETCH(std::optional<Model>, model);
    QFETCH(bool, shown);

    Fixture f;
    if (model)
        f.connect({ *model });
    QCOMPARE(f.main.aboutViewCtrl(), nullptr);
    f.tabs().selectTabViewItemAtIndex(settings::kTabAbout);
    QVERIFY(f.main.aboutViewCtrl());
    QCOMPARE(f.tabs().view(settings::kTabAbout), f.main.aboutViewCtrl()->view());
    QCOMPARE(f.main.aboutViewCtrl()->diagnoseEnable(), shown);
    QVERIFY(!f.main.window()->acceptsMouseMovedEvents());
}

void TstMainWindow::deviceChangeAttachesCurrentTab_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("followsPointer");

    QTest::newRow("pen") << int(settings::kTabPen) << false;
    QTest::newRow("monitor") << int(settings::kTabMonitor) << true;
    QTest::newRow("tablet") << int(settings::kTabTablet) << true;
    QTest::newRow("express keys") << int(settings::kTabBoard) << false;
    QTest::newRow("about") << int(settings::kTabAbout) << false;
}

// Two devices, the first one's page on the tab; the user picks the second.
void TstMainWindow::deviceChangeAttachesCurrentTab()
{
    QFETCH(int, tab);
    QFETCH(bool, followsPointer);

    Fixture f;
    f.connect({ Model::TevraM, Model::Sorvi12Pro });
    const QString first = keyOf(Model::TevraM);
    const QString second = keyOf(Model::Sorvi12Pro);
    f.tabs().selectTabViewItemAtIndex(tab == settings::kTabPen ? settings::kTabMonitor : settings::kTabPen);
    f.tabs().selectTabViewItemAtIndex(tab);
    QCOMPARE(f.tabs().indexOfSelectedTabViewItem(), tab);
    QWidget *before = f.tabs().view(tab);
    QVERIFY(before);
    f.sim.runLoop.drain();
    f.posts.clear();

    f.pick(Model::Sorvi12Pro);
    f.sim.runLoop.drain();

    if (tab == settings::kTabAbout) {
        QCOMPARE(f.postedKeys(), QStringList());
        QCOMPARE(f.tabs().view(tab), before);
        // The button keeps the first device's state until About is selected again.
        QVERIFY(f.main.aboutViewCtrl()->diagnoseEnable());
        // A later tab attaches the new device's page, without a notice.
        f.tabs().selectTabViewItemAtIndex(settings::kTabPen);
        f.sim.runLoop.drain();
        QCOMPARE(f.tabs().view(settings::kTabPen), f.devices.pageForKey(settings::kTabPen, second)->view());
        QCOMPARE(f.postedKeys(), QStringList());
        return;
    }
    settings::PageViewCtrl *page = f.devices.pageForKey(tab, second);
    QCOMPARE(f.tabs().view(tab), page->view());
    QCOMPARE(before, f.devices.pageForKey(tab, first)->view());
    QCOMPARE(f.postedKeys(), QStringList { second });
    QCOMPARE(f.main.window()->acceptsMouseMovedEvents(), followsPointer);
    // Only the shown tab's page was loaded for the new device.
    for (int other = settings::kTabPen; other <= settings::kTabBoard; ++other) {
        if (other != tab)
            QVERIFY2(
                !f.devices.pageForKey(other, second)->isViewLoaded(), qPrintable(QString::number(other)));
    }

    // Choosing the selected device again changes nothing.
    f.posts.clear();
    f.pick(Model::Sorvi12Pro);
    f.sim.runLoop.drain();
    QCOMPARE(f.postedKeys(), QStringList());
}

void TstMainWindow::removalOnAboutTabMovesDriverOffRemovedKey()
{
    Fixture f;
    f.connect({ Model::TevraM, Model::Sorvi12Pro, Model::TevraQ });
    f.main.postCurDevKey();
    f.tabs().selectTabViewItemAtIndex(settings::kTabAbout);
    f.sim.runLoop.drain();
    f.posts.clear();

    // Removing a device the driver does not hold as current posts nothing.
    f.pick(Model::Sorvi12Pro);
    f.sim.runLoop.drain();
    f.popup().removeItemWithTitle(nameOf(Model::Sorvi12Pro));
    f.sim.runLoop.drain();
    QCOMPARE(f.postedKeys(), QStringList());

    // Removing the driver's current device names the one now selected.
    f.popup().selectItemWithTitle(nameOf(Model::TevraM));
    f.popup().removeItemWithTitle(nameOf(Model::TevraM));
    f.sim.runLoop.drain();
    QCOMPARE(f.postedKeys(), QStringList { keyOf(Model::TevraQ) });

    // The last one going leaves nothing to name.
    f.posts.clear();
    f.popup().removeItemWithTitle(nameOf(Model::TevraQ));
    f.sim.runLoop.drain();
    QCOMPARE(f.postedKeys(), QStringList());
}

void TstMainWindow::keyDownNotice_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("throughPopup");
    QTest::addColumn<quint32>("scanCode"); // XKB keycode; 0: none (offscreen)
    QTest::addColumn<int>("macKeyCode"); // -1: no notice

    const Qt::KeyboardModifiers none = Qt::NoModifier;
    QTest::newRow("escape") << int(Qt::Key_Escape) << none << false << quint32(0) << 53;
    QTest::newRow("a") << int(Qt::Key_A) << none << false << quint32(0) << 0;
    QTest::newRow("return") << int(Qt::Key_Return) << none << false << quint32(0) << 36;
    QTest::newRow("backspace") << int(Qt::Key_Backspace) << none << false << quint32(0) << 51;
    QTest::newRow("forward delete") << int(Qt::Key_Delete) << none << false << quint32(0) << 117;
    QTest::newRow("shift+1 reports !")
        << int(Qt::Key_Exclam) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false << quint32(0) << 18;
    QTest::newRow("keypad 1") << int(Qt::Key_1) << Qt::KeyboardModifiers(Qt::KeypadModifier) << false
                              << quint32(0) << 83;
    QTest::newRow("keypad enter") << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier) << false
                                  << quint32(0) << 76;
    QTest::newRow("f1") << int(Qt::Key_F1) << none << false << quint32(0) << 122;
    QTest::newRow("left arrow") << int(Qt::Key_Left) << none << false << quint32(0) << 123;
    QTest::newRow("ctrl+c") << int(Qt::Key_C) << Qt::KeyboardModifiers(Qt::ControlModifier) << false
                            << quint32(0) << 8;
    QTest::newRow("ctrl alone") << int(Qt::Key_Control) << none << false << quint32(0) << -1;
    QTest::newRow("super alone") << int(Qt::Key_Meta) << none << false << quint32(0) << -1;
    QTest::newRow("letter passed on by the pop-up") << int(Qt::Key_K) << none << true << quint32(0) << 40;
    QTest::newRow("key without a mac key code")
        << int(Qt::Key_LaunchMail) << none << false << quint32(0) << -1;
    // A French layout: the key of the US A types Q, the key of the US Q types A.
    QTest::newRow("scan code names the key, not the letter")
        << int(Qt::Key_Q) << none << false << quint32(30 + 8) << 0;
    QTest::newRow("scan code of the keypad") << int(Qt::Key_1) << none << false << quint32(79 + 8) << 83;
    QTest::newRow("scan code of no known key") << int(Qt::Key_A) << none << false << quint32(0x2ff) << 0;
}

void TstMainWindow::keyDownNotice()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, throughPopup);
    QFETCH(quint32, scanCode);
    QFETCH(int, macKeyCode);

    Fixture f;
    f.connect({ Model::TevraM });
    QStringList notices;
    f.sim.local.observe(store::WindowKeyDownNoti, this, [&](const Notification &n) {
        QVERIFY(n.userInfo.isEmpty());
        notices << n.object;
    });
    QWidget *target = throughPopup ? static_cast<QWidget *>(f.main.ibPopupBtn()) : f.main.window();
    if (scanCode == 0) {
        QTest::keyClick(target, Qt::Key(key), modifiers);
    } else {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, scanCode, 0, 0);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, scanCode, 0, 0);
        QApplication::sendEvent(target, &release);
    }
    f.sim.local.removeObserver(this);

    QCOMPARE(notices, macKeyCode < 0 ? QStringList() : QStringList { QString::number(macKeyCode) });
}

void TstMainWindow::forwardersFollowCurrentDevice_data()
{
    QTest::addColumn<bool>("selected");
    QTest::newRow("second device current") << true;
    QTest::newRow("no device current") << false;
}

void TstMainWindow::forwardersFollowCurrentDevice()
{
    QFETCH(bool, selected);

    Fixture f;
    const QString first = keyOf(Model::TevraM);
    const QString current = keyOf(Model::Sorvi16Pro);
    f.connect({ Model::TevraM, Model::Sorvi16Pro });
    if (selected)
        f.popup().selectItemWithTitle(nameOf(Model::Sorvi16Pro));
    else
        f.popup().setCurrentIndex(-1);
    store::OVPublicObject *store = f.devices.storeForKey(current);
    const QVariant before = store->queryConfiguration(store::OVCFGPenKey, store::OVCFGPressure);
    QVERIFY(before.isValid());

    f.main.updateConfiguration(store::OVCFGPenKey, store::OVCFGPressure, !before.toBool());
    double edge = 7, slen = 7, dlen = 7;
    f.main.tabletViewEdge(&edge, &slen, &dlen);

    if (!selected) {
        QCOMPARE(store->queryConfiguration(store::OVCFGPenKey, store::OVCFGPressure), before);
        QVERIFY(!f.main.queryConfiguration(store::OVCFGPenKey, store::OVCFGPressure).isValid());
        QVERIFY(f.main.penImageName().isNull());
        QVERIFY(f.main.wheelImageName().isNull());
        QVERIFY(f.main.boardKeyCusWinXIBName().isNull());
        QCOMPARE(f.main.fullRectInch(), QRectF());
        QCOMPARE(f.main.ratioRectInch(), QRectF());
        QCOMPARE(f.main.tabletViewFullLine(), 0.0);
        QCOMPARE(f.main.tabletViewRatioLine(), 0.0);
        QCOMPARE(QList<double>({ edge, slen, dlen }), QList<double>({ 0, 0, 0 }));
        return;
    }
    QCOMPARE(store->queryConfiguration(store::OVCFGPenKey, store::OVCFGPressure), QVariant(!before.toBool()));
    QCOMPARE(f.main.queryConfiguration(store::OVCFGPenKey, store::OVCFGPressure), QVariant(!before.toBool()));
    QCOMPARE(
        f.devices.storeForKey(first)->queryConfiguration(store::OVCFGPenKey, store::OVCFGPressure), before);
    // The per-model answers are the current model's, not the other device's.
    QCOMPARE(f.main.penImageName(), store::penImageName(current));
    QCOMPARE(f.main.fullRectInch(), store::fullRectInch(current));
    QVERIFY(f.main.fullRectInch() != store::fullRectInch(first));
    QCOMPARE(f.main.boardKeyCusWinXIBName(), store::boardKeyCusWinXIBName(current));
    const store::TabletViewEdge expected = store::tabletViewEdge(current);
    QCOMPARE(
        QList<double>({ edge, slen, dlen }), QList<double>({ expected.edge, expected.slen, expected.dlen }));
}

void TstMainWindow::commands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QStringList>("terminated");
    QTest::addColumn<int>("terminations");

    const QString guides
        = QLatin1String(platform::kSettingInstallPath) + QLatin1String("/Contents/Resources/");
    const QStringList en { guides + "MacOS_Setup_En.pdf" };
    const QStringList cn { guides + "MacOS_Setup_CN.pdf" };
    const QStringList none;
    QTest::newRow("guide, simplified Chinese")
        << "guide" << QStringList { "zh-Hans-CN", "en" } << cn << none << 0;
    QTest::newRow("guide, traditional Chinese") << "guide" << QStringList { "zh-Hant" } << cn << none << 0;
    QTest::newRow("guide, Chinese only second")
        << "guide" << QStringList { "en-US", "zh-Hans" } << en << none << 0;
    QTest::newRow("guide, no language") << "guide" << QStringList() << en << none << 0;
    QTest::newRow("quit") << "quit" << QStringList { "en" } << none << none << 1;
    QTest::newRow("quit driver") << "quitDriver" << QStringList { "en" } << none
                                 << QStringList { QLatin1String(platform::kDriverBundleId) } << 1;
}

void TstMainWindow::commands()
{
    QFETCH(QString, command);
    QFETCH(QStringList, languages);
    QFETCH(QStringList, opened);
    QFETCH(QStringList, terminated);
    QFETCH(int, terminations);

    Fixture f;
    f.connect({ Model::TevraM });
    f.sim.workspace.setRunning(QLatin1String(platform::kDriverBundleId), 1);
    f.sim.defaults.setPreferredLanguages(languages);
    if (command == QLatin1String("guide"))
        f.main.clickNavigation();
    else if (command == QLatin1String("quit"))
        f.main.clickExit();
    else
        f.main.quitDriver();
    f.sim.runLoop.drain();

    QCOMPARE(f.sim.workspace.opened(), opened);
    QCOMPARE(f.sim.workspace.terminated(), terminated);
    QCOMPARE(f.terminations, terminations);
    QCOMPARE(f.posts.size(), 0);
}

// The window with two devices, its tab strip and device pop-up drawn by the
// control kit: sampled where the kit fixes its colours, and saved to look at.
void TstMainWindow::renderTwoDevices()
{
    Fixture f;
    f.connect({ Model::TevraM, Model::Sorvi16Pro });
    f.tabs().selectTabViewItemAtIndex(settings::kTabMonitor);
    f.tabs().selectTabViewItemAtIndex(settings::kTabPen);
    f.main.window()->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.main.window()));

    const QImage image = f.main.window()->grab().toImage();
    QVERIFY(!image.isNull());
    const QString folder = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QLatin1String("/renders");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(folder + QLatin1String("/mainwindow-two-devices.png")));
    QCOMPARE(f.popup().itemTitles(), QStringList({ nameOf(Model::TevraM), nameOf(Model::Sorvi16Pro) }));

    const auto colourAt = [&](QWidget *widget, QPointF local) {
        const QPoint at = widget->mapTo(f.main.window(), local.toPoint());
        return image.pixelColor(at).rgb() & 0xffffff;
    };
    // The selected pen tab green, the monitor tab in the strip's grey.
    const QRectF pen = f.tabs().tabRectForTabViewItem(settings::kTabPen);
    const QRectF monitor = f.tabs().tabRectForTabViewItem(settings::kTabMonitor);
    QCOMPARE(colourAt(&f.tabs(), QPointF(pen.center().x(), pen.bottom() - 4)),
        QColor(30, 115, 71).rgb() & 0xffffff);
    QCOMPARE(colourAt(&f.tabs(), QPointF(monitor.x() + 6, monitor.center().y())),
        QColor(218, 218, 218).rgb() & 0xffffff);
    // The pop-up's green cap at its right end, its white field.
    const QRect popup = f.popup().rect();
    QCOMPARE(colourAt(&f.popup(), QPointF(popup.right() - 3, popup.center().y())),
        QColor(30, 115, 71).rgb() & 0xffffff);
    QCOMPARE(colourAt(&f.popup(), QPointF(popup.center().x() + 40, popup.center().y())), 0xffffffu);
    // Assistive technologies see the pop-up by its name and the tabs by theirs.
    QAccessibleInterface *device = QAccessible::queryAccessibleInterface(&f.popup());
    QCOMPARE(device->role(), QAccessible::ComboBox);
    QCOMPARE(device->text(QAccessible::Name), f.sim.strings.text(QStringLiteral("OVS_MW_DEV")));
    QCOMPARE(device->text(QAccessible::Value), nameOf(Model::TevraM));
    QAccessibleInterface *strip = QAccessible::queryAccessibleInterface(f.tabs().tabStrip());
    QCOMPARE(strip->childCount(), 5);
    QCOMPARE(strip->child(settings::kTabPen)->text(QAccessible::Name), f.tabs().label(settings::kTabPen));

    // The device list open, the current device ticked.
    f.popup().showPopup();
    QTRY_VERIFY(f.popup().view()->isVisible());
    QVERIFY(f.popup().view()->grab().save(folder + QLatin1String("/mainwindow-device-list.png")));
    f.popup().hidePopup();
}

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
