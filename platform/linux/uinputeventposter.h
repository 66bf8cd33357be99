#pragma once

#include <memory>
#include <set>

#include <QList>
#include <QRectF>
#include <QString>

#include "platform/displays.h"
#include "platform/eventposter.h"
#include "platform/linux/uinputsink.h"
#include "platform/linux/uinputtranslator.h"

namespace platform::native {

// Posts the driver's events through three uinput devices: the pen tablet
// (spanning the displays' union, made again when it changes), a mouse and a
// keyboard. Without uinput (no module, no permission) nothing is posted and
// available() says why, for the one log line at start.
class UinputEventPoster : public EventPoster
{
public:
    // Makes the mouse and the keyboard at once; the pen waits for a desktop.
    explicit UinputEventPoster(std::unique_ptr<UinputSink> sink = std::make_unique<LibevdevUinputSink>());
    ~UinputEventPoster() override;

    // False with the reason when the virtual devices cannot be made.
    bool available(QString *why = nullptr) const;

    // The union of the displays' bounds in global points; an empty rectangle
    // removes the pen.
    void setDesktop(const QRectF &desktop);
    // Keeps the pen spanning the displays: now and at every change. The
    // change notice cannot be withdrawn, so the poster must live as long as
    // the displays (both live as long as the program).
    void followDisplays(Displays &displays);

    void post(const OVEvent &event) override;

    // A tablet's input report has been handled (device: its identity, never
    // read). The tablet whose report last moved the pen keeps the pen in
    // range with keep-alive frames while its reports go on arriving, also
    // those the driver drops as the pen rests; when they stop, so do the
    // frames, and the desktop ends the proximity of a tablet gone silent.
    void deviceReported(const void *device);

    UinputSink &sink() { return *m_sink; }

private:
    void write(const std::vector<InputRecord> &records);

    std::unique_ptr<UinputSink> m_sink;
    UinputTranslator m_translator;
    QString m_unavailable;
    std::set<quint16> m_loggedKeys;
    const void *m_penDevice = nullptr;
    bool m_penPosted = false; // by the report being handled
};

// The smallest rectangle holding every display's bounds.
QRectF desktopOf(const QList<DisplayInfo> &displays);

} // namespace platform::native
