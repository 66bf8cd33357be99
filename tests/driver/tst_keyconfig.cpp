// Reading key actions from a device's configuration: fallbacks, sets, and
// values of the wrong kind that must read as absent.

#include <QTest>

#include "driver/keyconfig.h"

using driver::CustomKind;
using driver::RecordedCombo;

Q_DECLARE_METATYPE(std::optional<RecordedCombo>)
Q_DECLARE_METATYPE(std::optional<int>)

namespace {

QVariantMap combo(QVariant keyCode, QVariant flags)
{
    QVariantMap map { { "characters", "z" } };
    if (keyCode.isValid())
        map.insert("keyCode", keyCode);
    if (flags.isValid())
        map.insert("modifierFlags", flags);
    return map;
}

// A Kalverin M's key categories with one per-application set for "Gimp".
QVariantMap configuration()
{
    const QVariantMap appAction { { "OVCFGPenKeyCus", 2 }, { "OVCFGPenKeyCusAlias", "Docs" },
        { "OVCFGPenKeyCusURL", "https://example.org" } };
    const QVariantMap wheelFunction { { "OVCFGRKeyCusAlias", "Hue" },
        { "OVCFGRKeyCusCusCWHK", combo(qint64(4), quint64(0x100000)) } };
    return {
        { "OVCFGBoardKey",
            QVariantMap { { "OVCFGBoardKey1Def", 1 }, { "OVCFGBoardKey2", 7 }, { "OVCFGBoardKey2Def", 2 },
                { "OVCFGBoardKey3", 11 },
                { "OVCFGBoardKey3Cus",
                    QVariantMap { { "OVCFGPenKeyCus", 0 }, { "OVCFGPenKeyCusAlias", "Mail" } } },
                { "OVCFGBoardKey4", "three" }, { "OVCFGBoardKey4Def", 3 }, { "OVCFGBoardKey5", 11 },
                { "OVCFGBoardKey6", 12 } } },
        { "OVCFGBKApp",
            QVariantMap { { "OVCFGBKAppOptions",
                QVariantMap { { "Gimp", QVariantMap { { "OVCFGBoardKey1Cus", appAction } } },
                    { "Inkscape", "not a set" } } } } },
        { "OVCFGWheelKey",
            QVariantMap { { "OVCFGWheelKey1Def", 1 }, { "OVCFGWheelKey2", 11 },
                { "OVCFGWheelKey2Cus", wheelFunction } } },
        { "OVCFGRKApp",
            QVariantMap { { "OVCFGRKAppOptions",
                QVariantMap { { "Gimp",
                    QVariantMap { { "OVCFGRKAppCur", 1 }, { "OVCFGWheelKey1Cus", wheelFunction } } } } } } },
    };
}

QString localised(const QString &key)
{
    return QLatin1Char('[') + key + QLatin1Char(']');
}

} // namespace

class TstKeyConfig : public QObject
{
    Q_OBJECT

private slots:
    void recorded_data();
    void recorded();
    void customKinds_data();
    void customKinds();
    void customFields();
    void actionIndex_data();
    void actionIndex();
    void applicationSets_data();
    void applicationSets();
    void wheelSlot_data();
    void wheelSlot();
    void searchValue_data();
    void searchValue();
};

void TstKeyConfig::recorded_data()
{
    QTest::addColumn<QVariant>("recorder");
    QTest::addColumn<std::optional<RecordedCombo>>("expected");

    QTest::newRow("Command-Shift-Z") << QVariant(combo(qint64(6), quint64(0x120000)))
                                     << std::optional(RecordedCombo { 6, 0x120000 });
    QTest::newRow("key code keeps its low 16 bits")
        << QVariant(combo(qint64(0x10031), quint64(0))) << std::optional(RecordedCombo { 0x31, 0 });
    QTest::newRow("no flags: a bare key")
        << QVariant(combo(qint64(49), {})) << std::optional(RecordedCombo { 49, 0 });
    QTest::newRow("missing") << QVariant() << std::optional<RecordedCombo>();
    QTest::newRow("empty dictionary") << QVariant(QVariantMap()) << std::optional<RecordedCombo>();
    QTest::newRow("not a dictionary") << QVariant("Command-Z") << std::optional<RecordedCombo>();
    QTest::newRow("key code missing")
        << QVariant(combo({}, quint64(0x100000))) << std::optional<RecordedCombo>();
    QTest::newRow("key code as text") << QVariant(combo("6", {})) << std::optional<RecordedCombo>();
    QTest::newRow("negative key code") << QVariant(combo(qint64(-1), {})) << std::optional<RecordedCombo>();
}

