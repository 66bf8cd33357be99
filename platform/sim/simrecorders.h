#pragma once

#include <functional>
#include <vector>

#include <QStringList>

#include "platform/alerts.h"
#include "platform/eventposter.h"
#include "platform/files.h"
#include "platform/modifiertap.h"

namespace platform::sim {

class RecordingPoster : public EventPoster
{
public:
    using Hook = std::function<void(const OVEvent &)>;
    void post(const OVEvent &event) override;
    void setHook(Hook hook) { m_hook = std::move(hook); }
    const std::vector<OVEvent> &events() const { return m_events; }
    void clear() { m_events.clear(); }

private:
    std::vector<OVEvent> m_events;
    Hook m_hook;
};

class SimModifierTap : public ModifierTap
{
public:
    void setCreateResult(bool ok) { m_createResult = ok; }
    bool create(Callback callback) override;
    void remove() override { m_callback = nullptr; m_created = false; }
    bool isCreated() const { return m_created; }
    // One flags-changed event from the keyboard.
    void inject(quint16 keyCode, quint64 flags);

private:
    Callback m_callback;
    bool m_createResult = true;
    bool m_created = false;
};

// Alerts answered from a queue (0, the default button, when empty).
class ScriptedAlerts : public Alerts
{
public:
    struct Shown
    {
        QString title;
        QString message;
        QStringList buttons;
    };
    using Hook = std::function<void(const Shown &)>;

    int run(const QString &title, const QString &message, const QStringList &buttons) override;
    void queueAnswer(int button) { m_answers.append(button); }
    void setHook(Hook hook) { m_hook = std::move(hook); }
    const std::vector<Shown> &shown() const { return m_shown; }

private:
    QList<int> m_answers;
    std::vector<Shown> m_shown;
    Hook m_hook;
};

// File panels answered from a queue (cancelled when empty).
class ScriptedFilePanels : public FilePanels
{
public:
    void queueAnswer(std::optional<QString> answer) { m_answers.append(answer); }
    std::optional<QString> openFile(const FilePanelOptions &options) override;
    std::optional<QString> saveFile(const FilePanelOptions &options) override;
    int shownCount() const { return int(m_shown.size()); }
    // The options of every panel shown, in order.
    const QList<FilePanelOptions> &shown() const { return m_shown; }

private:
    QList<std::optional<QString>> m_answers;
    QList<FilePanelOptions> m_shown;
};

// Real files, with every successful write reported.
class RecordingFiles : public Files
{
public:
    using Hook = std::function<void(const QString &path, const QByteArray &bytes)>;
    bool writeAtomically(const QString &path, const QByteArray &bytes, QString *why = nullptr) override;
    void setHook(Hook hook) { m_hook = std::move(hook); }
    // The next writes fail with this reason (an empty reason: writes succeed).
    void setFailure(const QString &why) { m_failure = why; }
    int writeCount() const { return m_writes; }

private:
    Hook m_hook;
    QString m_failure;
    int m_writes = 0;
};

} // namespace platform::sim
