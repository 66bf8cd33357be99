#pragma once

#include <functional>

namespace settings {

// Modal runs of the settings application (an alert, the per-key editor)
// spin a nested event loop. Objects that such a run works on must not be
// deleted while it spins: whoever drops them parks them and deletes them once
// every modal run has ended, on a top-level turn.
class ModalRuns
{
public:
    // The number of modal runs active now.
    static int depth();

    // Marks one modal run for its lifetime.
    class Scope
    {
    public:
        Scope();
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
    };

    // Called each time the last active modal run ends. Observers are keyed by
    // owner; removeObserver() before the owner goes.
    static void onSettled(const void *owner, std::function<void()> callback);
    static void removeObserver(const void *owner);
};

} // namespace settings
