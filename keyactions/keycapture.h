#pragma once

#include <QString>

class QKeyEvent;

namespace keyactions {

class OVKeyCodeTransformer;

// A Qt key event as the recorder takes it: a mac key code and mac event
// flags through the project's one key table (the Linux Ctrl key is Command,
// the Super key Control, Alt Option), before any rule of the recorder runs.
struct CapturedKey
{
    qint64 keyCode = -1; // -1: a key no mac key code names (Print, Pause, media keys)
    quint64 flags = 0; // event form, as held after this event
    // A modifier key (Shift, Ctrl, Alt, Super, Caps Lock ...): its press and
    // release change the flags and are no key press.
    bool modifierKey = false;
    // What the key types: with its modifiers, and under Shift alone (the
    // layout's character, else the key's name, as "⎋" for Escape); empty for
    // a key that types nothing.
    QString characters;
    QString charactersIgnoringModifiers;
};

CapturedKey captureKeyEvent(const QKeyEvent &event, const OVKeyCodeTransformer &transformer);

} // namespace keyactions
