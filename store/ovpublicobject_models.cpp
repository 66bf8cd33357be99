// The per-model facts the store answers for its device key.

#include "ovpublicobject.h"

#include "platform/displays.h"
#include "platform/platform.h"
#include "store/ovgeometry.h"
#include "store/ovscreen.h"
#include "store/storelog.h"

namespace store {

float OVPublicObject::widthInch() const
{
    return store::widthInch(m_devKey);
}

float OVPublicObject::heightInch() const
{
    return store::heightInch(m_devKey);
}

float OVPublicObject::widthPortion() const
{
    return store::widthPortion(m_devKey, m_platform.defaults);
}

float OVPublicObject::heightPortion() const
{
    return store::heightPortion(m_devKey, m_platform.defaults);
}

QRectF OVPublicObject::fullRectInch() const
{
    return store::fullRectInch(m_devKey);
}

QRectF OVPublicObject::ratioRectInch() const
{
    QList<OVScreen> screens;
    for (const platform::DisplayInfo &display : m_platform.displays.displays()) {
        OVScreen screen;
        screen.setNumber(display.id);
        screen.setFrame(display.bounds);
        screen.setName(display.productName);
        screens.append(screen);
    }
    const RatioRectResult result
        = store::ratioRectInch(m_devKey, m_configurationList ? &*m_configurationList : nullptr, screens);
    if (!result.log.isEmpty())
        qCInfo(lcStore).noquote() << result.log;
    return result.rect;
}

void OVPublicObject::tabletViewEdge(double *edge, double *slen, double *dlen) const
{
    const TabletViewEdge values = store::tabletViewEdge(m_devKey);
    if (edge)
        *edge = values.edge;
    if (slen)
        *slen = values.slen;
    if (dlen)
        *dlen = values.dlen;
}

double OVPublicObject::tabletViewFullLine() const
{
    return store::tabletViewFullLine(m_devKey);
}

double OVPublicObject::tabletViewRatioLine() const
{
    return store::tabletViewRatioLine(m_devKey);
}

QString OVPublicObject::penImageName() const
{
    return store::penImageName(m_devKey);
}

QString OVPublicObject::wheelImageName() const
{
    return store::wheelImageName(m_devKey);
}

QString OVPublicObject::penViewXIBName() const
{
    return store::penViewXIBName(m_devKey);
}

QString OVPublicObject::monitorViewXIBName() const
{
    return store::monitorViewXIBName(m_devKey);
}

QString OVPublicObject::tabletViewXIBName() const
{
    return store::tabletViewXIBName(m_devKey);
}

QString OVPublicObject::boardViewXIBName() const
{
    return store::boardViewXIBName(m_devKey);
}

QString OVPublicObject::boardKeyCusWinXIBName() const
{
    return store::boardKeyCusWinXIBName(m_devKey);
}

} // namespace store
