#include "keyactions/keycusappviewctrl.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QUrl>

#include "controls/orvanebutton.h"
#include "controls/orvanetextfield.h"
#include "keyactions/appentry.h"
#include "platform/alerts.h"
#include "platform/platform.h"
#include "platform/userdefaults.h"

namespace keyactions {

namespace {
constexpr QLatin1String OVS_KC_AP("OVS_KC_AP"); // the field's label
constexpr QLatin1String OVS_KC_AB("OVS_KC_AB"); // the choose button
} // namespace

KeyCusAppViewCtrl::KeyCusAppViewCtrl(const EditorContext &context, QObject *parent)
    : KeyCusPane(context, parent)
{ }

KeyCusAppViewCtrl::~KeyCusAppViewCtrl() = default;

void KeyCusAppViewCtrl::viewDidLoad(QWidget *view)
{
    view->setObjectName(QStringLiteral("KeyCusAppViewCtrl"));
    m_ibTextField = new controls::OrvaneTextField(view);
    m_ibTextField->setObjectName(QStringLiteral("ibTextField"));
    m_ibTextField->setReadOnly(true);
    m_ibTextField->setAccessibleName(text(OVS_KC_AP));
    m_ibBrowseBtn = new controls::OrvaneButton(text(OVS_KC_AB), view);
    m_ibBrowseBtn->setObjectName(QStringLiteral("ibBrowseBtn"));
    connect(m_ibBrowseBtn, &QAbstractButton::clicked, this, [this] { clickBrowse(); });

    auto *label = new QLabel(text(OVS_KC_AP), view);
    label->setBuddy(m_ibTextField);
    auto *layout = new QGridLayout(view);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setVerticalSpacing(10);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_ibTextField, 0, 1);
    layout->addWidget(m_ibBrowseBtn, 1, 1, Qt::AlignRight);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);
    keyCusAppInit();
}

void KeyCusAppViewCtrl::keyCusAppInit()
{
    if (!m_appPath || m_appPath->isEmpty())
        return;
    if (*m_appPath == m_ibTextField->placeholderText())
        m_appPath.reset();
    else
        m_ibTextField->setText(*m_appPath);
}

QString KeyCusAppViewCtrl::obtainAppPath() const
{
    if (m_appPath && !m_appPath->isEmpty())
        return *m_appPath;
    return m_ibTextField ? m_ibTextField->placeholderText() : QString();
}

void KeyCusAppViewCtrl::clickBrowse()
{
    // Only what the driver can launch.
    const std::optional<AppEntry> app = context().chooseApplication(m_ibBrowseBtn->window(), text(OVS_KC_AB));
    if (!app)
        return;
    m_ibTextField->setText(app->launchPath);
    m_appPath = app->launchPath;
    emit keyCusDidChanged(this, app->launchPath);
}

} // namespace keyactions
