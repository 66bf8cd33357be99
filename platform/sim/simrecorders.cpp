#include "simrecorders.h"

#include "platform/modalruns.h"

namespace platform::sim {

void RecordingPoster::post(const OVEvent &event)
{
    m_events.push_back(event);
    if (m_hook)
        m_hook(event);
}

bool SimModifierTap::create(Callback callback)
{
    if (!m_createResult)
        return false;
    m_callback = std::move(callback);
    m_created = true;
    return true;
}

void SimModifierTap::inject(quint16 keyCode, quint64 flags)
{
    if (m_callback)
        m_callback(keyCode, flags);
}

int ScriptedAlerts::run(const QString &title, const QString &message, const QStringList &buttons)
{
    bool open = true;
    const ModalRuns::Scope run(m_runs, [&open] { open = false; });
    if (run.endedFromOutside())
        return 0; // the program ends: nothing is shown, nothing is taken
    m_shown.push_back(Shown{title, message, buttons});
    const Shown shown = m_shown.back(); // the hook may show another
    if (m_hook)
        m_hook(shown);
    const Answer answer = m_answers.isEmpty() ? Answer{} : m_answers.takeFirst();
    int button = buttons.isEmpty() ? 0 : qBound(0, answer.button, int(buttons.size()) - 1);
    if (!answer.heldOpen)
        return button;
    if (m_spin)
        m_spin(*answer.heldOpen, [&open] { return open; });
    if (run.endedFromOutside())
        button = 0;
    if (m_closedHook)
        m_closedHook(shown, button);
    return button;
}

std::optional<QString> ScriptedFilePanels::run(const FilePanelOptions &options)
{
    bool open = true;
    const ModalRuns::Scope run(m_runs, [&open] { open = false; });
    if (run.endedFromOutside())
        return std::nullopt;
    m_shown.append(options);
    const Answer answer = m_answers.isEmpty() ? Answer{} : m_answers.takeFirst();
    if (!answer.heldOpen)
        return answer.path;
    if (m_spin)
        m_spin(*answer.heldOpen, [&open] { return open; });
    const std::optional<QString> path = run.endedFromOutside() ? std::nullopt : answer.path;
    if (m_closedHook)
        m_closedHook(path);
    return path;
}

std::optional<QString> ScriptedFilePanels::openFile(const FilePanelOptions &options)
{
    return run(options);
}

std::optional<QString> ScriptedFilePanels::saveFile(const FilePanelOptions &options)
{
    return run(options);
}

bool RecordingFiles::writeAtomically(const QString &path, const QByteArray &bytes, QString *why)
{
    if (!m_failure.isEmpty()) {
        if (why)
            *why = m_failure;
        return false;
    }
    if (!Files::writeAtomically(path, bytes, why))
        return false;
    ++m_writes;
    if (m_hook)
        m_hook(path, bytes);
    return true;
}

} // namespace platform::sim
