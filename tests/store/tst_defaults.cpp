#include <QTest>

#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

using namespace store;

namespace {

const QString kFrameText = QStringLiteral("{{0, 0.375}, {4, 2.25}}");

QVariantMap category(const QVariantMap &configuration, QLatin1String name)
{
    return configuration.value(name).toMap();
}

// A Boolean is not an integer and an integer is not a real: both programs
// write the kinds into their files and compare them after reading.
void verifyKind(const QVariant &value, QMetaType::Type kind, const char *what)
{
    if (value.typeId() != kind) {
        QFAIL(qPrintable(QStringLiteral("%1 is %2, not %3")
                             .arg(QLatin1String(what), QLatin1String(value.typeName()),
                                 QLatin1String(QMetaType(kind).name()))));
    }
}

QVariantMap matrix(double a, double b, double c, double d, double e, double f)
{
    return { { "A", a }, { "B", b }, { "C", c }, { "D", d }, { "E", e }, { "F", f } };
}

QVariantMap integerMatrix(qint64 a, qint64 b, qint64 c, qint64 d, qint64 e, qint64 f)
{
    return { { "A", a }, { "B", b }, { "C", c }, { "D", d }, { "E", e }, { "F", f } };
}

// Compares values and kinds of a coefficient dictionary.
bool sameMatrix(const QVariantMap &actual, const QVariantMap &expected)
{
    if (actual.keys() != expected.keys())
        return false;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QVariant value = actual.value(it.key());
        if (value.typeId() != it->typeId() || value != *it)
            return false;
    }
    return true;
}

const QVariantMap kSet1Ninety = matrix(0.9848175048828125, -0.001220703125, 41.462890625, 0.0024871826171875,
    0.9877777099609375, -4.296142578125);
const QVariantMap kSet1OneEighty = matrix(0.98748779296875, -0.00189208984375, 48.25146484375,
    0.0009002685546875, 0.9866943359375, 7.7447509765625);
const QVariantMap kSet1TwoSeventy = matrix(
    0.9848480224609375, -0.0006103515625, 35.30517578125, 0.00311279296875, 0.98809814453125, 13.62109375);
const QVariantMap kSet2Ninety
    = matrix(0.996185302, -0.00184631348, 8.16625977, -0.00636291504, 0.997528076, 24.0480957);
const QVariantMap kSet2OneEighty
    = matrix(1.00213623, -0.0044708252, -11.7661133, 0.00122070313, 0.996139526, -4.27429199);
const QVariantMap kSet2TwoSeventy
    = matrix(0.991058349, -0.0018157959, 26.3305664, -0.00444030762, 0.999679565, 6.43408203);

} // namespace

class TestDefaults : public QObject
{
    Q_OBJECT

private slots:
    void penCategory();
    void expressKeys_data();
    void expressKeys();
    void wheelCategories_data();
    void wheelCategories();
    void monitorCategory_data();
    void monitorCategory();
    void factoryCalibration_data();
    void factoryCalibration();
    void settingsCopyHasNoCalibration_data();
    void settingsCopyHasNoCalibration();
    void importPatch_data();
    void importPatch();
    void tabletCategory();
};

