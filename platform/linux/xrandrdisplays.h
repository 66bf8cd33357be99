#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

#include "platform/displays.h"

namespace platform::native {

// RandR's rotation bits (1 none, 2 a quarter turn counter-clockwise, 4 half,
// 8 three quarters) against the driver's orientation in degrees. Both turn
// the same way: at 90 degrees the pen's X axis runs down the picture and its
// Y axis from right to left, so the panel's top-left corner shows the
// picture's top-right corner, which is RandR's quarter turn ("left").
int degreesFromRandrRotation(quint16 rotation);
std::optional<quint16> randrRotationFromDegrees(int degrees);

// The screen that holds every CRTC (pixel rectangles in the server's space)
// after crtcs[turning] turns from one rotation word to another, keeping its
// top-left corner: a quarter turn swaps its width and height.
QSize screenSizeAfterTurn(const QList<QRect> &crtcs, qsizetype turning, quint16 from, quint16 to);

// The displays of an X server through RandR 1.3 or later, on a connection of
// their own (Qt's is not touched). The list is read once and again after each
// RandR notice (outputs, CRTCs, screen size, output properties such as the
// EDID); the notices arrive through the main loop.
class XRandrDisplays : public Displays
{
public:
    // Null, with the reason in *why, when no X server answers on displayName
    // (empty: $DISPLAY) or it has no RandR 1.3.
    static std::unique_ptr<XRandrDisplays> connect(const QByteArray &displayName, QString *why);
    ~XRandrDisplays() override;

    QList<DisplayInfo> displays() const override;
    int rotation(quint32 id) const override;
    // Turns the display's CRTC and resizes the screen to hold every CRTC; false
    // when the output cannot take that rotation or the server refuses.
    bool setRotation(quint32 id, int degrees) override;
    void onChanged(std::function<void()> callback) override;
    QPointF pointerPosition() const override;
    // The main output's corner in the X screen and this program's Qt factor:
    // RandR counts device pixels, Qt's windows logical ones.
    WindowSpace windowSpace() const override;

private:
    class Connection;
    explicit XRandrDisplays(std::unique_ptr<Connection> connection);

    std::unique_ptr<Connection> m_connection;
};

} // namespace platform::native
