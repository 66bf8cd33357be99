#include "ovwheelfuninfo.h"

#include <algorithm>
#include <span>

#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>

#include "driver/ovhudalert.h"
#include "driver/ovhudwin.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "platform/displays.h"
#include "platform/platform.h"
#include "platform/strings.h"
#include "platform/windowspace.h"
#include "platform/workspace.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

namespace driver {

namespace {

// The Sorvi13 borrows the Kalverin M's layout but fills only six of its
// eight key fields.
constexpr WheelFunLayout kLayoutDefault { "OVWheelFunInfo", 6, false, false };
constexpr WheelFunLayout kLayoutKalverinM { "OVWheelFunInfoKalverinM", 8, true, false };
constexpr WheelFunLayout kLayoutKalverinS { "OVWheelFunInfoKalverinS", 6, true, true };

const QString OVRK_WFIRKS = QStringLiteral("OVRK_WFIRKS");

// Text of the ninth label, before ": " and the localised hint.
constexpr char kK9Label[] = "C";

// Points.
constexpr int kPadding = 16;
constexpr int kRowHeight = 24;
constexpr int kSectionGap = 10;
constexpr int kColumnWidth = 200;
constexpr int kFontPixels = 14;

bool canMakeWindows()
{
    return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

} // namespace

const WheelFunLayout &wheelFunLayoutFor(const QString &devKey)
{
    switch (store::factsFor(devKey).wheelPanel) {
    case store::WheelPanel::KalverinM:
        return kLayoutKalverinM;
    case store::WheelPanel::KalverinS:
        return kLayoutKalverinS;
    case store::WheelPanel::Plain:
        break;
    }
    return kLayoutDefault;
}

int wheelFunKeyCount(const QString &devKey)
{
    return store::factsFor(devKey).wheelPanelKeys;
}

OVWheelFunInfo::OVWheelFunInfo(platform::Platform &platform, const QString &devKey, OVManager &manager)
    : m_platform(platform)
    , m_manager(manager)
    , m_devKey(devKey)
    , m_layout(wheelFunLayoutFor(devKey))
{
    // The fields start out holding the configuration key they show.
    for (int i = 0; i < kSlots; ++i)
        m_rTexts[i] = store::OVCFGWheelKeyN(i + 1);
    for (int i = 0; i < kKeys; ++i)
        m_kTexts[i] = store::OVCFGBoardKeyN(i + 1);
    m_k9Text = QLatin1String(kK9Label);
    if (canMakeWindows())
        windowDidLoad();
}

OVWheelFunInfo::~OVWheelFunInfo()
{
    m_platform.runLoop.cancelAll(this);
    if (m_shown)
        dismiss();
}

QString OVWheelFunInfo::windowName()
{
    return QStringLiteral("OVWheelFunInfo");
}

void OVWheelFunInfo::windowDidLoad()
{
    auto window = std::make_unique<OVHUDWin>(QColor::fromRgbF(0.97, 0.97, 0.97, 0.9), 12);
    window->setObjectName(QLatin1String(m_layout.name));
    QFont font = window->font();
    font.setPixelSize(kFontPixels);
    window->setFont(font);

    auto makeLabel = [&](const QString &text, const QColor &colour) {
        auto *label = new QLabel(text, window.get());
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, colour);
        label->setPalette(palette);
        label->setFixedSize(kColumnWidth, kRowHeight);
        return label;
    };
    const QColor wheelColour = QColor::fromRgb(35, 126, 91);
    const QColor keyColour = QColor::fromRgb(50, 50, 50);
    for (int i = 0; i < kSlots; ++i)
        m_ibRTF[i] = makeLabel(m_rTexts[i], wheelColour);
    for (int i = 0; i < kKeys; ++i)
        m_ibKTF[i] = makeLabel(m_kTexts[i], keyColour);
    m_ibK9TF = makeLabel(m_k9Text, wheelColour);

