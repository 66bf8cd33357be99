#include "diainfo.h"

#include "store/ovmodels.h"

namespace store {

namespace {

// CPU names by reported code 1..8. The last three codes are not in name
// order: code 6 is the CP7, 7 the CP8 and 8 the CP6.
constexpr const char *kCpuNames[] = { "CP1", "CP2", "CP3", "CP4", "CP5", "CP7", "CP8", "CP6" };

QString nameOrNull(const char *name)
{
    return name ? QString::fromLatin1(name) : QString();
}

} // namespace

QString productNameWithDevkey(const QString &devKey)
{
    return nameOrNull(factsFor(devKey).productName);
}

QString productModelWithDevkey(const QString &devKey)
{
    return nameOrNull(factsFor(devKey).productModel);
}

QString cpuForCpu(quint16 cpu)
{
    if (cpu < 1 || cpu > std::size(kCpuNames))
        return QString();
    return QString::fromLatin1(kCpuNames[cpu - 1]);
}

QString penForPen(quint16 pen, const QString &proModel)
{
    if (proModel.isEmpty())
        return QString();
    for (const ModelRow &row : modelRows()) {
        if (row.productModel && proModel == QLatin1String(row.productModel)) {
            // Codes 0..2 name a pen; any other code falls back to the model's usual pen.
            const size_t column = pen <= 2 ? pen : 3;
            return nameOrNull(row.penModels[column]);
        }
    }
    return QString();
}

} // namespace store
