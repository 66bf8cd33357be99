#include "simjson.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <limits>

#include <QDateTime>
#include <QVariantList>
#include <QVariantMap>

#include "platform/plist.h"

namespace driverapp::json {

QByteArray real(double value)
{
    if (!std::isfinite(value))
        return QByteArrayLiteral("null");
    char buffer[64];
    // to_chars without a format answers the shortest text that reads back
    // to the same double.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    QByteArray text(buffer, int(result.ptr - buffer));
    if (!text.contains('.') && !text.contains('e'))
        text += ".0";
    return text;
}

QByteArray integer(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray unsignedInteger(quint64 value)
{
    return QByteArray::number(value);
}

QByteArray boolean(bool value)
{
    return value ? QByteArrayLiteral("true") : QByteArrayLiteral("false");
}

QByteArray string(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out += '"';
    const QByteArray utf8 = text.toUtf8();
    for (const char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (u < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", unsigned(u));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    out += '"';
    return out;
}

namespace {

QByteArray dateText(const QDateTime &date)
{
    const QDateTime utc = date.toUTC();
    return utc.toString(utc.time().msec() ? Qt::ISODateWithMs : Qt::ISODate).toUtf8();
}

} // namespace

QByteArray fromValue(const QVariant &value)
{
    if (platform::plist::isIntegerType(value.typeId())) {
        return platform::plist::isUnsignedType(value.typeId()) ? unsignedInteger(value.toULongLong())
                                                                : integer(value.toLongLong());
    }
    switch (value.typeId()) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = value.toMap();
        QByteArray out = "{";
        bool first = true;
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (!first)
                out += ',';
            first = false;
            out += string(it.key());
            out += ':';
            out += fromValue(it.value());
        }
        return out + '}';
    }
    case QMetaType::QVariantHash: {
        // Printed in key order, like a map, so that output stays stable.
        const QVariantHash hash = value.toHash();
        QVariantMap map;
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            map.insert(it.key(), it.value());
        return fromValue(map);
    }
    case QMetaType::QVariantList:
    case QMetaType::QStringList: {
        const QVariantList list = value.toList();
        QByteArray out = "[";
        for (qsizetype i = 0; i < list.size(); ++i) {
            if (i)
                out += ',';
            out += fromValue(list[i]);
        }
        return out + ']';
    }
    case QMetaType::QString:
        return string(value.toString());
    case QMetaType::Bool:
        return boolean(value.toBool());
    case QMetaType::Float:
        return real(double(value.value<float>()));
    case QMetaType::Double:
        return real(value.toDouble());
    case QMetaType::QByteArray:
        return "{\"data\":" + string(QString::fromLatin1(value.toByteArray().toBase64())) + '}';
    case QMetaType::QDateTime: {
        const QDateTime date = value.toDateTime();
        if (!date.isValid())
            return QByteArrayLiteral("null");
        return "{\"date\":" + string(QString::fromUtf8(dateText(date))) + '}';
    }
    default:
        return QByteArrayLiteral("null");
    }
}

namespace {

// Deep enough for any configuration; a bound so that hostile input cannot
// exhaust the stack.
constexpr int kMaxDepth = 64;

class Reader
{
public:
    explicit Reader(const QByteArray &text)
        : m_text(text)
    { }

    std::optional<QVariant> document()
    {
        skipBlanks();
        auto value = parseValue(0);
        if (!value)
            return std::nullopt;
        skipBlanks();
        if (m_pos < m_text.size())
            return fail(QStringLiteral("unexpected text after the value"));
        return value;
    }

    QString error() const { return m_error; }

private:
    std::nullopt_t fail(const QString &why)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("%1 at offset %2").arg(why).arg(m_pos);
        return std::nullopt;
    }

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }

    void skipBlanks()
    {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r'))
            ++m_pos;
    }

    bool literal(const char *word)
    {
        const qsizetype length = qsizetype(qstrlen(word));
        if (m_text.mid(m_pos, length) != word)
            return false;
        m_pos += length;
        return true;
    }

