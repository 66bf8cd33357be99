#include "ovalert.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/strings.h"
#include "settings/modalruns.h"

namespace settings {

namespace {
// Texts of the layout: the title line and the informative text it shows
// until a caller sets its own.
constexpr QLatin1String OVS_AL_TT("OVS_AL_TT");
constexpr QLatin1String OVS_AL_IT("OVS_AL_IT");

// Points; the informative text wraps inside this width.
constexpr int kAlertWidth = 380;
} // namespace

OVAlert::OVAlert(const platform::Strings &strings, const QString &windowNibName, QWidget *parent)
    : QDialog(parent)
{
    Q_UNUSED(windowNibName);
    setObjectName(QStringLiteral("OVAlert"));
    setWindowTitle(strings.text(OVS_AL_TT));
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_ibTTF = new QLabel(strings.text(OVS_AL_TT), this);
    m_ibTTF->setObjectName(QStringLiteral("ibTTF"));
    QFont titleFont = m_ibTTF->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() + 1);
    m_ibTTF->setFont(titleFont);

    m_ibITF = new QLabel(strings.text(OVS_AL_IT), this);
    m_ibITF->setObjectName(QStringLiteral("ibITF"));
    m_ibITF->setWordWrap(true);
    m_ibITF->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_okButton = new QPushButton(QStringLiteral("OK"), this);
    m_okButton->setObjectName(QStringLiteral("ibOK"));
    m_okButton->setDefault(true);
    connect(m_okButton, &QPushButton::clicked, this, &OVAlert::clickOK);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(10);
    layout->addWidget(m_ibTTF);
    layout->addWidget(m_ibITF);
    layout->addLayout(buttons);
    setFixedWidth(kAlertWidth);
}

void OVAlert::setInformativeText(const QString &text)
{
    if (!text.isEmpty())
        m_ibITF->setText(text);
}

QString OVAlert::informativeText() const
{
    return m_ibITF->text();
}

QString OVAlert::titleText() const
{
    return m_ibTTF->text();
}

void OVAlert::runModal()
{
    m_ovSheet = false;
    setWindowModality(Qt::ApplicationModal);
    const ModalRuns::Scope modal(m_modalRuns);
    m_running = true;
    exec();
    m_running = false;
}

void OVAlert::runModalSheetForWindow(QWidget *window)
{
    m_ovSheet = true;
    if (window && window->window() != parentWidget())
        setParent(window->window(), windowFlags() | Qt::Sheet);
    setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    show();
    raise();
}

void OVAlert::clickOK()
{
    // A sheet only needs to go; a modal run is stopped first.
    if (!m_ovSheet && m_running)
        done(QDialog::Accepted);
    hide();
    emit finishedAlert();
}

store::OVPublicObject::ErrorPresenter OVAlert::storeErrorPresenter(
    const platform::Strings &strings, QWidget *parent, ModalRuns *runs)
{
    return [&strings, window = QPointer<QWidget>(parent), runs](const store::StoreError &error) {
        OVAlert alert(strings, QStringLiteral("OVAlert"), window.data());
        alert.setModalRuns(runs);
        alert.setInformativeText(error.localizedDescription);
        alert.runModal();
    };
}

void OVAlert::reject()
{
    clickOK();
}

} // namespace settings
