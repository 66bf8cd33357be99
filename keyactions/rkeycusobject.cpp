#include "rkeycusobject.h"

#include "keyactions/recordvalues.h"
#include "store/ovpublicdefine.h"

namespace keyactions {

using namespace recordvalues;

QVariantMap RKeyCusObject::serialization() const
{
    QVariantMap dictionary;
    setValue(dictionary, store::OVCFGRKeyCusAlias, alias);
    setValue(dictionary, store::OVCFGRKeyCusCusCWHK, cusCWHK);
    setValue(dictionary, store::OVCFGRKeyCusCusCCWHK, cusCCWHK);
    return dictionary;
}

void RKeyCusObject::deserialization(const QVariantMap &dictionary)
{
    alias = string(dictionary, store::OVCFGRKeyCusAlias);
    cusCWHK = recordvalues::dictionary(dictionary, store::OVCFGRKeyCusCusCWHK);
    cusCCWHK = recordvalues::dictionary(dictionary, store::OVCFGRKeyCusCusCCWHK);
}

} // namespace keyactions
