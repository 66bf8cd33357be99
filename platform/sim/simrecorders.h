#pragma once

#include <functional>
#include <vector>

#include <QStringList>

#include "platform/alerts.h"
#include "platform/eventposter.h"
#include "platform/files.h"
#include "platform/modifiertap.h"

namespace platform {
class ModalRuns;
}

namespace platform::sim {

// How a held-open alert or panel spins: for `seconds` (virtual or real),
// or until `open` answers false (the run was ended from outside). The
// simulator goes on with its script meanwhile, as events reach a real
// modal window.
using ModalSpin = std::function<void(double seconds, const std::function<bool()> &open)>;

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

// Alerts answered from a queue (0, the default button, when empty). Each is
// a modal run of the tracker set with setModalRuns(); one whose answer came
// with a delay stays open that long (see ModalSpin). Ended from outside, or
// opened while the program ends, an alert answers 0.
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
    // An alert that was held open has closed with this answer.
    using ClosedHook = std::function<void(const Shown &, int button)>;

    int run(const QString &title, const QString &message, const QStringList &buttons) override;
    // heldOpen: seconds the alert stays open before this answer is given.
    void queueAnswer(int button, std::optional<double> heldOpen = std::nullopt)
    {
        m_answers.append(Answer{button, heldOpen});
    }
    void setHook(Hook hook) { m_hook = std::move(hook); }
    void setClosedHook(ClosedHook hook) { m_closedHook = std::move(hook); }
    void setModalRuns(ModalRuns *runs) { m_runs = runs; }
    void setSpin(ModalSpin spin) { m_spin = std::move(spin); }
    const std::vector<Shown> &shown() const { return m_shown; }

private:
    struct Answer
    {
        int button = 0;
        std::optional<double> heldOpen;
    };
    QList<Answer> m_answers;
    std::vector<Shown> m_shown;
    Hook m_hook;
    ClosedHook m_closedHook;
    ModalRuns *m_runs = nullptr;
    ModalSpin m_spin;
};

// File panels answered from a queue (cancelled when empty), modal runs as
// the alerts are: one held open is cancelled when ended from outside.
class ScriptedFilePanels : public FilePanels
{
public:
    // An answer that was held open has been given (nullopt: cancelled).
    using ClosedHook = std::function<void(const std::optional<QString> &path)>;

    void queueAnswer(std::optional<QString> answer, std::optional<double> heldOpen = std::nullopt)
    {
        m_answers.append(Answer{answer, heldOpen});
    }
    std::optional<QString> openFile(const FilePanelOptions &options) override;
    std::optional<QString> saveFile(const FilePanelOptions &options) override;
    int shownCount() const { return int(m_shown.size()); }
    // The options of every panel shown, in order.
    const QList<FilePanelOptions> &shown() const { return m_shown; }
    void setClosedHook(ClosedHook hook) { m_closedHook = std::move(hook); }
    void setModalRuns(ModalRuns *runs) { m_runs = runs; }
    void setSpin(ModalSpin spin) { m_spin = std::move(spin); }

private:
    struct Answer
    {
        std::optional<QString> path;
        std::optional<double> heldOpen;
    };
    std::optional<QString> run(const FilePanelOptions &options);

    QList<Answer> m_answers;
    QList<FilePanelOptions> m_shown;
    ClosedHook m_closedHook;
    ModalRuns *m_runs = nullptr;
    ModalSpin m_spin;
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
