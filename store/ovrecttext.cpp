#include "ovrecttext.h"

#include <cmath>

#include <QLocale>
#include <QRegularExpression>

namespace store {

namespace {

QString numberText(double value)
{
    return QString::number(value, 'g', QLocale::FloatingPointShortest);
}

bool isNumberStart(QChar c)
{
    return c.isDigit() || c == u'-' || c == u'+' || c == u'.';
}

// Reads up to `count` numbers in order, wherever they stand in the text. A
// number is an optional sign, digits with an optional point, and an optional
// exponent; anything else between numbers is skipped. Numbers that overflow
// a double read as 0.
template <size_t N> std::array<double, N> leadingNumbers(const QString &text)
{
    std::array<double, N> numbers = {};
    size_t found = 0;
    qsizetype i = 0;
    const qsizetype size = text.size();
    while (found < N && i < size) {
        if (!isNumberStart(text.at(i))) {
            ++i;
            continue;
        }
        qsizetype end = i;
        if (text.at(end) == u'-' || text.at(end) == u'+')
            ++end;
        const qsizetype mantissaStart = end;
        while (end < size && text.at(end).isDigit())
            ++end;
        if (end < size && text.at(end) == u'.') {
            ++end;
            while (end < size && text.at(end).isDigit())
                ++end;
        }
        const qsizetype mantissaLength = end - mantissaStart;
        const bool hasDigit = mantissaLength > 0 && !(mantissaLength == 1 && text.at(mantissaStart) == u'.');
        if (!hasDigit) {
            i = end > i ? end : i + 1;
            continue;
        }
        if (end < size && (text.at(end) == u'e' || text.at(end) == u'E')) {
            qsizetype exponent = end + 1;
            if (exponent < size && (text.at(exponent) == u'-' || text.at(exponent) == u'+'))
                ++exponent;
            if (exponent < size && text.at(exponent).isDigit()) {
                while (exponent < size && text.at(exponent).isDigit())
                    ++exponent;
                end = exponent;
            }
        }
        bool ok = false;
        const double value = QStringView(text).mid(i, end - i).toDouble(&ok);
        numbers[found++] = ok && std::isfinite(value) ? value : 0.0;
        i = end;
    }
    return numbers;
}

} // namespace

QString stringFromPoint(QPointF point)
{
    return QStringLiteral("{%1, %2}").arg(numberText(point.x()), numberText(point.y()));
}

QString stringFromRect(const QRectF &rect)
{
    return QStringLiteral("{{%1, %2}, {%3, %4}}")
        .arg(numberText(rect.x()), numberText(rect.y()), numberText(rect.width()), numberText(rect.height()));
}

QPointF pointFromString(const QString &text)
{
    const auto n = leadingNumbers<2>(text);
    return QPointF(n[0], n[1]);
}

QRectF rectFromString(const QString &text)
{
    const auto n = leadingNumbers<4>(text);
    return QRectF(n[0], n[1], n[2], n[3]);
}

namespace {

// A strict text's pattern: each "N" of the form becomes one captured number
// (an optional sign, digits with an optional point or a point and digits, an
// optional exponent), and blanks may stand around every number and brace.
QRegularExpression strictPattern(QString form)
{
    form.replace(QLatin1String("{"), QLatin1String(R"(\s*\{)"));
    form.replace(QLatin1String("}"), QLatin1String(R"(\s*\})"));
    form.replace(QLatin1String(","), QLatin1String(R"(\s*,)"));
    form.replace(QLatin1String("N"), QLatin1String(R"(\s*([-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?))"));
    return QRegularExpression(QLatin1Char('^') + form + QLatin1String(R"(\s*$)"));
}

// The captured numbers of a strict match, each finite; nullopt otherwise.
template <size_t N>
std::optional<std::array<double, N>> strictNumbers(const QRegularExpression &pattern, const QString &text)
{
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    std::array<double, N> numbers = {};
    for (size_t i = 0; i < N; ++i) {
        bool ok = false;
        numbers[i] = match.capturedView(int(i) + 1).toDouble(&ok);
        if (!ok || !std::isfinite(numbers[i]))
            return std::nullopt;
    }
    return numbers;
}

} // namespace

std::optional<QPointF> strictPointFromString(const QString &text)
{
    static const QRegularExpression pattern = strictPattern(QStringLiteral("{N,N}"));
    const auto n = strictNumbers<2>(pattern, text);
    return n ? std::optional<QPointF>(QPointF((*n)[0], (*n)[1])) : std::nullopt;
}

std::optional<QRectF> strictRectFromString(const QString &text)
{
    static const QRegularExpression pattern = strictPattern(QStringLiteral("{{N,N},{N,N}}"));
    const auto n = strictNumbers<4>(pattern, text);
    return n ? std::optional<QRectF>(QRectF((*n)[0], (*n)[1], (*n)[2], (*n)[3])) : std::nullopt;
}

} // namespace store
