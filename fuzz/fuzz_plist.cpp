// Property lists arrive from files a user can hand us (import) and from the
// session bus (notification payloads): any bytes must parse or be refused,
// and whatever parses must write back and read back to the same value.

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QVariantMap>

#include "platform/plist.h"

namespace {

// Same types and values all the way down (NaN equals NaN). Bytes are not
// compared: libplist's binary writer shares equal data objects depending on
// where they sit in memory.
bool same(const QVariant &a, const QVariant &b)
{
    if (a.metaType() != b.metaType())
        return false;
    switch (a.metaType().id()) {
    case QMetaType::QVariantMap: {
        const QVariantMap x = a.toMap(), y = b.toMap();
        if (x.keys() != y.keys())
            return false;
        for (auto it = x.cbegin(); it != x.cend(); ++it) {
            if (!same(it.value(), y.value(it.key())))
                return false;
        }
        return true;
    }
    case QMetaType::QVariantList: {
        const QVariantList x = a.toList(), y = b.toList();
        if (x.size() != y.size())
            return false;
        for (qsizetype i = 0; i < x.size(); ++i) {
            if (!same(x.at(i), y.at(i)))
                return false;
        }
        return true;
    }
    case QMetaType::Double: {
        const double x = a.toDouble(), y = b.toDouble();
        return x == y || (std::isnan(x) && std::isnan(y));
    }
    default:
        return a == b;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > size_t(platform::plist::kMaxBytes) + 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    QString error;
    const auto value = platform::plist::parse(bytes, &error);
    if (!value) {
        if (error.isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    if (!platform::plist::isPlistValue(*value))
        std::abort();
    const auto binary = platform::plist::write(*value, platform::plist::Format::Binary);
    if (!binary)
        std::abort();
    const auto again = platform::plist::parse(*binary);
    if (!again || !same(*again, *value))
        std::abort();
    // XML refuses strings with control characters; what it writes must read back.
    if (const auto xml = platform::plist::write(*value, platform::plist::Format::Xml)) {
        const auto fromXml = platform::plist::parse(*xml);
        if (!fromXml)
            std::abort();
    }
    return 0;
}
