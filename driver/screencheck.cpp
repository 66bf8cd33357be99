#include "screencheck.h"

#include <algorithm>

#include "store/ovpublicdefine.h"
#include "store/plistvalue.h"

namespace driver {

namespace {

// The display query of a rotation looks at this many online displays only.
constexpr qsizetype kRotationDisplayLimit = 6;

std::optional<QString> monitorNameOf(const QVariantMap &configuration)
{
    const QVariant value =
        configuration.value(store::OVCFGMonitor).toMap().value(store::OVCFGMonitorName);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

// "OVCFGMonitorNumber", low 32 bits; 0 when absent or not an integer.
quint32 monitorNumberOf(const QVariantMap &configuration)
{
    const QVariant value =
        configuration.value(store::OVCFGMonitor).toMap().value(store::OVCFGMonitorNumber);
    return store::isInteger(value) ? quint32(value.toULongLong()) : 0;
}

} // namespace

QString unknownDisplayName(quint32 vendor)
{
    return QString::asprintf("Unknow (%4X)", vendor);
}

ScreenCheckResult checkScreens(const QList<platform::DisplayInfo> &displays,
                               const QVariantMap &configuration)
{
    ScreenCheckResult result;
    ScreenState &state = result.screens;
    bool metUnnamed = false;

    for (const platform::DisplayInfo &display : displays) {
        store::OVScreen screen;
        screen.setNumber(display.id);
        if (display.productName.isEmpty()) {
            screen.setName(unknownDisplayName(display.vendor));
            metUnnamed = true;
        } else {
            screen.setName(display.productName);
        }
        // Only the first record of an identifier takes the display's bounds;
        // a second one under the same identifier keeps the zero frame.
        const bool first = std::none_of(state.ovScreens.cbegin(), state.ovScreens.cend(),
                                        [&display](const store::OVScreen &s) {
                                            return s.number() == display.id;
                                        });
        if (first)
            screen.setFrame(display.bounds);
        state.ovScreens.append(screen);
        if (display.main && state.mainDisplayHeight == 0)
            state.mainDisplayHeight = display.bounds.height();
    }

    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (const store::OVScreen &screen : state.ovScreens) {
        const QRectF frame = screen.frame();
        minX = std::min(minX, frame.x());
        minY = std::min(minY, frame.y());
        maxX = std::max(maxX, frame.x() + frame.width());
        maxY = std::max(maxY, frame.y() + frame.height());
    }
    state.ovMTFrame = QRectF(minX, minY, maxX - minX, maxY - minY);

    const std::optional<QString> monitorName = monitorNameOf(configuration);
    if (!monitorName)
        return result;
    const quint32 saved = monitorNumberOf(configuration);
    if (saved != 0) {
        const bool online = std::any_of(displays.cbegin(), displays.cend(),
                                        [saved](const auto &d) { return d.id == saved; });
        if (online)
            return result;
    }
    for (qsizetype i = 0; i < state.ovScreens.size(); ++i) {
        const store::OVScreen &screen = state.ovScreens.at(i);
        const bool match = metUnnamed ? !displays.at(i).builtin
                                      : monitorName->contains(screen.name());
        if (match) {
            result.monitorNumber = screen.number();
            break;
        }
    }
    return result;
}

RotateOutcome rotateDisplay(platform::Displays &displays, const QString &monitorName,
                            quint64 orientation)
{
    const int degrees = orientation <= 3 ? int(orientation) * 90 : 0;
    const QList<platform::DisplayInfo> online = displays.displays();
    const qsizetype count = std::min(online.size(), kRotationDisplayLimit);
    for (qsizetype i = 0; i < count; ++i) {
        const platform::DisplayInfo &display = online.at(i);
        const bool match = display.productName.isEmpty()
            ? !display.builtin
            : monitorName.contains(display.productName);
        if (match)
            return displays.setRotation(display.id, degrees) ? RotateOutcome::Rotated
                                                             : RotateOutcome::Refused;
    }
    return RotateOutcome::NoDisplay;
}

} // namespace driver
