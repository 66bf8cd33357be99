#include "displayoutput.h"

#include <QDir>
#include <QFile>

#include "platform/linux/edid.h"
#include "platform/displayid.h"

namespace platform::native {

namespace {

// The base block and up to three extension blocks; more is not an EDID.
constexpr qint64 kMaxEdidBytes = 4 * 128;

DisplayInfo displayFrom(const DisplayOutput &output, QPoint mainOrigin, bool isMain)
{
    DisplayInfo info;
    info.id = displayIdOf(output);
    info.bounds = QRectF(output.geometry.translated(-mainOrigin));
    if (const auto edid = parseEdid(output.edid)) {
        info.productName = edid->productName;
        info.vendor = edid->vendor;
    }
    info.main = isMain;
    info.builtin = isBuiltinConnector(output.connector);
    info.rotation = output.rotation;
    return info;
}

} // namespace

quint32 displayIdOf(const DisplayOutput &output)
{
    return platform::displayIdFor(output.connector, parseEdid(output.edid) ? output.edid : QByteArray());
}

qsizetype mainOutputIndex(const QList<DisplayOutput> &outputs)
{
    if (outputs.isEmpty())
        return -1;
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        if (outputs.at(i).primary)
            return i;
    }
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        if (outputs.at(i).geometry.topLeft() == QPoint(0, 0))
            return i;
    }
    return 0;
}

bool isBuiltinConnector(const QString &connector)
{
    for (const char *prefix : { "eDP", "LVDS", "DSI" }) {
        if (connector.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QList<DisplayInfo> displaysFromOutputs(const QList<DisplayOutput> &outputs)
{
    QList<DisplayInfo> list;
    if (outputs.isEmpty())
        return list;
    const qsizetype main = mainOutputIndex(outputs);
    const QPoint origin = outputs.at(main).geometry.topLeft();
    list.append(displayFrom(outputs.at(main), origin, true));
    for (qsizetype i = 0; i < outputs.size(); ++i) {
        if (i != main)
            list.append(displayFrom(outputs.at(i), origin, false));
    }
    return list;
}

QByteArray connectorEdid(const QString &drmFolder, const QString &connector)
{
    if (connector.isEmpty() || connector.contains(u'/'))
        return {};
    const QDir folder(drmFolder);
    // Card folders are "card<N>-<connector>"; the bare "card<N>" folders have no edid.
    const QStringList cards = folder.entryList({ QStringLiteral("card*-") + connector }, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &card : cards) {
        if (card.section(u'-', 1) != connector)
            continue;
        QFile file(folder.filePath(card + QStringLiteral("/edid")));
        if (file.open(QIODevice::ReadOnly))
            return file.read(kMaxEdidBytes);
    }
    return {};
}

} // namespace platform::native
