#include "settings/monitorscreens.h"

#include <algorithm>
#include <cmath>

namespace settings::monitor {

QString displayName(const platform::DisplayInfo &display, const DisplayLabels &labels, bool *madeUp)
{
    *madeUp = display.productName.isEmpty();
    if (!*madeUp)
        return display.productName;
    if (display.builtin)
        return display.main ? QStringLiteral("%1 (%2)").arg(labels.builtIn, labels.main) : labels.builtIn;
    const QString vendor = display.vendor == kMakerDisplayVendor ? QString(kMakerWord)
                                                                  : QString::asprintf("%4X", display.vendor);
    return display.main ? QStringLiteral("%1 (%2) [%3]").arg(labels.external, labels.main, vendor)
                        : QStringLiteral("%1 [%2]").arg(labels.external, vendor);
}

QRectF frameBottomLeft(const QRectF &boundsTopLeft, double mainDisplayHeight)
{
    return store::flipRect(boundsTopLeft, mainDisplayHeight);
}

ScreenList listScreens(const QList<platform::DisplayInfo> &displays, const DisplayLabels &labels)
{
    ScreenList list;
    double mainHeight = 0;
    for (const platform::DisplayInfo &display : displays) {
        if (display.main) {
            mainHeight = display.bounds.height();
            break;
        }
    }

    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (const platform::DisplayInfo &display : displays) {
        store::OVScreen screen;
        bool madeUp = false;
        screen.setNumber(display.id);
        screen.setName(displayName(display, labels, &madeUp));
        screen.setUnknowName(madeUp);
        const QRectF frame = frameBottomLeft(display.bounds, mainHeight);
        screen.setFrame(frame);
        if (display.main && !list.mainNum) {
            list.mainNum = display.id;
            list.mainFrame = frame;
        }
        list.screens.append(screen);
        list.builtIn.append(display.builtin);
        minX = std::min(minX, frame.x());
        minY = std::min(minY, frame.y());
        maxX = std::max(maxX, frame.x() + frame.width());
        maxY = std::max(maxY, frame.y() + frame.height());
    }
    if (!list.screens.isEmpty())
        list.totalFrame = QRectF(minX, minY, maxX - minX, maxY - minY);
    return list;
}

std::optional<quint32> refindPenDisplay(const ScreenList &list, const QString &monitorName, quint32 stored)
{
    const auto listed = [&list](quint32 id) {
        return std::any_of(list.screens.cbegin(), list.screens.cend(),
            [id](const store::OVScreen &screen) { return screen.number() == id; });
    };
    if (stored != 0 && listed(stored))
        return std::nullopt;
    for (qsizetype i = 0; i < list.screens.size(); ++i) {
        const store::OVScreen &screen = list.screens.at(i);
        if ((screen.unknowName() && !list.builtIn.value(i)) || monitorName.contains(screen.name()))
            return screen.number();
    }
    return std::nullopt;
}

QStringList popupTitles(const QList<store::OVScreen> &screens, const QStringList &taken)
{
    QStringList titles;
    for (const store::OVScreen &screen : screens) {
        QString title = screen.name();
        // A title of its own also when a made-up " (2)" meets a real name.
        for (int n = 2; titles.contains(title) || taken.contains(title); ++n)
            title = screen.name() + QStringLiteral(" (%1)").arg(n);
        titles.append(title);
    }
    return titles;
}

std::optional<QRectF> resetPortion(const QRectF &mainFrame)
{
    const double w = mainFrame.width();
    const double h = mainFrame.height();
    if (!std::isfinite(w) || !std::isfinite(h) || !(w > 0) || !(h > 0))
        return std::nullopt;
    return QRectF(mainFrame.x(), mainFrame.y(), kResetPortionWidth, h * kResetPortionWidth / w);
}

} // namespace settings::monitor
