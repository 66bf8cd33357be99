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

// A US keyboard layout.
class SimKeyboard : public Keyboard
{
public:
    QString characterFor(quint16 keyCode, quint64 flags = 0) const override;
    void onLayoutChanged(std::function<void()> callback) override { m_callbacks.push_back(std::move(callback)); }
    QList<SystemShortcut> systemShortcuts() const override { return m_shortcuts; }
    void setSystemShortcuts(const QList<SystemShortcut> &shortcuts) { m_shortcuts = shortcuts; }

private:
    std::vector<std::function<void()>> m_callbacks;
    QList<SystemShortcut> m_shortcuts;
};

} // namespace platform::sim
