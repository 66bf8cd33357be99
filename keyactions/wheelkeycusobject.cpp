#include "wheelkeycusobject.h"

#include "store/ovpublicdefine.h"

namespace keyactions {

namespace {
QString recordKey(int n)
{
    return store::cusKey(store::OVCFGWheelKeyN(n));
}
} // namespace

QVariantMap WheelKeyCusObject::serialization() const
{
    QVariantMap set = serializeSet(store::OVCFGRKAppICNS, recordKey);
    set.insert(store::OVCFGRKAppCur, qint64(1));
    return set;
}

void WheelKeyCusObject::deserialization(const QVariantMap &dictionary)
{
    deserializeSet(dictionary, store::OVCFGRKAppICNS, recordKey);
}

} // namespace keyactions
