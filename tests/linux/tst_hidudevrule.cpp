#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

#include "store/ovmodels.h"

class TestHidUdevRule : public QObject
{
    Q_OBJECT
private slots:
    void everyModelIsGranted();
};

// udev compares the text of the sysfs attributes, which the kernel writes as
// four lower-case hexadecimal digits: "3A8F" or "3a8F" would never match.
void TestHidUdevRule::everyModelIsGranted()
{
    QFile rule(QStringLiteral(OV_FIXTURES "/../../packaging/linux/70-orvane-tablet.rules"));
    QVERIFY2(rule.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(rule.fileName()));
    const QString text = QString::fromUtf8(rule.readAll());

    static const QRegularExpression pair(
        QStringLiteral(R"re(ATTRS\{idVendor\}=="([0-9a-f]{4})", ATTRS\{idProduct\}=="([0-9a-f]{4})")re"));
    QSet<QString> granted;
    for (const QRegularExpressionMatch &match : pair.globalMatch(text))
        granted.insert(match.captured(1) + ':' + match.captured(2));

    for (const store::ModelRow &row : store::modelRows()) {
        const QString key = QString::asprintf("%04x:%04x", row.vendorId, row.productId);
        QVERIFY2(granted.contains(key), qPrintable("not in the udev rule: " + key));
    }
}

QTEST_GUILESS_MAIN(TestHidUdevRule)
#include "tst_hidudevrule.moc"
