#include "simscript.h"

#include <cctype>
#include <cmath>
#include <limits>

#include <QRegularExpression>

#include "simjson.h"
#include "store/ovmodels.h"

namespace driverapp {

bool isSetupCommand(CommandKind kind)
{
    switch (kind) {
    case CommandKind::Display:
    case CommandKind::Undisplay:
    case CommandKind::Front:
    case CommandKind::Default:
    case CommandKind::Config:
    case CommandKind::HidOpen:
    case CommandKind::Running:
    case CommandKind::Languages:
    case CommandKind::Pointer:
    case CommandKind::Alert:
    case CommandKind::FilePanel:
        return true;
    default:
        return false;
    }
}

std::optional<QString> resolveDevice(const QString &text, int *vendorId, int *productId)
{
    static const QRegularExpression keyPattern(QStringLiteral("^([0-9]{1,9})-([0-9]{1,9})$"));
    int vendor = 0;
    int product = 0;
    const auto match = keyPattern.match(text);
    if (match.hasMatch()) {
        vendor = match.captured(1).toInt();
        product = match.captured(2).toInt();
    } else {
        bool found = false;
        for (const store::ModelRow &row : store::modelRows()) {
            if (row.productName && text == QString::fromUtf8(row.productName)) {
                vendor = row.vendorId;
                product = row.productId;
                found = true;
                break;
            }
        }
        if (!found)
            return std::nullopt;
    }
    if (vendorId)
        *vendorId = vendor;
    if (productId)
        *productId = product;
    return store::devKeyFrom(vendor, product);
}

namespace {

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r');
}

// Cuts the comment off: a '#' outside double quotes. Quotes of tokens and of
// JSON strings both escape with a backslash, so one scan serves both.
std::optional<QString> withoutComment(const QString &text, QString *error)
{
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('\\'))
                ++i;
            else if (c == QLatin1Char('"'))
                quoted = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char('#')) {
            return text.left(i);
        }
    }
    if (quoted) {
        *error = QStringLiteral("unterminated quote");
        return std::nullopt;
    }
    return text;
}

class Lexer
{
public:
    explicit Lexer(QString text)
        : m_text(std::move(text))
    { }

    // The next token with its quotes removed; nullopt at the end.
    std::optional<QString> next()
    {
        skipBlanks();
        if (m_pos >= m_text.size())
            return std::nullopt;
        QString token;
        bool quoted = false;
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (!quoted && isBlank(c))
                break;
            ++m_pos;
            if (c == QLatin1Char('"')) {
                quoted = !quoted;
            } else if (quoted && c == QLatin1Char('\\') && m_pos < m_text.size()) {
                token += m_text[m_pos++];
            } else {
                token += c;
            }
        }
        return token;
    }

    QStringList remaining()
    {
        QStringList tokens;
        while (auto token = next())
            tokens.append(*token);
        return tokens;
    }

    QString rest()
    {
        skipBlanks();
        const QString text = m_text.mid(m_pos).trimmed();
        m_pos = m_text.size();
        return text;
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
    }

    QString m_text;
    qsizetype m_pos = 0;
};

std::optional<quint64> parseHex(QString text, quint64 max)
{
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        text = text.mid(2);
    if (text.isEmpty() || text.size() > 16)
        return std::nullopt;
    for (const QChar c : text) {
        if (!isxdigit(c.toLatin1()) || c.unicode() > 0x7F)
            return std::nullopt;
    }
    bool ok = false;
    const quint64 value = text.toULongLong(&ok, 16);
    if (!ok || value > max)
        return std::nullopt;
    return value;
}

