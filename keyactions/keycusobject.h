#pragma once

#include <optional>

#include <QString>
#include <QVariantMap>

namespace keyactions {

// One custom action of a pen button or an express key, as the per-key editor
// builds it and the configuration stores it (the custom-action dictionary
// "OVCFGPenKeyCus" ...). A plain value: every property starts empty, and an
// empty optional is a nil property, whose key serialization() leaves out.
struct KeyCusObject
{
    // Kinds of keyActCus.
    static constexpr quint64 kApplication = 0;
    static constexpr quint64 kHotKey = 1;
    static constexpr quint64 kAddress = 2;
    static constexpr quint64 kMouse = 3;
    // The last entry of the hot-key list (keyActCusHotKey 0..39); 0 is the
    // recorded combination.
    static constexpr quint64 kLastHotKey = 39;

    quint64 keyActCus = 0; // kind: 0 application, 1 hot key, 2 internet address, 3 mouse
    std::optional<QString> alias; // the action's name
    std::optional<QString> appPath; // kind 0: the application's path
    quint64 keyActCusHotKey = 0; // kind 1: entry of the hot-key list; 0 = customHotKey
    std::optional<QVariantMap> customHotKey; // kind 1: a recorder dictionary
    quint64 keyActCusNet = 0; // kind 2: 0 web address, 1 e-mail address
    std::optional<QString> urlStr; // kind 2: the address
    quint64 keyActCusMouse = 0; // kind 3: 0 double click, 1 middle click, 2 scroll

    // "OVCFGPenKeyCus" (always), "OVCFGPenKeyCusAlias", then only the keys of
    // the kind; a kind above 3 stores the first two alone.
    QVariantMap serialization() const;
    // Reads the kind and the alias, then only the keys of that kind; the
    // properties of other kinds keep their values. Values are typed: one of
    // the wrong type reads as absent (a number as 0, a string or dictionary
    // as nil). A kind above 3 reads as absent, and so does a hot-key entry
    // above 39, so that an editor opens on its first tab or the recorder
    // rather than on a choice that selects nothing.
    void deserialization(const QVariantMap &dictionary);

    friend bool operator==(const KeyCusObject &, const KeyCusObject &) = default;
};

} // namespace keyactions
