#pragma once

#include <QWidget>

#include "controls/kitgeometry.h"

namespace controls {

// A box: by default a grey rounded panel that holds a group of controls,
// below a 22-pixel band that shows its title, if it has one; with the
// identifier "Orvane.HLine", "Orvane.VLine" or "Orvane.VBLine" a separator
// line (green horizontal, green vertical, thinner grey vertical) across its
// bounds.
//
// A page sets the identifier of a line before the box is first shown, or the
// title of a panel (setTitle; also the name assistive technologies read for
// the group), and puts the group's controls into the box's layout: the
// panel's contents margins keep them out of the title band.
class OrvaneBox : public QWidget
{
    Q_OBJECT
public:
    explicit OrvaneBox(QWidget *parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    BoxKind kind() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_title;
    QString m_idStr;
};

} // namespace controls
