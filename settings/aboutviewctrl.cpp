#include "settings/aboutviewctrl.h"

#include <QDateTime>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/orvanebutton.h"
#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/runloop.h"
#include "platform/strings.h"
#include "platform/workspace.h"
#include "settings/mainwindowctrl.h"
#include "store/ovpublicdefine.h"

namespace settings {

namespace {
constexpr int kSpacing = 18; // points
}

AboutViewCtrl::AboutViewCtrl(platform::Desktop &platform, std::function<QString()> cursorKey, QObject *parent)
    : PageViewCtrl(QStringLiteral("AboutViewCtrl"), parent)
    , m_platform(platform)
    , m_cursorKey(std::move(cursorKey))
{
}

QString AboutViewCtrl::webSite()
{
    return QStringLiteral("https://www.orvane.com");
}

void AboutViewCtrl::viewDidLoad(QWidget *view)
{
    auto *layout = new QVBoxLayout(view);
    layout->setSpacing(kSpacing);
    layout->addStretch(2);
    m_webBtn = new controls::OrvaneButton(m_platform.strings.text(QStringLiteral("OVS_A_WEB")), view);
    m_webBtn->setObjectName(QStringLiteral("ibIconBtn"));
    m_webBtn->setAccessibleName(m_webBtn->text());
    connect(m_webBtn, &QPushButton::clicked, this, [this] { clickIconBtn(); });
    layout->addWidget(m_webBtn, 0, Qt::AlignHCenter);
    m_ibVersionTF = new QLabel(view);
    m_ibVersionTF->setObjectName(QStringLiteral("ibVersionTF"));
    m_ibRightTF = new QLabel(view);
    m_ibRightTF->setObjectName(QStringLiteral("ibRightTF"));
    for (QLabel *label : {m_ibVersionTF.data(), m_ibRightTF.data()}) {
        label->setAlignment(Qt::AlignHCenter);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        layout->addWidget(label);
    }
    m_ibBtn = new controls::OrvaneButton(QString(), view);
    m_ibBtn->setObjectName(QStringLiteral("ibBtn"));
    m_ibBtn->setVisible(m_diagnoseEnable);
    connect(m_ibBtn, &QPushButton::clicked, this, [this] { clickDiagnose(); });
    layout->addWidget(m_ibBtn, 0, Qt::AlignHCenter);
    layout->addStretch(3);
    QPointer<AboutViewCtrl> self(this);
    m_platform.runLoop.post([self] {
        if (self)
            self->aboutViewInit();
    });
}

void AboutViewCtrl::aboutViewInit()
{
    const platform::Strings &strings = m_platform.strings;
    if (m_ibVersionTF)
        m_ibVersionTF->setText(versionText());
    if (m_ibRightTF)
        m_ibRightTF->setText(rightText());
    if (m_ibBtn) {
        m_ibBtn->setText(strings.text(QStringLiteral("OVA_ZD")));
        m_ibBtn->setAccessibleName(m_ibBtn->text());
    }
}

QString AboutViewCtrl::versionText() const
{
    return platform::formatText(m_platform.strings.text(QStringLiteral("OVS_A_V")),
                                {QStringLiteral(OV_SHORT_VERSION), QStringLiteral(OV_BUNDLE_VERSION)});
}

QString AboutViewCtrl::rightText() const
{
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(m_platform.runLoop.wallClockMillis()).toLocalTime();
    return platform::formatText(m_platform.strings.text(QStringLiteral("OVS_A_R")),
                                {now.toString(QStringLiteral("yyyy"))});
}

void AboutViewCtrl::setDiagnoseEnable(bool enable)
{
    m_diagnoseEnable = enable;
    if (m_ibBtn)
        m_ibBtn->setVisible(enable);
}

void AboutViewCtrl::clickDiagnose()
{
    // A driver that runs already owns its bus name; launching it again would
    // only start a second copy that ends at once.
    if (m_platform.workspace.runningCount(QLatin1String(platform::kDriverBundleId)) == 0)
        m_platform.workspace.launch(QLatin1String(platform::kDriverInstallPath));
    const QString key = m_cursorKey ? m_cursorKey() : QString();
    if (key.isEmpty())
        return;
    const QString name = productNameWithDevkey(key);
    m_platform.distributed.post(store::OVCFGDiaSDNotification, QString(),
                                {{key, name.isNull() ? QString(QLatin1String("")) : name}});
}

void AboutViewCtrl::clickIconBtn()
{
    m_platform.workspace.open(webSite());
}

} // namespace settings
