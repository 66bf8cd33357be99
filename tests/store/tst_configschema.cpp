// What the store creates itself keeps the schema, and the families of ten
// keys are told apart by their exact names.

#include <QTest>

#include "store/configschema.h"
#include "store/ovdefaults.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovrecttext.h"

using namespace store;

class TestConfigSchema : public QObject
{
    Q_OBJECT

private slots:
    void defaultsKeepTheSchema();
    void keyFamilies_data();
    void keyFamilies();
};

void TestConfigSchema::defaultsKeepTheSchema()
{
    const QString band = stringFromRect(QRectF(0, 0.375, 4, 2.25));
    for (int m = 0; m <= int(Model::Unnamed); ++m) {
        const QString devKey = devKeyFor(Model(m));
        for (const bool driver : { true, false }) {
            const QList<SchemaBreak> breaks = schemaBreaks(defaultConfiguration(devKey, driver, band));
            QVERIFY2(breaks.isEmpty(),
                qPrintable(devKey + QLatin1Char(' ') + (breaks.isEmpty() ? QString() : breaks.first().key)));
        }
        if (const std::optional<QVariantMap> patch = importCalibrationPatch(devKey)) {
            for (auto it = patch->cbegin(); it != patch->cend(); ++it)
                QVERIFY2(fitsSchema(OVCFGMonitor, it.key(), it.value()), qPrintable(devKey + it.key()));
        }
    }
}

void TestConfigSchema::keyFamilies_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("known"); // a text breaks a known key of the family

    QTest::newRow("key 1") << "OVCFGBoardKey1" << true;
    QTest::newRow("key 10") << "OVCFGBoardKey10" << true;
    QTest::newRow("factory key 10") << "OVCFGBoardKey10Def" << true;
    QTest::newRow("custom key 7") << "OVCFGBoardKey7Cus" << true;
    QTest::newRow("key 0") << "OVCFGBoardKey0" << false;
    QTest::newRow("key 11") << "OVCFGBoardKey11" << false;
    QTest::newRow("leading zero") << "OVCFGBoardKey01" << false;
    QTest::newRow("no number") << "OVCFGBoardKeyDef" << false;
    QTest::newRow("sign") << "OVCFGBoardKey+1" << false;
    QTest::newRow("other suffix") << "OVCFGBoardKey1Foo" << false;
}

void TestConfigSchema::keyFamilies()
{
    QFETCH(QString, key);
    QFETCH(bool, known);
    QCOMPARE(fitsSchema(OVCFGBoardKey, key, QStringLiteral("text")), !known);
}

QTEST_GUILESS_MAIN(TestConfigSchema)
#include "tst_configschema.moc"
