#include "keyactions/keycuswinctrl.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/kitstyle.h"
#include "controls/orvanebutton.h"
#include "controls/orvanetabview.h"
#include "controls/orvanetextfield.h"
#include "keyactions/appentry.h"
#include "keyactions/editorframe.h"
#include "keyactions/keycusappviewctrl.h"
#include "keyactions/keycushotviewctrl.h"
#include "keyactions/keycusmouseviewctrl.h"
#include "keyactions/keycusnetviewctrl.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/userdefaults.h"

namespace keyactions {

namespace {

// The alias field's placeholder per tab.
constexpr QLatin1String kPlaceholders[KeyCusWinCtrl::kTabCount] = { QLatin1String("OVS_KC_A"),
    QLatin1String("OVS_KC_H"), QLatin1String("OVS_KC_I"), QLatin1String("OVS_KC_M") };
// The tabs' labels.
constexpr QLatin1String kTabLabels[KeyCusWinCtrl::kTabCount] = { QLatin1String("OVS_KC_TA"),
    QLatin1String("OVS_KC_TH"), QLatin1String("OVS_KC_TI"), QLatin1String("OVS_KC_TM") };
constexpr QLatin1String OVS_KC_T("OVS_KC_T"); // the window's title
constexpr QLatin1String OVS_KC_N("OVS_KC_N"); // the alias field's label
constexpr QLatin1String OVS_KC_OK("OVS_KC_OK");
constexpr QLatin1String OVS_KC_CL("OVS_KC_CL");

// The start timer, seconds: the panes are made once the window is up.
constexpr double kStartDelay = 0.2;

} // namespace

KeyCusWinCtrl::KeyCusWinCtrl(const EditorContext &context, const QString &windowNibName, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    // Whatever name it is given, the editor has the one layout.
    Q_UNUSED(windowNibName);
    setObjectName(QStringLiteral("KeyCusWinCtrl"));
    buildWindow();
}

KeyCusWinCtrl::~KeyCusWinCtrl()
{
    m_context.platform->runLoop.cancelAll(this);
    m_context.removeObservers(this);
}

void KeyCusWinCtrl::buildWindow()
{
    const auto t = [this](QLatin1String key) { return m_context.text(key); };
    setWindowTitle(t(OVS_KC_T));
    EditorFrame frame(this);
    m_ibTextField = frame.addNameRow(t(OVS_KC_N));

    m_ibTabView = new controls::OrvaneTabView(this);
    m_ibTabView->setObjectName(QStringLiteral("ibTabView"));
    controls::setIdentifier(m_ibTabView, QStringLiteral("Orvane.ActCus"));
    for (const QLatin1String label : kTabLabels)
        m_ibTabView->addTabViewItem(t(label));
    m_ibTabView->setMinimumSize(420, 200);
    m_ibTabView->tabStrip()->setAccessibleName(t(OVS_KC_T));
    connect(m_ibTabView, &controls::OrvaneTabView::didSelect, this,
        [this](int index) { tabViewDidSelectTabViewItem(index); });
    frame.layout->addWidget(m_ibTabView, 1);

    frame.addButtonRow(t(OVS_KC_OK), t(OVS_KC_CL));
    m_ibOKBtn = frame.ok;
    m_ibCancelBtn = frame.cancel;
    connect(m_ibCancelBtn, &QAbstractButton::clicked, this, [this] { clickCancel(); });
    connect(m_ibOKBtn, &QAbstractButton::clicked, this, [this] { clickOK(); });
}

QString KeyCusWinCtrl::placeholderForTab(int index) const
{
    return index >= 0 && index < kTabCount ? m_context.text(kPlaceholders[index]) : QString();
}

QString KeyCusWinCtrl::appAlias(const QString &path) const
{
    if (path.isEmpty())
        return QString();
    if (const std::optional<AppEntry> app
        = readAppEntry(path, m_context.platform->defaults.preferredLanguages()))
        return app->title;
    return QFileInfo(path).completeBaseName();
}

int KeyCusWinCtrl::runModal()
{
    setWindowModality(Qt::ApplicationModal);
    m_context.observeDisconnectHide(this, [this] { deviceDisconnectHideUI(); });
    m_context.platform->runLoop.after(kStartDelay, this, [this] { keyCusInit(); });
    m_running = true;
    const int code = exec();
    m_running = false;
    m_context.platform->runLoop.cancelAll(this);
    m_context.removeObservers(this);
    return code == 1 ? 1 : 0;
}

void KeyCusWinCtrl::keyCusInit()
{
    const quint64 kind = m_keyCusObject ? m_keyCusObject->keyActCus : 0;
    // A kind past the tabs opens the first one (the records read it as
    // absent; this guards a caller's own record).
    const int tab = kind < quint64(kTabCount) ? int(kind) : 0;
    // The tab already current reports no change: its pane is made here.
    m_selectionReported = false;
    m_ibTabView->selectTabViewItemAtIndex(tab);
    if (!m_selectionReported)
        tabViewDidSelectTabViewItem(tab);
    m_selectedIndex = tab;

    const QString alias = m_keyCusObject ? m_keyCusObject->alias.value_or(QString()) : QString();
    if (alias.isEmpty())
        return;
    if (alias == m_ibTextField->placeholderText())
        m_keyCusObject->alias.reset();
    else
        m_ibTextField->setText(alias);
}

void KeyCusWinCtrl::adopt(KeyCusPane *pane, int tab)
{
    connect(pane, &KeyCusPane::keyCusDidChanged, this,
        [this](KeyCusPane *sender, const QString &alias) { keyCusDidChanged(sender, alias); });
    connect(pane, &KeyCusPane::keyCusDidChangedEnabled, this,
        [this](bool enabled) { keyCusDidChangedEnabled(enabled); });
    m_ibTabView->setView(tab, pane->view());
}

void KeyCusWinCtrl::tabViewDidSelectTabViewItem(int index)
{
    m_selectionReported = true;
    m_selectedIndex = index;
    const KeyCusObject given = m_keyCusObject.value_or(KeyCusObject());
    switch (index) {
    case KeyCusObject::kApplication:
        if (!m_keyCusAppViewCtrl) {
            m_keyCusAppViewCtrl = std::make_unique<KeyCusAppViewCtrl>(m_context);
            m_keyCusAppViewCtrl->setAppPath(given.appPath);
            adopt(m_keyCusAppViewCtrl.get(), index);
        }
        m_ibTextField->setPlaceholderText(placeholderForTab(index));
        if (const QString path = m_keyCusAppViewCtrl->obtainAppPath(); !path.isEmpty())
            m_ibTextField->setText(appAlias(path));
        break;
    case KeyCusObject::kHotKey: {
        if (!m_keyCusHotViewCtrl) {
            m_keyCusHotViewCtrl = std::make_unique<KeyCusHotViewCtrl>(m_context);
            m_keyCusHotViewCtrl->setKeyActCusHotKey(given.keyActCusHotKey);
            m_keyCusHotViewCtrl->setCustomHotKey(given.customHotKey);
            // Before the view loads, which tells the alias field's state.
            m_keyCusHotViewCtrl->setIsPenEnter(m_isPenEnter);
            adopt(m_keyCusHotViewCtrl.get(), index);
        }
        m_keyCusHotViewCtrl->setIsPenEnter(m_isPenEnter);
        m_ibTextField->setPlaceholderText(placeholderForTab(index));
        const quint64 entry = m_keyCusHotViewCtrl->keyActCusHotKey();
        m_ibTextField->setText(entry != 0 ? m_keyCusHotViewCtrl->hotKeyString(entry).value_or(QString())
                                          : placeholderForTab(index));
        break;
    }
    case KeyCusObject::kAddress:
        if (!m_keyCusNetViewCtrl) {
            m_keyCusNetViewCtrl = std::make_unique<KeyCusNetViewCtrl>(m_context);
            m_keyCusNetViewCtrl->setKeyActCusNet(given.keyActCusNet);
            m_keyCusNetViewCtrl->setUrlStr(given.urlStr);
            adopt(m_keyCusNetViewCtrl.get(), index);
        }
        m_ibTextField->setPlaceholderText(placeholderForTab(index));
        m_ibTextField->setText(m_keyCusNetViewCtrl->kindTitle(m_keyCusNetViewCtrl->keyActCusNet()));
        break;
    case KeyCusObject::kMouse:
        if (!m_keyCusMouseViewCtrl) {
            m_keyCusMouseViewCtrl = std::make_unique<KeyCusMouseViewCtrl>(m_context);
            m_keyCusMouseViewCtrl->setKeyActCusMouse(given.keyActCusMouse);
            adopt(m_keyCusMouseViewCtrl.get(), index);
        }
        m_ibTextField->setPlaceholderText(placeholderForTab(index));
        m_ibTextField->setText(m_keyCusMouseViewCtrl->actionTitle(m_keyCusMouseViewCtrl->keyActCusMouse()));
        break;
    default:
        break;
    }
}

void KeyCusWinCtrl::keyCusDidChanged(KeyCusPane *pane, const QString &alias)
{
    if (pane == m_keyCusAppViewCtrl.get()) {
        m_ibTextField->setText(appAlias(alias));
    } else if (pane == m_keyCusHotViewCtrl.get()) {
        m_ibTextField->setText(
            m_keyCusHotViewCtrl->keyActCusHotKey() == 0 ? placeholderForTab(KeyCusObject::kHotKey) : alias);
    } else {
        m_ibTextField->setText(alias);
    }
}

void KeyCusWinCtrl::keyCusDidChangedEnabled(bool enabled)
{
    m_ibTextField->setEnabled(enabled);
}

void KeyCusWinCtrl::clickOK()
{
    KeyCusObject made;
    made.alias = m_ibTextField->text().isEmpty() ? m_ibTextField->placeholderText() : m_ibTextField->text();
    made.keyActCus = quint64(std::max<qint64>(m_selectedIndex, 0));
    bool complete = false;
    switch (m_selectedIndex) {
    case KeyCusObject::kApplication:
        if (m_keyCusAppViewCtrl) {
            const QString path = m_keyCusAppViewCtrl->obtainAppPath();
            complete = !path.isEmpty();
            made.appPath = path;
        }
        break;
    case KeyCusObject::kHotKey:
        if (m_keyCusHotViewCtrl) {
            made.keyActCusHotKey = m_keyCusHotViewCtrl->keyActCusHotKey();
            made.customHotKey = m_keyCusHotViewCtrl->customHotKey();
            complete = made.keyActCusHotKey != 0 || made.customHotKey.has_value();
        }
        break;
    case KeyCusObject::kAddress:
        if (m_keyCusNetViewCtrl) {
            const QString url = m_keyCusNetViewCtrl->obtainUrlStr();
            complete = !url.isEmpty();
            if (complete) {
                made.keyActCusNet = m_keyCusNetViewCtrl->keyActCusNet();
                made.urlStr = url;
            }
        }
        break;
    case KeyCusObject::kMouse:
        complete = true;
        if (m_keyCusMouseViewCtrl)
            made.keyActCusMouse = m_keyCusMouseViewCtrl->keyActCusMouse();
        break;
    default:
        break;
    }
    m_keyCusObject = made;
    endRun(complete ? 1 : 0);
}

void KeyCusWinCtrl::clickCancel()
{
    endRun(0);
}

void KeyCusWinCtrl::reject()
{
    clickCancel();
}

void KeyCusWinCtrl::deviceDisconnectHideUI()
{
    if (!m_running)
        return;
    endChildDialogs(this);
    endRun(0);
}

void KeyCusWinCtrl::endRun(int code)
{
    // Once: the notice may reach the editor again after an outer window
    // has ended it.
    if (!m_running)
        return;
    m_running = false;
    // done() ends exec() and orders the window out.
    QDialog::done(code);
}

} // namespace keyactions
