#pragma once

#include <QRadioButton>

namespace controls {

// A radio button in the kit's look: a disc as high as the control, with a
// white centre inside a 4-pixel green ring when on, a 1.25-pixel grey ring
// when off, the title to its right.
//
// A page sets the title (setText), the accessible name, and groups the
// buttons of one choice under one parent (or a QButtonGroup); clicked() and
// toggled() report as with QRadioButton. Tab reaches the group, the arrow
// keys move the choice within it. The focus shows as a light-green frame
// around the title. The disc follows the control's height (18 by default).
class OrvaneRadioButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit OrvaneRadioButton(const QString &title = QString(), QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
};

} // namespace controls
