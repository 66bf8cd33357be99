#include <QTest>

#include "platform/sim/simdesktop.h"
#include "store/ovgeometry.h"
#include "store/ovpublicdefine.h"

using namespace store;

namespace {

OVScreen screen(quint32 number, const QRectF &frame)
{
    OVScreen s;
    s.setNumber(number);
    s.setFrame(frame);
    return s;
}

QVariantMap monitorConfiguration(const QVariantMap &monitor)
{
    return { { QString(OVCFGMonitor), monitor } };
}

const QRectF kTevraN4Band(0, 0.375, 4, 2.25);
const QString kNoMap = QStringLiteral("There is no mmap_num");
const QString kNoNumber = QStringLiteral("There is no monitorNumber_num");

} // namespace

using ScreenList = QList<OVScreen>;
Q_DECLARE_METATYPE(ScreenList)

class TestGeometry : public QObject
{
    Q_OBJECT

private slots:
    void sizes_data();
    void sizes();
    void kalverinSExtentFollowsFirmware_data();
    void kalverinSExtentFollowsFirmware();
    void band_data();
    void band();
    void ratioRect_data();
    void ratioRect();
};

void TestGeometry::sizes_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QList<float>>("values"); // width, height inch; width, height portion

    QTest::newRow("M482 Plus V2") << kDevKeyM482PlusV2() << QList<float> { 10.26f, 6.3f, 102.7f, 62.6f };
    QTest::newRow("M517 V1") << kDevKeyM517V1() << QList<float> { 5.98f, 3.74f, 115.6f, 66.2f };
    QTest::newRow("M517 V2") << kDevKeyM517V2() << QList<float> { 5.98f, 3.74f, 121.5f, 73.1f };
    QTest::newRow("Tevra M") << kDevKeyTevraM() << QList<float> { 8.43f, 4.88f, 79.3f, 39.6f };
    QTest::newRow("Tevra S") << kDevKeyTevraS() << QList<float> { 6.02f, 3.78f, 96.6f, 63.3f };
    QTest::newRow("Kalverin M") << kDevKeyKalverinM() << QList<float> { 10.24f, 6.17f, 102.3f, 62.2f };
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << QList<float> { 6.99f, 4.09f, 67.5f, 39.2f };
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << QList<float> { 4.0f, 3.0f, 84.5f, 63.2f };
    QTest::newRow("Tevra N7") << kDevKeyTevraN7() << QList<float> { 7.0f, 4.378f, 112.5f, 63.2f };
    QTest::newRow("Tevra N7B") << kDevKeyTevraN7B() << QList<float> { 7.0f, 4.378f, 112.5f, 63.2f };
    QTest::newRow("Tevra N10") << kDevKeyTevraN10() << QList<float> { 10.0f, 6.25f, 98.5f, 61.2f };
    QTest::newRow("Tevra N10B") << kDevKeyTevraN10B() << QList<float> { 10.0f, 6.25f, 98.5f, 61.2f };
    QTest::newRow("Tevra Q") << kDevKeyTevraQ() << QList<float> { 6.22f, 3.543f, 112.5f, 63.2f };
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << QList<float> { 10.15f, 5.74f, 0, 0 };
    QTest::newRow("Sorvi10") << kDevKeySorvi10() << QList<float> { 8.54f, 5.34f, 0, 0 };
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << QList<float> { 11.57f, 6.51f, 0, 0 };
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << QList<float> { 13.55f, 7.62f, 0, 0 };
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << QList<float> { 13.55f, 7.62f, 0, 0 };
    QTest::newRow("Sorvi 22") << kDevKeySorvi22() << QList<float> { 18.77f, 10.56f, 0, 0 };
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << QList<float> { 18.77f, 10.56f, 0, 0 };
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << QList<float> { 0, 0, 0, 0 };
    QTest::newRow("unknown key") << QStringLiteral("4660-22136") << QList<float> { 0, 0, 0, 0 };
}

void TestGeometry::sizes()
{
    QFETCH(QString, devKey);
    QFETCH(QList<float>, values);
    platform::sim::MemoryUserDefaults defaults;
    QCOMPARE(widthInch(devKey), values.at(0));
    QCOMPARE(heightInch(devKey), values.at(1));
    QCOMPARE(widthPortion(devKey, defaults), values.at(2));
    QCOMPARE(heightPortion(devKey, defaults), values.at(3));
    QCOMPARE(fullRectInch(devKey), QRectF(0, 0, values.at(0), values.at(1)));
}

void TestGeometry::kalverinSExtentFollowsFirmware_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<bool>("is115");
    QTest::newRow("YES") << QVariant(true) << true;
    QTest::newRow("NO") << QVariant(false) << false;
    QTest::newRow("number 1") << QVariant(qint64(1)) << true;
    QTest::newRow("number 0") << QVariant(qint64(0)) << false;
    QTest::newRow("text is no Boolean") << QVariant(QStringLiteral("YES")) << false;
    QTest::newRow("list is no Boolean") << QVariant(QVariantList { true }) << false;
}