void TstKeyConfig::recorded()
{
    QFETCH(QVariant, recorder);
    QFETCH(std::optional<RecordedCombo>, expected);
    QCOMPARE(driver::recordedCombo(recorder), expected);
}

void TstKeyConfig::customKinds_data()
{
    QTest::addColumn<QVariant>("action");
    QTest::addColumn<int>("kind"); // -1: absent

    QTest::newRow("application") << QVariant(QVariantMap { { "OVCFGPenKeyCus", 0 } }) << 0;
    QTest::newRow("hot key, unsigned") << QVariant(QVariantMap { { "OVCFGPenKeyCus", quint64(1) } }) << 1;
    QTest::newRow("address") << QVariant(QVariantMap { { "OVCFGPenKeyCus", qint64(2) } }) << 2;
    QTest::newRow("mouse") << QVariant(QVariantMap { { "OVCFGPenKeyCus", 3 } }) << 3;
    QTest::newRow("kind 4") << QVariant(QVariantMap { { "OVCFGPenKeyCus", 4 } }) << -1;
    QTest::newRow("negative kind") << QVariant(QVariantMap { { "OVCFGPenKeyCus", -1 } }) << -1;
    QTest::newRow("kind as text") << QVariant(QVariantMap { { "OVCFGPenKeyCus", "1" } }) << -1;
    QTest::newRow("kind missing") << QVariant(QVariantMap { { "OVCFGPenKeyCusAlias", "x" } }) << -1;
    QTest::newRow("not a dictionary") << QVariant(QVariantList { 0 }) << -1;
}

void TstKeyConfig::customKinds()
{
    QFETCH(QVariant, action);
    QFETCH(int, kind);
    const std::optional<driver::CustomAction> parsed = driver::customAction(action);
    QCOMPARE(parsed.has_value(), kind >= 0);
    if (parsed)
        QCOMPARE(int(parsed->kind), kind);
}

void TstKeyConfig::customFields()
{
    const std::optional<driver::CustomAction> hotKey = driver::customAction(QVariantMap {
        { "OVCFGPenKeyCus", 1 }, { "OVCFGPenKeyCusAlias", "Redo" }, { "OVCFGPenKeyCusHotKey", 0 },
        { "OVCFGPenKeyCusCusHotKey", combo(qint64(6), quint64(0x120000)) }, { "OVCFGPenKeyCusURL", 5 } });
    QVERIFY(hotKey);
    QCOMPARE(hotKey->kind, CustomKind::HotKey);
    QCOMPARE(hotKey->alias, QStringLiteral("Redo"));
    QCOMPARE(hotKey->hotKeyIndex, std::optional<quint64>(0));
    QCOMPARE(hotKey->combo, std::optional(RecordedCombo { 6, 0x120000 }));
    // A number where text belongs reads as no text.
    QCOMPARE(hotKey->url, QString());

    const std::optional<driver::CustomAction> mouse
        = driver::customAction(QVariantMap { { "OVCFGPenKeyCus", 3 }, { "OVCFGPenKeyCusMouse", "2" } });
    QVERIFY(mouse);
    QCOMPARE(mouse->mouse, std::optional<quint64>());
}

void TstKeyConfig::actionIndex_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<quint64>("expected");

    QTest::newRow("factory default while the key is absent") << "OVCFGBoardKey1" << quint64(1);
    QTest::newRow("the user's choice over the default") << "OVCFGBoardKey2" << quint64(7);
    QTest::newRow("value of the wrong kind counts as absent") << "OVCFGBoardKey4" << quint64(3);
    QTest::newRow("neither: no action") << "OVCFGBoardKey7" << quint64(0);
}

void TstKeyConfig::actionIndex()
{
    QFETCH(QString, key);
    QFETCH(quint64, expected);
    QCOMPARE(driver::actionIndex(configuration(), QStringLiteral("OVCFGBoardKey"), key), expected);
}

void TstKeyConfig::applicationSets_data()
{
    QTest::addColumn<QString>("processName");
    QTest::addColumn<QStringList>("otherNames");
    QTest::addColumn<QString>("key"); // empty: no set

    QTest::newRow("the class as stored") << "Gimp" << QStringList() << "Gimp";
    QTest::newRow("case differs") << "gimp" << QStringList() << "Gimp";
    QTest::newRow("by another name") << "Gimp-2.10" << QStringList { "gimp-2.10", "GIMP" } << "Gimp";
    QTest::newRow("an exact key before one differing in case")
        << "Krita" << QStringList { "krita" } << "krita";
    QTest::newRow("a set that is no dictionary") << "Inkscape" << QStringList() << "";
    QTest::newRow("no name") << "" << QStringList() << "";
    QTest::newRow("a part of a name is no name") << "Gim" << QStringList { "Gimp-2.10" } << "";
}

