#pragma once

#include <functional>

#include <QList>
#include <QString>

namespace platform {

struct SystemShortcut
{
    quint16 keyCode = 0; // mac key code
    quint64 flags = 0; // mac modifier flags
    bool enabled = true;
};

class Keyboard
{
public:
    virtual ~Keyboard() = default;
    // The character the current layout gives a mac key code, without
    // modifiers; empty when none.
    virtual QString characterFor(quint16 keyCode, quint64 flags = 0) const = 0;
    virtual void onLayoutChanged(std::function<void()> callback) = 0;
    virtual QList<SystemShortcut> systemShortcuts() const = 0;
};

} // namespace platform