void TestDefaults::penCategory()
{
    const QVariantMap pen = category(defaultConfiguration(kDevKeyTevraN4(), true, kFrameText), OVCFGPenKey);
    QCOMPARE(pen.keys(),
        QStringList({ "OVCFGBezier", "OVCFGCoordinateMode", "OVCFGDegree", "OVCFGKeyFun",
            "OVCFGPenKeyDownDef", "OVCFGPenKeyUpDef", "OVCFGPressure", "OVCFGTips", "OVCFGTrackingSpeed" }));
    QCOMPARE(pen.value(OVCFGPenKeyUpDef), QVariant(qint64(2)));
    QCOMPARE(pen.value(OVCFGPenKeyDownDef), QVariant(qint64(3)));
    QCOMPARE(pen.value(OVCFGDegree), QVariant(qint64(0)));
    QCOMPARE(pen.value(OVCFGCoordinateMode), QVariant(qint64(0)));
    for (QLatin1String key : { OVCFGPenKeyUpDef, OVCFGPenKeyDownDef, OVCFGDegree, OVCFGCoordinateMode })
        verifyKind(pen.value(key), QMetaType::LongLong, key.data());
    for (QLatin1String key : { OVCFGPressure, OVCFGTips, OVCFGKeyFun }) {
        verifyKind(pen.value(key), QMetaType::Bool, key.data());
        QCOMPARE(pen.value(key).toBool(), true);
    }
    verifyKind(pen.value(OVCFGTrackingSpeed), QMetaType::Double, "OVCFGTrackingSpeed");
    QCOMPARE(pen.value(OVCFGTrackingSpeed).toDouble(), 1.0);

    const QVariantMap bezier = pen.value(OVCFGBezier).toMap();
    QCOMPARE(bezier.size(), 3);
    QCOMPARE(bezier.value(OVCFGBezierP1), QVariant(QStringLiteral("{0, 0}")));
    QCOMPARE(bezier.value(OVCFGBezierP2), QVariant(QStringLiteral("{1, 1}")));
    QCOMPARE(bezier.value(OVCFGBezierPC), QVariant(QStringLiteral("{0.5, 0.5}")));
}

void TestDefaults::expressKeys_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QList<qint64>>("actions");

    QTest::newRow("M482 Plus V2") << kDevKeyM482PlusV2() << QList<qint64> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 };
    QTest::newRow("M517 V1") << kDevKeyM517V1() << QList<qint64> { 1, 2, 3, 6 };
    QTest::newRow("M517 V2") << kDevKeyM517V2() << QList<qint64> { 1, 2, 3, 6 };
    QTest::newRow("Tevra M") << kDevKeyTevraM() << QList<qint64> { 1, 2, 3, 4, 5, 6, 7, 8 };
    QTest::newRow("Tevra S") << kDevKeyTevraS() << QList<qint64> { 3, 2, 1, 4, 5 };
    QTest::newRow("Kalverin M") << kDevKeyKalverinM() << QList<qint64> { 1, 2, 3, 9, 10, 6, 7, 8 };
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << QList<qint64> { 1, 2, 3, 9, 10, 6 };
    QTest::newRow("Tevra N7B") << kDevKeyTevraN7B() << QList<qint64> { 3, 2, 9, 10 };
    QTest::newRow("Tevra N10B") << kDevKeyTevraN10B() << QList<qint64> { 3, 2, 9, 10, 6, 8 };
    QTest::newRow("Tevra Q") << kDevKeyTevraQ() << QList<qint64> { 3, 2, 9, 10, 6 };
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << QList<qint64> { 1, 2, 3, 4, 5, 10 };
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << QList<qint64> { 1, 2, 3, 9, 10, 6, 7, 8 };
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << QList<qint64> { 4, 5, 2, 3, 6, 10 };
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << QList<qint64> {};
    QTest::newRow("Tevra N7") << kDevKeyTevraN7() << QList<qint64> {};
    QTest::newRow("Tevra N10") << kDevKeyTevraN10() << QList<qint64> {};
    QTest::newRow("Sorvi10") << kDevKeySorvi10() << QList<qint64> {};
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << QList<qint64> {};
    QTest::newRow("Sorvi 22") << kDevKeySorvi22() << QList<qint64> {};
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << QList<qint64> {};
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << QList<qint64> {};
    QTest::newRow("unknown key") << QStringLiteral("1-2") << QList<qint64> {};
}

void TestDefaults::expressKeys()
{
    QFETCH(QString, devKey);
    QFETCH(QList<qint64>, actions);
    const QVariantMap configuration = defaultConfiguration(devKey, true, kFrameText);
    QVERIFY(configuration.contains(OVCFGBoardKey));
    QVERIFY(configuration.contains(OVCFGBKApp));
    QVERIFY(category(configuration, OVCFGBKApp).isEmpty());

    const QVariantMap board = category(configuration, OVCFGBoardKey);
    QCOMPARE(board.size(), actions.size());
    for (int n = 1; n <= actions.size(); ++n) {
        const QString key = QStringLiteral("OVCFGBoardKey%1Def").arg(n);
        verifyKind(board.value(key), QMetaType::LongLong, qPrintable(key));
        QCOMPARE(board.value(key).toLongLong(), actions.at(n - 1));
    }
}