void TstKeyConfig::applicationSets()
{
    QFETCH(QString, processName);
    QFETCH(QStringList, otherNames);
    QFETCH(QString, key);
    QVariantMap config = configuration();
    QVariantMap sets = driver::configValue(config, "OVCFGBKApp", "OVCFGBKAppOptions").toMap();
    sets.insert("KRITA", QVariantMap());
    sets.insert("krita", QVariantMap { { "OVCFGBoardKey2Cus", QVariantMap() } });
    config.insert("OVCFGBKApp", QVariantMap { { "OVCFGBKAppOptions", sets } });
    const platform::FrontApplication front { QString(), processName, otherNames };

    const std::optional<driver::ApplicationSet> set = driver::applicationSet(config, false, front);
    QCOMPARE(set ? set->key : QString(), key);
    if (set)
        QCOMPARE(set->set, sets.value(key).toMap());
    if (key == QLatin1String("Gimp"))
        QCOMPARE(driver::applicationSet(config, true, front)->key, key);

    // The whole dictionary of sets of the wrong kind.
    QVariantMap broken = config;
    broken.insert("OVCFGBKApp", QVariantMap { { "OVCFGBKAppOptions", QVariantList { "Gimp" } } });
    QVERIFY(!driver::applicationSet(broken, false, front));
    broken.insert("OVCFGRKApp", "Gimp");
    QVERIFY(!driver::applicationSet(broken, true, front));
}

void TstKeyConfig::wheelSlot_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<std::optional<int>>("expected");

    QTest::newRow("1") << QVariant(1) << std::optional(1);
    QTest::newRow("10") << QVariant(quint64(10)) << std::optional(10);
    QTest::newRow("0") << QVariant(0) << std::optional<int>();
    QTest::newRow("11") << QVariant(11) << std::optional<int>();
    QTest::newRow("negative") << QVariant(-3) << std::optional<int>();
    QTest::newRow("text") << QVariant("2") << std::optional<int>();
    QTest::newRow("missing") << QVariant() << std::optional<int>();
}

void TstKeyConfig::wheelSlot()
{
    QFETCH(QVariant, value);
    QFETCH(std::optional<int>, expected);
    QCOMPARE(driver::wheelSlot(value), expected);
}

void TstKeyConfig::searchValue_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("processName");
    QTest::addColumn<bool>("wheel");
    QTest::addColumn<QString>("expected");

    QTest::newRow("express key: factory entry") << "OVCFGBoardKey1"
                                                << "Krita" << false << "[OVHK_ShowUI]";
    QTest::newRow("express key: user's entry") << "OVCFGBoardKey2"
                                               << "Krita" << false << "[OVHK_New]";
    QTest::newRow("express key: custom alias") << "OVCFGBoardKey3"
                                               << "Krita" << false << "Mail";
    QTest::newRow("express key: custom without action") << "OVCFGBoardKey5"
                                                        << "Krita" << false << "";
    QTest::newRow("express key: past the list") << "OVCFGBoardKey6"
                                                << "Krita" << false << "";
    QTest::newRow("express key: no entry, no default") << "OVCFGBoardKey8"
                                                       << "Krita" << false << "[OVHK_NoAction]";
    QTest::newRow("application set: its alias") << "OVCFGBoardKey1"
                                                << "Gimp" << false << "Docs";
    QTest::newRow("application set: key without entry") << "OVCFGBoardKey2"
                                                        << "Gimp" << false << "";
    QTest::newRow("wheel slot: factory entry") << "OVCFGWheelKey1"
                                               << "Krita" << true << "[OVRK_ScrollWheel]";
    QTest::newRow("wheel slot: custom alias") << "OVCFGWheelKey2"
                                              << "Krita" << true << "Hue";
    QTest::newRow("wheel slot: unset") << "OVCFGWheelKey3"
                                       << "Krita" << true << "[OVRK_NoAction]";
    QTest::newRow("wheel set: its alias") << "OVCFGWheelKey1"
                                          << "Gimp" << true << "Hue";
    QTest::newRow("wheel set: slot without entry") << "OVCFGWheelKey2"
                                                   << "Gimp" << true << "";
}

void TstKeyConfig::searchValue()
{
    QFETCH(QString, key);
    QFETCH(QString, processName);
    QFETCH(bool, wheel);
    QFETCH(QString, expected);
    const platform::FrontApplication front { QString(), processName, {} };
    QCOMPARE(driver::searchValue(configuration(), key, front, wheel, localised), expected);
}

QTEST_GUILESS_MAIN(TstKeyConfig)
#include "tst_keyconfig.moc"
