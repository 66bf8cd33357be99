#pragma once

#include <QRectF>
#include <QString>
#include <QVariant>

namespace settings {

class OVContentView;

// What a device's page asks of the application: the delegate's forwarders,
// keyed by the page's own device. A key the delegate no longer holds reads as
// nil, zero or an empty rectangle and writes nothing, so a page that outlived
// its device (parked during a modal run) can do no harm.
class PageDelegate
{
public:
    virtual ~PageDelegate() = default;

    // The device selected in the device pop-up, whose pages are the ones
    // shown; null when none.
    virtual QString cursorKey() const = 0;

    virtual QVariant queryConfiguration(
        const QString &devKey, const QString &category, const QString &key) const = 0;
    // An invalid value removes the key.
    virtual void updateConfiguration(
        const QString &devKey, const QString &category, const QString &key, const QVariant &value)
        = 0;
    virtual QString penImageName(const QString &devKey) const = 0;
    virtual QString wheelImageName(const QString &devKey) const = 0;
    virtual QRectF fullRectInch(const QString &devKey) const = 0;
    virtual QRectF ratioRectInch(const QString &devKey) const = 0;
    virtual void tabletViewEdge(const QString &devKey, double *edge, double *slen, double *dlen) const = 0;
    virtual double tabletViewFullLine(const QString &devKey) const = 0;
    virtual double tabletViewRatioLine(const QString &devKey) const = 0;
    virtual QString boardKeyCusWinXIBName(const QString &devKey) const = 0;

    // The main window's content view, which reports the pen's pressure over
    // the parts of the window no control takes; null when there is none.
    virtual OVContentView *contentView() const = 0;
};

} // namespace settings