void TestGeometry::kalverinSExtentFollowsFirmware()
{
    QFETCH(QVariant, stored);
    QFETCH(bool, is115);
    const QString kalverinS = kDevKeyKalverinS();
    // One defaults object throughout: the value is read at every call.
    platform::sim::MemoryUserDefaults defaults;
    QCOMPARE(widthPortion(kalverinS, defaults), 67.5f);
    QCOMPARE(heightPortion(kalverinS, defaults), 39.2f);

    defaults.setValue(QStringLiteral("KalverinSIs115"), stored);
    QCOMPARE(widthPortion(kalverinS, defaults), is115 ? 112.5f : 67.5f);
    QCOMPARE(heightPortion(kalverinS, defaults), is115 ? 62.2f : 39.2f);
    // Only the Kalverin S has a firmware-dependent extent.
    QCOMPARE(widthPortion(kDevKeyKalverinM(), defaults), 102.3f);
    QCOMPARE(heightPortion(kDevKeyTevraN4(), defaults), 63.2f);
    QCOMPARE(widthPortion(kDevKeySorvi12Pro(), defaults), 0.0f);

    defaults.remove(QStringLiteral("KalverinSIs115"));
    QCOMPARE(widthPortion(kalverinS, defaults), 67.5f);
    QCOMPARE(heightPortion(kalverinS, defaults), 39.2f);
}

void TestGeometry::band_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QRectF>("rect");
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << kTevraN4Band;
    // h = 1080 * 7 / 1920 = 3.9375; y = (4.378f - 3.9375) / 2, in single precision.
    QTest::newRow("Tevra N7") << kDevKeyTevraN7() << QRectF(0, double((4.378f - 3.9375f) * 0.5f), 7, 3.9375);
    QTest::newRow("Tevra N10") << kDevKeyTevraN10() << QRectF(0, 0.3125, 10, 5.625);
    QTest::newRow("unknown key") << QStringLiteral("5-5") << QRectF(0, 0, 0, 0);
}

void TestGeometry::band()
{
    QFETCH(QString, devKey);
    QFETCH(QRectF, rect);
    // The band is what a store without a configuration answers.
    const RatioRectResult result = ratioRectInch(devKey, nullptr, {});
    QCOMPARE(result.rect, rect);
    QCOMPARE(result.log, kNoMap);
    QCOMPARE(bandRectInch(devKey), rect);
}

