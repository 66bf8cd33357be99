#pragma once

#include <functional>

namespace settings {

// Modal runs of the settings application (an alert, the per-key editor)
// spin a nested event loop. Objects that such a run works on must not be
// deleted while it spins: whoever drops them parks them and deletes them once
// every modal run has ended, on a top-level turn. The settings delegate owns
// the tracker and hands it to whatever it runs modally. Main thread only.
class ModalRuns
{
public:
    // The number of modal runs active now.
    int depth() const { return m_depth; }

    // Marks one modal run of `runs` for its lifetime; nullptr tracks nothing.
    class Scope
    {
    public:
        explicit Scope(ModalRuns *runs);
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

    private:
        ModalRuns *m_runs;
    };

    // Called each time the last active modal run ends.
    void onSettled(std::function<void()> callback) { m_settled = std::move(callback); }

private:
    int m_depth = 0;
    std::function<void()> m_settled;
};

} // namespace settings