void TestDefaults::wheelCategories_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<bool>("wheel");
    QTest::newRow("Kalverin M") << kDevKeyKalverinM() << true;
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << true;
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << true;
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << true;
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << false;
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << false;
    QTest::newRow("unknown key") << QStringLiteral("1-2") << false;
}

void TestDefaults::wheelCategories()
{
    QFETCH(QString, devKey);
    QFETCH(bool, wheel);
    const QVariantMap configuration = defaultConfiguration(devKey, true, kFrameText);
    QCOMPARE(configuration.contains(OVCFGWheelKey), wheel);
    QCOMPARE(configuration.contains(OVCFGRKApp), wheel);
    QCOMPARE(configuration.size(), wheel ? 7 : 5);
    if (!wheel)
        return;
    QVERIFY(category(configuration, OVCFGRKApp).isEmpty());
    const QVariantMap wheelSlots = category(configuration, OVCFGWheelKey);
    QCOMPARE(wheelSlots.keys(),
        QStringList({ "OVCFGWheelKey1Def", "OVCFGWheelKey2Def", "OVCFGWheelKey3Def", "OVCFGWheelKeyCur" }));
    for (int slot = 1; slot <= 3; ++slot) {
        const QString key = QStringLiteral("OVCFGWheelKey%1Def").arg(slot);
        verifyKind(wheelSlots.value(key), QMetaType::LongLong, qPrintable(key));
        QCOMPARE(wheelSlots.value(key).toLongLong(), slot);
    }
    verifyKind(wheelSlots.value(OVCFGWheelKeyCur), QMetaType::LongLong, "OVCFGWheelKeyCur");
    QCOMPARE(wheelSlots.value(OVCFGWheelKeyCur).toLongLong(), 1);
}

void TestDefaults::monitorCategory_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<bool>("penDisplay");
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << true;
    QTest::newRow("Sorvi10") << kDevKeySorvi10() << true;
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << true;
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << true;
    QTest::newRow("Sorvi 22") << kDevKeySorvi22() << true;
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << true;
    // Listed with the Sorvi names but a plain tablet.
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << false;
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << false;
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << false;
    QTest::newRow("unknown key") << QString() << false;
}

void TestDefaults::monitorCategory()
{
    QFETCH(QString, devKey);
    QFETCH(bool, penDisplay);
    const QVariantMap monitor = category(defaultConfiguration(devKey, true, kFrameText), OVCFGMonitor);
    verifyKind(monitor.value(OVCFGMonitorMap), QMetaType::LongLong, "OVCFGMonitorMap");
    QCOMPARE(monitor.value(OVCFGMonitorMap).toLongLong(), penDisplay ? 2 : 0);
    QCOMPARE(monitor.value(OVCFGMonitorFrame), QVariant(QStringLiteral("{{0, 0}, {800, 600}}")));
    QVERIFY(!monitor.contains(OVCFGMonitorNumber));
    QCOMPARE(monitor.contains(OVCFGMonitorName), penDisplay);
    QCOMPARE(monitor.contains(OVCFGMonitorCalib), penDisplay);
    QCOMPARE(monitor.contains(OVCFGMonitorCalibMINX), penDisplay);
    QCOMPARE(monitor.size(), penDisplay ? 8 : 2);
    if (penDisplay) {
        verifyKind(monitor.value(OVCFGMonitorName), QMetaType::QString, "OVCFGMonitorName");
        QVERIFY(!monitor.value(OVCFGMonitorName).toString().isEmpty());
    }
}

