#pragma once

#include <QColor>
#include <QString>

namespace controls {

// The colours of a push button, normal and while pressed, chosen by the
// button's identifier:
//   none or any other   grey 194 / white / black, pressed green / green / white
//   "Orvane.Normal"     grey 194 / white / black, no pressed look
//   "Orvane.Highlight"  green / green / white, pressed alike
//   "Orvane.Return"     light green / light green / white, pressed green / green / white
struct OrvaneButtonCell
{
    QColor bdColor; // ring
    QColor bgColor; // fill
    QColor txColor; // title
    QColor hlbdColor; // the same three while pressed
    QColor hlbgColor;
    QColor hltxColor;
    QString idStr;

    static OrvaneButtonCell forIdentifier(const QString &identifier);
};

} // namespace controls
