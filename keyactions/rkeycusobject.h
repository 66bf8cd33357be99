#pragma once

#include <optional>

#include <QString>
#include <QVariantMap>

namespace keyactions {

// One custom wheel function, as the wheel-function editor builds it: a name
// and a recorded combination per turning direction (recorder dictionaries).
struct RKeyCusObject
{
    std::optional<QString> alias; // "OVCFGRKeyCusAlias"
    std::optional<QVariantMap> cusCWHK; // "OVCFGRKeyCusCusCWHK": clockwise
    std::optional<QVariantMap> cusCCWHK; // "OVCFGRKeyCusCusCCWHK": counter-clockwise

    // The three keys, each left out when nil.
    QVariantMap serialization() const;
    // The three keys; an absent one, or one of the wrong type, sets nil.
    void deserialization(const QVariantMap &dictionary);

    friend bool operator==(const RKeyCusObject &, const RKeyCusObject &) = default;
};

} // namespace keyactions
