#include <QSet>
#include <QTest>

#include "store/diainfo.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

using namespace store;

class TestTables : public QObject
{
    Q_OBJECT

private slots:
    void deviceKeys();
    void modelSets_data();
    void modelSets();
    void keyFamilies();
    void productNames_data();
    void productNames();
    void cpuNames_data();
    void cpuNames();
    void penNames_data();
    void penNames();
    void tabletViewConstants_data();
    void tabletViewConstants();
    void pictures_data();
    void pictures();
    void layouts_data();
    void layouts();
};

void TestTables::deviceKeys()
{
    QSet<QString> seen;
    for (const ModelRow &row : modelRows()) {
        const QString key = devKeyFor(row.model);
        QCOMPARE(key, QStringLiteral("%1-%2").arg(row.vendorId).arg(row.productId));
        QVERIFY2(!seen.contains(key), qPrintable(key));
        seen.insert(key);
        QCOMPARE(modelForKey(key), std::optional<Model>(row.model));
        QVERIFY(isModel(key, row.model));
    }
    QCOMPARE(kDevKeyTevraN4(), devKeyFor(Model::TevraN4));
    QCOMPARE(kDevKeyUnnamed(), devKeyFor(Model::Unnamed));
    QCOMPARE(modelForKey(QString()), std::nullopt);
    QCOMPARE(modelForKey(QStringLiteral("0-0")), std::nullopt);
    // The key is decimal; a hexadecimal spelling of the same ids is no key.
    const ModelRow &n4 = rowFor(Model::TevraN4);
    QCOMPARE(
        modelForKey(QStringLiteral("%1-%2").arg(n4.vendorId, 0, 16).arg(n4.productId, 0, 16)), std::nullopt);
}

void TestTables::modelSets_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<bool>("penDisplay");
    QTest::addColumn<bool>("wheel");
    QTest::addColumn<bool>("oemSorvi");

    QTest::newRow("M482 Plus V2") << kDevKeyM482PlusV2() << false << false << false;
    QTest::newRow("Kalverin M") << kDevKeyKalverinM() << false << true << false;
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << false << true << false;
    QTest::newRow("Tevra Q") << kDevKeyTevraQ() << false << false << false;
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << true << true << false;
    QTest::newRow("Sorvi10") << kDevKeySorvi10() << true << false << true;
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << false << false << true;
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << true << true << true;
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << true << false << true;
    QTest::newRow("Sorvi 22") << kDevKeySorvi22() << true << false << true;
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << true << false << true;
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << false << false << false;
    QTest::newRow("unknown key") << QStringLiteral("1-1") << false << false << false;
}

void TestTables::modelSets()
{
    QFETCH(QString, devKey);
    QFETCH(bool, penDisplay);
    QFETCH(bool, wheel);
    QFETCH(bool, oemSorvi);
    QCOMPARE(isPenDisplay(devKey), penDisplay);
    QCOMPARE(isWheelModel(devKey), wheel);
    QCOMPARE(isOemSorvi(devKey), oemSorvi);
}

void TestTables::keyFamilies()
{
    QCOMPARE(OVCFGBoardKeyN(1), QStringLiteral("OVCFGBoardKey1"));
    QCOMPARE(OVCFGBoardKeyN(10), QString(OVCFGBoardKey10));
    QCOMPARE(OVCFGWheelKeyN(7), QStringLiteral("OVCFGWheelKey7"));
    QCOMPARE(defKey(OVCFGBoardKeyN(3)), QString(OVCFGBoardKey3Def));
    QCOMPARE(cusKey(OVCFGWheelKeyN(10)), QString(OVCFGWheelKey10Cus));
    QCOMPARE(cusKey(OVCFGMonitorCalibZD), QString(OVCFGMonitorCalibZDCus));
}

