#include "settings/mainwindowctrl.h"

#include <algorithm>

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "controls/kitstyle.h"
#include "controls/orvanebutton.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/setupguide.h"
#include "platform/strings.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"
#include "settings/aboutviewctrl.h"
#include "settings/ovcontentview.h"
#include "settings/ovwindow.h"
#include "settings/pageviewctrl.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"

namespace settings {

namespace {

// Texts of the window's own controls.
constexpr QLatin1String OVS_MW_TITLE("OVS_MW_TITLE");
constexpr QLatin1String OVS_MW_DEV("OVS_MW_DEV"); // the device pop-up's name
constexpr QLatin1String OVS_MW_T0("OVS_MW_T0"); // pen
constexpr QLatin1String OVS_MW_T1("OVS_MW_T1"); // monitor mapping
constexpr QLatin1String OVS_MW_T2("OVS_MW_T2"); // tablet area
constexpr QLatin1String OVS_MW_T3("OVS_MW_T3"); // express keys and wheel
constexpr QLatin1String OVS_MW_T4("OVS_MW_T4"); // About
constexpr QLatin1String OVS_MW_EX("OVS_MW_EX"); // export
constexpr QLatin1String OVS_MW_IM("OVS_MW_IM"); // import
constexpr QLatin1String OVS_MW_SG("OVS_MW_SG"); // setup guide
constexpr QLatin1String OVS_MW_QD("OVS_MW_QD"); // quit driver
constexpr QLatin1String OVS_MW_QT("OVS_MW_QT"); // quit

// One push button of the window's command row.
template <typename Slot>
void addCommandButton(QBoxLayout *row, const QString &text, QObject *context, Slot slot)
{
    auto *button = new controls::OrvaneButton(text);
    QObject::connect(button, &QPushButton::clicked, context, slot);
    row->addWidget(button);
}

// The monitor and tablet area views follow the pointer.
bool tabFollowsPointer(int tab)
{
    return tab == kTabMonitor || tab == kTabTablet;
}

} // namespace

bool tabAllowed(int tab, const QString &devKey)
{
    // Models without express keys and wheel: their tab stays closed.
    return tab != kTabBoard || store::factsFor(devKey).boardPage;
}

bool diagnoseAllowed(const QString &devKey)
{
    // Models whose firmware answers no diagnostics: the About pane hides its button.
    return store::factsFor(devKey).diagnose;
}

QString productNameWithDevkey(const QString &devKey)
{
    const char *name = store::factsFor(devKey).productName;
    return name ? QString::fromUtf8(name) : QString();
}

MainWindowCtrl::MainWindowCtrl(platform::Desktop &platform, DeviceDirectory &devices, QObject *parent)
    : QObject(parent)
    , m_platform(platform)
    , m_devices(devices)
    , m_terminate([] { QCoreApplication::quit(); })
{
    buildWindow();
}

MainWindowCtrl::~MainWindowCtrl()
{
    // The About pane's view lives in the tab view; the window goes first so
    // that the pane deletes no view twice (its pointer follows the deletion).
    m_window.reset();
}

OVWindow *MainWindowCtrl::window() const
{
    return m_window.get();
}

void MainWindowCtrl::buildWindow()
{
    const platform::Strings &strings = m_platform.strings;
    m_window = std::make_unique<OVWindow>(m_platform.local);
    m_window->setWindowTitle(strings.text(OVS_MW_TITLE));
    m_window->resize(660, 640);

    m_contentView = new OVContentView;
    auto *layout = new QVBoxLayout(m_contentView);
    layout->setContentsMargins(20, 16, 20, 16);
    layout->setSpacing(12);

    m_popup = new controls::OrvanePopUpButton(m_platform.runLoop);
    controls::setIdentifier(m_popup, QLatin1String(controls::kNeedSelectDidChanged));
    m_popup->setAccessibleName(strings.text(OVS_MW_DEV));
    m_popup->setMinimumWidth(220);
    auto *top = new QHBoxLayout;
    top->addStretch(1);
    top->addWidget(m_popup);
    top->addStretch(1);
    layout->addLayout(top);

    m_tabView = new controls::OrvaneTabView;
    controls::setIdentifier(m_tabView, QLatin1String(controls::kTabViewMain));
    for (const QLatin1String key : { OVS_MW_T0, OVS_MW_T1, OVS_MW_T2, OVS_MW_T3, OVS_MW_T4 })
        m_tabView->addTabViewItem(strings.text(key));
    layout->addWidget(m_tabView, 1);

    auto *commands = new QHBoxLayout;
    addCommandButton(commands, strings.text(OVS_MW_EX), this, [this] { emit clickExport(); });
    addCommandButton(commands, strings.text(OVS_MW_IM), this, [this] { emit clickImport(); });
    commands->addStretch(1);
    addWindowCommands(commands);
    layout->addLayout(commands);

    m_window->setContentView(m_contentView);

    m_tabView->setShouldSelect([this](int index) { return tabViewShouldSelectTabViewItem(index); });
    connect(
        m_tabView, &controls::OrvaneTabView::didSelect, this, &MainWindowCtrl::tabViewDidSelectTabViewItem);
    connect(m_popup, &controls::OrvanePopUpButton::popupSelectDidChanged, this,
        &MainWindowCtrl::popupSelectDidChanged);
}

void MainWindowCtrl::addWindowCommands(QBoxLayout *row)
{
    const platform::Strings &strings = m_platform.strings;
    addCommandButton(row, strings.text(OVS_MW_SG), this, [this] { clickNavigation(); });
    addCommandButton(row, strings.text(OVS_MW_QD), this, [this] { quitDriver(); });
    addCommandButton(row, strings.text(OVS_MW_QT), this, [this] { clickExit(); });
}

QString MainWindowCtrl::cursorKey() const
{
    const QString title = m_popup->titleOfSelectedItem();
    if (title.isEmpty())
        return QString();
    for (const store::ModelRow &row : store::modelRows()) {
        if (row.productName && title == QString::fromUtf8(row.productName))
            return store::devKeyFor(row.model);
    }
    return QString();
}

void MainWindowCtrl::postCurDevKey()
{
    m_postedKey = cursorKey();
    m_platform.distributed.post(store::OV_GetCurDevKey_Noti, m_postedKey);
}

void MainWindowCtrl::popupSelectDidChanged(controls::OrvanePopUpButton *sender)
{
    if (sender != m_popup)
        return;
    const int tab = m_tabView->indexOfSelectedTabViewItem();
    if (tab != kTabAbout) {
        tabViewDidSelectTabViewItem(tab);
        postCurDevKey();
        return;
    }
    // On the About tab a pick waits for the next page, but a removal must not
    // leave the driver's current device on a key that is gone: the driver
    // would keep mapping its notices to a device nobody can select.
    const QString key = cursorKey();
    if (!m_postedKey.isNull() && !key.isNull()
        && m_popup->indexOfItemWithTitle(productNameWithDevkey(m_postedKey)) < 0)
        postCurDevKey();
}

bool MainWindowCtrl::tabViewShouldSelectTabViewItem(int index) const
{
    return tabAllowed(index, cursorKey());
}

void MainWindowCtrl::tabViewDidSelectTabViewItem(int index)
{
    if (index >= kTabPen && index <= kTabBoard) {
        const QString key = cursorKey();
        if (PageViewCtrl *page = key.isNull() ? nullptr : m_devices.pageForKey(index, key)) {
            QWidget *view = page->view();
            if (m_tabView->view(index) != view)
                m_tabView->setView(index, view);
        }
        m_window->setAcceptsMouseMovedEvents(tabFollowsPointer(index));
        return;
    }
    if (index != kTabAbout)
        return;
    if (!m_aboutViewCtrl) {
        m_aboutViewCtrl = std::make_unique<AboutViewCtrl>(m_platform, [this] { return cursorKey(); });
        m_tabView->setView(kTabAbout, m_aboutViewCtrl->view());
        m_window->setAcceptsMouseMovedEvents(false);
    }
    m_aboutViewCtrl->setDiagnoseEnable(diagnoseAllowed(cursorKey()));
}

void MainWindowCtrl::clickNavigation()
{
    m_platform.workspace.open(platform::setupGuidePath(m_platform.defaults.preferredLanguages()));
}

void MainWindowCtrl::clickExit()
{
    m_terminate();
}

void MainWindowCtrl::quitDriver()
{
    // A polite request; the driver ends in its own time, and the settings
    // application does not wait for it.
    m_platform.workspace.terminate(QLatin1String(platform::kDriverBundleId));
    m_terminate();
}

store::OVPublicObject *MainWindowCtrl::storeFor(const QString &devKey) const
{
    return devKey.isNull() ? nullptr : m_devices.storeForKey(devKey);
}

QVariant MainWindowCtrl::queryConfiguration(const QString &category, const QString &key) const
{
    return queryConfiguration(cursorKey(), category, key);
}

void MainWindowCtrl::updateConfiguration(const QString &category, const QString &key, const QVariant &value)
{
    updateConfiguration(cursorKey(), category, key, value);
}

QString MainWindowCtrl::penImageName() const
{
    return penImageName(cursorKey());
}

QString MainWindowCtrl::wheelImageName() const
{
    return wheelImageName(cursorKey());
}

QRectF MainWindowCtrl::fullRectInch() const
{
    return fullRectInch(cursorKey());
}

QRectF MainWindowCtrl::ratioRectInch() const
{
    return ratioRectInch(cursorKey());
}

void MainWindowCtrl::tabletViewEdge(double *edge, double *slen, double *dlen) const
{
    tabletViewEdge(cursorKey(), edge, slen, dlen);
}

double MainWindowCtrl::tabletViewFullLine() const
{
    return tabletViewFullLine(cursorKey());
}

double MainWindowCtrl::tabletViewRatioLine() const
{
    return tabletViewRatioLine(cursorKey());
}

QString MainWindowCtrl::boardKeyCusWinXIBName() const
{
    return boardKeyCusWinXIBName(cursorKey());
}

QVariant MainWindowCtrl::queryConfiguration(
    const QString &devKey, const QString &category, const QString &key) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->queryConfiguration(category, key) : QVariant();
}

