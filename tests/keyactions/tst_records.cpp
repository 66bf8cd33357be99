// The custom-action records and their dictionaries: the keys of each kind,
// typed reads, the round trip through a property-list file, and what the
// driver reads from them.

#include <QTemporaryDir>
#include <QTest>

#include "driver/keyconfig.h"
#include "keyactions/boardkeycusobject.h"
#include "keyactions/keycusobject.h"
#include "keyactions/rkeycusobject.h"
#include "keyactions/wheelkeycusobject.h"
#include "platform/plist.h"
#include "store/plistvalue.h"

using namespace keyactions;

Q_DECLARE_METATYPE(KeyCusObject)

namespace {

// Shift+Command+X as the recorder stores it.
QVariantMap recorded()
{
    return { { "characters", "X" }, { "keyCode", qint64(7) }, { "modifierFlags", quint64(0x120000) } };
}

KeyCusObject action(quint64 kind)
{
    KeyCusObject record;
    record.keyActCus = kind;
    record.alias = QStringLiteral("Action");
    return record;
}

// Every number of a dictionary (and of the dictionaries inside it) is an
// integer, not a Boolean or a real.
bool numbersAreIntegers(const QVariantMap &dictionary)
{
    for (const QVariant &value : dictionary) {
        if (const std::optional<QVariantMap> inner = store::dictionaryValue(value)) {
            if (!numbersAreIntegers(*inner))
                return false;
        } else if (!store::stringValue(value) && !store::isInteger(value)) {
            return false;
        }
    }
    return true;
}

QByteArray xml(const QVariant &value)
{
    return platform::plist::write(value, platform::plist::Format::Xml).value_or(QByteArray());
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void keyCusObjectWritesTheKeysOfItsKind_data();
    void keyCusObjectWritesTheKeysOfItsKind();
    void keyCusObjectReadsItsKindTyped_data();
    void keyCusObjectReadsItsKindTyped();
    void wheelFunctionKeys();
    void applicationSets();
    void roundTripThroughAPropertyListFile();
    void driverReadsWhatTheRecordsWrite();
};

void TestRecords::keyCusObjectWritesTheKeysOfItsKind_data()
{
    QTest::addColumn<KeyCusObject>("record");
    QTest::addColumn<QStringList>("keys");

    KeyCusObject app = action(0);
    app.appPath = QStringLiteral("/usr/share/applications/krita.desktop");
    app.urlStr = QStringLiteral("https://example.org"); // of another kind: not written
    QTest::newRow("application") << app
                                 << QStringList { "OVCFGPenKeyCus", "OVCFGPenKeyCusAlias",
                                        "OVCFGPenKeyCusAppPath" };
    KeyCusObject hotKey = action(1);
    hotKey.keyActCusHotKey = 5;
    QTest::newRow("hot key 5 without a combination")
        << hotKey << QStringList { "OVCFGPenKeyCus", "OVCFGPenKeyCusAlias", "OVCFGPenKeyCusHotKey" };
    KeyCusObject custom = action(1);
    custom.customHotKey = recorded();
    QTest::newRow("recorded combination") << custom
                                          << QStringList { "OVCFGPenKeyCus", "OVCFGPenKeyCusAlias",
                                                 "OVCFGPenKeyCusCusHotKey", "OVCFGPenKeyCusHotKey" };
    KeyCusObject address = action(2);
    address.alias.reset();
    address.keyActCusNet = 1;
    address.urlStr = QStringLiteral("mailto:a@example.org");
    QTest::newRow("address without a name")
        << address << QStringList { "OVCFGPenKeyCus", "OVCFGPenKeyCusNet", "OVCFGPenKeyCusURL" };
    KeyCusObject mouse = action(3);
    mouse.keyActCusMouse = 2;
    QTest::newRow("mouse") << mouse
                           << QStringList { "OVCFGPenKeyCus", "OVCFGPenKeyCusAlias", "OVCFGPenKeyCusMouse" };
    KeyCusObject unknown = action(7);
    unknown.appPath = QStringLiteral("/bin/true");
    QTest::newRow("kind 7: kind and name only")
        << unknown << QStringList { "OVCFGPenKeyCus", "OVCFGPenKeyCusAlias" };
}

void TestRecords::keyCusObjectWritesTheKeysOfItsKind()
{
    QFETCH(KeyCusObject, record);
    QFETCH(QStringList, keys);
    const QVariantMap written = record.serialization();
    QCOMPARE(written.keys(), keys);
    QVERIFY(numbersAreIntegers(written));
    QCOMPARE(written.value("OVCFGPenKeyCus").toULongLong(), record.keyActCus);
}

void TestRecords::keyCusObjectReadsItsKindTyped_data()
{
    QTest::addColumn<QVariantMap>("dictionary");
    QTest::addColumn<KeyCusObject>("expected");

    // Every record is read into one that holds values of all kinds, so that
    // what a kind leaves alone shows.
    KeyCusObject before;
    before.appPath = QStringLiteral("/old/app");
    before.keyActCusHotKey = 9;
    before.customHotKey = recorded();
    before.keyActCusNet = 1;
    before.urlStr = QStringLiteral("https://old.example.org");
    before.keyActCusMouse = 1;

    KeyCusObject mouse = before;
    mouse.keyActCus = 3;
    mouse.alias = QStringLiteral("Scroll");
    mouse.keyActCusMouse = 2;
    QTest::newRow("mouse ignores the address it carries")
        << QVariantMap { { "OVCFGPenKeyCus", 3 }, { "OVCFGPenKeyCusAlias", "Scroll" },
               { "OVCFGPenKeyCusMouse", 2 }, { "OVCFGPenKeyCusURL", "https://new.example.org" } }
        << mouse;

    KeyCusObject hotKey = before;
    hotKey.keyActCus = 1;
    hotKey.keyActCusHotKey = 39;
    hotKey.customHotKey.reset();
    QTest::newRow("hot key 39, no combination")
        << QVariantMap { { "OVCFGPenKeyCus", quint64(1) }, { "OVCFGPenKeyCusHotKey", 39 } } << hotKey;

    KeyCusObject tooFar = hotKey;
    tooFar.keyActCusHotKey = 0;
    tooFar.customHotKey = recorded();
    QTest::newRow("hot key 40 reads as the recorded combination") << QVariantMap { { "OVCFGPenKeyCus", 1 },
        { "OVCFGPenKeyCusHotKey", 40 }, { "OVCFGPenKeyCusCusHotKey", recorded() } }
                                                                  << tooFar;

    KeyCusObject wrongTypes = before;
    wrongTypes.keyActCus = 1;
    wrongTypes.keyActCusHotKey = 0;
    wrongTypes.customHotKey.reset();
    QTest::newRow("values of the wrong type read as absent")
        << QVariantMap { { "OVCFGPenKeyCus", 1 }, { "OVCFGPenKeyCusAlias", 12 },
               { "OVCFGPenKeyCusHotKey", "5" }, { "OVCFGPenKeyCusCusHotKey", QVariantList { 7, 0 } } }
        << wrongTypes;

    KeyCusObject application = before;
    application.appPath = QStringLiteral("/new/app");
    QTest::newRow("kind 9 reads as kind 0")
        << QVariantMap { { "OVCFGPenKeyCus", 9 }, { "OVCFGPenKeyCusAppPath", "/new/app" } } << application;
    QTest::newRow("negative kind reads as kind 0")
        << QVariantMap { { "OVCFGPenKeyCus", -1 }, { "OVCFGPenKeyCusAppPath", "/new/app" } } << application;
    QTest::newRow("Boolean kind reads as kind 0")
        << QVariantMap { { "OVCFGPenKeyCus", true }, { "OVCFGPenKeyCusAppPath", "/new/app" } } << application;
    KeyCusObject missing = before;
    missing.appPath.reset();
    QTest::newRow("empty dictionary") << QVariantMap() << missing;
}

void TestRecords::keyCusObjectReadsItsKindTyped()
{
    QFETCH(QVariantMap, dictionary);
    QFETCH(KeyCusObject, expected);
    KeyCusObject record;
    record.appPath = QStringLiteral("/old/app");
    record.keyActCusHotKey = 9;
    record.customHotKey = recorded();
    record.keyActCusNet = 1;
    record.urlStr = QStringLiteral("https://old.example.org");
    record.keyActCusMouse = 1;
    record.alias = QStringLiteral("stale name");
    record.deserialization(dictionary);
    QVERIFY(record == expected);
}

void TestRecords::wheelFunctionKeys()
{
    RKeyCusObject function;
    function.alias = QStringLiteral("Hue");
    function.cusCWHK = recorded();
    QCOMPARE(function.serialization().keys(), (QStringList { "OVCFGRKeyCusAlias", "OVCFGRKeyCusCusCWHK" }));

    // An absent key, or one of the wrong type, sets nil.
    function.cusCCWHK = recorded();
    function.deserialization(
        { { "OVCFGRKeyCusAlias", QVariantMap() }, { "OVCFGRKeyCusCusCWHK", recorded() } });
    QCOMPARE(function.alias, std::nullopt);
    QCOMPARE(function.cusCWHK, std::optional<QVariantMap>(recorded()));
    QCOMPARE(function.cusCCWHK, std::nullopt);
}

void TestRecords::applicationSets()
{
    BoardKeyCusObject board;
    board.name = QStringLiteral("krita");
    board.path = QStringLiteral("/usr/share/icons/krita.png");
    board.kCusObject(3) = action(3);
    const QVariantMap boardSet = board.serialization();
    QCOMPARE(boardSet.keys(), (QStringList { "OVCFGBKAppICNS", "OVCFGBoardKey3Cus" }));

    WheelKeyCusObject wheel;
    wheel.path = QStringLiteral("/usr/share/icons/gimp.png");
    QCOMPARE(wheel.serialization(),
        (QVariantMap { { "OVCFGRKAppICNS", wheel.path.value() }, { "OVCFGRKAppCur", 1 } }));
    QCOMPARE(wheel.serialization().value("OVCFGRKAppCur").typeId(), QMetaType::LongLong);

    // Reading {name: set}: the name and icon; a key the set lacks leaves its
    // record as it was; the current slot comes back as 1 whatever it was.
    BoardKeyCusObject read;
    read.kCusObject(1) = action(2);
    read.deserialization({ { "krita", boardSet } });
    QCOMPARE(read.name, std::optional<QString>("krita"));
    QCOMPARE(read.path, board.path);
    QVERIFY(read.kCusObject(1) == std::optional<KeyCusObject>(action(2)));
    QVERIFY(read.kCusObject(3) == std::optional<KeyCusObject>(action(3)));
    QVERIFY(!read.kCusObject(10));

    WheelKeyCusObject slot4;
    RKeyCusObject function;
    function.cusCCWHK = recorded();
    slot4.deserialization({ { "gimp",
        QVariantMap { { "OVCFGRKAppCur", 4 }, { "OVCFGWheelKey2Cus", function.serialization() },
            { "OVCFGWheelKey5Cus", "not a function" } } } });
    QCOMPARE(slot4.name, std::optional<QString>("gimp"));
    QCOMPARE(slot4.path, std::nullopt);
    QVERIFY(slot4.rCusObject(2) == std::optional<RKeyCusObject>(function));
    QVERIFY(!slot4.rCusObject(5));
    QCOMPARE(slot4.serialization().value("OVCFGRKAppCur"), QVariant(qint64(1)));
}

// A configuration holding one record of every form, written to a file, read
// back, read into records and written again: the same records, the same
// file, byte for byte (so key for key and type for type).
void TestRecords::roundTripThroughAPropertyListFile()
{
    KeyCusObject app = action(0);
    app.appPath = QStringLiteral("/usr/bin/krita");
    KeyCusObject hotKey = action(1);
    hotKey.customHotKey = recorded();
    KeyCusObject address = action(2);
    address.keyActCusNet = 1;
    address.urlStr = QStringLiteral("mailto:ü@example.org");
    KeyCusObject mouse = action(3);
    mouse.keyActCusMouse = 1;
    RKeyCusObject function;
    function.alias = QStringLiteral("Zoom");
    function.cusCWHK = recorded();
    function.cusCCWHK = QVariantMap { { "keyCode", qint64(6) }, { "modifierFlags", quint64(0x100000) } };
    BoardKeyCusObject board;
    board.path = QStringLiteral("/icons/krita.png");
    board.kCusObject(1) = hotKey;
    board.kCusObject(10) = mouse;
    WheelKeyCusObject wheel;
    wheel.path = QStringLiteral("/icons/gimp.png");
    wheel.rCusObject(1) = function;

    const QVariantMap configuration { { "app", app.serialization() }, { "hotKey", hotKey.serialization() },
        { "address", address.serialization() }, { "mouse", mouse.serialization() },
        { "function", function.serialization() },
        { "board", QVariantMap { { "Krita", board.serialization() } } },
        { "wheel", QVariantMap { { "GIMP", wheel.serialization() } } } };
    QVERIFY(numbersAreIntegers(configuration));

    for (const auto format : { platform::plist::Format::Xml, platform::plist::Format::Binary }) {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("records.plist"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(platform::plist::write(configuration, format).value());
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QVariantMap read = platform::plist::parse(file.readAll()).value().toMap();

        auto readRecord = [&read](const char *key, auto record) {
            record.deserialization(read.value(key).toMap());
            return record;
        };
        const KeyCusObject app2 = readRecord("app", KeyCusObject());
        const KeyCusObject hotKey2 = readRecord("hotKey", KeyCusObject());
        const KeyCusObject address2 = readRecord("address", KeyCusObject());
        const KeyCusObject mouse2 = readRecord("mouse", KeyCusObject());
        const RKeyCusObject function2 = readRecord("function", RKeyCusObject());
        BoardKeyCusObject board2 = readRecord("board", BoardKeyCusObject());
        WheelKeyCusObject wheel2 = readRecord("wheel", WheelKeyCusObject());
        QVERIFY(app2 == app);
        QVERIFY(address2 == address);
        QVERIFY(mouse2 == mouse);
        QVERIFY(function2 == function);
        board2.name.reset();
        wheel2.name.reset();
        QVERIFY(board2 == board);
        QVERIFY(wheel2 == wheel);
        QCOMPARE(hotKey2.customHotKey.value().value("modifierFlags").toULongLong(), quint64(0x120000));

        const QVariantMap again { { "app", app2.serialization() }, { "hotKey", hotKey2.serialization() },
            { "address", address2.serialization() }, { "mouse", mouse2.serialization() },
            { "function", function2.serialization() },
            { "board", QVariantMap { { "Krita", board2.serialization() } } },
            { "wheel", QVariantMap { { "GIMP", wheel2.serialization() } } } };
        QCOMPARE(xml(again), xml(read));
        QCOMPARE(xml(again), xml(configuration));
    }
}

// What the settings application writes is what the driver's key dispatch
// reads: the custom action, the wheel function and the per-application sets.
void TestRecords::driverReadsWhatTheRecordsWrite()
{
    KeyCusObject hotKey = action(1);
    hotKey.customHotKey = recorded();
    const std::optional<driver::CustomAction> read = driver::customAction(hotKey.serialization());
    QVERIFY(read);
    QCOMPARE(read->kind, driver::CustomKind::HotKey);
    QCOMPARE(read->alias, QStringLiteral("Action"));
    QCOMPARE(read->hotKeyIndex, std::optional<quint64>(0));
    QCOMPARE(read->combo, (std::optional<driver::RecordedCombo>(driver::RecordedCombo { 7, 0x120000 })));

    KeyCusObject app = action(0);
    app.appPath = QStringLiteral("/usr/bin/krita");
    KeyCusObject address = action(2);
    address.urlStr = QStringLiteral("https://example.org");
    KeyCusObject mouse = action(3);
    mouse.keyActCusMouse = 2;
    QCOMPARE(driver::customAction(app.serialization())->appPath, app.appPath.value());
    QCOMPARE(driver::customAction(address.serialization())->url, address.urlStr.value());
    QCOMPARE(driver::customAction(mouse.serialization())->mouse, std::optional<quint64>(2));

    RKeyCusObject function;
    function.alias = QStringLiteral("Zoom");
    function.cusCCWHK = recorded();
    const std::optional<driver::WheelCustom> wheelRead = driver::wheelCustom(function.serialization());
    QCOMPARE(wheelRead->alias, QStringLiteral("Zoom"));
    QCOMPARE(wheelRead->counterClockwise,
        (std::optional<driver::RecordedCombo>(driver::RecordedCombo { 7, 0x120000 })));
    QCOMPARE(wheelRead->clockwise, std::nullopt);

    BoardKeyCusObject board;
    board.kCusObject(3) = hotKey;
    WheelKeyCusObject wheel;
    wheel.rCusObject(1) = function;
    const driver::KeyConfiguration configuration {
        { "OVCFGBKApp",
            QVariantMap { { "OVCFGBKAppOptions", QVariantMap { { "krita", board.serialization() } } } } },
        { "OVCFGRKApp",
            QVariantMap { { "OVCFGRKAppOptions", QVariantMap { { "krita", wheel.serialization() } } } } }
    };
    const platform::FrontApplication krita { QString(), "krita", {} };
    const std::optional<driver::ApplicationSet> boardSet = driver::applicationSet(configuration, false, krita);
    QVERIFY(boardSet);
    QCOMPARE(driver::customAction(boardSet->set.value("OVCFGBoardKey3Cus"))->combo, read->combo);
    QVERIFY(!boardSet->set.contains("OVCFGBoardKey1Cus"));
    const std::optional<driver::ApplicationSet> wheelSet = driver::applicationSet(configuration, true, krita);
    QCOMPARE(driver::wheelSlot(wheelSet->set.value("OVCFGRKAppCur")), std::optional<int>(1));
    QCOMPARE(driver::wheelCustom(wheelSet->set.value("OVCFGWheelKey1Cus"))->counterClockwise,
        wheelRead->counterClockwise);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