void TestTables::productNames_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("code");

    QTest::newRow("M482 Plus V2") << kDevKeyM482PlusV2() << "M482 Plus V2"
                                  << "M482PlusV2";
    QTest::newRow("M517 V1") << kDevKeyM517V1() << "M517 V1" << QString();
    QTest::newRow("M517 V2") << kDevKeyM517V2() << "M517 V2"
                             << "M517V2";
    QTest::newRow("Tevra M") << kDevKeyTevraM() << "Tevra M"
                             << "HV118";
    QTest::newRow("Tevra S") << kDevKeyTevraS() << "Tevra S"
                             << "HV243";
    QTest::newRow("Kalverin M") << kDevKeyKalverinM() << "Kalverin M"
                                << "HV471";
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << "Kalverin S"
                                << "HV526";
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << "Tevra N4"
                              << "HV735";
    QTest::newRow("Tevra N7") << kDevKeyTevraN7() << "Tevra N7"
                              << "HV857";
    QTest::newRow("Tevra N7B") << kDevKeyTevraN7B() << "Tevra N7B"
                               << "HV913";
    QTest::newRow("Tevra N10") << kDevKeyTevraN10() << "Tevra N10"
                               << "HV944";
    QTest::newRow("Tevra N10B") << kDevKeyTevraN10B() << "Tevra N10B"
                                << "HV976";
    QTest::newRow("Tevra Q") << kDevKeyTevraQ() << "Tevra Q"
                             << "HV682";
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << "Sorvi12 Pro"
                                 << "HV309";
    QTest::newRow("Sorvi10") << kDevKeySorvi10() << "Sorvi10" << QString();
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << "Sorvi13" << QString();
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << "Sorvi 13/16" << QString();
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << "Sorvi 16Pro" << QString();
    QTest::newRow("Sorvi 22") << kDevKeySorvi22() << "Sorvi 22" << QString();
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << "Sorvi 22Pro" << QString();
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << QString() << QString();
    QTest::newRow("unknown key") << QStringLiteral("1155-22352") << QString() << QString();
    QTest::newRow("empty key") << QString() << QString() << QString();
}

void TestTables::productNames()
{
    QFETCH(QString, devKey);
    QFETCH(QString, name);
    QFETCH(QString, code);
    // Null, not merely empty: "none" is tested with isNull by the callers.
    QCOMPARE(productNameWithDevkey(devKey).isNull(), name.isNull());
    QCOMPARE(productNameWithDevkey(devKey), name);
    QCOMPARE(productModelWithDevkey(devKey).isNull(), code.isNull());
    QCOMPARE(productModelWithDevkey(devKey), code);
}

void TestTables::cpuNames_data()
{
    QTest::addColumn<int>("cpu");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << QString();
    QTest::newRow("1") << 1 << "CP1";
    QTest::newRow("2") << 2 << "CP2";
    QTest::newRow("3") << 3 << "CP3";
    QTest::newRow("4") << 4 << "CP4";
    QTest::newRow("5") << 5 << "CP5";
    QTest::newRow("6") << 6 << "CP7";
    QTest::newRow("7") << 7 << "CP8";
    QTest::newRow("8") << 8 << "CP6";
    QTest::newRow("9") << 9 << QString();
    QTest::newRow("0xFFFF") << 0xFFFF << QString();
}

void TestTables::cpuNames()
{
    QFETCH(int, cpu);
    QFETCH(QString, name);
    QCOMPARE(cpuForCpu(quint16(cpu)), name);
    QCOMPARE(cpuForCpu(quint16(cpu)).isNull(), name.isNull());
}

