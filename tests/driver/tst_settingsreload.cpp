#include <limits>

#include <QTest>

#include "driver/settingsreload.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

Q_DECLARE_METATYPE(driver::ServiceSettings)
Q_DECLARE_METATYPE(store::Model)

using namespace driver;
using namespace store;

namespace {

QString key(Model model)
{
    return devKeyFor(model);
}

// The twelve names, as the store announces them after a load.
QStringList allTwelve()
{
    return {OVCFGDegree,       OVCFGPressure,       OVCFGTips,          OVCFGKeyFun,
            OVCFGBezier,       OVCFGCoordinateMode, OVCFGTrackingSpeed, OVCFGMonitorMap,
            OVCFGMonitorFrame, OVCFGMonitorNumber,  OVCFGTabletMap,     OVCFGTabletFrame};
}

// A configuration as the driver's store holds one, every value of its kind.
QVariantMap configuration()
{
    const QVariantMap bezier = {{OVCFGBezierP1, QStringLiteral("{0.1, 0}")},
                                {OVCFGBezierP2, QStringLiteral("{0.9, 1}")},
                                {OVCFGBezierPC, QStringLiteral("{0.25, 0.75}")}};
    const QVariantMap pen = {{OVCFGPenKeyUpDef, quint64(2)},
                             {OVCFGDegree, quint64(2)},
                             {OVCFGPressure, true},
                             {OVCFGTips, false},
                             {OVCFGKeyFun, true},
                             {OVCFGBezier, bezier},
                             {OVCFGCoordinateMode, quint64(1)},
                             {OVCFGTrackingSpeed, double(1.3f)}};
    const QVariantMap monitor = {{OVCFGMonitorMap, quint64(2)},
                                 {OVCFGMonitorFrame, QStringLiteral("{{10, 20}, {800, 600}}")},
                                 {OVCFGMonitorNumber, quint64(0x4C2D1234)},
                                 {OVCFGMonitorName, QStringLiteral("Sorvi22")},
                                 {OVCFGMonitorCalib, QVariantMap()}};
    const QVariantMap tablet = {{OVCFGTabletMap, quint64(1)},
                                {OVCFGTabletFrame, QStringLiteral("{{0, 0.375}, {4, 2.25}}")}};
    return {{OVCFGPenKey, pen}, {OVCFGMonitor, monitor}, {OVCFGTablet, tablet}};
}

ServiceSettings loaded()
{
    ServiceSettings s;
    s.ovDegree = 2;
    s.ovPressure = true;
    s.ovTips = false;
    s.ovKeyFun = true;
    s.ovP1 = QPointF(0.1, 0);
    s.ovP2 = QPointF(0.9, 1);
    s.ovPC = QPointF(0.25, 0.75);
    s.ovCM = 1;
    s.ovTS = double(1.3f);
    s.ovMMap = 2;
    s.ovMFrame = QRectF(10, 20, 800, 600);
    s.ovMNumber = 0x4C2D1234;
    s.ovTMap = 1;
    s.ovTFrame = QRectF(0, 0.375, 4, 2.25);
    return s;
}

// Values that no reload of the configuration above gives.
ServiceSettings sentinel()
{
    ServiceSettings s;
    s.ovDegree = 1;
    s.ovPressure = false;
    s.ovTips = true;
    s.ovKeyFun = false;
    s.ovP1 = QPointF(9, 9);
    s.ovP2 = QPointF(8, 8);
    s.ovPC = QPointF(7, 7);
    s.ovCM = 3;
    s.ovTS = 9.5;
    s.ovMMap = 1;
    s.ovMFrame = QRectF(1, 2, 3, 4);
    s.ovMNumber = 77;
    s.ovTMap = 5;
    s.ovTFrame = QRectF(5, 6, 7, 8);
    return s;
}

QVariantMap withValue(QLatin1String category, QLatin1String name, const QVariant &value)
{
    QVariantMap config = configuration();
    QVariantMap inner = config.value(category).toMap();
    if (value.isValid())
        inner.insert(name, value);
    else
        inner.remove(name);
    config.insert(category, inner);
    return config;
}

} // namespace

