#include "valuetransformer.h"

#include <QHash>

namespace keyactions {

namespace {

QHash<QString, const ValueTransformer *> &registry()
{
    static QHash<QString, const ValueTransformer *> transformers;
    return transformers;
}

} // namespace

ValueTransformer::~ValueTransformer() = default;

void ValueTransformer::setValueTransformer(const ValueTransformer *transformer, const QString &name)
{
    if (transformer)
        registry().insert(name, transformer);
    else
        registry().remove(name);
}

const ValueTransformer *ValueTransformer::valueTransformerForName(const QString &name)
{
    return registry().value(name, nullptr);
}

} // namespace keyactions