void TestTables::penNames_data()
{
    QTest::addColumn<QString>("proModel");
    QTest::addColumn<QStringList>("pens"); // pen 0, 1, 2, 255

    QTest::newRow("M482PlusV2") << "M482PlusV2" << QStringList { "Q38", "Q61", "Q52E", "Q38" };
    QTest::newRow("M517V2") << "M517V2" << QStringList { "Q38", "Q61", "Q38", "Q38" };
    QTest::newRow("HV118") << "HV118" << QStringList { "Q52", "Q52E", "Q61", "Q52" };
    QTest::newRow("HV243") << "HV243" << QStringList { "Q52", "Q61", "Q52E", "Q52" };
    QTest::newRow("HV309") << "HV309" << QStringList { "Q61", "Q61", "Q61", "Q61" };
    QTest::newRow("HV471") << "HV471" << QStringList { "Q61", "Q52E", "Q61", "Q61" };
    QTest::newRow("HV526") << "HV526" << QStringList { "Q61", "Q52E", "Q61", "Q61" };
    QTest::newRow("HV682") << "HV682" << QStringList { "Q74", "Q61", "Q74", "Q74" };
    QTest::newRow("HV735") << "HV735" << QStringList { "Q74", "Q61", "Q74", "Q74" };
    QTest::newRow("HV857") << "HV857" << QStringList { "Q61", "Q74", "Q74", "Q74" };
    QTest::newRow("HV944") << "HV944" << QStringList { "Q61", "Q74", "Q74", "Q74" };
    QTest::newRow("HV913") << "HV913" << QStringList { "Q61", "Q74", "Q61", "Q61" };
    QTest::newRow("HV976") << "HV976" << QStringList { "Q61", "Q74", "Q61", "Q61" };
    const QStringList none { QString(), QString(), QString(), QString() };
    QTest::newRow("nil model") << QString() << none;
    QTest::newRow("unknown model") << "HV000" << none;
    QTest::newRow("product name is no model code") << "Tevra N4" << none;
    QTest::newRow("case matters") << "hv735" << none;
}

void TestTables::penNames()
{
    QFETCH(QString, proModel);
    QFETCH(QStringList, pens);
    const quint16 codes[] = { 0, 1, 2, 255 };
    for (int i = 0; i < 4; ++i) {
        const QString pen = penForPen(codes[i], proModel);
        QCOMPARE(pen, pens.at(i));
        QCOMPARE(pen.isNull(), pens.at(i).isNull());
    }
    QCOMPARE(penForPen(3, proModel), pens.at(3));
    QCOMPARE(penForPen(0xFFFF, proModel), pens.at(3));
}

void TestTables::tabletViewConstants_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QList<float>>("values"); // edge, slen, dlen, full line, ratio line

    const QList<float> large { 0.05f, 0.14f, 0.3f, 0.06f, 0.04f };
    const QList<float> small { 0.03f, 0.08f, 0.18f, 0.04f, 0.02f };
    const QList<float> tevraN { 0.04f, 0.11f, 0.24f, 0, 0 };
    const QList<float> zero { 0, 0, 0, 0, 0 };
    QTest::newRow("M482 Plus V2") << kDevKeyM482PlusV2() << large;
    QTest::newRow("Kalverin M") << kDevKeyKalverinM() << large;
    QTest::newRow("M517 V1") << kDevKeyM517V1() << small;
    QTest::newRow("M517 V2") << kDevKeyM517V2() << small;
    QTest::newRow("Tevra S") << kDevKeyTevraS() << small;
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << small;
    QTest::newRow("Tevra M") << kDevKeyTevraM() << QList<float> { 0.04f, 0.11f, 0.24f, 0.05f, 0.03f };
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << QList<float> { 0.04f, 0.11f, 0.15f, 0, 0 };
    QTest::newRow("Tevra N7") << kDevKeyTevraN7() << tevraN;
    QTest::newRow("Tevra N7B") << kDevKeyTevraN7B() << tevraN;
    QTest::newRow("Tevra N10") << kDevKeyTevraN10() << tevraN;
    QTest::newRow("Tevra N10B") << kDevKeyTevraN10B() << tevraN;
    QTest::newRow("Tevra Q") << kDevKeyTevraQ() << QList<float> { 0.04f, 0.11f, 0.15f, 0.01f, 0 };
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << zero;
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << zero;
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << zero;
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << zero;
    QTest::newRow("unknown key") << QStringLiteral("x") << zero;
}

void TestTables::tabletViewConstants()
{
    QFETCH(QString, devKey);
    QFETCH(QList<float>, values);
    // Single-precision constants widened to double: 0.05f, not 0.05.
    const TabletViewEdge edge = tabletViewEdge(devKey);
    QCOMPARE(edge.edge, double(values.at(0)));
    QCOMPARE(edge.slen, double(values.at(1)));
    QCOMPARE(edge.dlen, double(values.at(2)));
    QCOMPARE(tabletViewFullLine(devKey), double(values.at(3)));
    QCOMPARE(tabletViewRatioLine(devKey), double(values.at(4)));
}