class TestSettingsReload : public QObject
{
    Q_OBJECT
private slots:
    void loadReadsAllTwelve_data();
    void loadReadsAllTwelve();
    void reloadsOnlyTheNamed_data();
    void reloadsOnlyTheNamed();
    void valueKinds_data();
    void valueKinds();
    void orientationOutsideRange();
    void namesToReload_data();
    void namesToReload();
};

void TestSettingsReload::loadReadsAllTwelve_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<bool>("penDisplay");
    QTest::newRow("pen display: calibration and rotation follow") << Model::Sorvi22 << true;
    QTest::newRow("Sorvi 16Pro") << Model::Sorvi16Pro << true;
    QTest::newRow("tablet") << Model::TevraN4 << false;
    QTest::newRow("Sorvi13 is a tablet") << Model::Sorvi13 << false;
}

void TestSettingsReload::loadReadsAllTwelve()
{
    QFETCH(Model, model);
    QFETCH(bool, penDisplay);
    ServiceSettings settings;
    const ReloadOutcome outcome = reloadSettings(key(model), allTwelve(), configuration(), settings);
    QCOMPARE(settings, loaded());
    QCOMPARE(outcome.penDisplayOrientation,
             penDisplay ? std::optional<quint64>(2) : std::optional<quint64>());
}

void TestSettingsReload::reloadsOnlyTheNamed_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<ServiceSettings>("expected");
    QTest::addColumn<bool>("penDisplayStep");

    ServiceSettings speed = sentinel();
    speed.ovTS = double(1.3f);
    QTest::newRow("tracking speed only") << Model::TevraN4 << QStringList{OVCFGTrackingSpeed}
                                         << speed << false;
    ServiceSettings curve = sentinel();
    curve.ovP1 = QPointF(0.1, 0);
    curve.ovP2 = QPointF(0.9, 1);
    curve.ovPC = QPointF(0.25, 0.75);
    QTest::newRow("the curve's three points") << Model::TevraN4 << QStringList{OVCFGBezier}
                                              << curve << false;
    ServiceSettings degree = sentinel();
    degree.ovDegree = 2;
    QTest::newRow("orientation of a tablet") << Model::TevraN4 << QStringList{OVCFGDegree}
                                             << degree << false;
    QTest::newRow("orientation of a pen display") << Model::Sorvi10 << QStringList{OVCFGDegree}
                                                  << degree << true;
    ServiceSettings number = sentinel();
    number.ovMNumber = 0x4C2D1234;
    QTest::newRow("display number") << Model::Sorvi22 << QStringList{OVCFGMonitorNumber}
                                    << number << false;
    QTest::newRow("calibration's own keys are ignored")
        << Model::Sorvi22
        << QStringList{OVCFGMonitorCalib, OVCFGMonitorName, OVCFGMonitorCalibMINXCus,
                       OVCFGPenKeyUpDef}
        << sentinel() << false;
    QTest::newRow("empty list") << Model::Sorvi22 << QStringList{} << sentinel() << false;
}

void TestSettingsReload::reloadsOnlyTheNamed()
{
    QFETCH(Model, model);
    QFETCH(QStringList, names);
    QFETCH(ServiceSettings, expected);
    QFETCH(bool, penDisplayStep);
    ServiceSettings settings = sentinel();
    const ReloadOutcome outcome = reloadSettings(key(model), names, configuration(), settings);
    QCOMPARE(settings, expected);
    QCOMPARE(outcome.penDisplayOrientation.has_value(), penDisplayStep);
}

