#include "stringtable.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

#ifndef OV_SOURCE_RESOURCES
#define OV_SOURCE_RESOURCES ""
#endif

namespace platform {

QString resourceFolder()
{
    const QString fromEnv = qEnvironmentVariable("OV_RESOURCES");
    if (!fromEnv.isEmpty())
        return fromEnv;
    if (QCoreApplication::instance()) {
        const QString installed = QCoreApplication::applicationDirPath()
            + QStringLiteral("/../share/orvane-tablet/resources");
        if (QFileInfo(installed).isDir())
            return QDir(installed).canonicalPath();
    }
    return QString::fromUtf8(OV_SOURCE_RESOURCES);
}

StringTable::StringTable(const QStringList &languages, const QString &folder)
    : m_folder(folder)
{
    for (const QString &tag : languages)
        m_languages.append(stringsLanguage(tag));
    m_languages.append(QStringLiteral("en"));
}

QString StringTable::stringsLanguage(const QString &tag)
{
    // Chinese goes by script: Linux tags name a region ("zh-CN", "zh_TW").
    const QLocale locale(tag);
    if (locale.language() == QLocale::Chinese)
        return locale.script() == QLocale::TraditionalHanScript ? QStringLiteral("zh-Hant")
                                                                  : QStringLiteral("zh-Hans");
    const QString language = QLocale::languageToCode(locale.language());
    return language.isEmpty() ? tag : language;
}

const QHash<QString, QString> &StringTable::load(const QString &table) const
{
    auto it = m_tables.find(table);
    if (it != m_tables.end())
        return *it;
    QHash<QString, QString> merged;
    // Last language first, so that earlier ones override.
    for (qsizetype i = m_languages.size() - 1; i >= 0; --i) {
        QFile file(m_folder + QStringLiteral("/strings/") + m_languages[i] + QLatin1Char('/') + table
                   + QStringLiteral(".json"));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject object = QJsonDocument::fromJson(file.read(1 << 20)).object();
        for (auto entry = object.begin(); entry != object.end(); ++entry) {
            if (entry.value().isString())
                merged.insert(entry.key(), entry.value().toString());
        }
    }
    return *m_tables.insert(table, merged);
}

QString StringTable::text(const QString &key, const QString &table, const QString &defaultValue) const
{
    const auto &strings = load(table);
    auto it = strings.find(key);
    return it == strings.end() ? defaultValue : *it;
}

QString formatText(const QString &format, const QStringList &arguments)
{
    QString result;
    result.reserve(format.size());
    qsizetype next = 0;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            result.append(c);
            continue;
        }
        if (format.at(i + 1) == QLatin1Char('%')) {
            result.append(QLatin1Char('%'));
            ++i;
            continue;
        }
        if (format.at(i + 1) == QLatin1Char('@')) {
            if (next < arguments.size())
                result.append(arguments.at(next));
            ++next;
            ++i;
            continue;
        }
        // "%<number>$@"
        qsizetype j = i + 1;
        qsizetype number = 0;
        while (j < format.size() && format.at(j).isDigit() && number < 1000)
            number = number * 10 + format.at(j++).digitValue();
        if (j > i + 1 && j + 1 < format.size() && format.at(j) == QLatin1Char('$')
            && format.at(j + 1) == QLatin1Char('@')) {
            if (number >= 1 && number <= arguments.size())
                result.append(arguments.at(number - 1));
            i = j + 1;
            continue;
        }
        result.append(c);
    }
    return result;
}

} // namespace platform
