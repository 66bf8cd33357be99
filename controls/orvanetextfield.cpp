#include "controls/orvanetextfield.h"

#include <QPainter>

#include "controls/kitaccessible.h"
#include "controls/kitgeometry.h"
#include "controls/kitpaint.h"
#include "controls/kitstyle.h"

namespace controls {

namespace {

const QColor kRing = grey(188);
// QLineEdit keeps 2 pixels of its own at the left and right of its text.
constexpr int kEditorMargin = 2;

} // namespace

OrvaneTextField::OrvaneTextField(QWidget *parent)
    : QLineEdit(parent)
{
    installKitAccessibility();
    setFrame(false);
    setFont(kitFont());
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // The editor's own panel is see-through: the kit draws the field.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Active, QPalette::Text, kBlack);
    palette.setColor(QPalette::Inactive, QPalette::Text, kBlack);
    palette.setColor(QPalette::Disabled, QPalette::Text, grey(165));
    setPalette(palette);
    // The editor draws and edits its text in the text rectangle, whatever
    // the field's size: margins of (6, -1, 9, 1) less the editor's own.
    const QRectF frame(0, 0, 100, 22);
    const QRectF text = textFieldTextRect(frame);
    setTextMargins(int(text.left() - frame.left()) - kEditorMargin, int(text.top() - frame.top()),
        int(frame.right() - text.right()) - kEditorMargin, int(frame.bottom() - text.bottom()));
}

QSize OrvaneTextField::sizeHint() const
{
    return QSize(160, 22);
}

QSize OrvaneTextField::minimumSizeHint() const
{
    return QSize(40, 22);
}

void OrvaneTextField::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool focused = hasFocus();
        fillRounded(painter, textFieldRing(rect()), focused ? kLightGreen : kRing);
        fillRounded(painter, textFieldInside(rect(), focused), kWhite);
    }
    QLineEdit::paintEvent(event);
}

} // namespace controls
