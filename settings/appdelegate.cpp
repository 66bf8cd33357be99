#include "appdelegate.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPalette>
#include <QStyle>
#include <QUrl>

#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "keyactions/appkeycuswinctrl.h"
#include "keyactions/keycuswinctrl.h"
#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/rkeycuswinctrl.h"
#include "platform/alerts.h"
#include "platform/files.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/strings.h"
#include "platform/workspace.h"
#include "settings/boardviewctrl.h"
#include "settings/modalruns.h"
#include "settings/monitorviewctrl.h"
#include "settings/ovalert.h"
#include "settings/ovwindow.h"
#include "settings/penviewctrl.h"
#include "settings/tabletviewctrl.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

Q_LOGGING_CATEGORY(lcSettingsApp, "ov.settings.app")

namespace settings {

namespace {

constexpr QLatin1String OVS_AD_NF("OVS_AD_NF");
// The alert of an export that could not be written.
constexpr QLatin1String OVS_AT_EX("OVS_AT_EX");
constexpr QLatin1String kExportSuffix("ovcfg");

// The first-device sequence, seconds from the addition that left one device:
// the content appears with the tabs hidden, the monitor page and then the
// pen page are attached (the monitor page starts its screen check), and only
// then are the tabs shown, so the user never sees the monitor page flash.
constexpr double kShowContentDelay = 1.0;
constexpr double kMonitorTabDelay = 0.1;
constexpr double kPenTabDelay = 0.1;
constexpr double kShowTabsDelay = 0.2;

QString documentsFolder()
{
    return QDir::homePath() + QStringLiteral("/Documents");
}

// The pages' seam filled with the per-key action editor.
class KeyCusWinEditor : public KeyCusEditor
{
public:
    KeyCusWinEditor(const keyactions::EditorContext &context, QWidget *parent)
        : m_editor(context, QStringLiteral("KeyCusWinCtrl"), parent)
    { }
    void setIsPenEnter(bool isPenEnter) override { m_editor.setIsPenEnter(isPenEnter); }
    void setKeyCusObject(const keyactions::KeyCusObject &object) override { m_editor.setKeyCusObject(object); }
    int runModal() override { return m_editor.runModal(); }
    std::optional<keyactions::KeyCusObject> keyCusObject() const override { return m_editor.keyCusObject(); }

private:
    keyactions::KeyCusWinCtrl m_editor;
};

// The express-key page's seam filled with the wheel-function editor.
class RKeyCusWinEditor : public RKeyCusEditor
{
public:
    RKeyCusWinEditor(const keyactions::EditorContext &context, QWidget *parent)
        : m_editor(context, QStringLiteral("RKeyCusWinCtrl"), parent)
    { }
    void setRkeyCusObject(const keyactions::RKeyCusObject &object) override { m_editor.setRkeyCusObject(object); }
    int runModal() override { return m_editor.runModal(); }
    std::optional<keyactions::RKeyCusObject> rkeyCusObject() const override { return m_editor.rkeyCusObject(); }

private:
    keyactions::RKeyCusWinCtrl m_editor;
};

// The express-key page's per-application windows.
class AppKeyCusWindow : public AppSetWindow
{
public:
    AppKeyCusWindow(bool wheel, const keyactions::EditorContext &context,
        const keyactions::DeviceConfiguration &configuration, QWidget *parent)
    {
        if (wheel)
            m_window = std::make_unique<keyactions::WheelKeyCusWinCtrl>(context, configuration, parent);
        else
            m_window = std::make_unique<keyactions::BoardKeyCusWinCtrl>(context, configuration, parent);
    }
    int runModal() override { return m_window->runModal(); }

private:
    std::unique_ptr<keyactions::AppKeyCusWinCtrl> m_window;
};

} // namespace

AppDelegate::DeviceObjects::DeviceObjects() = default;
AppDelegate::DeviceObjects::DeviceObjects(DeviceObjects &&) noexcept = default;
AppDelegate::DeviceObjects &AppDelegate::DeviceObjects::operator=(DeviceObjects &&) noexcept = default;
AppDelegate::DeviceObjects::~DeviceObjects() = default;

void AppDelegate::DeviceObjects::disconnectPages()
{
    for (DevicePageCtrl *page :
        { static_cast<DevicePageCtrl *>(pen.get()), static_cast<DevicePageCtrl *>(monitor.get()),
            static_cast<DevicePageCtrl *>(tablet.get()), static_cast<DevicePageCtrl *>(board.get()) }) {
        if (page)
            page->deviceDidDisconnect();
    }
}

void AppDelegate::setKeyCusEditorFactory(KeyCusEditorFactory factory)
{
    m_keyCusEditorFactory = std::move(factory);
    for (auto &entry : m_devices) {
        entry.second.pen->setKeyCusEditorFactory(m_keyCusEditorFactory);
        entry.second.board->setKeyCusEditorFactory(m_keyCusEditorFactory);
    }
}

keyactions::DeviceConfiguration AppDelegate::deviceConfiguration(const QString &devKey)
{
    keyactions::DeviceConfiguration configuration;
    configuration.devKey = devKey;
    configuration.query = [this, devKey](const QString &category, const QString &key) {
        return m_main->queryConfiguration(devKey, category, key);
    };
    // Once the device has gone (or while its objects are parked) nothing is
    // written, never into another device.
    configuration.update = [this, devKey](const QString &category, const QString &key, const QVariant &value) {
        if (m_devices.find(devKey) == m_devices.end())
            return false;
        m_main->updateConfiguration(devKey, category, key, value);
        return true;
    };
    return configuration;
}

void AppDelegate::setAppSetWindowFactory(AppSetWindowFactory factory)
{
    m_appSetWindowFactory = std::move(factory);
    for (auto &entry : m_devices)
        entry.second.board->setAppSetWindowFactory(m_appSetWindowFactory);
}

void AppDelegate::setRKeyCusEditorFactory(RKeyCusEditorFactory factory)
{
    m_rkeyCusEditorFactory = std::move(factory);
    for (auto &entry : m_devices)
        entry.second.board->setRKeyCusEditorFactory(m_rkeyCusEditorFactory);
}

AppDelegate::AppDelegate(platform::Desktop &platform, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_main(std::make_unique<MainWindowCtrl>(platform, *this))
{
    m_main->setTerminate([this] { terminate(); });
    m_transformer = std::make_unique<keyactions::OVKeyCodeTransformer>(platform.keyboard, platform.strings);
    m_editorContext.platform = &m_platform;
    m_editorContext.transformer = m_transformer.get();
    m_editorContext.alert = [this](QWidget *window, const QString &text) {
        OVAlert alert(m_platform.strings, QStringLiteral("OVAlert"), window);
        alert.setModalRuns(&m_modalRuns);
        alert.setInformativeText(text);
        alert.runModal();
    };
    m_keyCusEditorFactory = [this](const QString &, QWidget *parent) -> std::unique_ptr<KeyCusEditor> {
        return std::make_unique<KeyCusWinEditor>(m_editorContext, parent);
    };
    m_rkeyCusEditorFactory = [this](const QString &, QWidget *parent) -> std::unique_ptr<RKeyCusEditor> {
        return std::make_unique<RKeyCusWinEditor>(m_editorContext, parent);
    };
    m_appSetWindowFactory = [this](const QString &devKey, bool wheel, QWidget *parent) -> std::unique_ptr<AppSetWindow> {
        return std::make_unique<AppKeyCusWindow>(wheel, m_editorContext, deviceConfiguration(devKey), parent);
    };
    connect(m_main.get(), &MainWindowCtrl::clickExport, this, &AppDelegate::clickExport);
    connect(m_main.get(), &MainWindowCtrl::clickImport, this, &AppDelegate::clickImport);
    // Dropped devices wait for the last modal run to end.
    m_modalRuns.onSettled([this] {
        if (!m_parked.empty())
            schedulePurge();
    });
}

AppDelegate::~AppDelegate()
{
    applicationWillTerminate();
    m_platform.runLoop.cancelAll(this);
    m_platform.runLoop.cancelAll(&m_sequenceTimers);
}

void AppDelegate::applicationDidFinishLaunching()
{
    // The pages are drawn for a light window: a dark desktop theme would put
    // the black no-device text and the pages' own drawings on dark grey.
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        app->setPalette(app->style()->standardPalette());
    std::weak_ptr<int> alive = m_alive;
    m_platform.runLoop.post([this, alive] {
        if (alive.lock())
            launchedInit();
    });
}

void AppDelegate::launchedInit()
{
    if (m_platform.workspace.runningCount(m_platform.bundleId) > 1) {
        qCInfo(lcSettingsApp, "another copy of the settings application is running: quitting");
        terminate();
        return;
    }
    contentInit();
    m_devices.clear();
    m_main->ibPopupBtn()->removeAllItems();

    platform::DistributedCenter &distributed = m_platform.distributed;
    distributed.observe(store::OVCFGResponseDNotification, this,
        [this](const platform::Notification &n) { responseFromServer(n); });
    distributed.observe(
        store::OVCFGQuitDNotification, this, [this](const platform::Notification &) { quitFromServer(); });
    distributed.observe(store::OVUI_DeviceDisconnect_Hide_Noti, this,
        [this](const platform::Notification &) { deviceDisconnectHideUI(); });
    distributed.observe(
        store::OVCFGShowDNotification, this, [this](const platform::Notification &) { showFromServer(); });
    // The delegate posts the hide notice to its own process synchronously
    // too (see postDeviceDisconnectHide()).
    m_platform.local.observe(store::OVUI_DeviceDisconnect_Hide_Noti, this,
        [this](const platform::Notification &) { deviceDisconnectHideUI(); });
    m_observing = true;

    const QString driverId = QLatin1String(platform::kDriverBundleId);
    if (m_platform.workspace.runningCount(driverId) > 0) {
        m_platform.distributed.post(store::OVCFGRequestDNotification);
    } else if (!m_platform.workspace.launch(QLatin1String(platform::kDriverInstallPath))) {
        // Nothing to tell the user: the no-device view stays until a driver
        // announces its devices.
        qCWarning(lcSettingsApp, "cannot launch the driver: the no-device view stays");
    }
    // A driver launched now announces each device itself when it binds it.
    watchDriver();
}

void AppDelegate::contentInit()
{
    OVWindow *win = m_main->window();
    m_contentView = win->contentView();

    auto *ctt = new QWidget;
    ctt->setObjectName(QStringLiteral("cttView"));
    ctt->setGeometry(m_contentView ? m_contentView->geometry() : QRect());
    auto *text = new QLabel(m_platform.strings.text(OVS_AD_NF), ctt);
    text->setObjectName(QStringLiteral("noDeviceText"));
    QFont font(QStringLiteral("Helvetica"), 18, QFont::Bold, true);
    text->setFont(font);
    QPalette palette = text->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    text->setPalette(palette);
    text->setAlignment(Qt::AlignCenter);
    text->setTextInteractionFlags(Qt::NoTextInteraction);
    const QSize textSize = QFontMetrics(font).size(Qt::TextSingleLine, text->text());
    text->setFixedSize(textSize + QSize(10, 6));
    auto *layout = new QGridLayout(ctt);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->addWidget(text, 0, 0, Qt::AlignCenter);
    // The window's commands stay at its foot, where the device view has them:
    // the first start without a tablet is when the setup guide is needed most.
    // The same cell as the text, so the text stays in the middle of the view.
    auto *commands = new QWidget(ctt);
    commands->setObjectName(QStringLiteral("noDeviceCommands"));
    auto *row = new QHBoxLayout(commands);
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch(1);
    m_main->addWindowCommands(row);
    layout->addWidget(commands, 0, 0, Qt::AlignBottom);
    m_cttView = ctt;

    // The window keeps the device content as its child, hidden, for the
    // first device.
    win->setContentView(ctt);
    win->show();
}

void AppDelegate::watchDriver()
{
    std::weak_ptr<int> alive = m_alive;
    m_platform.workspace.watchDisappearance(QLatin1String(platform::kDriverBundleId), [this, alive] {
        if (!alive.lock() || !m_observing)
            return;
        driverDisappeared();
        // The watch fires once; a driver started later is watched too.
        watchDriver();
    });
}

void AppDelegate::driverDisappeared()
{
    if (m_platform.workspace.runningCount(QLatin1String(platform::kDriverBundleId)) > 0)
        return;
    QVariantMap userInfo;
    for (const auto &entry : m_devices)
        userInfo.insert(entry.first, false);
    // Handled here, not posted: only this application needs to know.
    responseFromServer(
        platform::Notification { QString(store::OVCFGResponseDNotification), QString(), userInfo });
}

void AppDelegate::responseFromServer(const platform::Notification &notification)
{
    for (auto it = notification.userInfo.cbegin(); it != notification.userInfo.cend(); ++it) {
        const QString &devKey = it.key();
        if (it->typeId() != QMetaType::Bool) {
            qCWarning(lcSettingsApp).noquote()
                << devKey + QStringLiteral(": cannot take the device notice: the value is not a boolean");
            continue;
        }
        // The driver announces only keys with a product name; without one
        // there is no pop-up title to keep the device under.
        const QString productName = productNameWithDevkey(devKey);
        if (productName.isNull()) {
            qCWarning(lcSettingsApp).noquote()
                << devKey + QStringLiteral(": cannot list the device: unknown model");
            continue;
        }
        if (it->toBool())
            connectDevice(devKey, productName);
        else
            disconnectDevice(devKey, productName);
    }
}

void AppDelegate::connectDevice(const QString &devKey, const QString &productName)
{
    // A repeated YES (the answer to a request naming a device already
    // announced) keeps the objects it has: a new store would drop the old
    // one's pending save.
    if (m_devices.count(devKey) != 0)
        return;

    m_main->ibPopupBtn()->addItemWithTitle(productName);

    DeviceObjects objects;
    objects.store
        = std::make_unique<store::OVPublicObject>(m_platform, devKey, store::StoreVariant::Settings);
    objects.store->setErrorPresenter(
        OVAlert::storeErrorPresenter(m_platform.strings, m_main->window(), &m_modalRuns));
    objects.store->loadConfiguration(QString(), false);
    // Each page is bound to this device: it reads and writes this store
    // through the main window's keyed forwarders, whichever device is shown.
    const PageContext context { &m_platform, m_main.get(), devKey, &m_modalRuns };
    objects.pen = std::make_unique<PenViewCtrl>(objects.store->penViewXIBName(), context);
    objects.pen->setKeyCusEditorFactory(m_keyCusEditorFactory);
    objects.monitor = std::make_unique<MonitorViewCtrl>(objects.store->monitorViewXIBName(), context);
    objects.tablet = std::make_unique<TabletViewCtrl>(objects.store->tabletViewXIBName(), context);
    objects.board = std::make_unique<BoardViewCtrl>(objects.store->boardViewXIBName(), context);
    objects.board->setKeyCusEditorFactory(m_keyCusEditorFactory);
    objects.board->setRKeyCusEditorFactory(m_rkeyCusEditorFactory);
    objects.board->setAppSetWindowFactory(m_appSetWindowFactory);
    m_devices.emplace(devKey, std::move(objects));

    if (m_devices.size() == 1)
        runFirstDeviceSequence();
}

void AppDelegate::disconnectDevice(const QString &devKey, const QString &productName)
{
    auto found = m_devices.find(devKey);
    if (found == m_devices.end())
        return;

    controls::OrvanePopUpButton *popup = m_main->ibPopupBtn();
    if (popup->titleOfSelectedItem() == productName)
        postDeviceDisconnectHide();

    // Reports a changed selection one turn later: the main window then
    // attaches the new device's page and tells the driver (on the About tab
    // too, when the key it last told the driver is the one removed).
    if (popup->indexOfItemWithTitle(productName) >= 0)
        popup->removeItemWithTitle(productName);

    found->second.store->cleanup();
    found->second.disconnectPages();
    DeviceObjects objects = std::move(found->second);
    m_devices.erase(found);
    park(std::move(objects));

    if (m_devices.empty()) {
        cancelFirstDeviceSequence();
        if (m_cttView)
            m_main->window()->setContentView(m_cttView);
        m_main->ibTabView()->selectTabViewItemAtIndex(kTabAbout);
    }
}

void AppDelegate::postDeviceDisconnectHide()
{
    // The distributed notice reaches this process only on a later turn,
    // after the device's objects are gone; editors and menus of this process
    // must close while their device still exists, so they get it at once.
    m_platform.local.post(store::OVUI_DeviceDisconnect_Hide_Noti);
    m_platform.distributed.post(store::OVUI_DeviceDisconnect_Hide_Noti);
}

void AppDelegate::park(DeviceObjects objects)
{
    m_parked.push_back(std::move(objects));
    schedulePurge();
}

void AppDelegate::schedulePurge()
{
    if (m_purgeScheduled)
        return;
    m_purgeScheduled = true;
    std::weak_ptr<int> alive = m_alive;
    m_platform.runLoop.post([this, alive] {
        if (!alive.lock())
            return;
        m_purgeScheduled = false;
        purgeParked();
    });
}

void AppDelegate::purgeParked()
{
    // Inside a modal run (an alert, an editor of the device) the objects may
    // still be on the stack below us; the end of the run schedules the purge
    // again.
    if (m_modalRuns.depth() > 0)
        return;
    std::vector<DeviceObjects> parked = std::move(m_parked);
    m_parked.clear();
    parked.clear();
}

void AppDelegate::runFirstDeviceSequence()
{
    cancelFirstDeviceSequence();
    postCurDevKey();

    platform::RunLoop &loop = m_platform.runLoop;
    const void *context = &m_sequenceTimers;
    // Each step finds the device gone if every device left meanwhile (its
    // timers are cancelled then, and the check covers a step already due).
    auto present = [this] { return !m_devices.empty(); };
    loop.after(kShowContentDelay, context, [this, present] {
        if (present() && m_contentView)
            m_main->window()->setContentView(m_contentView);
    });
    loop.after(kShowContentDelay, context, [this, present] {
        if (present())
            m_main->ibTabView()->selectTabViewItemAtIndex(kTabPen);
    });
    loop.after(kShowContentDelay, context, [this, present, context] {
        if (!present())
            return;
        if (m_contentView)
            m_main->window()->setContentView(m_contentView);
        m_main->ibTabView()->setHidden(true);
        platform::RunLoop &loop = m_platform.runLoop;
        loop.after(kMonitorTabDelay, context, [this, present, context] {
            if (!present())
                return;
            m_main->ibTabView()->selectTabViewItemAtIndex(kTabMonitor);
            m_platform.runLoop.after(kPenTabDelay, context, [this, present, context] {
                if (!present())
                    return;
                m_main->ibTabView()->selectTabViewItemAtIndex(kTabPen);
                m_platform.runLoop.after(kShowTabsDelay, context, [this, present] {
                    if (present())
                        m_main->ibTabView()->setHidden(false);
                });
            });
        });
    });
}

void AppDelegate::cancelFirstDeviceSequence()
{
    m_platform.runLoop.cancelAll(&m_sequenceTimers);
}

void AppDelegate::postCurDevKey()
{
    m_main->postCurDevKey();
}

void AppDelegate::deviceDisconnectHideUI()
{
    m_main->ibPopupBtn()->cancelTracking();
}

void AppDelegate::quitFromServer()
{
    terminate();
}

void AppDelegate::showFromServer()
{
    OVWindow *win = m_main->window();
    if (win->isMinimized())
        win->setWindowState(win->windowState() & ~Qt::WindowMinimized);
    win->show();
    win->raise();
    win->activateWindow();
}

void AppDelegate::terminate()
{
    m_platform.runLoop.quit(0);
}

QString AppDelegate::productNameWithDevkey(const QString &devKey) const
{
    return settings::productNameWithDevkey(devKey);
}

QString AppDelegate::cursorKey() const
{
    return m_main->cursorKey();
}

bool AppDelegate::isOemSorvi() const
{
    return store::isOemSorvi(cursorKey());
}

void AppDelegate::clickExport()
{
    platform::FilePanelOptions options;
    options.directory = documentsFolder();
    options.canCreateDirectories = true;
    options.allowedSuffixes = QStringList { kExportSuffix };
    const QString suffix = QLatin1Char('.') + kExportSuffix;
    QString path;
    for (;;) {
        const std::optional<QString> chosen = m_platform.filePanels.saveFile(options);
        if (!chosen)
            return;
        // The panel has asked about the name it answers; one without the
        // extension gets it here, as earlier versions named their files, and
        // may then stand for a file the panel never asked about. That one is
        // offered in the panel again, which asks before it is replaced.
        if (chosen->endsWith(suffix) || !m_platform.files.exists(*chosen + suffix)) {
            path = chosen->endsWith(suffix) ? *chosen : *chosen + suffix;
            break;
        }
        const QFileInfo named(*chosen + suffix);
        options.directory = named.absolutePath();
        options.fileName = named.fileName();
    }
    store::OVPublicObject *store = storeForKey(cursorKey());
    if (!store) {
        qCInfo(lcSettingsApp).noquote()
            << QStringLiteral("cannot export to ") + path + QStringLiteral(": no device");
        return;
    }
    if (!store->saveConfiguration(path, true))
        showError(m_platform.strings.text(OVS_AT_EX));
}

void AppDelegate::clickImport()
{
    platform::FilePanelOptions options;
    options.directory = documentsFolder();
    options.allowedSuffixes = QStringList { kExportSuffix };
    const std::optional<QString> chosen = m_platform.filePanels.openFile(options);
    if (!chosen)
        return;
    // A panel may hand back a file address; the store takes a plain path.
    QString path = *chosen;
    if (path.startsWith(QLatin1String("file://")))
        path = QUrl(path).toLocalFile();
    store::OVPublicObject *store = storeForKey(cursorKey());
    if (!store) {
        qCInfo(lcSettingsApp).noquote()
            << QStringLiteral("cannot import ") + path + QStringLiteral(": no device");
        return;
    }
    store->loadConfiguration(path, true);
}

void AppDelegate::showError(const QString &text)
{
    OVAlert alert(m_platform.strings, QStringLiteral("OVAlert"), m_main->window());
    alert.setModalRuns(&m_modalRuns);
    alert.setInformativeText(text);
    alert.runModal();
}

void AppDelegate::applicationWillTerminate()
{
    if (m_terminated)
        return;
    m_terminated = true;
    m_observing = false;
    m_platform.distributed.removeObserver(this);
    m_platform.local.removeObserver(this);
    cancelFirstDeviceSequence();
    for (auto &entry : m_devices) {
        entry.second.store->cleanup();
        entry.second.disconnectPages();
    }
    m_devices.clear();
    m_parked.clear();
}

OVWindow *AppDelegate::window() const
{
    return m_main->window();
}

QStringList AppDelegate::deviceKeys() const
{
    QStringList keys;
    for (const auto &entry : m_devices)
        keys.append(entry.first);
    return keys;
}

store::OVPublicObject *AppDelegate::storeForKey(const QString &devKey) const
{
    const auto found = m_devices.find(devKey);
    return found == m_devices.end() ? nullptr : found->second.store.get();
}

PageViewCtrl *AppDelegate::pageForKey(int tab, const QString &devKey) const
{
    const auto found = m_devices.find(devKey);
    if (found == m_devices.end())
        return nullptr;
    switch (tab) {
    case kTabPen:
        return found->second.pen.get();
    case kTabMonitor:
        return found->second.monitor.get();
    case kTabTablet:
        return found->second.tablet.get();
    case kTabBoard:
        return found->second.board.get();
    default:
        return nullptr;
    }
}

} // namespace settings
