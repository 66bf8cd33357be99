#include "support_values.h"

#include <QDateTime>
#include <QStringList>

QString describeValue(const QVariant &value)
{
    switch (value.metaType().id()) {
    case QMetaType::QVariantMap: {
        QStringList items;
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            items << it.key() + QLatin1Char('=') + describeValue(it.value());
        return QLatin1String("{") + items.join(QLatin1String(", ")) + QLatin1String("}");
    }
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant &item : value.toList())
            items << describeValue(item);
        return QLatin1String("[") + items.join(QLatin1String(", ")) + QLatin1String("]");
    }
    case QMetaType::Double:
        return QStringLiteral("double:%1").arg(value.toDouble(), 0, 'g', 17);
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        return QStringLiteral("date:%1%2").arg(date.toString(Qt::ISODateWithMs),
                                               date.timeSpec() == Qt::UTC ? QString() : QStringLiteral(" (not UTC)"));
    }
    case QMetaType::QByteArray:
        return QStringLiteral("data:") + QString::fromLatin1(value.toByteArray().toHex());
    default:
        return QString::fromLatin1(value.metaType().name()) + QLatin1Char(':') + value.toString();
    }
}
