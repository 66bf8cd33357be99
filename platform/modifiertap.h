#pragma once

#include <functional>

#include <QtGlobal>

namespace platform {

// Flags-changed events (mac key code, mac modifier flags) of the physical
// keyboard.
class ModifierTap
{
public:
    using Callback = std::function<void(quint16 keyCode, quint64 flags)>;

    virtual ~ModifierTap() = default;
    // False when the tap cannot be created.
    virtual bool create(Callback callback) = 0;
    virtual void remove() = 0;
};

} // namespace platform