void TestTables::pictures_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QString>("pen");
    QTest::addColumn<QString>("wheel");

    QTest::newRow("M482 Plus V2") << kDevKeyM482PlusV2() << "Pen.png" << QString();
    QTest::newRow("M517 V1") << kDevKeyM517V1() << "Pen.png" << QString();
    QTest::newRow("M517 V2") << kDevKeyM517V2() << "Pen.png" << QString();
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro() << "Pen.png" << QString();
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro() << "Pen.png" << QString();
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro() << "Pen.png"
                                 << "WheelKeyM239";
    QTest::newRow("Tevra M") << kDevKeyTevraM() << "PenTevra.png" << QString();
    QTest::newRow("Tevra S") << kDevKeyTevraS() << "PenTevra.png" << QString();
    QTest::newRow("Tevra N7B") << kDevKeyTevraN7B() << "PenTevra.png" << QString();
    QTest::newRow("Tevra N10B") << kDevKeyTevraN10B() << "PenTevra.png" << QString();
    QTest::newRow("Kalverin M") << kDevKeyKalverinM() << "PenTevra.png"
                                << "WheelKeyKalverinM";
    QTest::newRow("Kalverin S") << kDevKeyKalverinS() << "PenTevra.png"
                                << "WheelKeyKalverinS";
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << "Pen_TevraN4_N7_N7B.png" << QString();
    QTest::newRow("Tevra N7") << kDevKeyTevraN7() << "Pen_TevraN4_N7_N7B.png" << QString();
    QTest::newRow("Tevra N10") << kDevKeyTevraN10() << "Pen_TevraN4_N7_N7B.png" << QString();
    QTest::newRow("Tevra Q") << kDevKeyTevraQ() << "Pen_TevraN4_N7_N7B.png" << QString();
    QTest::newRow("Sorvi10") << kDevKeySorvi10() << "oem_sorvi_pen.png" << QString();
    QTest::newRow("Sorvi 22") << kDevKeySorvi22() << "oem_sorvi_pen.png" << QString();
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316() << "oem_sorvi_pen.png"
                                 << "WheelKeySorvi16";
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << QString() << QString();
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << QString() << QString();
    QTest::newRow("unknown key") << QStringLiteral("2-2") << QString() << QString();
}

void TestTables::pictures()
{
    QFETCH(QString, devKey);
    QFETCH(QString, pen);
    QFETCH(QString, wheel);
    QCOMPARE(penImageName(devKey), pen);
    QCOMPARE(penImageName(devKey).isNull(), pen.isNull());
    QCOMPARE(wheelImageName(devKey), wheel);
    QCOMPARE(wheelImageName(devKey).isNull(), wheel.isNull());
}

