#include "settings/pagelayout.h"

#include <QHBoxLayout>
#include <QLabel>

#include "controls/kitstyle.h"
#include "controls/orvanebox.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvanetextfield.h"

namespace settings::pagelayout {

controls::OrvaneBox *box(const QString &title)
{
    auto *b = new controls::OrvaneBox;
    b->setTitle(title);
    return b;
}

QLabel *smallLabel(const QString &text)
{
    auto *label = new QLabel(text);
    label->setFont(controls::kitFont(12));
    return label;
}

controls::OrvaneRadioButton *radio(const QString &title, const char *name)
{
    auto *button = new controls::OrvaneRadioButton(title);
    button->setObjectName(QLatin1String(name));
    button->setAutoExclusive(false);
    return button;
}

controls::OrvaneTextField *numberField(const char *name, int width)
{
    auto *field = new controls::OrvaneTextField;
    field->setObjectName(QLatin1String(name));
    field->setFixedWidth(width);
    return field;
}

controls::OrvaneBox *orientationBox(const QString &title, const std::array<controls::OrvaneRadioButton **, 4> &outlets)
{
    controls::OrvaneBox *degreeBox = box(title);
    auto *degrees = new QHBoxLayout(degreeBox);
    degrees->setContentsMargins(12, 8, 12, 12);
    const char *names[] = { "ibZDBtn", "ibNDBtn", "ibOEDBtn", "ibTSDBtn" };
    for (int i = 0; i < 4; ++i) {
        *outlets[i] = radio(QStringLiteral("%1°").arg(i * 90), names[i]);
        degrees->addWidget(*outlets[i]);
    }
    return degreeBox;
}

} // namespace settings::pagelayout
