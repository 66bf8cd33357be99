#include "ovvalidator.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/shortcutstrings.h"
#include "keyactions/shortcuttexts.h"
#include "platform/alerts.h"
#include "platform/keyboard.h"
#include "platform/qtkeycodes.h"

namespace keyactions {

namespace {

// An action's text without its mnemonic marks ("&Save" -> "Save", "&&" -> "&").
QString withoutMnemonics(const QString &text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        plain.append(text.at(i));
    }
    return plain;
}

} // namespace

OVValidator::OVValidator(const OVKeyCodeTransformer &transformer, Delegate delegate)
    : m_transformer(transformer)
    , m_delegate(std::move(delegate))
{ }

ShortcutError OVValidator::refusal(qint64 keyCode, quint64 carbonFlags, const QString &suggestion) const
{
    const QString description = formatText(
        shortcutText(m_transformer.strings(), QStringLiteral("The key combination %@ can't be used!")),
        { ShortcutCarbonComboString(m_transformer, carbonFlags, keyCode) });
    return ShortcutError { description, suggestion, { QStringLiteral("OK") } };
}

bool OVValidator::isKeyCodeAndFlagsTaken(
    qint64 keyCode, quint64 carbonFlags, std::optional<ShortcutError> *error)
{
    const platform::Strings &strings = m_transformer.strings();
    QString reason;
    if (m_delegate && m_delegate(keyCode, ShortcutCarbonToCocoaFlags(carbonFlags), &reason)) {
        if (error) {
            const QString why = reason.isEmpty() ? QStringLiteral("It's already used") : reason;
            *error = refusal(
                keyCode, carbonFlags, formatText(shortcutText(strings, QStringLiteral("%@")), { why }));
        }
        return true;
    }

    const std::optional<bool> desktop = m_transformer.keyboard().isDesktopShortcut(
        quint16(keyCode & 0xFFFF), ShortcutCarbonToCocoaFlags(carbonFlags));
    if (desktop) {
        if (ShortcutStringForKeyCode(m_transformer, keyCode).isEmpty())
            return true;
        if (*desktop) {
            if (error) {
                const QString text = shortcutText(strings,
                    QStringLiteral("It's already used by a system-wide keyboard shortcut. (If you really "
                                   "want to use this key combination, most shortcuts can be changed in the "
                                   "Keyboard panel in System Preferences.)"));
                *error = refusal(keyCode, carbonFlags,
                    formatText(text, { ShortcutReadableCarbonCombo(m_transformer, carbonFlags, keyCode) }));
            }
            return true;
        }
    }

    return isTakenInWindows(keyCode, carbonFlags, error);
}

bool OVValidator::isTakenInWindows(qint64 keyCode, quint64 carbonFlags, std::optional<ShortcutError> *error)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false; // a program without windows has no menus
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        // Menus are searched through the actions that open them.
        if (qobject_cast<QMenu *>(window))
            continue;
        QList<QAction *> actions = window->actions();
        const QList<QWidget *> children = window->findChildren<QWidget *>();
        for (QWidget *child : children) {
            if (!qobject_cast<QMenu *>(child))
                actions += child->actions();
        }
        if (isKeyCodeAndFlagsTakenInMenu(keyCode, carbonFlags, actions, error))
            return true;

        const QList<QShortcut *> shortcuts = window->findChildren<QShortcut *>();
        for (QShortcut *shortcut : shortcuts) {
            const QString title = shortcut->objectName().isEmpty()
                ? shortcut->key().toString(QKeySequence::NativeText)
                : shortcut->objectName();
            if (isTakenByKeys(keyCode, carbonFlags, shortcut->keys(), title, error))
                return true;
        }
    }
    return false;
}

bool OVValidator::isTakenByKeys(qint64 keyCode, quint64 carbonFlags, const QList<QKeySequence> &keys,
    const QString &title, std::optional<ShortcutError> *error) const
{
    for (const QKeySequence &sequence : keys) {
        // Only a single combination is a key equivalent.
        if (sequence.count() != 1)
            continue;
        const QKeyCombination combination = sequence[0];
        const int key = int(combination.key());
        const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
        QString keyString;
        if (key > 0x20 && key < 0x01000000) {
            const char32_t character = char32_t(key);
            keyString = QString::fromUcs4(&character, 1).toUpper();
        } else if (const std::optional<quint16> code
            = platform::macKeyForQtKey(key, modifiers & Qt::KeypadModifier)) {
            keyString = ShortcutStringForKeyCode(m_transformer, *code);
        }
        const quint64 mask = platform::macFlagsForQtModifiers(modifiers);
        if (keyString.isEmpty() || keyString != ShortcutStringForKeyCode(m_transformer, keyCode)
            || (mask & kModifierFlags) != (ShortcutCarbonToCocoaFlags(carbonFlags) & kModifierFlags))
            continue;
        if (error) {
            const QString text = shortcutText(
                m_transformer.strings(), QStringLiteral("It's already used by the menu item \"%@\"."));
            *error = refusal(keyCode, carbonFlags,
                formatText(text, { ShortcutReadableCocoaCombo(m_transformer, mask, keyCode), title }));
        }
        return true;
    }
    return false;
}

bool OVValidator::isKeyCodeAndFlagsTakenInMenu(
    qint64 keyCode, quint64 carbonFlags, const QList<QAction *> &menu, std::optional<ShortcutError> *error)
{
    for (QAction *item : menu) {
        if (const QMenu *submenu = item->menu<QMenu *>()) {
            if (isKeyCodeAndFlagsTakenInMenu(keyCode, carbonFlags, submenu->actions(), error))
                return true;
        }
        if (isTakenByKeys(keyCode, carbonFlags, item->shortcuts(), withoutMnemonics(item->text()), error))
            return true;
    }
    return false;
}

void alertWithNonRecoverableError(platform::Alerts &alerts, const ShortcutError &error)
{
    alerts.run(error.localizedDescription, error.localizedRecoverySuggestion, error.localizedRecoveryOptions);
}

} // namespace keyactions
