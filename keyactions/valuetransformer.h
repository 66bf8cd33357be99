#pragma once

#include <QString>
#include <QVariant>

namespace keyactions {

// Turns a value into another for a binding, and, where it allows, back: the
// recorder's value binding pushes its value through the reverse direction.
// Transformers can be registered under a name, so that binding options name
// one instead of handing it over.
class ValueTransformer
{
public:
    virtual ~ValueTransformer();

    virtual bool allowsReverseTransformation() const { return false; }
    virtual QVariant transformedValue(const QVariant &value) const = 0;
    // Only called where allowsReverseTransformation() is true.
    virtual QVariant reverseTransformedValue(const QVariant &value) const { return value; }

    // The registry of named transformers (main thread only). The registered
    // transformer must outlive its registration; nullptr removes the name.
    static void setValueTransformer(const ValueTransformer *transformer, const QString &name);
    static const ValueTransformer *valueTransformerForName(const QString &name);
};

} // namespace keyactions