    std::optional<QVariant> parseValue(int depth)
    {
        if (depth > kMaxDepth)
            return fail(QStringLiteral("nested too deeply"));
        skipBlanks();
        if (atEnd())
            return fail(QStringLiteral("value expected"));
        const char c = peek();
        if (c == '{')
            return parseObject(depth);
        if (c == '[')
            return parseArray(depth);
        if (c == '"') {
            auto text = parseString();
            if (!text)
                return std::nullopt;
            return QVariant(*text);
        }
        if (c == '-' || (c >= '0' && c <= '9'))
            return parseNumber();
        if (literal("true"))
            return QVariant(true);
        if (literal("false"))
            return QVariant(false);
        if (literal("null"))
            return fail(QStringLiteral("null has no property-list value"));
        return fail(QStringLiteral("value expected"));
    }

    std::optional<QVariant> parseObject(int depth)
    {
        ++m_pos; // '{'
        QVariantMap map;
        skipBlanks();
        if (peek() == '}') {
            ++m_pos;
            return QVariant(map);
        }
        for (;;) {
            skipBlanks();
            if (peek() != '"')
                return fail(QStringLiteral("key expected"));
            auto key = parseString();
            if (!key)
                return std::nullopt;
            skipBlanks();
            if (peek() != ':')
                return fail(QStringLiteral("':' expected"));
            ++m_pos;
            auto value = parseValue(depth + 1);
            if (!value)
                return std::nullopt;
            map.insert(*key, *value);
            skipBlanks();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == '}') {
                ++m_pos;
                break;
            }
            return fail(QStringLiteral("',' or '}' expected"));
        }
        return special(map);
    }

    // The two one-key objects that stand for data and dates.
    std::optional<QVariant> special(const QVariantMap &map)
    {
        if (map.size() != 1 || map.cbegin().value().typeId() != QMetaType::QString)
            return QVariant(map);
        const QString key = map.cbegin().key();
        const QString text = map.cbegin().value().toString();
        if (key == QLatin1String("data")) {
            const bool ascii
                = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
            auto decoded
                = QByteArray::fromBase64Encoding(text.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            if (!ascii || !decoded)
                return fail(QStringLiteral("data is not base64"));
            return QVariant(*decoded);
        }
        if (key == QLatin1String("date")) {
            QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
            if (!date.isValid())
                return fail(QStringLiteral("date is not ISO 8601"));
            // A date without an offset is read as UTC, never as local time,
            // so that the same script means the same instant everywhere.
            if (date.timeSpec() == Qt::LocalTime)
                date.setTimeSpec(Qt::UTC);
            return QVariant(date);
        }
        return QVariant(map);
    }

    std::optional<QVariant> parseArray(int depth)
    {
        ++m_pos; // '['
        QVariantList list;
        skipBlanks();
        if (peek() == ']') {
            ++m_pos;
            return QVariant(list);
        }
        for (;;) {
            auto value = parseValue(depth + 1);
            if (!value)
                return std::nullopt;
            list.append(*value);
            skipBlanks();
            if (peek() == ',') {
                ++m_pos;
                continue;
            }
            if (peek() == ']') {
                ++m_pos;
                return QVariant(list);
            }
            return fail(QStringLiteral("',' or ']' expected"));
        }
    }

    std::optional<int> hex4()
    {
        if (m_pos + 4 > m_text.size())
            return std::nullopt;
        bool ok = false;
        const int value = m_text.mid(m_pos, 4).toInt(&ok, 16);
        if (!ok || m_text.mid(m_pos, 4).contains('+') || m_text.mid(m_pos, 4).contains('-'))
            return std::nullopt;
        m_pos += 4;
        return value;
    }

    std::optional<QString> parseString()
    {
        ++m_pos; // '"'
        QByteArray utf8;
        for (;;) {
            if (atEnd())
                return fail(QStringLiteral("unterminated string"));
            const char c = m_text[m_pos++];
            if (c == '"')
                break;
            if (static_cast<unsigned char>(c) < 0x20)
                return fail(QStringLiteral("control character in string"));
            if (c != '\\') {
                utf8 += c;
                continue;
            }
            if (atEnd())
                return fail(QStringLiteral("unterminated string"));
            const char e = m_text[m_pos++];
            switch (e) {
            case '"':
                utf8 += '"';
                break;
            case '\\':
                utf8 += '\\';
                break;
            case '/':
                utf8 += '/';
                break;
            case 'b':
                utf8 += '\b';
                break;
            case 'f':
                utf8 += '\f';
                break;
            case 'n':
                utf8 += '\n';
                break;
            case 'r':
                utf8 += '\r';
                break;
            case 't':
                utf8 += '\t';
                break;
            case 'u': {
                auto unit = hex4();
                if (!unit)
                    return fail(QStringLiteral("bad \\u escape"));
                char32_t code = char32_t(*unit);
                if (code >= 0xD800 && code < 0xDC00) {
                    if (!literal("\\u"))
                        return fail(QStringLiteral("lone surrogate"));
                    auto low = hex4();
                    if (!low || *low < 0xDC00 || *low >= 0xE000)
                        return fail(QStringLiteral("lone surrogate"));
                    code = 0x10000 + ((code - 0xD800) << 10) + char32_t(*low - 0xDC00);
                } else if (code >= 0xDC00 && code < 0xE000) {
                    return fail(QStringLiteral("lone surrogate"));
                }
                utf8 += QString::fromUcs4(&code, 1).toUtf8();
                break;
            }
            default:
                return fail(QStringLiteral("bad escape"));
            }
        }
        QString text = QString::fromUtf8(utf8);
        if (text.toUtf8() != utf8)
            return fail(QStringLiteral("string is not UTF-8"));
        return text;
    }

    std::optional<QVariant> parseNumber()
    {
        const qsizetype start = m_pos;
        bool isReal = false;
        if (peek() == '-')
            ++m_pos;
        if (peek() == '0') {
            ++m_pos;
        } else if (peek() >= '1' && peek() <= '9') {
            while (peek() >= '0' && peek() <= '9')
                ++m_pos;
        } else {
            return fail(QStringLiteral("digit expected"));
        }
        if (peek() == '.') {
            isReal = true;
            ++m_pos;
            if (!(peek() >= '0' && peek() <= '9'))
                return fail(QStringLiteral("digit expected"));
            while (peek() >= '0' && peek() <= '9')
                ++m_pos;
        }
        if (peek() == 'e' || peek() == 'E') {
            isReal = true;
            ++m_pos;
            if (peek() == '+' || peek() == '-')
                ++m_pos;
            if (!(peek() >= '0' && peek() <= '9'))
                return fail(QStringLiteral("digit expected"));
            while (peek() >= '0' && peek() <= '9')
                ++m_pos;
        }
        const QByteArray text = m_text.mid(start, m_pos - start);
        const char *first = text.constData();
        const char *last = first + text.size();
        if (isReal) {
            double value = 0;
            const auto result = std::from_chars(first, last, value);
            if (result.ec != std::errc() || !std::isfinite(value))
                return fail(QStringLiteral("real out of range"));
            return QVariant(value);
        }
        qint64 value = 0;
        if (std::from_chars(first, last, value).ec == std::errc())
            return QVariant::fromValue(value);
        quint64 large = 0;
        if (text[0] != '-' && std::from_chars(first, last, large).ec == std::errc())
            return QVariant::fromValue(large);
        return fail(QStringLiteral("integer out of range"));
    }

    const QByteArray &m_text;
    qsizetype m_pos = 0;
    QString m_error;
};

} // namespace

std::optional<QVariant> toValue(const QByteArray &text, QString *error)
{
    Reader reader(text);
    auto value = reader.document();
    if (!value && error)
        *error = reader.error();
    return value;
}

} // namespace driverapp::json
