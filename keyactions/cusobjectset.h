#pragma once

#include <algorithm>
#include <array>
#include <optional>

#include <QString>
#include <QVariantMap>

#include "keyactions/recordvalues.h"

namespace keyactions {

// One application's set of ten custom records (express-key actions or wheel
// functions), the common part of BoardKeyCusObject and WheelKeyCusObject.
// The set is stored under the application's name, so the name is not part
// of the stored set.
template <class Record> class CusObjectSet
{
public:
    static constexpr int kCount = 10;

    std::optional<QString> name; // the application's name: the key of the stored set
    std::optional<QString> path; // path of the application's icon file

    // Record n, 1..10; nil = none.
    std::optional<Record> &record(int n) { return m_records[index(n)]; }
    const std::optional<Record> &record(int n) const { return m_records[index(n)]; }

    friend bool operator==(const CusObjectSet &, const CusObjectSet &) = default;

protected:
    // Writes the icon key, then record n under recordKey(n) for n = 1..10.
    template <class KeyName> QVariantMap serializeSet(const QString &iconKey, KeyName recordKey) const
    {
        QVariantMap set;
        recordvalues::setValue(set, iconKey, path);
        for (int n = 1; n <= kCount; ++n) {
            if (const std::optional<Record> &r = record(n))
                set.insert(recordKey(n), r->serialization());
        }
        return set;
    }

    // Reads {application name: set}: for each entry, the name, the icon path,
    // and every record the set holds (a key it lacks, or whose value is not a
    // dictionary, leaves that record as it was).
    template <class KeyName>
    void deserializeSet(const QVariantMap &dictionary, const QString &iconKey, KeyName recordKey)
    {
        for (auto it = dictionary.constBegin(); it != dictionary.constEnd(); ++it) {
            const QVariantMap set = recordvalues::dictionary(dictionary, it.key()).value_or(QVariantMap());
            name = it.key();
            path = recordvalues::string(set, iconKey);
            for (int n = 1; n <= kCount; ++n) {
                if (const std::optional<QVariantMap> value = recordvalues::dictionary(set, recordKey(n))) {
                    Record r;
                    r.deserialization(*value);
                    m_records[n - 1] = r;
                }
            }
        }
    }

private:
    static std::size_t index(int n)
    {
        Q_ASSERT(n >= 1 && n <= kCount);
        return std::size_t(std::clamp(n, 1, kCount) - 1);
    }

    std::array<std::optional<Record>, kCount> m_records;
};

} // namespace keyactions
