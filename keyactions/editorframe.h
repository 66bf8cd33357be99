#pragma once

#include <QString>

class QDialog;
class QVBoxLayout;
class QWidget;

namespace controls {
class OrvaneButton;
class OrvaneTextField;
} // namespace controls

namespace keyactions {

// The frame the key-action dialogs share: their margins, a labelled name
// field on top (the alias), and a row of buttons at the bottom: an
// optional control at the left end, Cancel, then OK (the default button).
// The caller adds its own rows between and connects the buttons.
struct EditorFrame
{
    explicit EditorFrame(QDialog *dialog);

    // The field, named by its label for assistive technologies.
    controls::OrvaneTextField *addNameRow(const QString &label);
    void addButtonRow(const QString &okTitle, const QString &cancelTitle, QWidget *leading = nullptr);

    QDialog *dialog;
    QVBoxLayout *layout;
    controls::OrvaneButton *ok = nullptr;
    controls::OrvaneButton *cancel = nullptr;
};

} // namespace keyactions
