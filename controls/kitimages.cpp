#include "controls/kitimages.h"

#include <cmath>

#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QSet>
#include <QSvgRenderer>

#include "controls/kitstyle.h"
#include "platform/stringtable.h"

namespace controls {

namespace {

QPixmap load(const QString &path, qreal ratio)
{
    if (path.endsWith(QLatin1String(".svg"))) {
        QSvgRenderer renderer(path);
        if (!renderer.isValid())
            return QPixmap();
        const QSizeF size = renderer.defaultSize();
        QPixmap pixmap(QSize(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))));
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.end();
        pixmap.setDevicePixelRatio(ratio);
        return pixmap;
    }
    QPixmap pixmap(path);
    return pixmap;
}

} // namespace

QString imagesFolder()
{
    return platform::resourceFolder() + QStringLiteral("/images");
}

QPixmap imageNamed(const QString &name, qreal devicePixelRatio)
{
    // Pictures are few and small; each is made once per ratio.
    static QHash<QPair<QString, qreal>, QPixmap> cache;
    static QSet<QString> missing;
    const auto key = qMakePair(name, devicePixelRatio);
    if (const auto it = cache.constFind(key); it != cache.constEnd())
        return *it;
    QPixmap pixmap;
    // A name may carry its file type ("Pen.png"); any picture of that name
    // serves, a drawing first.
    QString stem = name;
    if (stem.endsWith(QLatin1String(".png")) || stem.endsWith(QLatin1String(".svg")))
        stem.chop(4);
    const QString base = imagesFolder() + QLatin1Char('/') + stem;
    for (const char *suffix : { ".svg", ".png" }) {
        const QString path = base + QLatin1String(suffix);
        if (QFileInfo::exists(path)) {
            pixmap = load(path, devicePixelRatio);
            break;
        }
    }
    if (pixmap.isNull()) {
        if (!missing.contains(name)) {
            missing.insert(name);
            qCWarning(lcControls, "cannot load picture %s: no readable %s.svg or %s.png in %s",
                qPrintable(name), qPrintable(name), qPrintable(name), qPrintable(imagesFolder()));
        }
        return pixmap;
    }
    cache.insert(key, pixmap);
    return pixmap;
}

} // namespace controls
