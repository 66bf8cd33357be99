#include "modalruns.h"

namespace settings {

ModalRuns::Scope::Scope(ModalRuns *runs)
    : m_runs(runs)
{
    if (m_runs)
        ++m_runs->m_depth;
}

ModalRuns::Scope::~Scope()
{
    if (!m_runs || --m_runs->m_depth > 0)
        return;
    // A copy: the callback may set another.
    const std::function<void()> settled = m_runs->m_settled;
    if (settled)
        settled();
}

} // namespace settings
