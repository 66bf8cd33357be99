#pragma once

#include <QCheckBox>

namespace controls {

// A check box in the kit's look: a rounded square as high as the control,
// green with a white tick when on, a grey ring when off or mixed, the title
// to its right.
//
// A page sets the title (setText), which assistive technologies read as the
// name, and listens to clicked() or stateChanged() as with QCheckBox.
// Space toggles it once Tab has given it the focus; the focus shows as a
// light-green frame around the title. The square follows the control's
// height (20 by default).
class OrvaneCheckboxButton : public QCheckBox
{
    Q_OBJECT
public:
    explicit OrvaneCheckboxButton(const QString &title = QString(), QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
};

} // namespace controls
