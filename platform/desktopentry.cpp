#include "platform/desktopentry.h"

#include "platform/files.h"

namespace platform {

namespace {

// The general escapes of a desktop-entry string value.
QString unescapeValue(const QString &value)
{
    QString out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value.at(i) != u'\\' || i + 1 == value.size()) {
            out += value.at(i);
            continue;
        }
        const QChar next = value.at(++i);
        switch (next.unicode()) {
        case 's': out += u' '; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'r': out += u'\r'; break;
        case '\\': out += u'\\'; break;
        default: out += u'\\'; out += next; break;
        }
    }
    return out;
}

} // namespace

std::optional<QHash<QString, QString>> readDesktopEntry(const QString &path)
{
    // A custom action names the path: whatever it has turned into, the read
    // must not wait on it.
    const std::optional<QByteArray> bytes = readRegularFile(path, kMaxDesktopEntryBytes);
    if (!bytes)
        return std::nullopt;
    QHash<QString, QString> entry;
    bool found = false;
    bool inEntry = false;
    for (QString line : QString::fromUtf8(*bytes).split(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[')) {
            inEntry = line == QLatin1String("[Desktop Entry]");
            found = found || inEntry;
            continue;
        }
        if (!inEntry || line.startsWith(u'#'))
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        // The first of a repeated key counts.
        if (!entry.contains(key))
            entry.insert(key, unescapeValue(line.mid(eq + 1).trimmed()));
    }
    if (!found)
        return std::nullopt;
    return entry;
}

std::optional<QStringList> splitExec(const QString &exec)
{
    QStringList words;
    QString word;
    bool inWord = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'\\' && i + 1 < exec.size()) {
                word += exec.at(++i);
            } else if (c == u'"') {
                quoted = false;
            } else {
                word += c;
            }
        } else if (c == u' ' || c == u'\t') {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else if (c == u'"') {
            quoted = true;
            inWord = true;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;

    QStringList command;
    for (const QString &w : std::as_const(words)) {
        if (w.size() == 2 && w.at(0) == u'%' && w.at(1) != u'%')
            continue; // a field code on its own
        QString expanded;
        for (qsizetype i = 0; i < w.size(); ++i) {
            if (w.at(i) == u'%' && i + 1 < w.size()) {
                if (w.at(i + 1) == u'%')
                    expanded += u'%';
                ++i; // other field codes inside a word are dropped
            } else {
                expanded += w.at(i);
            }
        }
        command << expanded;
    }
    if (command.isEmpty() || command.first().isEmpty())
        return std::nullopt;
    return command;
}

QString localisedValue(const QHash<QString, QString> &entry, const QString &key, const QStringList &locales)
{
    for (const QString &locale : locales) {
        QStringList tries { locale };
        if (const qsizetype cut = locale.indexOf(u'_'); cut > 0)
            tries << locale.left(cut);
        for (const QString &name : std::as_const(tries)) {
            const auto it = entry.constFind(key + u'[' + name + u']');
            if (it != entry.constEnd() && !it->isEmpty())
                return *it;
        }
    }
    return entry.value(key);
}

QStringList desktopEntryLocales(const QStringList &languages)
{
    QStringList locales;
    for (const QString &tag : languages) {
        QString locale;
        if (tag.startsWith(QLatin1String("zh-Hans")))
            locale = QStringLiteral("zh_CN");
        else if (tag.startsWith(QLatin1String("zh-Hant")))
            locale = QStringLiteral("zh_TW");
        else
            locale = QString(tag).replace(u'-', u'_');
        if (!locale.isEmpty() && !locales.contains(locale))
            locales << locale;
    }
    return locales;
}

} // namespace platform
