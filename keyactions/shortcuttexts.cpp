#include "shortcuttexts.h"

#include "platform/strings.h"

namespace keyactions {

QString shortcutText(const platform::Strings &strings, const QString &english)
{
    return strings.text(english, QLatin1String(kShortcutEditorTable), english);
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

} // namespace keyactions
