#pragma once

#include <functional>
#include <optional>

#include <QString>
#include <QVariantMap>

#include "platform/workspace.h"

// Reading the key-action configuration of a device: express keys, wheel
// slots, per-application sets and custom actions. Every value is checked for
// its kind and range; one of the wrong kind reads as absent, so a damaged or
// hand-edited file never reaches the dispatch as an out-of-range index.
namespace driver {

// One recorded key combination (a recorder dictionary "keyCode",
// "modifierFlags"): mac key code and mac event flags.
struct RecordedCombo
{
    quint16 keyCode = 0; // the low 16 bits of the stored code
    quint64 modifierFlags = 0;

    friend bool operator==(const RecordedCombo &, const RecordedCombo &) = default;
};

// nullopt for a missing or empty recorder dictionary, or one whose key code
// is not a non-negative number.
std::optional<RecordedCombo> recordedCombo(const QVariant &recorder);

enum class CustomKind { Application = 0, HotKey = 1, Address = 2, Mouse = 3 };

// A custom action of a pen button or an express key ("OVCFGPenKeyCus" ...).
struct CustomAction
{
    CustomKind kind = CustomKind::Application;
    QString alias; // "OVCFGPenKeyCusAlias"
    QString appPath; // kind 0
    QString url; // kind 2
    std::optional<quint64> hotKeyIndex; // kind 1: entry of the hot-key list
    std::optional<RecordedCombo> combo; // kind 1, entry 0: the recorded combination
    std::optional<quint64> mouse; // kind 3: 0 double click, 1 middle click, 2 scroll
};

// nullopt when the value is not a dictionary or its kind is missing, of
// another type or above 3.
std::optional<CustomAction> customAction(const QVariant &value);

// A custom wheel function: its name and the combination of each direction.
struct WheelCustom
{
    QString alias; // "OVCFGRKeyCusAlias"
    std::optional<RecordedCombo> counterClockwise; // "OVCFGRKeyCusCusCCWHK"
    std::optional<RecordedCombo> clockwise; // "OVCFGRKeyCusCusCWHK"
};
std::optional<WheelCustom> wheelCustom(const QVariant &value);

// The configuration as the store holds it: category, then key.
using KeyConfiguration = QVariantMap;

QVariant configValue(const KeyConfiguration &configuration, const QString &category, const QString &key);

// The action-list index under key, or under key + "Def" while key is absent
// (a value of another kind counts as absent); 0 (no action) when neither
// holds one.
quint64 actionIndex(const KeyConfiguration &configuration, const QString &category, const QString &key);

// A per-application set and the key it is stored under.
struct ApplicationSet
{
    QString key;
    QVariantMap set;
};

// The per-application set of the front application in "OVCFGBKAppOptions"
// (express keys, wheel false) or "OVCFGRKAppOptions" (wheel true): the one
// stored under one of its names (FrontApplication::isNamed()), a key equal to
// a name (in the names' order) before one that differs in case.
// A set that is not a dictionary counts as none.
std::optional<ApplicationSet> applicationSet(
    const KeyConfiguration &configuration, bool wheel, const platform::FrontApplication &front);

// Wheel slots run 1..10; any other stored slot is none.
std::optional<int> wheelSlot(const QVariant &value);

// The display text of an express key's action (wheel false, key
// "OVCFGBoardKey<n>") or a wheel slot's function (wheel true, key
// "OVCFGWheelKey<n>"): the alias of the application's set when it has one,
// else the localised text of the list entry (through `text`), else the alias
// of the key's own custom action for the custom entry. Empty when none.
QString searchValue(const KeyConfiguration &configuration, const QString &key,
    const platform::FrontApplication &front, bool wheel, const std::function<QString(const QString &textKey)> &text);

} // namespace driver