void TestGeometry::ratioRect_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QVariantMap>("configuration");
    QTest::addColumn<ScreenList>("screens");
    QTest::addColumn<QRectF>("rect");
    QTest::addColumn<QString>("log");

    const QString n4 = kDevKeyTevraN4();
    const OVScreen landscape = screen(1, QRectF(0, 0, 1920, 1080));
    const OVScreen portrait = screen(2, QRectF(0, 0, 1080, 1920));
    const QVariantMap allScreens = monitorConfiguration({ { QString(OVCFGMonitorMap), qint64(0) } });
    const QRectF landscapeN4(0, 0.75, 4, 2.25);
    const QRectF portraitN4(2.3125, 0, 1.6875, 3);

    QTest::newRow("all screens, landscape")
        << n4 << allScreens << ScreenList { landscape } << landscapeN4 << QString();
    QTest::newRow("all screens, portrait")
        << n4 << allScreens << ScreenList { portrait } << portraitN4 << QString();
    QTest::newRow("all screens, two side by side")
        << n4 << allScreens << ScreenList { landscape, screen(3, QRectF(1920, 0, 1920, 1080)) }
        << QRectF(0, 1.875, 4, 1.125) << QString();
    QTest::newRow("all screens, second one left of the main")
        << n4 << allScreens << ScreenList { landscape, screen(3, QRectF(-1920, 0, 1920, 1080)) }
        << QRectF(0, 1.875, 4, 1.125) << QString();
    // The origin belongs to the area even where no screen covers it.
    QTest::newRow("all screens, origin counts")
        << n4 << allScreens << ScreenList { screen(1, QRectF(0, 120, 1920, 960)) } << landscapeN4
        << QString();
    QTest::newRow("all screens, real-valued map")
        << n4 << monitorConfiguration({ { QString(OVCFGMonitorMap), 0.0 } }) << ScreenList { landscape }
        << landscapeN4 << QString();

    const auto oneScreen = [](const QVariant &number) {
        QVariantMap monitor { { QString(OVCFGMonitorMap), qint64(2) } };
        if (number.isValid())
            monitor.insert(OVCFGMonitorNumber, number);
        return monitorConfiguration(monitor);
    };
    const ScreenList twoScreens { landscape, screen(7, QRectF(1920, 0, 1080, 1920)) };
    QTest::newRow("one screen, the second")
        << n4 << oneScreen(qint64(7)) << twoScreens << portraitN4 << QString();
    QTest::newRow("one screen, the first")
        << n4 << oneScreen(qint64(1)) << twoScreens << landscapeN4 << QString();
    // "OVCFGMonitorNumber" is compared as an unsigned 32-bit value.
    QTest::newRow("one screen, number above 32 bits")
        << n4 << oneScreen(qint64(0x100000007)) << twoScreens << portraitN4 << QString();
    QTest::newRow("one screen, no number")
        << n4 << oneScreen(QVariant()) << twoScreens << kTevraN4Band << kNoNumber;
    QTest::newRow("one screen, number of the wrong kind")
        << n4 << oneScreen(QStringLiteral("7")) << twoScreens << kTevraN4Band << kNoNumber;
    QTest::newRow("one screen, no screen of that number")
        << n4 << oneScreen(qint64(9)) << twoScreens << kTevraN4Band << QString();

    const auto portion = [](const QVariant &frame) {
        return monitorConfiguration(
            { { QString(OVCFGMonitorMap), qint64(1) }, { QString(OVCFGMonitorFrame), frame } });
    };
    QTest::newRow("portion 4:3 fills the area") << n4 << portion(QStringLiteral("{{0, 0}, {800, 600}}"))
                                                << ScreenList {} << QRectF(0, 0, 4, 3) << QString();
    QTest::newRow("portion square") << n4 << portion(QStringLiteral("{{100, 100}, {1000, 1000}}"))
                                    << ScreenList {} << QRectF(1, 0, 3, 3) << QString();
    QTest::newRow("portion unreadable")
        << n4 << portion(QStringLiteral("garbage")) << ScreenList { landscape } << kTevraN4Band << QString();
    QTest::newRow("portion of no height") << n4 << portion(QStringLiteral("{{0, 0}, {800, 0}}"))
                                          << ScreenList { landscape } << kTevraN4Band << QString();
    QTest::newRow("portion negative size") << n4 << portion(QStringLiteral("{{0, 0}, {-800, -600}}"))
                                           << ScreenList { landscape } << kTevraN4Band << QString();
    QTest::newRow("portion not a text")
        << n4 << portion(qint64(800)) << ScreenList { landscape } << kTevraN4Band << QString();
    QTest::newRow("portion missing") << n4 << portion(QVariant()) << ScreenList { landscape } << kTevraN4Band
                                     << QString();

    QTest::newRow("all screens, none listed")
        << n4 << allScreens << ScreenList {} << kTevraN4Band << QString();
    QTest::newRow("map above 2") << n4 << monitorConfiguration({ { QString(OVCFGMonitorMap), qint64(3) } })
                                 << ScreenList { landscape } << kTevraN4Band << QString();
    QTest::newRow("negative map") << n4 << monitorConfiguration({ { QString(OVCFGMonitorMap), qint64(-1) } })
                                  << ScreenList { landscape } << kTevraN4Band << QString();
    QTest::newRow("fractional map") << n4 << monitorConfiguration({ { QString(OVCFGMonitorMap), 0.5 } })
                                    << ScreenList { landscape } << kTevraN4Band << QString();
    QTest::newRow("map of the wrong kind")
        << n4 << monitorConfiguration({ { QString(OVCFGMonitorMap), QStringLiteral("0") } })
        << ScreenList { landscape } << kTevraN4Band << kNoMap;
    QTest::newRow("no map") << n4
                            << monitorConfiguration(
                                   { { QString(OVCFGMonitorFrame), QStringLiteral("{{0, 0}, {1, 1}}") } })
                            << ScreenList { landscape } << kTevraN4Band << kNoMap;
    QTest::newRow("monitor category of the wrong kind")
        << n4 << QVariantMap { { QString(OVCFGMonitor), QStringLiteral("x") } } << ScreenList { landscape }
        << kTevraN4Band << kNoMap;
    QTest::newRow("model of size 0") << QStringLiteral("5-5") << allScreens << ScreenList { landscape }
                                     << QRectF(0, 0, 0, 0) << QString();
}

void TestGeometry::ratioRect()
{
    QFETCH(QString, devKey);
    QFETCH(QVariantMap, configuration);
    QFETCH(ScreenList, screens);
    QFETCH(QRectF, rect);
    QFETCH(QString, log);
    const RatioRectResult result = ratioRectInch(devKey, &configuration, screens);
    // Exact: the area is stored and compared as text.
    QVERIFY2(result.rect.x() == rect.x() && result.rect.y() == rect.y() && result.rect.width() == rect.width()
            && result.rect.height() == rect.height(),
        qPrintable(QStringLiteral("(%1, %2, %3, %4)")
                       .arg(result.rect.x())
                       .arg(result.rect.y())
                       .arg(result.rect.width())
                       .arg(result.rect.height())));
    QCOMPARE(result.log, log);
}

QTEST_GUILESS_MAIN(TestGeometry)
#include "tst_geometry.moc"
