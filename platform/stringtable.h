#pragma once

#include <QHash>
#include <QStringList>

#include "platform/strings.h"

namespace platform {

// The folder of the programs' resources: $OV_RESOURCES, else the installed
// share folder beside the executable, else the source tree's resources/.
QString resourceFolder();

// String tables from resources/strings/<language>/<table>.json (one flat
// object of key -> text per table). The first language of the list that has
// the table wins; English is the last resort.
class StringTable : public Strings
{
public:
    explicit StringTable(const QStringList &languages, const QString &folder = resourceFolder());

    QString text(const QString &key, const QString &table = QLatin1String(kDefaultTable),
                 const QString &defaultValue = QString()) const override;

    // Maps a BCP 47 tag to the folder name of its strings ("zh-CN" -> "zh-Hans").
    static QString stringsLanguage(const QString &tag);

private:
    const QHash<QString, QString> &load(const QString &table) const;

    QStringList m_languages;
    QString m_folder;
    mutable QHash<QString, QHash<QString, QString>> m_tables;
};

} // namespace platform
