#include "keycusobject.h"

#include <limits>

#include "keyactions/recordvalues.h"
#include "store/ovpublicdefine.h"

namespace keyactions {

using namespace recordvalues;

namespace {
constexpr quint64 kAnyNumber = std::numeric_limits<quint64>::max();
} // namespace

QVariantMap KeyCusObject::serialization() const
{
    QVariantMap dictionary;
    dictionary.insert(store::OVCFGPenKeyCus, keyActCus);
    setValue(dictionary, store::OVCFGPenKeyCusAlias, alias);
    switch (keyActCus) {
    case kApplication:
        setValue(dictionary, store::OVCFGPenKeyCusAppPath, appPath);
        break;
    case kHotKey:
        dictionary.insert(store::OVCFGPenKeyCusHotKey, keyActCusHotKey);
        setValue(dictionary, store::OVCFGPenKeyCusCusHotKey, customHotKey);
        break;
    case kAddress:
        dictionary.insert(store::OVCFGPenKeyCusNet, keyActCusNet);
        setValue(dictionary, store::OVCFGPenKeyCusURL, urlStr);
        break;
    case kMouse:
        dictionary.insert(store::OVCFGPenKeyCusMouse, keyActCusMouse);
        break;
    default:
        break;
    }
    return dictionary;
}

void KeyCusObject::deserialization(const QVariantMap &dictionary)
{
    keyActCus = unsignedUpTo(dictionary, store::OVCFGPenKeyCus, kMouse);
    alias = string(dictionary, store::OVCFGPenKeyCusAlias);
    switch (keyActCus) {
    case kApplication:
        appPath = string(dictionary, store::OVCFGPenKeyCusAppPath);
        break;
    case kHotKey:
        keyActCusHotKey = unsignedUpTo(dictionary, store::OVCFGPenKeyCusHotKey, kLastHotKey);
        customHotKey = recordvalues::dictionary(dictionary, store::OVCFGPenKeyCusCusHotKey);
        break;
    case kAddress:
        keyActCusNet = unsignedUpTo(dictionary, store::OVCFGPenKeyCusNet, kAnyNumber);
        urlStr = string(dictionary, store::OVCFGPenKeyCusURL);
        break;
    case kMouse:
        keyActCusMouse = unsignedUpTo(dictionary, store::OVCFGPenKeyCusMouse, kAnyNumber);
        break;
    }
}

} // namespace keyactions
