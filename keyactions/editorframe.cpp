#include "keyactions/editorframe.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "controls/orvanebutton.h"
#include "controls/orvanetextfield.h"

namespace keyactions {

EditorFrame::EditorFrame(QDialog *dialog)
    : dialog(dialog)
    , layout(new QVBoxLayout(dialog))
{
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(12);
}

controls::OrvaneTextField *EditorFrame::addNameRow(const QString &label)
{
    auto *field = new controls::OrvaneTextField(dialog);
    field->setObjectName(QStringLiteral("ibTextField"));
    field->setAccessibleName(label);
    auto *name = new QLabel(label, dialog);
    name->setBuddy(field);
    auto *row = new QHBoxLayout;
    row->addWidget(name);
    row->addWidget(field, 1);
    layout->addLayout(row);
    return field;
}

void EditorFrame::addButtonRow(const QString &okTitle, const QString &cancelTitle, QWidget *leading)
{
    cancel = new controls::OrvaneButton(cancelTitle, dialog);
    cancel->setObjectName(QStringLiteral("ibCancelBtn"));
    ok = new controls::OrvaneButton(okTitle, dialog);
    ok->setObjectName(QStringLiteral("ibOKBtn"));
    ok->setDefault(true);
    auto *row = new QHBoxLayout;
    if (leading)
        row->addWidget(leading);
    row->addStretch(1);
    row->addWidget(cancel);
    row->addWidget(ok);
    layout->addLayout(row);
}

} // namespace keyactions
