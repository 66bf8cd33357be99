#pragma once

#include "keyactions/cusobjectset.h"
#include "keyactions/keycusobject.h"

namespace keyactions {

// One application's express-key set: record(n) is the custom action of
// express key n in that application (the system's k1CusObject ..
// k10CusObject).
class BoardKeyCusObject : public CusObjectSet<KeyCusObject>
{
public:
    std::optional<KeyCusObject> &kCusObject(int n) { return record(n); }
    const std::optional<KeyCusObject> &kCusObject(int n) const { return record(n); }

    // "OVCFGBKAppICNS" = path, then "OVCFGBoardKey<n>Cus" = the serialization
    // of record n, for the records that exist. The name is not written.
    QVariantMap serialization() const;
    // From {application name: express-key set}.
    void deserialization(const QVariantMap &dictionary);
};

} // namespace keyactions
