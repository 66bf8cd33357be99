#pragma once

#include <functional>
#include <optional>

#include <QList>
#include <QString>
#include <QStringList>

class QAction;
class QKeySequence;

namespace platform {
class Alerts;
}

namespace keyactions {

class OVKeyCodeTransformer;

// Why a key combination was refused: the alert's message, its informative
// text and its buttons (the single "OK").
struct ShortcutError
{
    QString localizedDescription;
    QString localizedRecoverySuggestion;
    QStringList localizedRecoveryOptions;

    friend bool operator==(const ShortcutError &, const ShortcutError &) = default;
};

// Decides whether a key combination is taken, asking in this order:
//   1. its delegate (the recorder, which asks the editor that owns it: the
//      hot-key pane keeps its own combinations for itself);
//   2. the desktop, through the keyboard service (on X11: does another
//      program hold a grab on the combination); where the desktop cannot be
//      asked, nothing is taken there;
//   3. the application's menus and actions: every shortcut of an action of
//      one of its windows, submenus first, and its QShortcut objects.
// Flags are in the four-bit form (shortcutstrings.h). Main thread only.
class OVValidator
{
public:
    // YES when the delegate keeps (keyCode, flags in the event form) for
    // itself; a reason it gives becomes the refusal's suggestion.
    using Delegate = std::function<bool(qint64 keyCode, quint64 cocoaFlags, QString *reason)>;

    explicit OVValidator(const OVKeyCodeTransformer &transformer, Delegate delegate = Delegate());

    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }

    // YES when taken. *error (when given) gets the refusal, except for a key
    // the desktop is asked about while it has no display string (refused
    // without one: such a key could not be shown).
    bool isKeyCodeAndFlagsTaken(
        qint64 keyCode, quint64 carbonFlags, std::optional<ShortcutError> *error = nullptr);

    // The menu check alone, over one menu's actions (and their submenus).
    bool isKeyCodeAndFlagsTakenInMenu(qint64 keyCode, quint64 carbonFlags, const QList<QAction *> &menu,
        std::optional<ShortcutError> *error = nullptr);

    // A refusal of the combination: "The key combination ⇧⌘S can't be
    // used!" with the suggestion and the single option "OK".
    ShortcutError refusal(qint64 keyCode, quint64 carbonFlags, const QString &suggestion) const;

private:
    bool isTakenInWindows(qint64 keyCode, quint64 carbonFlags, std::optional<ShortcutError> *error);
    // YES when one of keys (a menu item's or a shortcut's) is the
    // combination: the same key string and the same four modifiers.
    bool isTakenByKeys(qint64 keyCode, quint64 carbonFlags, const QList<QKeySequence> &keys,
        const QString &title, std::optional<ShortcutError> *error) const;

    const OVKeyCodeTransformer &m_transformer;
    Delegate m_delegate;
};

// Shows a refusal as a modal alert: the description as message, the
// suggestion as informative text, the options as buttons.
void alertWithNonRecoverableError(platform::Alerts &alerts, const ShortcutError &error);

} // namespace keyactions