void TestSettingsReload::valueKinds_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("value"); // invalid: the key is absent
    QTest::addColumn<ServiceSettings>("expected");

    const auto row = [](const char *rowName, QLatin1String category, QLatin1String name,
                        const QVariant &value, auto set) {
        ServiceSettings expected = sentinel();
        set(expected);
        QTest::newRow(rowName) << QString(category) << QString(name) << value << expected;
    };
    const QLatin1String penKey = OVCFGPenKey, monitor = OVCFGMonitor, tablet = OVCFGTablet;

    row("orientation 3", penKey, OVCFGDegree, quint64(3), [](auto &s) { s.ovDegree = 3; });
    row("orientation as a real", penKey, OVCFGDegree, 3.0, [](auto &s) { s.ovDegree = 3; });
    row("orientation as text", penKey, OVCFGDegree, QStringLiteral("2"),
        [](auto &s) { s.ovDegree = 0; });
    row("orientation negative", penKey, OVCFGDegree, qint64(-1), [](auto &s) { s.ovDegree = 0; });
    row("orientation 7 reads as 0", penKey, OVCFGDegree, quint64(7),
        [](auto &s) { s.ovDegree = 0; });
    row("orientation absent", penKey, OVCFGDegree, QVariant(), [](auto &s) { s.ovDegree = 0; });
    row("pressure as an integer", penKey, OVCFGPressure, qint64(1),
        [](auto &s) { s.ovPressure = true; });
    row("pressure as text", penKey, OVCFGPressure, QStringLiteral("YES"),
        [](auto &s) { s.ovPressure = false; });
    row("tips absent", penKey, OVCFGTips, QVariant(), [](auto &s) { s.ovTips = false; });
    row("speed as a double from the settings page", penKey, OVCFGTrackingSpeed, 1.3,
        [](auto &s) { s.ovTS = double(1.3f); });
    row("speed as an integer", penKey, OVCFGTrackingSpeed, qint64(2), [](auto &s) { s.ovTS = 2; });
    // Anything but an in-range number reads as the factory 1.0: a speed of 0
    // would freeze the pointer in relative mode.
    row("speed as text", penKey, OVCFGTrackingSpeed, QStringLiteral("fast"),
        [](auto &s) { s.ovTS = 1; });
    row("speed absent", penKey, OVCFGTrackingSpeed, QVariant(), [](auto &s) { s.ovTS = 1; });
    row("speed beyond a float", penKey, OVCFGTrackingSpeed, 1e300, [](auto &s) { s.ovTS = 1; });
    row("speed not a number", penKey, OVCFGTrackingSpeed,
        std::numeric_limits<double>::quiet_NaN(), [](auto &s) { s.ovTS = 1; });
    row("speed 0", penKey, OVCFGTrackingSpeed, 0.0, [](auto &s) { s.ovTS = 1; });
    row("speed just below the slider", penKey, OVCFGTrackingSpeed, 0.19, [](auto &s) { s.ovTS = 1; });
    row("speed just above the slider", penKey, OVCFGTrackingSpeed, 4.01, [](auto &s) { s.ovTS = 1; });
    row("speed at the slider's low end", penKey, OVCFGTrackingSpeed, 0.2,
        [](auto &s) { s.ovTS = double(0.2f); });
    row("speed at the slider's high end", penKey, OVCFGTrackingSpeed, 4.0, [](auto &s) { s.ovTS = 4; });
    row("curve not a dictionary", penKey, OVCFGBezier, QStringLiteral("{0, 0}"), [](auto &s) {
        s.ovP1 = s.ovP2 = s.ovPC = QPointF();
    });
    row("curve point as a number", penKey, OVCFGBezier,
        QVariantMap{{OVCFGBezierP1, 0.5}, {OVCFGBezierP2, QStringLiteral("{1, 1}")}},
        [](auto &s) {
            s.ovP1 = QPointF();
            s.ovP2 = QPointF(1, 1);
            s.ovPC = QPointF();
        });
    row("mode as a Boolean", penKey, OVCFGCoordinateMode, true, [](auto &s) { s.ovCM = 0; });
    row("number: low 32 bits", monitor, OVCFGMonitorNumber, quint64(0x100000005),
        [](auto &s) { s.ovMNumber = 5; });
    row("number absent", monitor, OVCFGMonitorNumber, QVariant(), [](auto &s) { s.ovMNumber = 0; });
    row("number as text", monitor, OVCFGMonitorNumber, QStringLiteral("5"),
        [](auto &s) { s.ovMNumber = 0; });
    row("frame as a number", monitor, OVCFGMonitorFrame, 800.0,
        [](auto &s) { s.ovMFrame = QRectF(); });
    row("frame text, lenient", monitor, OVCFGMonitorFrame, QStringLiteral("{{1, 2}, {3"),
        [](auto &s) { s.ovMFrame = QRectF(1, 2, 3, 0); });
    row("frame absent", monitor, OVCFGMonitorFrame, QVariant(),
        [](auto &s) { s.ovMFrame = QRectF(); });
    row("tablet map absent", tablet, OVCFGTabletMap, QVariant(), [](auto &s) { s.ovTMap = 0; });
    row("tablet frame as data", tablet, OVCFGTabletFrame, QByteArray("{{0, 0}, {1, 1}}"),
        [](auto &s) { s.ovTFrame = QRectF(); });
}

