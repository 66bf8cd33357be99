#pragma once

#include <functional>

#include <QList>
#include <QPointF>
#include <QRectF>
#include <QString>

namespace platform {

struct WindowSpace;

struct DisplayInfo
{
    quint32 id = 0; // identical in both programs for the same display
    QRectF bounds; // global points, origin top-left of the main display, y down
    QString productName;
    bool main = false;
    bool builtin = false;
    quint32 vendor = 0;
    int rotation = 0; // degrees: 0, 90, 180, 270
};

class Displays
{
public:
    virtual ~Displays() = default;

    // The online displays; the main display first.
    virtual QList<DisplayInfo> displays() const = 0;
    virtual int rotation(quint32 id) const = 0;
    // Answers false when the rotation cannot be set.
    virtual bool setRotation(quint32 id, int degrees) = 0;
    virtual void onChanged(std::function<void()> callback) = 0;
    // The pointer's position in global points (top-left origin).
    virtual QPointF pointerPosition() const = 0;
    // How the window system's space lies over the displays' bounds
    // (platform/windowspace.h); the same space by default.
    virtual WindowSpace windowSpace() const;
};

} // namespace platform
