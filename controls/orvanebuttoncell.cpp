#include "controls/orvanebuttoncell.h"

#include "controls/kitstyle.h"

namespace controls {

OrvaneButtonCell OrvaneButtonCell::forIdentifier(const QString &identifier)
{
    OrvaneButtonCell cell { grey(194), kWhite, kBlack, kGreen, kGreen, kWhite, identifier };
    if (identifier == QLatin1String("Orvane.Normal")) {
        cell.hlbdColor = cell.bdColor;
        cell.hlbgColor = cell.bgColor;
        cell.hltxColor = cell.txColor;
    } else if (identifier == QLatin1String("Orvane.Highlight")) {
        cell.bdColor = cell.bgColor = kGreen;
        cell.txColor = kWhite;
    } else if (identifier == QLatin1String("Orvane.Return")) {
        cell.bdColor = cell.bgColor = kLightGreen;
        cell.txColor = kWhite;
    }
    return cell;
}

} // namespace controls