std::optional<qint64> parseDecimal(const QString &text, qint64 min, qint64 max)
{
    static const QRegularExpression pattern(QStringLiteral("^-?[0-9]{1,18}$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    const qint64 value = text.toLongLong();
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<double> parseReal(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[-+]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?$"));
    if (!pattern.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A display id: decimal, or hexadecimal with 0x.
std::optional<quint32> parseDisplayId(const QString &text)
{
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        auto value = parseHex(text, std::numeric_limits<quint32>::max());
        return value ? std::optional<quint32>(quint32(*value)) : std::nullopt;
    }
    auto value = parseDecimal(text, 0, std::numeric_limits<quint32>::max());
    return value ? std::optional<quint32>(quint32(*value)) : std::nullopt;
}

// "key=value" with one of the given keys; nullopt when the token is none.
std::optional<std::pair<QString, QString>> option(const QString &token)
{
    const qsizetype equals = token.indexOf(QLatin1Char('='));
    if (equals <= 0)
        return std::nullopt;
    return std::make_pair(token.left(equals), token.mid(equals + 1));
}

class CommandParser
{
public:
    CommandParser(const QString &text, int line)
        : m_lexer(text)
    {
        m_command.line = line;
    }

    ParsedLine parse()
    {
        const auto word = m_lexer.next();
        if (!word)
            return {};
        if (!dispatch(*word))
            return ParsedLine { std::nullopt, m_error };
        return ParsedLine { m_command, QString() };
    }

private:
    bool fail(const QString &why)
    {
        m_error = why;
        return false;
    }

    bool needArgs(const QStringList &args, qsizetype min, qsizetype max, const char *usage)
    {
        if (args.size() < min || args.size() > max)
            return fail(QStringLiteral("usage: %1").arg(QLatin1String(usage)));
        return true;
    }

    // "... after SECONDS" at the end of an alert or filepanel line: taken
    // off the arguments.
    bool heldOpen(QStringList *args)
    {
        if (args->size() != 3 || args->at(1) != QLatin1String("after"))
            return true;
        auto seconds = parseReal(args->at(2));
        if (!seconds || *seconds < 0 || *seconds > kMaxWaitSeconds)
            return fail(QStringLiteral("seconds must be a number from 0 to %1").arg(kMaxWaitSeconds));
        m_command.heldOpen = *seconds;
        args->resize(1);
        return true;
    }

    bool device(const QString &text)
    {
        auto key = resolveDevice(text, &m_command.vendorId, &m_command.productId);
        if (!key)
            return fail(QStringLiteral("no device key or product name \"%1\"").arg(text));
        m_command.key = *key;
        return true;
    }

    bool json(const QString &text, bool mapOnly)
    {
        if (text.isEmpty())
            return fail(QStringLiteral("JSON value expected"));
        QString why;
        auto value = json::toValue(text.toUtf8(), &why);
        if (!value)
            return fail(QStringLiteral("bad JSON: %1").arg(why));
        if (mapOnly && value->typeId() != QMetaType::QVariantMap)
            return fail(QStringLiteral("JSON object expected"));
        m_command.value = *value;
        return true;
    }

    bool dispatch(const QString &word)
    {
        Command &c = m_command;
        if (word == QLatin1String("display")) {
            c.kind = CommandKind::Display;
            const QStringList args = m_lexer.remaining();
            if (args.size() < 5)
                return fail(QStringLiteral(
                    "usage: display ID X Y W H [main] [builtin] [name=\"TEXT\"] [vendor=HEX]"));
            auto id = parseDisplayId(args[0]);
            if (!id)
                return fail(QStringLiteral("bad display id \"%1\"").arg(args[0]));
            double numbers[4];
            for (int i = 0; i < 4; ++i) {
                auto value = parseReal(args[1 + i]);
                if (!value)
                    return fail(QStringLiteral("bad number \"%1\"").arg(args[1 + i]));
                numbers[i] = *value;
            }
            if (numbers[2] <= 0 || numbers[3] <= 0)
                return fail(QStringLiteral("width and height must be positive"));
            c.display.id = *id;
            c.display.bounds = QRectF(numbers[0], numbers[1], numbers[2], numbers[3]);
            for (qsizetype i = 5; i < args.size(); ++i) {
                const QString &arg = args[i];
                if (arg == QLatin1String("main")) {
                    c.display.main = true;
                } else if (arg == QLatin1String("builtin")) {
                    c.display.builtin = true;
                } else if (auto opt = option(arg); opt && opt->first == QLatin1String("name")) {
                    c.display.productName = opt->second;
                } else if (opt && opt->first == QLatin1String("vendor")) {
                    auto vendor = parseHex(opt->second, std::numeric_limits<quint32>::max());
                    if (!vendor)
                        return fail(QStringLiteral("bad vendor \"%1\"").arg(opt->second));
                    c.display.vendor = quint32(*vendor);
                } else {
                    return fail(QStringLiteral("unknown display option \"%1\"").arg(arg));
                }
            }
            return true;
        }
        if (word == QLatin1String("undisplay")) {
            c.kind = CommandKind::Undisplay;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 1, 1, "undisplay ID"))
                return false;
            auto id = parseDisplayId(args[0]);
            if (!id)
                return fail(QStringLiteral("bad display id \"%1\"").arg(args[0]));
            c.display.id = *id;
            return true;
        }
        if (word == QLatin1String("front")) {
            c.kind = CommandKind::Front;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 2, 2, "front BUNDLE-ID \"PROCESS NAME\""))
                return false;
            c.bundleId = args[0];
            c.processName = args[1];
            return true;
        }
        if (word == QLatin1String("default")) {
            c.kind = CommandKind::Default;
            auto key = m_lexer.next();
            if (!key)
                return fail(QStringLiteral("usage: default KEY JSON"));
            c.key = *key;
            return json(m_lexer.rest(), false);
        }
        if (word == QLatin1String("config")) {
            c.kind = CommandKind::Config;
            auto name = m_lexer.next();
            if (!name)
                return fail(QStringLiteral("usage: config DEVICE JSON"));
            return device(*name) && json(m_lexer.rest(), true);
        }
        if (word == QLatin1String("connect"))
            return connect();
        if (word == QLatin1String("report")) {
            c.kind = CommandKind::Report;
            const QStringList args = m_lexer.remaining();
            if (args.size() < 2)
                return fail(QStringLiteral("usage: report IFACE HEX..."));
            c.iface = args[0];
            const QString digits = args.mid(1).join(QString());
            if (digits.size() % 2)
                return fail(QStringLiteral("odd number of hex digits"));
            for (const QChar ch : digits) {
                if (ch.unicode() > 0x7F || !isxdigit(ch.toLatin1()))
                    return fail(QStringLiteral("bad hex digit '%1'").arg(ch));
            }
            c.bytes = QByteArray::fromHex(digits.toLatin1());
            return true;
        }
        if (word == QLatin1String("remove")) {
            c.kind = CommandKind::Remove;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 1, 1, "remove IFACE"))
                return false;
            c.iface = args[0];
            return true;
        }
        if (word == QLatin1String("modifiers")) {
            c.kind = CommandKind::Modifiers;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 2, 2, "modifiers KEYCODE FLAGS"))
                return false;
            auto code = parseDecimal(args[0], 0, 0xFFFF);
            auto flags = parseHex(args[1], std::numeric_limits<quint64>::max());
            if (!code)
                return fail(QStringLiteral("bad key code \"%1\"").arg(args[0]));
            if (!flags)
                return fail(QStringLiteral("bad flags \"%1\"").arg(args[1]));
            c.keyCode = quint16(*code);
            c.flags = *flags;
            return true;
        }
        if (word == QLatin1String("notify")) {
            c.kind = CommandKind::Notify;
            auto name = m_lexer.next();
            if (!name || name->isEmpty())
                return fail(QStringLiteral("usage: notify NAME [object=\"TEXT\"] [JSON]"));
            c.name = *name;
            QString rest = m_lexer.rest();
            if (rest.startsWith(QLatin1String("object="))) {
                Lexer objectLexer(rest);
                auto token = objectLexer.next();
                c.object = token->mid(int(qstrlen("object=")));
                rest = objectLexer.rest();
            }
            if (rest.isEmpty()) {
                c.value = QVariantMap();
                return true;
            }
            return json(rest, true);
        }
        if (word == QLatin1String("wait")) {
            c.kind = CommandKind::Wait;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 1, 1, "wait SECONDS"))
                return false;
            auto seconds = parseReal(args[0]);
            if (!seconds || *seconds < 0 || *seconds > kMaxWaitSeconds)
                return fail(QStringLiteral("seconds must be a number from 0 to %1").arg(kMaxWaitSeconds));
            c.seconds = *seconds;
            return true;
        }
        if (word == QLatin1String("dump")) {
            c.kind = CommandKind::Dump;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 1, 1, "dump DEVICE"))
                return false;
            return device(args[0]);
        }
        if (word == QLatin1String("hidopen")) {
            c.kind = CommandKind::HidOpen;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 2, 2, "hidopen main|m517 CODE"))
                return false;
            if (args[0] == QLatin1String("main"))
                c.manager = HidManagerName::Main;
            else if (args[0] == QLatin1String("m517"))
                c.manager = HidManagerName::M517;
            else
                return fail(QStringLiteral("no manager \"%1\" (main or m517)").arg(args[0]));
            auto code = parseHex(args[1], std::numeric_limits<quint32>::max());
            if (!code)
                return fail(QStringLiteral("bad code \"%1\"").arg(args[1]));
            c.code = quint32(*code);
            return true;
        }
        if (word == QLatin1String("running")) {
            c.kind = CommandKind::Running;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 2, 2, "running BUNDLE-ID COUNT"))
                return false;
            auto count = parseDecimal(args[1], 0, 1000);
            if (!count)
                return fail(QStringLiteral("bad count \"%1\"").arg(args[1]));
            c.bundleId = args[0];
            c.count = int(*count);
            return true;
        }
        if (word == QLatin1String("languages")) {
            c.kind = CommandKind::Languages;
            c.languages = m_lexer.remaining();
            if (c.languages.isEmpty())
                return fail(QStringLiteral("usage: languages TAG..."));
            return true;
        }
        if (word == QLatin1String("pointer")) {
            c.kind = CommandKind::Pointer;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 2, 2, "pointer X Y"))
                return false;
            auto x = parseReal(args[0]);
            auto y = parseReal(args[1]);
            if (!x || !y)
                return fail(QStringLiteral("bad position"));
            c.point = QPointF(*x, *y);
            return true;
        }
        if (word == QLatin1String("alert")) {
            c.kind = CommandKind::Alert;
            QStringList args = m_lexer.remaining();
            if (!heldOpen(&args))
                return false;
            if (!needArgs(args, 1, 1, "alert N"))
                return false;
            auto button = parseDecimal(args[0], 0, 100);
            if (!button)
                return fail(QStringLiteral("bad button \"%1\"").arg(args[0]));
            c.button = int(*button);
            return true;
        }
        if (word == QLatin1String("filepanel")) {
            c.kind = CommandKind::FilePanel;
            QStringList args = m_lexer.remaining();
            if (!heldOpen(&args))
                return false;
            if (!needArgs(args, 1, 1, "filepanel PATH|cancel"))
                return false;
            if (args[0] != QLatin1String("cancel"))
                c.path = args[0];
            return true;
        }
        if (word == QLatin1String("press")) {
            c.kind = CommandKind::Press;
            const QStringList args = m_lexer.remaining();
            if (!needArgs(args, 2, 2, "press WINDOW CONTROL"))
                return false;
            c.window = args[0];
            c.control = args[1];
            return true;
        }
        if (word == QLatin1String("quit")) {
            c.kind = CommandKind::Quit;
            return needArgs(m_lexer.remaining(), 0, 0, "quit");
        }
        if (word == QLatin1String("defaults")) {
            c.kind = CommandKind::Defaults;
            return needArgs(m_lexer.remaining(), 0, 0, "defaults");
        }
        return fail(QStringLiteral("unknown command \"%1\"").arg(word));
    }

    bool connect()
    {
        Command &c = m_command;
        c.kind = CommandKind::Connect;
        const QStringList args = m_lexer.remaining();
        if (args.size() < 3)
            return fail(QStringLiteral("usage: connect IFACE DEVICE page=HEX [usage=HEX] "
                                       "[pairs=PAGE:USAGE,...] [product=\"TEXT\"]"));
        c.iface = args[0];
        if (!device(args[1]))
            return false;
        bool hasPage = false;
        bool hasPairs = false;
        for (qsizetype i = 2; i < args.size(); ++i) {
            auto opt = option(args[i]);
            if (!opt)
                return fail(QStringLiteral("unexpected \"%1\"").arg(args[i]));
            const auto &[name, value] = *opt;
            if (name == QLatin1String("page") || name == QLatin1String("usage")) {
                auto number = parseHex(value, 0xFFFF);
                if (!number)
                    return fail(QStringLiteral("bad %1 \"%2\"").arg(name, value));
                (name == QLatin1String("page") ? c.page : c.usage) = int(*number);
                hasPage = hasPage || name == QLatin1String("page");
            } else if (name == QLatin1String("pairs")) {
                hasPairs = true;
                c.pairs.clear();
                for (const QString &pair : value.split(QLatin1Char(','))) {
                    const QStringList parts = pair.split(QLatin1Char(':'));
                    auto page = parts.size() == 2 ? parseHex(parts[0], 0xFFFF) : std::nullopt;
                    auto usage = parts.size() == 2 ? parseHex(parts[1], 0xFFFF) : std::nullopt;
                    if (!page || !usage)
                        return fail(QStringLiteral("bad usage pair \"%1\"").arg(pair));
                    c.pairs.append(UsagePair { int(*page), int(*usage) });
                }
            } else if (name == QLatin1String("product")) {
                c.product = value;
            } else {
                return fail(QStringLiteral("unknown connect option \"%1\"").arg(name));
            }
        }
        if (!hasPage)
            return fail(QStringLiteral("page=HEX missing"));
        if (!hasPairs)
            c.pairs = { UsagePair { c.page, c.usage } };
        return true;
    }

    Lexer m_lexer;
    Command m_command;
    QString m_error;
};

} // namespace

ParsedLine parseLine(const QString &text, int lineNumber)
{
    QString error;
    const auto code = withoutComment(text, &error);
    if (!code)
        return ParsedLine { std::nullopt, error };
    return CommandParser(*code, lineNumber).parse();
}

} // namespace driverapp
