#pragma once

#include <QLineEdit>

namespace controls {

// A one-line text field in the kit's look: a white rounded field with a
// 1-pixel grey ring, a 2-pixel light-green ring while it has the focus. The
// text, drawn and edited alike, lies in (x + 6, y - 1, w - 15, h).
//
// A page sets the text or placeholder, the accessible name from the label
// beside it (setAccessibleName), and listens to textEdited() or
// editingFinished() as with QLineEdit. A click or Tab gives it the focus.
class OrvaneTextField : public QLineEdit
{
    Q_OBJECT
public:
    explicit OrvaneTextField(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace controls
