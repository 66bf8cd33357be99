#pragma once

#include <map>
#include <memory>

#include <QString>

#include "platform/linux/modifierkeys.h"
#include "platform/modifiertap.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

namespace platform::native {

// The modifier keys held on the physical keyboards, read from their evdev
// nodes (found through udev's ID_INPUT_KEYBOARD, opened read-only and never
// grabbed, so typing goes on as before) and followed as keyboards come and go.
// Reading the nodes needs membership of the "input" group; without it the tap
// still counts as made (the driver must run on), says once why it sees no
// keyboard, and reports nothing.
//
// Events are read on the main loop; the callback runs there.
class EvdevModifierTap : public ModifierTap
{
public:
    EvdevModifierTap();
    ~EvdevModifierTap() override;

    bool create(Callback callback) override;
    void remove() override;

    // The keyboards being read, by event node.
    QStringList keyboards() const;

private:
    struct Keyboard;

    void openKeyboard(const QString &devnode);
    void closeKeyboard(const QString &devnode);
    void readKeyboard(Keyboard &keyboard);
    void readMonitor();
    void report(const FlagsChange &change);

    Callback m_callback;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_monitorNotifier;
    std::map<QString, std::unique_ptr<Keyboard>> m_keyboards;
    HeldModifierKeys m_held;
    int m_nextId = 1;
    QString m_firstFailure;
};

} // namespace platform::native
