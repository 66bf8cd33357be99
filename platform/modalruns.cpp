#include "modalruns.h"

#include <algorithm>

#include "platform/runloop.h"

namespace platform {

ModalRuns::~ModalRuns()
{
    if (m_runLoop)
        m_runLoop->cancelAll(this);
}

ModalRuns::Scope::Scope(ModalRuns *runs, std::function<void()> close)
    : m_runs(runs)
    , m_close(std::move(close))
{
    if (!m_runs)
        return;
    ++m_runs->m_depth;
    m_owner = m_runs->m_owners.empty() ? nullptr : m_runs->m_owners.back();
    m_ended = m_runs->m_ending;
    m_runs->m_open.push_back(this);
}

ModalRuns::Scope::~Scope()
{
    if (!m_runs)
        return;
    std::erase(m_runs->m_open, this);
    if (--m_runs->m_depth == 0)
        m_runs->settle();
}

void ModalRuns::Scope::end()
{
    if (m_ended)
        return;
    m_ended = true;
    if (m_close)
        m_close();
}

ModalRuns::Owner::Owner(ModalRuns *runs, const void *owner)
    : m_runs(runs)
{
    if (m_runs)
        m_runs->m_owners.push_back(owner);
}

ModalRuns::Owner::~Owner()
{
    if (m_runs)
        m_runs->m_owners.pop_back();
}

void ModalRuns::deliver(std::function<void()> fn)
{
    if (m_depth == 0 && m_held.empty()) {
        fn();
        return;
    }
    m_held.push_back(std::move(fn));
}

void ModalRuns::beginEnding()
{
    m_ending = true;
    endRunsOf(nullptr);
}

void ModalRuns::endRunsOf(const void *owner)
{
    // A copy, innermost first: ending one run lets nothing else open or
    // close here, but the closers are the runs' own code.
    const std::vector<Scope *> open(m_open.rbegin(), m_open.rend());
    for (Scope *scope : open) {
        if (std::find(m_open.begin(), m_open.end(), scope) == m_open.end())
            continue;
        if (!owner || scope->m_owner == owner)
            scope->end();
    }
}

void ModalRuns::settle()
{
    // A copy: the callback may set another.
    const std::function<void()> settled = m_settled;
    if (settled)
        settled();
    if (m_held.empty() || m_depth > 0)
        return;
    if (!m_runLoop) {
        flush();
        return;
    }
    // The run's caller is still on the stack; what waited runs once it has
    // gone on.
    if (!m_flushPosted) {
        m_flushPosted = true;
        m_runLoop->after(0, this, [this] { flush(); });
    }
}

void ModalRuns::flush()
{
    m_flushPosted = false;
    // A piece that opens a run of its own stops the rest here; that run's
    // end goes on with them.
    while (m_depth == 0 && !m_held.empty()) {
        std::function<void()> fn = std::move(m_held.front());
        m_held.pop_front();
        fn();
    }
}

} // namespace platform
