#include "ovpublicdefine.h"

#include "store/ovmodels.h"

namespace store {

QString OVCFGBoardKeyN(int n)
{
    return QString(OVCFGBoardKey) + QString::number(n);
}

QString OVCFGWheelKeyN(int n)
{
    return QString(OVCFGWheelKey) + QString::number(n);
}

QString defKey(const QString &key)
{
    return key + QLatin1String("Def");
}

QString cusKey(const QString &key)
{
    return key + QLatin1String("Cus");
}

#define OV_DEVKEY(model)                                                                                     \
    const QString &kDevKey##model()                                                                          \
    {                                                                                                        \
        static const QString key = devKeyFor(Model::model);                                                  \
        return key;                                                                                          \
    }

OV_DEVKEY(M482PlusV2)
OV_DEVKEY(M517V1)
OV_DEVKEY(M517V2)
OV_DEVKEY(TevraM)
OV_DEVKEY(TevraS)
OV_DEVKEY(KalverinM)
OV_DEVKEY(KalverinS)
OV_DEVKEY(TevraN4)
OV_DEVKEY(TevraN7)
OV_DEVKEY(TevraN7B)
OV_DEVKEY(TevraN10)
OV_DEVKEY(TevraN10B)
OV_DEVKEY(TevraQ)
OV_DEVKEY(Sorvi12Pro)
OV_DEVKEY(Sorvi10)
OV_DEVKEY(Sorvi13)
OV_DEVKEY(Sorvi1316)
OV_DEVKEY(Sorvi16Pro)
OV_DEVKEY(Sorvi22)
OV_DEVKEY(Sorvi22Pro)
OV_DEVKEY(Unnamed)

#undef OV_DEVKEY

} // namespace store
