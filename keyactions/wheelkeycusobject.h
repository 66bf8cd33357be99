#pragma once

#include "keyactions/cusobjectset.h"
#include "keyactions/rkeycusobject.h"

namespace keyactions {

// One application's wheel set: record(n) is the custom function of wheel
// slot n in that application (the system's r1CusObject .. r10CusObject).
class WheelKeyCusObject : public CusObjectSet<RKeyCusObject>
{
public:
    std::optional<RKeyCusObject> &rCusObject(int n) { return record(n); }
    const std::optional<RKeyCusObject> &rCusObject(int n) const { return record(n); }

    // "OVCFGRKAppICNS" = path, "OVCFGRKAppCur" = 1 (always: a saved set
    // starts again at wheel slot 1 in the driver), then "OVCFGWheelKey<n>Cus"
    // = the serialization of record n, for the records that exist. The name
    // is not written.
    QVariantMap serialization() const;
    // From {application name: wheel set}; "OVCFGRKAppCur" is not read.
    void deserialization(const QVariantMap &dictionary);
};

} // namespace keyactions
