#include "plist.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>
#include <vector>

#include <QDateTime>
#include <QStringList>

#include <plist/plist.h>

namespace platform::plist {

namespace {

// Property-list dates count seconds from 2001-01-01 00:00:00 UTC.
constexpr qint64 kReferenceDateMSecs = 978307200000LL;

struct NodeDeleter
{
    void operator()(void *node) const { plist_free(static_cast<plist_t>(node)); }
};
using Node = std::unique_ptr<void, NodeDeleter>;

void fail(QString *error, const QString &why)
{
    if (error)
        *error = why;
}

// A short, printable excerpt of hostile text for an error line.
QString excerpt(const char *begin, const char *end)
{
    QString text;
    for (const char *p = begin; p < end && text.size() < 24; ++p)
        text += (*p >= 0x20 && *p < 0x7f) ? QChar(QLatin1Char(*p)) : QChar(u'?');
    return text;
}

// libplist 2.2 has no constructor for an integer above INT64_MAX (its
// 16-byte unsigned form) and builds dates only from 32-bit seconds, and its
// date accessor loses the sign of a date less than a second before 2001. Both
// values are built from, and a date is read through, a one-object binary
// property list, which carries them exactly.
QByteArray singleObjectBinary(const QByteArray &object)
{
    QByteArray bytes("bplist00");
    bytes += object;
    bytes += char(8); // offset table: the object's offset
    bytes += QByteArray(6, '\0');
    bytes += char(1); // offset size
    bytes += char(1); // reference size
    bytes += QByteArray(7, '\0') + char(1); // one object
    bytes += QByteArray(8, '\0'); // top object 0
    bytes += QByteArray(7, '\0') + char(8 + object.size()); // offset table position
    return bytes;
}

QByteArray bigEndianBytes(quint64 value)
{
    QByteArray bytes(8, '\0');
    for (int i = 7; i >= 0; --i, value >>= 8)
        bytes[i] = char(value & 0xff);
    return bytes;
}

plist_t nodeFromBinary(const QByteArray &object)
{
    const QByteArray bytes = singleObjectBinary(object);
    plist_t node = nullptr;
    plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &node);
    return node;
}

plist_t newLargeUnsigned(quint64 value)
{
    return nodeFromBinary(char(0x14) + QByteArray(8, '\0') + bigEndianBytes(value));
}

// Dates from year 1000 to 9999: libplist's XML writer spells a year with
// fewer than four digits unpadded, which no reader takes back.
bool isWritableYear(const QDateTime &date)
{
    const int year = date.toUTC().date().year();
    return year >= 1000 && year <= 9999;
}

// Seconds from the reference date.
plist_t newDate(double seconds)
{
    quint64 bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    return nodeFromBinary(char(0x33) + bigEndianBytes(bits));
}

std::optional<double> dateSeconds(plist_t node)
{
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(node, &bin, &length);
    std::optional<double> seconds;
    if (bin && length >= 17 && uchar(bin[8]) == 0x33) {
        quint64 bits = 0;
        for (int i = 9; i < 17; ++i)
            bits = (bits << 8) | uchar(bin[i]);
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        seconds = value;
    }
    plist_to_bin_free(bin);
    return seconds;
}

// libplist 2.2 keeps every integer as uint64 and marks only the values above
// INT64_MAX (a 16-byte integer in binary); that mark has no accessor, but its
// XML text is unsigned while every other integer prints signed.
bool isLargeUnsigned(plist_t node)
{
    uint64_t value = 0;
    plist_get_uint_val(node, &value);
    if (value <= uint64_t(std::numeric_limits<qint64>::max()))
        return false;
    char *xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    const bool negative = xml && QByteArray::fromRawData(xml, int(length)).contains("<integer>-");
    plist_to_xml_free(xml);
    return !negative;
}

// ---------------------------------------------------------------------------
// Checks on the raw bytes before libplist sees them. libplist 2.2 walks
// nesting recursively (while parsing binary and while freeing) and expands
// shared binary references into copies, and its XML reader turns an integer
// or real it cannot read into 0. These checks bound all of that.

constexpr int kMaxNesting = 256; // containers inside containers
constexpr qint64 kMaxValues = 1 << 20; // values after expanding shared references

struct BinaryTrailer
{
    int offsetSize;
    int refSize;
    quint64 objectCount;
    quint64 topObject;
    quint64 offsetTable;
};

quint64 readBigEndian(const uchar *p, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | p[i];
    return value;
}

bool checkBinary(const QByteArray &bytes, QString *error)
{
    const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
    const quint64 size = quint64(bytes.size());
    constexpr quint64 kHeader = 8, kTrailer = 32;
    if (size < kHeader + 1 + kTrailer) {
        fail(error, QStringLiteral("truncated binary property list"));
        return false;
    }
    const uchar *t = data + size - kTrailer;
    const BinaryTrailer trailer{t[6], t[7], readBigEndian(t + 8, 8), readBigEndian(t + 16, 8),
                                readBigEndian(t + 24, 8)};
    const quint64 tableEnd = size - kTrailer;
    if (trailer.offsetSize < 1 || trailer.offsetSize > 8 || trailer.refSize < 1 || trailer.refSize > 8
        || trailer.objectCount == 0 || trailer.topObject >= trailer.objectCount
        || trailer.offsetTable < kHeader || trailer.offsetTable > tableEnd
        || trailer.objectCount > (tableEnd - trailer.offsetTable) / quint64(trailer.offsetSize)) {
        fail(error, QStringLiteral("truncated binary property list"));
        return false;
    }

    // Only reachable objects become values, so a list with more objects than
    // kMaxValues is either over the limit or padded with junk.
    if (trailer.objectCount > quint64(kMaxValues)) {
        fail(error, QStringLiteral("property list holds more than %1 values").arg(kMaxValues));
        return false;
    }
    const quint64 objects = trailer.objectCount;
    auto offsetOf = [&](quint64 index) {
        return readBigEndian(data + trailer.offsetTable + index * quint64(trailer.offsetSize),
                             trailer.offsetSize);
    };
    // Children of a container object: [first ref position, count of refs).
    struct Refs
    {
        quint64 at = 0;
        quint64 count = 0;
        bool ok = true;
        bool nul = false; // a string holding a NUL character
    };
    auto refsOf = [&](quint64 index) -> Refs {
        const quint64 offset = offsetOf(index);
        if (offset < kHeader || offset >= trailer.offsetTable)
            return {0, 0, false};
        const uchar marker = data[offset];
        const int type = marker >> 4;
        const bool container = type == 0xA || type == 0xC || type == 0xD;
        const bool text = type == 0x5 || type == 0x6;
        if (!container && !text)
            return {};
        quint64 count = marker & 0x0f;
        quint64 at = offset + 1;
        if (count == 0x0f) {
            if (at >= trailer.offsetTable || (data[at] >> 4) != 0x1)
                return {0, 0, false};
            const int width = 1 << (data[at] & 0x0f);
            if (width > 8 || at + 1 + quint64(width) > trailer.offsetTable)
                return {0, 0, false};
            count = readBigEndian(data + at + 1, width);
            at += 1 + quint64(width);
        }
        if (text) {
            // libplist ends a string at its first NUL and keeps going, so
            // the rest would vanish without a word.
            const quint64 unit = type == 0x6 ? 2 : 1;
            if (count > (trailer.offsetTable - at) / unit)
                return {0, 0, false};
            for (quint64 i = 0; i < count; ++i) {
                if (data[at + i * unit] == 0 && (unit == 1 || data[at + i * unit + 1] == 0))
                    return {0, 0, true, true};
            }
            return {};
        }
        const quint64 refs = type == 0xD ? 2 : 1;
        const quint64 room = (trailer.offsetTable - at) / quint64(trailer.refSize);
        if (count > room / refs)
            return {0, 0, false};
        return {at, count * refs, true};
    };

    // Height and expanded size of every object, depth first without
    // recursion; an object met again on its own path is a cycle.
    enum : uchar { Unseen, Open, Done };
    std::vector<uchar> state(objects, Unseen);
    std::vector<quint16> height(objects, 0);
    std::vector<qint32> expanded(objects, 0); // saturates just above kMaxValues
    struct Frame
    {
        quint64 index;
        Refs refs;
        quint64 next;
    };
    std::vector<Frame> path;
    // A finished child counts into its parent's height and size.
    auto addChild = [&](quint64 parent, quint64 child) -> bool {
        height[parent] = std::max<quint16>(height[parent], quint16(height[child] + 1));
        expanded[parent] = qint32(std::min<qint64>(qint64(expanded[parent]) + expanded[child], kMaxValues + 1));
        if (height[parent] > kMaxNesting) {
            fail(error, QStringLiteral("property list nested deeper than %1 levels").arg(kMaxNesting));
            return false;
        }
        if (expanded[parent] > kMaxValues) {
            fail(error, QStringLiteral("property list holds more than %1 values").arg(kMaxValues));
            return false;
        }
        return true;
    };
    auto open = [&](quint64 index) -> bool {
        const Refs refs = refsOf(index);
        if (!refs.ok) {
            fail(error, QStringLiteral("truncated binary property list"));
            return false;
        }
        if (refs.nul) {
            fail(error, QStringLiteral("cannot read string: it contains a NUL character"));
            return false;
        }
        if (path.size() >= size_t(kMaxNesting) + 1 && refs.count > 0) {
            fail(error, QStringLiteral("property list nested deeper than %1 levels").arg(kMaxNesting));
            return false;
        }
        state[index] = Open;
        expanded[index] = 1;
        path.push_back(Frame{index, refs, 0});
        return true;
    };
    if (!open(trailer.topObject))
        return false;
    while (!path.empty()) {
        Frame &frame = path.back();
        if (frame.next == frame.refs.count) {
            state[frame.index] = Done;
            const quint64 done = frame.index;
            path.pop_back();
            if (!path.empty()) {
                if (!addChild(path.back().index, done))
                    return false;
            }
            continue;
        }
        const quint64 child
            = readBigEndian(data + frame.refs.at + frame.next * quint64(trailer.refSize), trailer.refSize);
        ++frame.next;
        if (child >= objects) {
            fail(error, QStringLiteral("truncated binary property list"));
            return false;
        }
        if (state[child] == Open) {
            fail(error, QStringLiteral("binary property list refers to itself"));
            return false;
        }
        if (state[child] == Done) {
            if (!addChild(frame.index, child))
                return false;
            continue;
        }
        if (!open(child))
            return false;
    }
    return true;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The text of <integer>: decimal without leading zeros, or 0x hex (libplist
// would read "010" as octal 8), within the 64-bit range.
bool isIntegerText(QByteArray text)
{
    text = text.trimmed();
    bool negative = false;
    if (text.startsWith('-') || text.startsWith('+')) {
        negative = text.startsWith('-');
        text.remove(0, 1);
    }
    if (text.isEmpty())
        return false;
    bool ok = false;
    quint64 magnitude = 0;
    if (text.startsWith("0x") || text.startsWith("0X")) {
        const QByteArray digits = text.mid(2);
        if (digits.isEmpty() || digits.startsWith('+') || digits.startsWith('-'))
            return false;
        magnitude = digits.toULongLong(&ok, 16);
    } else {
        if (text.size() > 1 && text.startsWith('0'))
            return false;
        for (char c : std::as_const(text)) {
            if (c < '0' || c > '9')
                return false;
        }
        magnitude = text.toULongLong(&ok, 10);
    }
    if (!ok)
        return false;
    return !negative || magnitude <= quint64(std::numeric_limits<qint64>::max()) + 1;
}

bool isRealText(QByteArray text)
{
    text = text.trimmed().toLower();
    static const char *const special[] = {"nan", "inf", "+inf", "-inf", "infinity", "+infinity", "-infinity"};
    for (const char *s : special) {
        if (text == s)
            return true;
    }
    if (text.isEmpty())
        return false;
    for (char c : std::as_const(text)) {
        if (!((c >= '0' && c <= '9') || c == '.' || c == 'e' || c == '+' || c == '-'))
            return false;
    }
    bool ok = false;
    text.toDouble(&ok);
    return ok;
}

bool isDateText(const QByteArray &text)
{
    return QDateTime::fromString(QString::fromLatin1(text.trimmed()), Qt::ISODate).isValid();
}

// libplist 2.2 replaces each entity reference ("&amp;", "&#38;") in a text by
// moving the rest of that text: a text of n bytes with k references costs
// about k * n byte moves (8 MB of "&amp;" kept the main thread busy for over
// two minutes). Bounded over the whole document to about 25 ms of work.
constexpr qint64 kMaxEntityWork = qint64(1) << 32;

// Adds the work of the text [begin, end); false once the bound is passed.
bool addEntityWork(const char *begin, const char *end, qint64 *work)
{
    qint64 references = 0;
    for (const char *q = begin; q < end; ++q) {
        q = static_cast<const char *>(std::memchr(q, '&', size_t(end - q)));
        if (!q)
            break;
        ++references;
    }
    *work += references * qint64(end - begin);
    return *work <= kMaxEntityWork;
}

bool checkXml(const QByteArray &bytes, QString *error)
{
    const char *p = bytes.constData();
    const char *const end = p + bytes.size();
    int depth = 0;
    qint64 values = 0;
    auto skipPast = [&](const char *from, const char *marker) -> const char * {
        const size_t n = std::strlen(marker);
        for (const char *q = from; q + n <= end; ++q) {
            if (std::memcmp(q, marker, n) == 0)
                return q + n;
        }
        return nullptr;
    };
    auto startsWith = [&](const char *at, const char *prefix) {
        const size_t n = std::strlen(prefix);
        return size_t(end - at) >= n && std::memcmp(at, prefix, n) == 0;
    };
    qint64 entityWork = 0;
    while (true) {
        const char *text = p;
        p = static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
        if (!addEntityWork(text, p ? p : end, &entityWork)) {
            fail(error,
                QStringLiteral("property list holds too many entity references for the length of its texts"));
            return false;
        }
        if (!p)
            return true;
        const char *next = nullptr;
        if (startsWith(p, "<!--"))
            next = skipPast(p + 4, "-->");
        else if (startsWith(p, "<![CDATA["))
            next = skipPast(p + 9, "]]>");
        else if (startsWith(p, "<?"))
            next = skipPast(p + 2, "?>");
        else if (startsWith(p, "<!")) {
            // A document type, possibly with an internal subset in brackets.
            int brackets = 0;
            for (const char *q = p + 2; q < end; ++q) {
                if (*q == '[')
                    ++brackets;
                else if (*q == ']')
                    --brackets;
                else if (*q == '>' && brackets <= 0) {
                    next = q + 1;
                    break;
                }
            }
        }
        if (p + 1 < end && (p[1] == '!' || p[1] == '?')) {
            if (!next) {
                fail(error, QStringLiteral("not a property list: unterminated markup"));
                return false;
            }
            p = next;
            continue;
        }

        // An element tag: find its end outside quoted attribute values.
        const char *q = p + 1;
        char quote = 0;
        for (; q < end; ++q) {
            if (quote) {
                if (*q == quote)
                    quote = 0;
            } else if (*q == '"' || *q == '\'') {
                quote = *q;
            } else if (*q == '>') {
                break;
            }
        }
        if (q >= end) {
            fail(error, QStringLiteral("not a property list: unterminated tag"));
            return false;
        }
        const bool closing = p + 1 < q && p[1] == '/';
        const bool selfClosing = q[-1] == '/';
        const char *nameBegin = p + (closing ? 2 : 1);
        const char *nameEnd = nameBegin;
        while (nameEnd < q && !isBlank(*nameEnd) && *nameEnd != '/')
            ++nameEnd;
        const QByteArray name = QByteArray::fromRawData(nameBegin, int(nameEnd - nameBegin));
        p = q + 1;

        if (closing) {
            if ((name == "array" || name == "dict") && depth > 0)
                --depth;
            continue;
        }
        static const char *const valueTags[]
            = {"array", "dict", "string", "integer", "real", "date", "data", "true", "false", "key"};
        bool isValue = false;
        for (const char *tag : valueTags)
            isValue = isValue || name == tag;
        if (isValue && ++values > kMaxValues) {
            fail(error, QStringLiteral("property list holds more than %1 values").arg(kMaxValues));
            return false;
        }
        if ((name == "array" || name == "dict") && !selfClosing && ++depth > kMaxNesting) {
            fail(error, QStringLiteral("property list nested deeper than %1 levels").arg(kMaxNesting));
            return false;
        }
        if (name == "integer" || name == "real" || name == "date") {
            const char *textEnd = selfClosing ? p : static_cast<const char *>(std::memchr(p, '<', size_t(end - p)));
            if (!textEnd)
                textEnd = end;
            const QByteArray text = QByteArray::fromRawData(p, int(textEnd - p));
            const bool ok = !selfClosing
                && (name == "integer" ? isIntegerText(text) : name == "real" ? isRealText(text) : isDateText(text));
            if (!ok) {
                fail(error, QStringLiteral("cannot read %1 '%2'").arg(QString::fromLatin1(name), excerpt(p, textEnd)));
                return false;
            }
        }
    }
}

// ---------------------------------------------------------------------------
// libplist nodes to QVariant.

std::optional<QVariant> toVariant(plist_t node, int depth, QString *error)
{
    switch (plist_get_node_type(node)) {
    case PLIST_BOOLEAN:
        return QVariant(plist_bool_val_is_true(node) != 0);
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        if (isLargeUnsigned(node))
            return QVariant(quint64(value));
        return QVariant(qint64(value));
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return QVariant(value);
    }
    case PLIST_STRING: {
        uint64_t length = 0;
        const char *text = plist_get_string_ptr(node, &length);
        const QString value = QString::fromUtf8(text, qsizetype(length));
        // No writer of ours could carry it back, and no sound file has one.
        if (value.contains(QChar(u'\0'))) {
            fail(error, QStringLiteral("cannot read string: it contains a NUL character"));
            return std::nullopt;
        }
        return QVariant(value);
    }
    case PLIST_DATA: {
        uint64_t length = 0;
        const char *bytes = plist_get_data_ptr(node, &length);
        return QVariant(QByteArray(bytes, qsizetype(length)));
    }
    case PLIST_DATE: {
        const auto seconds = dateSeconds(node);
        constexpr double kFarSeconds = 1e12; // beyond year 30000 either way
        if (!seconds || !std::isfinite(*seconds) || std::fabs(*seconds) > kFarSeconds) {
            fail(error, QStringLiteral("cannot read date: out of range"));
            return std::nullopt;
        }
        const qint64 msecs = kReferenceDateMSecs + qint64(std::llround(*seconds * 1000.0));
        const QDateTime date = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
        if (!isWritableYear(date)) {
            fail(error, QStringLiteral("cannot read date: out of range"));
            return std::nullopt;
        }
        return QVariant(date);
    }
    case PLIST_ARRAY:
    case PLIST_DICT:
        break;
    case PLIST_KEY:
    case PLIST_UID:
    case PLIST_NONE:
    default:
        fail(error, QStringLiteral("unsupported value in property list"));
        return std::nullopt;
    }

    if (depth >= kMaxNesting) {
        fail(error, QStringLiteral("property list nested deeper than %1 levels").arg(kMaxNesting));
        return std::nullopt;
    }
    if (plist_get_node_type(node) == PLIST_ARRAY) {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        list.reserve(qsizetype(count));
        for (uint32_t i = 0; i < count; ++i) {
            auto item = toVariant(plist_array_get_item(node, i), depth + 1, error);
            if (!item)
                return std::nullopt;
            list.append(std::move(*item));
        }
        return QVariant(list);
    }
    QVariantMap map;
    plist_dict_iter iter = nullptr;
    plist_dict_new_iter(node, &iter);
    std::optional<QVariant> result;
    while (true) {
        char *key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(node, iter, &key, &value);
        if (!value) {
            std::free(key);
            result = QVariant(map);
            break;
        }
        const QString name = QString::fromUtf8(key);
        std::free(key);
        auto item = toVariant(value, depth + 1, error);
        if (!item)
            break;
        map.insert(name, std::move(*item));
    }
    std::free(iter);
    return result;
}

// ---------------------------------------------------------------------------
// QVariant to libplist nodes.

// XML 1.0 cannot carry these; libplist would drop them silently.
bool hasXmlForbiddenCharacter(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r')
            return true;
        if (c.unicode() == 0xfffe || c.unicode() == 0xffff)
            return true;
    }
    return false;
}

// Checks one string for the chosen format; the null format checks what
// every format needs (libplist ends its strings at a NUL).
bool checkString(const QString &text, const std::optional<Format> &format, QString *error)
{
    if (text.contains(QChar(u'\0'))) {
        fail(error, QStringLiteral("cannot write string: it contains a NUL character"));
        return false;
    }
    if (format == Format::Xml && hasXmlForbiddenCharacter(text)) {
        fail(error, QStringLiteral("cannot write string as XML: it contains a control character"));
        return false;
    }
    return true;
}

// Builds the node when `build` is set, else only checks the value.
plist_t toNode(const QVariant &value, int depth, const std::optional<Format> &format, bool build,
               QString *error, bool *ok)
{
    *ok = false;
    const int type = value.metaType().id();
    const auto unsupported = [&] {
        fail(error, value.isValid()
                 ? QStringLiteral("cannot write value of type %1 as a property list")
                       .arg(QString::fromLatin1(value.metaType().name()))
                 : QStringLiteral("cannot write an invalid value as a property list"));
        return nullptr;
    };
    if (type == QMetaType::Bool) {
        *ok = true;
        return build ? plist_new_bool(value.toBool() ? 1 : 0) : nullptr;
    }
    if (isIntegerType(type)) {
        *ok = true;
        if (!build)
            return nullptr;
        if (isUnsignedType(type)) {
            const quint64 v = value.toULongLong();
            if (v > quint64(std::numeric_limits<qint64>::max()))
                return newLargeUnsigned(v);
            return plist_new_uint(v);
        }
        return plist_new_uint(uint64_t(value.toLongLong()));
    }
    if (type == QMetaType::Double || type == QMetaType::Float) {
        *ok = true;
        const double v = type == QMetaType::Float ? double(value.value<float>()) : value.toDouble();
        return build ? plist_new_real(v) : nullptr;
    }
    if (type == QMetaType::QString) {
        const QString text = value.toString();
        if (!checkString(text, format, error))
            return nullptr;
        *ok = true;
        return build ? plist_new_string(text.toUtf8().constData()) : nullptr;
    }
    if (type == QMetaType::QByteArray) {
        *ok = true;
        if (!build)
            return nullptr;
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), uint64_t(bytes.size()));
    }
    if (type == QMetaType::QDateTime) {
        const QDateTime date = value.toDateTime();
        if (!date.isValid()) {
            fail(error, QStringLiteral("cannot write an invalid date as a property list"));
            return nullptr;
        }
        const double seconds = double(date.toMSecsSinceEpoch() - kReferenceDateMSecs) / 1000.0;
        if (!isWritableYear(date)) {
            fail(error, QStringLiteral("cannot write date: out of range"));
            return nullptr;
        }
        *ok = true;
        return build ? newDate(seconds) : nullptr;
    }
    const bool isList = type == QMetaType::QVariantList || type == QMetaType::QStringList;
    if (!isList && type != QMetaType::QVariantMap)
        return unsupported();
    if (depth >= kMaxNesting) {
        fail(error, QStringLiteral("cannot write property list nested deeper than %1 levels").arg(kMaxNesting));
        return nullptr;
    }

    Node container(build ? (isList ? plist_new_array() : plist_new_dict()) : nullptr);
    if (isList) {
        const QVariantList list = value.toList();
        for (const QVariant &item : list) {
            bool itemOk = false;
            plist_t node = toNode(item, depth + 1, format, build, error, &itemOk);
            if (!itemOk)
                return nullptr;
            if (build && !node) {
                fail(error, QStringLiteral("cannot write property list: libplist failed"));
                return nullptr;
            }
            if (build)
                plist_array_append_item(container.get(), node);
        }
    } else {
        const QVariantMap map = value.toMap();
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            if (!checkString(it.key(), format, error))
                return nullptr;
            bool itemOk = false;
            plist_t node = toNode(it.value(), depth + 1, format, build, error, &itemOk);
            if (!itemOk)
                return nullptr;
            if (build && !node) {
                fail(error, QStringLiteral("cannot write property list: libplist failed"));
                return nullptr;
            }
            if (build)
                plist_dict_set_item(container.get(), it.key().toUtf8().constData(), node);
        }
    }
    *ok = true;
    return static_cast<plist_t>(container.release());
}

} // namespace

