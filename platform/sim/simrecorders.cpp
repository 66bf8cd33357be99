#include "simrecorders.h"

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
    m_shown.push_back(Shown{title, message, buttons});
    if (m_hook)
        m_hook(m_shown.back());
    const int answer = m_answers.isEmpty() ? 0 : m_answers.takeFirst();
    return buttons.isEmpty() ? 0 : qBound(0, answer, int(buttons.size()) - 1);
}

std::optional<QString> ScriptedFilePanels::openFile(const FilePanelOptions &options)
{
    m_shown.append(options);
    return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
}

std::optional<QString> ScriptedFilePanels::saveFile(const FilePanelOptions &options)
{
    m_shown.append(options);
    return m_answers.isEmpty() ? std::nullopt : m_answers.takeFirst();
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