void TestSettingsReload::valueKinds()
{
    QFETCH(QString, category);
    QFETCH(QString, name);
    QFETCH(QVariant, value);
    QFETCH(ServiceSettings, expected);
    const QVariantMap config =
        withValue(QLatin1String(category.toLatin1()), QLatin1String(name.toLatin1()), value);
    ServiceSettings settings = sentinel();
    reloadSettings(key(Model::TevraN4), {name}, config, settings);
    QCOMPARE(settings, expected);
}

void TestSettingsReload::orientationOutsideRange()
{
    // A pen display turns its calibration and picture to 0, as every other
    // reader of the orientation sees 0.
    ServiceSettings settings = sentinel();
    const ReloadOutcome outcome =
        reloadSettings(key(Model::Sorvi22), {OVCFGDegree},
                       withValue(OVCFGPenKey, OVCFGDegree, quint64(9)), settings);
    QCOMPARE(settings.ovDegree, quint64(0));
    QCOMPARE(outcome.penDisplayOrientation, std::optional<quint64>(0));
}

void TestSettingsReload::namesToReload_data()
{
    QTest::addColumn<QVariantMap>("userInfo");
    QTest::addColumn<bool>("forThisDevice");
    QTest::addColumn<QStringList>("names");

    const QString own = key(Model::TevraN4);
    QTest::newRow("this device")
        << QVariantMap{{own, QVariantList{QString(OVCFGTrackingSpeed)}}} << true
        << QStringList{OVCFGTrackingSpeed};
    QTest::newRow("as a string list") << QVariantMap{{own, QStringList{OVCFGDegree, OVCFGTips}}}
                                      << true << QStringList{OVCFGDegree, OVCFGTips};
    QTest::newRow("entries that are not text are skipped")
        << QVariantMap{{own, QVariantList{qint64(3), QString(OVCFGTips)}}} << true
        << QStringList{OVCFGTips};
    QTest::newRow("another device")
        << QVariantMap{{key(Model::TevraS), QVariantList{QString(OVCFGTips)}}} << false
        << QStringList{};
    QTest::newRow("no user info") << QVariantMap{} << false << QStringList{};
    QTest::newRow("names not an array")
        << QVariantMap{{own, QString(OVCFGTips)}} << false << QStringList{};
}

void TestSettingsReload::namesToReload()
{
    QFETCH(QVariantMap, userInfo);
    QFETCH(bool, forThisDevice);
    QFETCH(QStringList, names);
    const std::optional<QStringList> result = driver::namesToReload(userInfo, key(Model::TevraN4));
    QCOMPARE(result.has_value(), forThisDevice);
    if (result)
        QCOMPARE(*result, names);
}

QTEST_GUILESS_MAIN(TestSettingsReload)
#include "tst_settingsreload.moc"
