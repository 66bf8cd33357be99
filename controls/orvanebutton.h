#pragma once

#include <QPushButton>

#include "controls/orvanebuttoncell.h"

namespace controls {

// A push button in the kit's look: a rounded field with a 1-pixel ring,
// its colours from OrvaneButtonCell by identifier.
//
// A page sets:
//   - the title (setText; "&" marks the mnemonic), which is also the name
//     assistive technologies read;
//   - the identifier, when the button is a variant: setIdentifier(button,
//     "Orvane.Return") before it is first shown;
//   - clicked() for its action.
// Space or Enter presses it once it has the focus (Tab reaches it; a click
// does not move the focus to it). While it has the focus its ring is a
// light-green 2-pixel ring.
class OrvaneButton : public QPushButton
{
    Q_OBJECT
public:
    explicit OrvaneButton(const QString &title = QString(), QWidget *parent = nullptr);

    // The colours of the identifier read when the button was polished.
    const OrvaneButtonCell &cell() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;

private:
    OrvaneButtonCell m_cell;
};

} // namespace controls