void MainWindowCtrl::updateConfiguration(
    const QString &devKey, const QString &category, const QString &key, const QVariant &value)
{
    if (store::OVPublicObject *object = storeFor(devKey))
        object->updateConfiguration(category, key, value);
}

QString MainWindowCtrl::penImageName(const QString &devKey) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->penImageName() : QString();
}

QString MainWindowCtrl::wheelImageName(const QString &devKey) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->wheelImageName() : QString();
}

QRectF MainWindowCtrl::fullRectInch(const QString &devKey) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->fullRectInch() : QRectF();
}

QRectF MainWindowCtrl::ratioRectInch(const QString &devKey) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->ratioRectInch() : QRectF();
}

void MainWindowCtrl::tabletViewEdge(const QString &devKey, double *edge, double *slen, double *dlen) const
{
    if (const store::OVPublicObject *object = storeFor(devKey)) {
        object->tabletViewEdge(edge, slen, dlen);
        return;
    }
    // No device: zeros rather than whatever the caller's variables held.
    for (double *value : { edge, slen, dlen }) {
        if (value)
            *value = 0;
    }
}

double MainWindowCtrl::tabletViewFullLine(const QString &devKey) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->tabletViewFullLine() : 0;
}

double MainWindowCtrl::tabletViewRatioLine(const QString &devKey) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->tabletViewRatioLine() : 0;
}

QString MainWindowCtrl::boardKeyCusWinXIBName(const QString &devKey) const
{
    const store::OVPublicObject *object = storeFor(devKey);
    return object ? object->boardKeyCusWinXIBName() : QString();
}

} // namespace settings
