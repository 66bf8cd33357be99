#include "configschema.h"

#include <limits>
#include <span>

#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"
#include "store/plistvalue.h"

namespace store {

namespace {

enum class Kind { Unsigned, Integer, Real, Boolean, String, Point, Rect, Record, Named };

struct Type;

// A key, or a family of ten keys: the prefix, a number 1..10, the suffix.
struct Name
{
    QLatin1String prefix;
    QLatin1String suffix = QLatin1String();
    bool numbered = false;
};

constexpr Name family(QLatin1String prefix, QLatin1String suffix = QLatin1String())
{
    return Name { prefix, suffix, true };
}

struct Field
{
    Name name;
    const Type *type;
    bool required = false;
};

struct Type
{
    Kind kind;
    quint64 max = std::numeric_limits<quint64>::max(); // Unsigned
    std::span<const Field> fields = {}; // Record
    bool closed = false; // Record: nothing but its fields
    const Type *element = nullptr; // Named: the type of every entry
};

struct Category
{
    QLatin1String name;
    std::span<const Field> fields;
};

// clang-format off
constexpr Type kUnsigned { Kind::Unsigned };
constexpr Type kDegree { Kind::Unsigned, 3 };
constexpr Type kDisplayId { Kind::Unsigned, std::numeric_limits<quint32>::max() };
constexpr Type kInteger { Kind::Integer };
constexpr Type kReal { Kind::Real };
constexpr Type kBoolean { Kind::Boolean };
constexpr Type kString { Kind::String };
constexpr Type kPoint { Kind::Point };
constexpr Type kRect { Kind::Rect };

constexpr Field kRecorderFields[] {
    { { kRecorderCharacters }, &kString },
    { { kRecorderKeyCode }, &kInteger, true },
    { { kRecorderModifierFlags }, &kUnsigned },
};
constexpr Type kRecorder { Kind::Record, 0, kRecorderFields };

constexpr Field kCustomActionFields[] {
    { { OVCFGPenKeyCus }, &kUnsigned, true },
    { { OVCFGPenKeyCusAlias }, &kString },
    { { OVCFGPenKeyCusAppPath }, &kString },
    { { OVCFGPenKeyCusHotKey }, &kUnsigned },
    { { OVCFGPenKeyCusCusHotKey }, &kRecorder },
    { { OVCFGPenKeyCusNet }, &kUnsigned },
    { { OVCFGPenKeyCusURL }, &kString },
    { { OVCFGPenKeyCusMouse }, &kUnsigned },
};
constexpr Type kCustomAction { Kind::Record, 0, kCustomActionFields };

constexpr Field kWheelFunctionFields[] {
    { { OVCFGRKeyCusAlias }, &kString },
    { { OVCFGRKeyCusCusCWHK }, &kRecorder },
    { { OVCFGRKeyCusCusCCWHK }, &kRecorder },
};
constexpr Type kWheelFunction { Kind::Record, 0, kWheelFunctionFields };

constexpr Field kExpressKeySetFields[] {
    { { OVCFGBKAppICNS }, &kString },
    { family(QLatin1String("OVCFGBoardKey"), QLatin1String("Cus")), &kCustomAction },
};
constexpr Type kExpressKeySet { Kind::Record, 0, kExpressKeySetFields };
constexpr Type kExpressKeySets { Kind::Named, 0, {}, false, &kExpressKeySet };

constexpr Field kWheelSetFields[] {
    { { OVCFGRKAppICNS }, &kString },
    { { OVCFGRKAppCur }, &kInteger },
    { family(QLatin1String("OVCFGWheelKey"), QLatin1String("Cus")), &kWheelFunction },
};
constexpr Type kWheelSet { Kind::Record, 0, kWheelSetFields };
constexpr Type kWheelSets { Kind::Named, 0, {}, false, &kWheelSet };

constexpr Field kBezierFields[] {
    { { OVCFGBezierP1 }, &kPoint },
    { { OVCFGBezierP2 }, &kPoint },
    { { OVCFGBezierPC }, &kPoint },
};
constexpr Type kBezier { Kind::Record, 0, kBezierFields };

constexpr Field kMatrixFields[] {
    { { QLatin1String("A") }, &kReal, true },
    { { QLatin1String("B") }, &kReal, true },
    { { QLatin1String("C") }, &kReal, true },
    { { QLatin1String("D") }, &kReal, true },
    { { QLatin1String("E") }, &kReal, true },
    { { QLatin1String("F") }, &kReal, true },
};
constexpr Type kMatrix { Kind::Record, 0, kMatrixFields, true };

constexpr Field kCalibrationFields[] {
    { { OVCFGMonitorCalibZD }, &kMatrix },
    { { OVCFGMonitorCalibND }, &kMatrix },
    { { OVCFGMonitorCalibOED }, &kMatrix },
    { { OVCFGMonitorCalibTSD }, &kMatrix },
    { { OVCFGMonitorCalibZDCus }, &kMatrix },
    { { OVCFGMonitorCalibNDCus }, &kMatrix },
    { { OVCFGMonitorCalibOEDCus }, &kMatrix },
    { { OVCFGMonitorCalibTSDCus }, &kMatrix },
};
constexpr Type kCalibration { Kind::Record, 0, kCalibrationFields, true };

constexpr Field kPenKeyFields[] {
    { { OVCFGPenKeyUp }, &kUnsigned },
    { { OVCFGPenKeyDown }, &kUnsigned },
    { { OVCFGPenKeyUpDef }, &kUnsigned },
    { { OVCFGPenKeyDownDef }, &kUnsigned },
    { { OVCFGPenKeyUpCus }, &kCustomAction },
    { { OVCFGPenKeyDownCus }, &kCustomAction },
    { { OVCFGDegree }, &kDegree },
    { { OVCFGPressure }, &kBoolean },
    { { OVCFGTips }, &kBoolean },
    { { OVCFGKeyFun }, &kBoolean },
    { { OVCFGBezier }, &kBezier },
    { { OVCFGCoordinateMode }, &kUnsigned },
    { { OVCFGTrackingSpeed }, &kReal },
};

constexpr Field kBoardKeyFields[] {
    { family(QLatin1String("OVCFGBoardKey")), &kUnsigned },
    { family(QLatin1String("OVCFGBoardKey"), QLatin1String("Def")), &kUnsigned },
    { family(QLatin1String("OVCFGBoardKey"), QLatin1String("Cus")), &kCustomAction },
};

constexpr Field kBKAppFields[] {
    { { OVCFGBKAppOptions }, &kExpressKeySets },
};

constexpr Field kWheelKeyFields[] {
    { family(QLatin1String("OVCFGWheelKey")), &kUnsigned },
    { family(QLatin1String("OVCFGWheelKey"), QLatin1String("Def")), &kUnsigned },
    { family(QLatin1String("OVCFGWheelKey"), QLatin1String("Cus")), &kWheelFunction },
    { { OVCFGWheelKeyCur }, &kInteger },
};

constexpr Field kRKAppFields[] {
    { { OVCFGRKAppOptions }, &kWheelSets },
};

constexpr Field kMonitorFields[] {
    { { OVCFGMonitorMap }, &kUnsigned },
    { { OVCFGMonitorFrame }, &kRect },
    { { OVCFGMonitorNumber }, &kDisplayId },
    { { OVCFGMonitorName }, &kString },
    { { OVCFGMonitorCalib }, &kCalibration },
    { { OVCFGMonitorCalibMINX }, &kPoint },
    { { OVCFGMonitorCalibMINY }, &kPoint },
    { { OVCFGMonitorCalibMAXX }, &kPoint },
    { { OVCFGMonitorCalibMAXY }, &kPoint },
    { { OVCFGMonitorCalibMINXCus }, &kPoint },
    { { OVCFGMonitorCalibMINYCus }, &kPoint },
    { { OVCFGMonitorCalibMAXXCus }, &kPoint },
    { { OVCFGMonitorCalibMAXYCus }, &kPoint },
};

constexpr Field kTabletFields[] {
    { { OVCFGTabletMap }, &kUnsigned },
    { { OVCFGTabletFrame }, &kRect },
};

constexpr Category kCategories[] {
    { OVCFGPenKey, kPenKeyFields },
    { OVCFGBoardKey, kBoardKeyFields },
    { OVCFGBKApp, kBKAppFields },
    { OVCFGWheelKey, kWheelKeyFields },
    { OVCFGRKApp, kRKAppFields },
    { OVCFGMonitor, kMonitorFields },
    { OVCFGTablet, kTabletFields },
};
// clang-format on

bool matches(const Name &name, QStringView key)
{
    if (!name.numbered)
        return key == name.prefix;
    if (!key.startsWith(name.prefix) || !key.endsWith(name.suffix))
        return false;
    const QStringView digits
        = key.mid(name.prefix.size(), key.size() - name.prefix.size() - name.suffix.size());
    if (digits.isEmpty() || digits.size() > 2 || digits.front() == u'0')
        return false;
    for (QChar c : digits) {
        if (c < u'0' || c > u'9')
            return false;
    }
    const int number = digits.toInt();
    return number >= 1 && number <= 10;
}

const Field *findField(std::span<const Field> fields, QStringView key)
{
    for (const Field &field : fields) {
        if (matches(field.name, key))
            return &field;
    }
    return nullptr;
}

// A name from a file or the bus, short and printable, for a log line.
QString quoted(const QString &name)
{
    QString text;
    for (QChar c : name) {
        if (text.size() == 40) {
            text += QStringLiteral("...");
            break;
        }
        text += c.isPrint() ? c : QChar(u'?');
    }
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString nameText(const Name &name)
{
    return name.numbered ? QString(name.prefix) + QStringLiteral("<n>") + QString(name.suffix)
                         : QString(name.prefix);
}

std::optional<QString> check(const Type &type, const QVariant &value)
{
    switch (type.kind) {
    case Kind::Unsigned: {
        const std::optional<quint64> number = unsignedValue(value);
        if (!number)
            return QStringLiteral("not an unsigned integer");
        if (*number > type.max)
            return QStringLiteral("not 0 to %1").arg(type.max);
        return std::nullopt;
    }
    case Kind::Integer:
        if (!integerValue(value))
            return QStringLiteral("not an integer");
        return std::nullopt;
    case Kind::Real:
        if (!realValue(value))
            return QStringLiteral("not a finite number");
        return std::nullopt;
    case Kind::Boolean:
        if (!booleanValue(value))
            return QStringLiteral("not a Boolean");
        return std::nullopt;
    case Kind::String:
        if (!stringValue(value))
            return QStringLiteral("not a string");
        return std::nullopt;
    case Kind::Point: {
        const std::optional<QString> text = stringValue(value);
        if (!text || !strictPointFromString(*text))
            return QStringLiteral("not a point \"{x, y}\"");
        return std::nullopt;
    }
    case Kind::Rect: {
        const std::optional<QString> text = stringValue(value);
        if (!text || !strictRectFromString(*text))
            return QStringLiteral("not a rectangle \"{{x, y}, {w, h}}\"");
        return std::nullopt;
    }
    case Kind::Record: {
        const std::optional<QVariantMap> map = dictionaryValue(value);
        if (!map)
            return QStringLiteral("not a dictionary");
        for (auto it = map->cbegin(); it != map->cend(); ++it) {
            const Field *field = findField(type.fields, it.key());
            if (!field) {
                if (type.closed)
                    return quoted(it.key()) + QStringLiteral(" does not belong here");
                continue;
            }
            if (const std::optional<QString> why = check(*field->type, it.value()))
                return it.key() + QStringLiteral(": ") + *why;
        }
        for (const Field &field : type.fields) {
            if (field.required && !map->contains(QString(field.name.prefix)))
                return QStringLiteral("no ") + nameText(field.name);
        }
        return std::nullopt;
    }
    case Kind::Named: {
        const std::optional<QVariantMap> map = dictionaryValue(value);
        if (!map)
            return QStringLiteral("not a dictionary");
        for (auto it = map->cbegin(); it != map->cend(); ++it) {
            if (const std::optional<QString> why = check(*type.element, it.value()))
                return quoted(it.key()) + QStringLiteral(": ") + *why;
        }
        return std::nullopt;
    }
    }
    return std::nullopt;
}

const Category *findCategory(QStringView name)
{
    for (const Category &category : kCategories) {
        if (name == category.name)
            return &category;
    }
    return nullptr;
}

} // namespace

std::optional<QString> schemaViolation(const QString &category, const QString &key, const QVariant &value)
{
    const Category *known = findCategory(category);
    if (!known)
        return std::nullopt;
    const Field *field = findField(known->fields, key);
    if (!field)
        return std::nullopt;
    return check(*field->type, value);
}

QList<SchemaBreak> schemaBreaks(const QVariantMap &configuration)
{
    QList<SchemaBreak> breaks;
    for (auto category = configuration.cbegin(); category != configuration.cend(); ++category) {
        const Category *known = findCategory(category.key());
        const std::optional<QVariantMap> keys = dictionaryValue(category.value());
        if (!known || !keys)
            continue;
        for (auto key = keys->cbegin(); key != keys->cend(); ++key) {
            if (const std::optional<QString> why = schemaViolation(category.key(), key.key(), key.value()))
                breaks.append(SchemaBreak { category.key(), key.key(), *why });
        }
    }
    return breaks;
}

} // namespace store
