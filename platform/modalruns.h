#pragma once

#include <deque>
#include <functional>
#include <vector>

namespace platform {

class RunLoop;

// The modal runs of a program (an alert, a file panel, the settings
// application's per-key editor): each spins a nested event loop, and its
// caller is still on the stack while it spins. What would change the world
// under that caller (a device matched or removed, its input reports, a quit)
// is handed to deliver(): it runs at once outside a modal run and waits,
// in order, for the last run to end otherwise. It then runs on the next turn
// of the run loop, once the run's caller has seen its answer and gone on.
//
// Each run can be ended from outside with its default answer (an alert's
// button 0, a panel cancelled): when the program ends, or when the window
// that opened it goes. Main thread only.
class ModalRuns
{
public:
    // runLoop: where held-back work goes once the last run ends; without one
    // it runs as the last run ends.
    explicit ModalRuns(RunLoop *runLoop = nullptr)
        : m_runLoop(runLoop)
    { }
    ~ModalRuns();
    ModalRuns(const ModalRuns &) = delete;
    ModalRuns &operator=(const ModalRuns &) = delete;

    void setRunLoop(RunLoop *runLoop) { m_runLoop = runLoop; }

    // The number of modal runs active now.
    int depth() const { return m_depth; }

    // Marks one modal run of `runs` for its lifetime; nullptr tracks nothing.
    // `close` ends the run with its default answer (it may be called once,
    // while the run spins); a run without it cannot be ended from outside.
    class Scope
    {
    public:
        explicit Scope(ModalRuns *runs, std::function<void()> close = {});
        ~Scope();
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;

        // The run was ended from outside (or should not open at all: the
        // program is ending); its answer is the default one.
        bool endedFromOutside() const { return m_ended; }

    private:
        friend class ModalRuns;
        void end();

        ModalRuns *m_runs;
        std::function<void()> m_close;
        const void *m_owner = nullptr;
        bool m_ended = false;
    };

    // The runs opened while it lives belong to `owner` (a window that runs
    // its alerts), for endRunsOf().
    class Owner
    {
    public:
        Owner(ModalRuns *runs, const void *owner);
        ~Owner();
        Owner(const Owner &) = delete;
        Owner &operator=(const Owner &) = delete;

    private:
        ModalRuns *m_runs;
    };

    // Runs fn now when no modal run is active and nothing waits before it;
    // otherwise queues it behind what waits.
    void deliver(std::function<void()> fn);
    // The number of held-back pieces of work.
    int heldBack() const { return int(m_held.size()); }

    // Ends every open run with its default answer, innermost first, and from
    // now on every new run answers its default at once without opening: the
    // program ends once they have unwound.
    void beginEnding();
    bool isEnding() const { return m_ending; }
    // Ends the open runs that belong to owner, innermost first.
    void endRunsOf(const void *owner);

    // Called each time the last active modal run ends, as it ends.
    void onSettled(std::function<void()> callback) { m_settled = std::move(callback); }

private:
    void settle();
    void flush();

    RunLoop *m_runLoop = nullptr;
    int m_depth = 0;
    bool m_ending = false;
    bool m_flushPosted = false;
    std::vector<Scope *> m_open; // outermost first
    std::vector<const void *> m_owners;
    std::deque<std::function<void()>> m_held;
    std::function<void()> m_settled;
};

} // namespace platform