void TestTables::layouts_data()
{
    QTest::addColumn<QString>("devKey");
    QTest::addColumn<QStringList>("names"); // pen, monitor, tablet, board, board custom window

    const QString pen = QStringLiteral("PenViewCtrl");
    const QString monitor = QStringLiteral("MonitorViewCtrl");
    const QString tablet = QStringLiteral("TabletViewCtrl");
    const QString board = QStringLiteral("BoardViewCtrl");
    const QString cus = QStringLiteral("BoardKeyCusWinCtrl");
    const QStringList plain { pen, monitor, tablet, board, cus };
    const QString tevraNPen = QStringLiteral("PenViewCtrl_TevraN4_N7_N7B");

    QTest::newRow("M482 Plus V2") << kDevKeyM482PlusV2() << plain;
    QTest::newRow("M517 V1") << kDevKeyM517V1()
                             << QStringList { pen, monitor, tablet, "BoardViewCtrl517",
                                    "BoardKeyCusWinCtrl517" };
    QTest::newRow("M517 V2") << kDevKeyM517V2()
                             << QStringList { pen, monitor, tablet, "BoardViewCtrl517",
                                    "BoardKeyCusWinCtrl517" };
    QTest::newRow("Tevra M") << kDevKeyTevraM()
                             << QStringList { pen, monitor, tablet, "BoardViewCtrlTevraM",
                                    "BoardKeyCusWinCtrlTevraM" };
    QTest::newRow("Tevra S") << kDevKeyTevraS()
                             << QStringList { pen, monitor, tablet, "BoardViewCtrlTevraS",
                                    "BoardKeyCusWinCtrlTevraS" };
    QTest::newRow("Kalverin M") << kDevKeyKalverinM()
                                << QStringList { pen, monitor, tablet, "BoardViewCtrlKalverinM",
                                       "BoardKeyCusWinCtrlKalverinM" };
    QTest::newRow("Kalverin S") << kDevKeyKalverinS()
                                << QStringList { pen, monitor, tablet, "BoardViewCtrlKalverinS",
                                       "BoardKeyCusWinCtrlKalverinS" };
    QTest::newRow("Tevra N4") << kDevKeyTevraN4() << QStringList { tevraNPen, monitor, tablet, board, cus };
    QTest::newRow("Tevra N7") << kDevKeyTevraN7() << QStringList { tevraNPen, monitor, tablet, board, cus };
    QTest::newRow("Tevra N10") << kDevKeyTevraN10() << QStringList { tevraNPen, monitor, tablet, board, cus };
    QTest::newRow("Tevra N7B") << kDevKeyTevraN7B()
                               << QStringList { pen, monitor, tablet, "BoardViewCtrl517",
                                      "BoardKeyCusWinCtrlTevraN7B" };
    QTest::newRow("Tevra N10B") << kDevKeyTevraN10B()
                                << QStringList { pen, monitor, tablet, "BoardViewCtrl_N10B",
                                       "BoardKeyCusWinCtrlM239" };
    QTest::newRow("Tevra Q") << kDevKeyTevraQ()
                             << QStringList { tevraNPen, monitor, "TabletViewCtrl_TevraQ",
                                    "BoardViewCtrl_TevraQ", "BoardKeyCusWinCtrlTevraS" };
    QTest::newRow("Sorvi12 Pro") << kDevKeySorvi12Pro()
                                 << QStringList { "PenViewCtrlM239", "MonitorViewCtrlM239",
                                        "TabletViewCtrlM239", "BoardViewCtrlM239", "BoardKeyCusWinCtrlM239" };
    QTest::newRow("Sorvi10") << kDevKeySorvi10()
                             << QStringList { "PenViewCtrlSorvi10", "MonitorViewCtrlM239",
                                    "TabletViewCtrlSorvi10", board, cus };
    QTest::newRow("Sorvi 22") << kDevKeySorvi22()
                              << QStringList { "PenViewCtrlSorvi10", "MonitorViewCtrlM239",
                                     "TabletViewCtrlSorvi10", board, cus };
    QTest::newRow("Sorvi 13/16") << kDevKeySorvi1316()
                                 << QStringList { "PenViewCtrlSorvi10", "MonitorViewCtrlM239",
                                        "TabletViewCtrlSorvi10", "BoardViewCtrlKalverinM",
                                        "BoardKeyCusWinCtrlKalverinM" };
    QTest::newRow("Sorvi 16Pro") << kDevKeySorvi16Pro()
                                 << QStringList { "PenViewCtrlM239", "MonitorViewCtrlM239",
                                        "TabletViewCtrlSorvi10", board, "BoardKeyCusWinCtrlTevraS" };
    QTest::newRow("Sorvi 22Pro") << kDevKeySorvi22Pro()
                                 << QStringList { "PenViewCtrlM239", "MonitorViewCtrlM239",
                                        "TabletViewCtrlSorvi10", board, cus };
    QTest::newRow("Sorvi13") << kDevKeySorvi13() << plain;
    QTest::newRow("unnamed key") << kDevKeyUnnamed() << plain;
    QTest::newRow("unknown key") << QStringLiteral("3-3") << plain;
}

void TestTables::layouts()
{
    QFETCH(QString, devKey);
    QFETCH(QStringList, names);
    QCOMPARE(QStringList({ penViewXIBName(devKey), monitorViewXIBName(devKey), tabletViewXIBName(devKey),
                 boardViewXIBName(devKey), boardKeyCusWinXIBName(devKey) }),
        names);
}

QTEST_GUILESS_MAIN(TestTables)
#include "tst_tables.moc"
