#include "keyactions/rkeycuswinctrl.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/orvanebutton.h"
#include "controls/orvanetextfield.h"
#include "keyactions/editorframe.h"
#include "keyactions/ovshortcuteditor.h"
#include "platform/platform.h"

namespace keyactions {

namespace {
constexpr QLatin1String OVS_RK_ET("OVS_RK_ET"); // the window's title
constexpr QLatin1String OVS_RK_N("OVS_RK_N"); // the name field's label
constexpr QLatin1String OVS_RK_P("OVS_RK_P"); // the name field's placeholder
constexpr QLatin1String OVS_RK_BX("OVS_RK_BX"); // the recorders' box
constexpr QLatin1String OVS_RK_L("OVS_RK_L"); // counter-clockwise
constexpr QLatin1String OVS_RK_R("OVS_RK_R"); // clockwise
constexpr QLatin1String OVS_KC_OK("OVS_KC_OK");
constexpr QLatin1String OVS_KC_CL("OVS_KC_CL");
} // namespace

RKeyCusWinCtrl::RKeyCusWinCtrl(const EditorContext &context, const QString &windowNibName, QWidget *parent)
    : QDialog(parent)
    , m_context(context)
{
    // Whatever name it is given, the editor has the one layout.
    Q_UNUSED(windowNibName);
    setObjectName(QStringLiteral("RKeyCusWinCtrl"));
    const auto t = [this](QLatin1String key) { return m_context.text(key); };
    setWindowTitle(t(OVS_RK_ET));
    EditorFrame frame(this);
    m_ibTextField = frame.addNameRow(t(OVS_RK_N));
    m_ibTextField->setPlaceholderText(t(OVS_RK_P));

    auto *box = new QGroupBox(t(OVS_RK_BX), this);
    box->setObjectName(QStringLiteral("ibBox"));
    m_left = makeRecorder(t(OVS_RK_L));
    m_left->setObjectName(QStringLiteral("shortcutEditorLeftHand"));
    m_right = makeRecorder(t(OVS_RK_R));
    m_right->setObjectName(QStringLiteral("shortcutEditorRightHand"));
    auto *grid = new QGridLayout(box);
    grid->setContentsMargins(14, 12, 14, 12);
    grid->setVerticalSpacing(10);
    auto *leftLabel = new QLabel(t(OVS_RK_L), box);
    leftLabel->setBuddy(m_left);
    auto *rightLabel = new QLabel(t(OVS_RK_R), box);
    rightLabel->setBuddy(m_right);
    grid->addWidget(leftLabel, 0, 0);
    grid->addWidget(m_left, 0, 1);
    grid->addWidget(rightLabel, 1, 0);
    grid->addWidget(m_right, 1, 1);
    grid->setColumnStretch(1, 1);
    frame.layout->addWidget(box);

    frame.addButtonRow(t(OVS_KC_OK), t(OVS_KC_CL));
    m_ibOKBtn = frame.ok;
    m_ibCancelBtn = frame.cancel;
    connect(m_ibCancelBtn, &QAbstractButton::clicked, this, [this] { clickCancel(); });
    connect(m_ibOKBtn, &QAbstractButton::clicked, this, [this] { clickOK(); });
    setMinimumWidth(380);
}

RKeyCusWinCtrl::~RKeyCusWinCtrl() = default;

OVShortcutEditor *RKeyCusWinCtrl::makeRecorder(const QString &name)
{
    platform::Desktop &p = *m_context.platform;
    auto *recorder = new OVShortcutEditor(*m_context.transformer, p.runLoop, p.defaults, p.alerts, this);
    recorder->setAccessibleName(name);
    recorder->setStyle(1);
    recorder->setCanCaptureGlobalHotKeys(false);
    recorder->setAllowsKeyOnly(true, false);
    return recorder;
}

void RKeyCusWinCtrl::hotkeyCusInit()
{
    const RKeyCusObject given = m_rkeyCusObject.value_or(RKeyCusObject());
    m_left->setObjectValue(given.cusCCWHK);
    m_right->setObjectValue(given.cusCWHK);
    const QString alias = given.alias.value_or(QString());
    if (alias.isEmpty())
        return;
    if (alias == m_ibTextField->placeholderText())
        m_rkeyCusObject->alias.reset();
    else
        m_ibTextField->setText(alias);
}

int RKeyCusWinCtrl::runModal()
{
    hotkeyCusInit();
    setWindowModality(Qt::ApplicationModal);
    return exec() == 1 ? 1 : 0;
}

void RKeyCusWinCtrl::clickOK()
{
    RKeyCusObject made;
    made.alias = m_ibTextField->text().isEmpty() ? m_ibTextField->placeholderText() : m_ibTextField->text();
    made.cusCCWHK = m_left->objectValue();
    made.cusCWHK = m_right->objectValue();
    m_rkeyCusObject = made;
    done(1);
}

void RKeyCusWinCtrl::clickCancel()
{
    done(0);
}

void RKeyCusWinCtrl::reject()
{
    clickCancel();
}

} // namespace keyactions