bool isIntegerType(int type)
{
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isUnsignedType(int type)
{
    return type == QMetaType::UInt || type == QMetaType::ULongLong || type == QMetaType::ULong
        || type == QMetaType::UShort || type == QMetaType::UChar;
}

bool withinLimits(const QByteArray &bytes, QString *error)
{
    if (bytes.isEmpty()) {
        fail(error, QStringLiteral("not a property list: no bytes"));
        return false;
    }
    if (bytes.size() > kMaxBytes) {
        fail(error, QStringLiteral("property list larger than %1 bytes").arg(kMaxBytes));
        return false;
    }
    return bytes.startsWith("bplist00") ? checkBinary(bytes, error) : checkXml(bytes, error);
}

std::optional<QVariant> parse(const QByteArray &bytes, QString *error)
{
    if (!withinLimits(bytes, error))
        return std::nullopt;
    const bool binary = bytes.startsWith("bplist00");

    plist_t root = nullptr;
    if (binary)
        plist_from_bin(bytes.constData(), uint32_t(bytes.size()), &root);
    else
        plist_from_xml(bytes.constData(), uint32_t(bytes.size()), &root);
    const Node owner(root);
    if (!root) {
        fail(error, binary ? QStringLiteral("not a property list: malformed binary property list")
                           : QStringLiteral("not a property list: malformed XML"));
        return std::nullopt;
    }
    return toVariant(root, 0, error);
}

std::optional<QByteArray> write(const QVariant &value, Format format, QString *error)
{
    bool ok = false;
    const Node root(toNode(value, 0, format, true, error, &ok));
    if (!ok || !root) {
        if (ok)
            fail(error, QStringLiteral("cannot write property list: libplist failed"));
        return std::nullopt;
    }
    char *out = nullptr;
    uint32_t length = 0;
    if (format == Format::Xml)
        plist_to_xml(root.get(), &out, &length);
    else
        plist_to_bin(root.get(), &out, &length);
    if (!out || length == 0) {
        if (format == Format::Xml)
            plist_to_xml_free(out);
        else
            plist_to_bin_free(out);
        fail(error, QStringLiteral("cannot write property list: libplist failed"));
        return std::nullopt;
    }
    QByteArray bytes(out, qsizetype(length));
    if (format == Format::Xml)
        plist_to_xml_free(out);
    else
        plist_to_bin_free(out);
    return bytes;
}

bool isPlistValue(const QVariant &value)
{
    bool ok = false;
    toNode(value, 0, std::nullopt, false, nullptr, &ok);
    return ok;
}

} // namespace platform::plist