void TestDefaults::factoryCalibration_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QVariantMap>("zero");
    QTest::addColumn<bool>("set1");
    QTest::addColumn<QStringList>("edges");

    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro()
                                 << matrix(0.9896087646484375, -0.0012359619140625, 20.685546875,
                                        0.0002899169921875, 0.9854583740234375, 4.022216796875)
                                 << true << QStringList { "{0, 140}", "{0, 50}", "{104, 180}", "{58, 221}" };
    QTest::newRow("Sorvi10") << kDevKeySorvi10()
                             << matrix(0.993423461, 0.00686645508, 8.93115234, 0.00395202637, 0.974655151,
                                    -1.78271484)
                             << true << QStringList { "{0, 0}", "{0, 0}", "{39, 222}", "{28, 254}" };
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316()
                                 << matrix(0.999374389, -0.00126647949, 4.48046875, 0.00245666504,
                                        0.996139526, -2.00964355)
                                 << false << QStringList { "{0, 0}", "{0, 0}", "{219, 232}", "{123, 179}" };
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << integerMatrix(1, 0, -5, 0, 1, 0) << false
                                 << QStringList { "{0, 0}", "{0, 0}", "{267, 232}", "{151, 64}" };
    QTest::newRow("Sorvi 22") << kDevKeySorvi22()
                              << matrix(0.995071411, -0.0025177002, 13.3652344, 0.00302124023, 0.984832763,
                                     -2.89379883)
                              << true << QStringList { "{0, 0}", "{0, 0}", "{219, 232}", "{123, 179}" };
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << integerMatrix(1, 0, -5, 0, 1, 0) << false
                                 << QStringList { "{0, 0}", "{0, 0}", "{370, 224}", "{209, 96}" };
}

void TestDefaults::factoryCalibration()
{
    QFETCH(QString, devKey);
    QFETCH(QVariantMap, zero);
    QFETCH(bool, set1);
    QFETCH(QStringList, edges);

    const QVariantMap monitor = category(defaultConfiguration(devKey, true, kFrameText), OVCFGMonitor);
    const QVariantMap calib = monitor.value(OVCFGMonitorCalib).toMap();
    QCOMPARE(calib.keys(),
        QStringList({ "OVCFGMonitorCalibND", "OVCFGMonitorCalibOED", "OVCFGMonitorCalibTSD",
            "OVCFGMonitorCalibZD" }));
    QVERIFY(sameMatrix(calib.value(OVCFGMonitorCalibZD).toMap(), zero));
    QVERIFY(sameMatrix(calib.value(OVCFGMonitorCalibND).toMap(), set1 ? kSet1Ninety : kSet2Ninety));
    QVERIFY(sameMatrix(calib.value(OVCFGMonitorCalibOED).toMap(), set1 ? kSet1OneEighty : kSet2OneEighty));
    QVERIFY(sameMatrix(calib.value(OVCFGMonitorCalibTSD).toMap(), set1 ? kSet1TwoSeventy : kSet2TwoSeventy));

    QCOMPARE(monitor.value(OVCFGMonitorCalibMINX).toString(), edges.at(0));
    QCOMPARE(monitor.value(OVCFGMonitorCalibMINY).toString(), edges.at(1));
    QCOMPARE(monitor.value(OVCFGMonitorCalibMAXX).toString(), edges.at(2));
    QCOMPARE(monitor.value(OVCFGMonitorCalibMAXY).toString(), edges.at(3));
    verifyKind(monitor.value(OVCFGMonitorCalibMAXY), QMetaType::QString, "OVCFGMonitorCalibMAXY");
}

void TestDefaults::settingsCopyHasNoCalibration_data()
{
    monitorCategory_data();
}

void TestDefaults::settingsCopyHasNoCalibration()
{
    QFETCH(QString, devKey);
    QFETCH(bool, penDisplay);
    const QVariantMap driver = defaultConfiguration(devKey, true, kFrameText);
    QVariantMap settings = defaultConfiguration(devKey, false, kFrameText);
    QVariantMap monitor = category(settings, OVCFGMonitor);
    for (const QString &key : monitor.keys())
        QVERIFY2(!key.startsWith(QLatin1String("OVCFGMonitorCalib")), qPrintable(key));
    QCOMPARE(monitor.contains(OVCFGMonitorName), penDisplay);
    QCOMPARE(monitor.value(OVCFGMonitorMap).toLongLong(), penDisplay ? 2 : 0);

    // Apart from the calibration the two copies are the same.
    QVariantMap driverMonitor = category(driver, OVCFGMonitor);
    for (QLatin1String key : { OVCFGMonitorCalib, OVCFGMonitorCalibMINX, OVCFGMonitorCalibMINY,
             OVCFGMonitorCalibMAXX, OVCFGMonitorCalibMAXY })
        driverMonitor.remove(key);
    QVariantMap driverRest = driver;
    driverRest.insert(OVCFGMonitor, driverMonitor);
    QCOMPARE(settings, driverRest);
}

