#include "boardkeycusobject.h"

#include "store/ovpublicdefine.h"

namespace keyactions {

namespace {
QString recordKey(int n)
{
    return store::cusKey(store::OVCFGBoardKeyN(n));
}
} // namespace

QVariantMap BoardKeyCusObject::serialization() const
{
    return serializeSet(store::OVCFGBKAppICNS, recordKey);
}

void BoardKeyCusObject::deserialization(const QVariantMap &dictionary)
{
    deserializeSet(dictionary, store::OVCFGBKAppICNS, recordKey);
}

} // namespace keyactions