    // Rows of one column from the top; a layout with two columns sets the
    // wheel and the keys side by side.
    const int keys = m_layout.keyFields;
    auto place = [](const std::span<QLabel *const> labels, int x, int y) {
        for (QLabel *label : labels) {
            label->move(x, y);
            y += kRowHeight;
        }
        return y;
    };
    const std::span<QLabel *const> wheel(m_ibRTF.data(), kSlots);
    const std::span<QLabel *const> keyFields(m_ibKTF.data(), keys);
    int bottom = 0;
    int width = 0;
    if (m_layout.twoColumns) {
        const int left = kPadding;
        const int right = kPadding * 2 + kColumnWidth;
        const int y1 = place(m_layout.keysFirst ? keyFields : wheel, left, kPadding);
        const int y2 = place(m_layout.keysFirst ? wheel : keyFields, right, kPadding);
        bottom = std::max(y1, y2);
        width = kPadding * 3 + kColumnWidth * 2;
    } else {
        int y = place(m_layout.keysFirst ? keyFields : wheel, kPadding, kPadding);
        y = place(m_layout.keysFirst ? wheel : keyFields, kPadding, y + kSectionGap);
        bottom = y;
        width = kPadding * 2 + kColumnWidth;
    }
    // The hint under the lists wraps onto a second line in the narrow layout.
    const int hintHeight = m_layout.twoColumns ? kRowHeight : kRowHeight * 2;
    m_ibK9TF->move(kPadding, bottom + kSectionGap);
    m_ibK9TF->setFixedSize(width - 2 * kPadding, hintHeight);
    m_ibK9TF->setWordWrap(true);
    for (int i = keys; i < kKeys; ++i)
        m_ibKTF[i]->hide();
    window->resize(width, bottom + kSectionGap + hintHeight + kPadding);
    m_window = std::move(window);
}

void OVWheelFunInfo::setText(QLabel *label, QString &store, const QString &text)
{
    store = text;
    if (label && label->wordWrap())
        label->setText(text);
    else if (label)
        label->setText(QFontMetricsF(label->font()).elidedText(text, Qt::ElideRight, label->width()));
}

void OVWheelFunInfo::showWindow()
{
    const QRectF screen = m_manager.notice().getWheelFunInfoScreenRect();
    const QSizeF size = m_window ? QSizeF(m_window->size()) : QSizeF();
    m_frame = QRectF(screen.x() + kLeftGap, screen.y() + (screen.height() - size.height()) * 0.5,
        size.width(), size.height());
    if (m_window) {
        const QRectF bounds
            = boundsTopLeftFromFrameBottomLeft(m_frame, mainScreenHeight(m_platform.displays.displays()));
        m_window->move(platform::windowRectFromBounds(
            bounds, m_platform.displays.displays(), m_platform.displays.windowSpace())
                           .topLeft()
                           .toPoint());
    }
    setWindowShown(m_window.get(), windowName(), m_shown, true, m_manager.windowObservers());
    prepareKey();
    m_platform.runLoop.cancel(m_atimer);
    m_atimer = m_platform.runLoop.after(kDismissSeconds, this, [this] { dismiss(); });
}

void OVWheelFunInfo::prepareKey()
{
    if (!m_delegate)
        return;
    const platform::FrontApplication front = m_platform.workspace.frontApplication();
    for (int i = 0; i < kSlots; ++i) {
        const QString value = m_delegate->searchValueForKey(store::OVCFGWheelKeyN(i + 1), front, true);
        setText(m_ibRTF[i], m_rTexts[i], QStringLiteral("R%1 %2").arg(i + 1).arg(value));
    }
    const int keys = wheelFunKeyCount(m_delegate->getDevkey());
    for (int i = 0; i < keys && i < kKeys; ++i) {
        const QString value = m_delegate->searchValueForKey(store::OVCFGBoardKeyN(i + 1), front, false);
        setText(m_ibKTF[i], m_kTexts[i], QStringLiteral("K%1 %2").arg(i + 1).arg(value));
    }
    setText(m_ibK9TF, m_k9Text,
        QStringLiteral("%1: %2").arg(QLatin1String(kK9Label), m_platform.strings.text(OVRK_WFIRKS)));
}

void OVWheelFunInfo::dismiss()
{
    m_platform.runLoop.cancel(m_atimer);
    m_atimer = 0;
    setWindowShown(m_window.get(), windowName(), m_shown, false, m_manager.windowObservers());
}

} // namespace driver
