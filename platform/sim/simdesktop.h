#pragma once

#include <functional>
#include <map>
#include <vector>

#include <QHash>
#include <QVariantMap>

#include "platform/displays.h"
#include "platform/keyboard.h"
#include "platform/userdefaults.h"
#include "platform/workspace.h"

namespace platform::sim {

class SimDisplays : public Displays
{
public:
    QList<DisplayInfo> displays() const override;
    int rotation(quint32 id) const override;
    bool setRotation(quint32 id, int degrees) override;
    void onChanged(std::function<void()> callback) override { m_callbacks.push_back(std::move(callback)); }
    QPointF pointerPosition() const override { return m_pointer; }

    // Adds or replaces the display of that id; notifies the observers.
    void setDisplay(const DisplayInfo &display);
    void removeDisplay(quint32 id);
    void setPointer(QPointF position) { m_pointer = position; }
    const std::vector<std::pair<quint32, int>> &rotationRequests() const { return m_rotations; }

private:
    void changed();

    QList<DisplayInfo> m_displays;
    std::vector<std::function<void()>> m_callbacks;
    std::vector<std::pair<quint32, int>> m_rotations;
    QPointF m_pointer;
};

class SimWorkspace : public Workspace
{
public:
    using Hook = std::function<void(const QString &what, const QString &path)>;

    int runningCount(const QString &bundleId) const override { return m_running.value(bundleId); }
    void watchDisappearance(const QString &bundleId, std::function<void()> callback) override;
    void terminate(const QString &bundleId) override;
    bool launch(const QString &path) override;
    bool open(const QString &pathOrUrl) override;
    FrontApplication frontApplication() const override { return m_front; }
    double doubleClickInterval() const override { return 0.5; }

    void setRunning(const QString &bundleId, int count);
    void setFront(const FrontApplication &front) { m_front = front; }
    // "launch", "open" and "terminate" with their path or bundle id.
    void setHook(Hook hook) { m_hook = std::move(hook); }
    const QStringList &launched() const { return m_launched; }
    const QStringList &opened() const { return m_opened; }
    const QStringList &terminated() const { return m_terminated; }

private:
    QHash<QString, int> m_running;
    std::multimap<QString, std::function<void()>> m_watchers;
    FrontApplication m_front;
    QStringList m_launched;
    QStringList m_opened;
    QStringList m_terminated;
    Hook m_hook;
};

class MemoryUserDefaults : public UserDefaults
{
public:
    QVariant value(const QString &key) const override { return m_values.value(key); }
    void setValue(const QString &key, const QVariant &value) override { m_values.insert(key, value); }
    void remove(const QString &key) override { m_values.remove(key); }
    QVariantMap all() const override { return m_values; }
    QStringList preferredLanguages() const override { return m_languages; }
    void setPreferredLanguages(const QStringList &languages) { m_languages = languages; }

private:
    QVariantMap m_values;
    QStringList m_languages{QStringLiteral("en")};
};

// A US keyboard layout (the keypad with Num Lock on) and a settable list of
// desktop shortcuts.
class SimKeyboard : public Keyboard
{
public:
    struct Shortcut
    {
        quint16 keyCode = 0; // mac key code
        quint64 flags = 0; // mac event flags
        bool enabled = true;
    };

    QString characterFor(quint16 keyCode, quint64 flags = 0) const override;
    void onLayoutChanged(const void *owner, std::function<void()> callback) override;
    void removeLayoutObserver(const void *owner) override;
    // Taken when an enabled shortcut has the key code and the same Shift,
    // Control, Option and Command; nullopt while the shortcuts are unknown.
    std::optional<bool> isDesktopShortcut(quint16 keyCode, quint64 flags) override;

    void setDesktopShortcuts(const QList<Shortcut> &shortcuts) { m_shortcuts = shortcuts; }
    void setDesktopShortcutsKnown(bool known) { m_shortcutsKnown = known; }
    // Runs the layout observers, as a switch of layout does.
    void layoutChanged();

private:
    std::vector<std::pair<const void *, std::function<void()>>> m_observers;
    QList<Shortcut> m_shortcuts;
    bool m_shortcutsKnown = true;
};

} // namespace platform::sim