void TestDefaults::importPatch_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<bool>("patched");
    QTest::addColumn<QVariantMap>("zero");
    QTest::addColumn<QString>("maxX");

    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << true
                                 << matrix(0.9896087646484375, -0.0012359619140625, 20.685546875,
                                        0.0002899169921875, 0.9854583740234375, 4.022216796875)
                                 << "{104, 180}";
    QTest::newRow("Sorvi10") << kDevKeySorvi10() << true
                             << matrix(0.993423461, 0.00686645508, 8.93115234, 0.00395202637, 0.974655151,
                                    -1.78271484)
                             << "{39, 222}";
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << true
                                 << matrix(0.999374389, -0.00126647949, 4.48046875, 0.00245666504,
                                        0.996139526, -2.00964355)
                                 << "{219, 232}";
    // An import restores the identity, not the factory shift C = -5.
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << true << integerMatrix(1, 0, 0, 0, 1, 0)
                                 << "{267, 232}";
    QTest::newRow("Sorvi 22") << kDevKeySorvi22() << true
                              << matrix(0.995071411, -0.0025177002, 13.3652344, 0.00302124023, 0.984832763,
                                     -2.89379883)
                              << "{219, 232}";
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << true << integerMatrix(1, 0, 0, 0, 1, 0)
                                 << "{370, 224}";
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << false << QVariantMap() << QString();
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << false << QVariantMap() << QString();
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << false << QVariantMap() << QString();
    QTest::newRow("unknown key") << QStringLiteral("9-9") << false << QVariantMap() << QString();
}

void TestDefaults::importPatch()
{
    QFETCH(QString, devKey);
    QFETCH(bool, patched);
    QFETCH(QVariantMap, zero);
    QFETCH(QString, maxX);

    const std::optional<QVariantMap> patch = importCalibrationPatch(devKey);
    QCOMPARE(patch.has_value(), patched);
    if (!patched)
        return;
    QCOMPARE(patch->keys(),
        QStringList({ "OVCFGMonitorCalib", "OVCFGMonitorCalibMAXX", "OVCFGMonitorCalibMAXY",
            "OVCFGMonitorCalibMINX", "OVCFGMonitorCalibMINY" }));
    const QVariantMap calib = patch->value(OVCFGMonitorCalib).toMap();
    QCOMPARE(calib.keys(), QStringList { "OVCFGMonitorCalibZD" });
    QVERIFY(sameMatrix(calib.value(OVCFGMonitorCalibZD).toMap(), zero));
    QCOMPARE(patch->value(OVCFGMonitorCalibMAXX).toString(), maxX);

    // The edge readings are the ones the defaults hold.
    const QVariantMap monitor = category(defaultConfiguration(devKey, true, kFrameText), OVCFGMonitor);
    for (QLatin1String key :
        { OVCFGMonitorCalibMINX, OVCFGMonitorCalibMINY, OVCFGMonitorCalibMAXX, OVCFGMonitorCalibMAXY })
        QCOMPARE(patch->value(key), monitor.value(key));
}

void TestDefaults::tabletCategory()
{
    const QString text = QStringLiteral("{{0, 1.25}, {6.5, 3}}");
    const QVariantMap tablet = category(defaultConfiguration(kDevKeyTevraS(), true, text), OVCFGTablet);
    QCOMPARE(tablet.size(), 2);
    verifyKind(tablet.value(OVCFGTabletMap), QMetaType::LongLong, "OVCFGTabletMap");
    QCOMPARE(tablet.value(OVCFGTabletMap).toLongLong(), 0);
    QCOMPARE(tablet.value(OVCFGTabletFrame), QVariant(text));
}

QTEST_GUILESS_MAIN(TestDefaults)
#include "tst_defaults.moc"
