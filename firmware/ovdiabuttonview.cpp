#include "ovdiabuttonview.h"

#include <algorithm>
#include <cmath>

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace firmware {

namespace {
constexpr int kTitlePoints = 14;
constexpr int kWidth = 96; // points
constexpr int kHeight = 32;
constexpr int kTitlePadding = 12;
constexpr double kCorner = 6;

// The four button images, drawn: a blue and a grey face, each darker while
// pressed.
void drawFace(QPainter &painter, const QRectF &bounds, bool bright, bool pressed)
{
    QColor face = bright ? QColor(0x2f, 0x7d, 0xd6) : QColor(0xd8, 0xd8, 0xd8);
    if (pressed)
        face = face.darker(135);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(face.darker(120), 1));
    painter.setBrush(face);
    painter.drawRoundedRect(bounds.adjusted(0.5, 0.5, -0.5, -0.5), kCorner, kCorner);
}
// The button for assistive technologies: a push button named by its title
// whose press action clicks it at once (the platform's own button would
// animate the click on a timer of its own).
class AccessibleDIAButton : public QAccessibleWidget
{
public:
    explicit AccessibleDIAButton(OVDIAButtonView *button)
        : QAccessibleWidget(button, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("clicked(bool)"));
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return static_cast<OVDIAButtonView *>(widget())->text();
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.pressed = static_cast<OVDIAButtonView *>(widget())->isPressedLook();
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &name) override
    {
        if (name == pressAction())
            static_cast<OVDIAButtonView *>(widget())->click();
    }
};

QAccessibleInterface *accessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("firmware::OVDIAButtonView") && object && object->isWidgetType())
        return new AccessibleDIAButton(static_cast<OVDIAButtonView *>(object));
    return nullptr;
}

} // namespace

OVDIAButtonView::OVDIAButtonView(const QString &identifier, const QString &title, bool bright, QWidget *parent)
    : QAbstractButton(parent)
    , m_bright(bright)
{
    static const bool installed = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(identifier);
    setText(title);
    setAccessibleName(title);
    setFocusPolicy(Qt::StrongFocus);
    QFont titleFont = font();
    titleFont.setPointSize(kTitlePoints);
    setFont(titleFont);
    resize(sizeHint());
}

QSize OVDIAButtonView::sizeHint() const
{
    // Wide enough for its title in any language.
    const int titleWidth = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text()))) + 2 * kTitlePadding;
    return QSize(std::max(kWidth, titleWidth), kHeight);
}

void OVDIAButtonView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF bounds = rect();
    drawFace(painter, bounds, m_bright, m_pressed);
    painter.setPen(m_pressed ? Qt::white : Qt::black);
    const QFontMetricsF metrics(font());
    const QSizeF textSize(metrics.horizontalAdvance(text()), metrics.height());
    // Centred, one point lower than the middle (y grows downwards here).
    const QPointF origin(bounds.x() + (bounds.width() - textSize.width()) / 2,
                         bounds.y() + (bounds.height() - textSize.height()) / 2 + 1);
    painter.drawText(QRectF(origin, textSize), Qt::AlignLeft | Qt::AlignTop, text());
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(bounds.adjusted(1, 1, -1, -1), kCorner, kCorner);
    }
}

void OVDIAButtonView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    update();
}

void OVDIAButtonView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    update();
    if (rect().contains(event->position().toPoint()))
        click();
}

void OVDIAButtonView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace firmware
