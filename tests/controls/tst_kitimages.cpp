#include <QDir>
#include <QTest>

#include "controls/kitgeometry.h"
#include "controls/kitimages.h"

class TstKitImages : public QObject
{
    Q_OBJECT

private slots:
    void picturesByName_data();
    void picturesByName();
    void missingPictureSaysSoOnce();
};

void TstKitImages::picturesByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");

    for (int i = 0; i < 5; ++i) {
        for (bool selected : { true, false }) {
            const QString name = controls::tabPictureName(i, selected);
            QTest::newRow(qPrintable(name)) << name << QSize(34, 34);
        }
    }
    // The pen pictures as the model table names them, with their file type.
    for (const char *pen : { "Pen.png", "PenTevra.png", "Pen_TevraN4_N7_N7B.png", "oem_sorvi_pen.png" })
        QTest::newRow(pen) << QString::fromLatin1(pen) << QSize(44, 300);
    QTest::newRow("Monitor") << "Monitor" << QSize(160, 100);
    QTest::newRow("Board") << "Board" << QSize(200, 130);
}

void TstKitImages::picturesByName()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    const QPixmap plain = controls::imageNamed(name);
    QVERIFY(!plain.isNull());
    QCOMPARE(plain.deviceIndependentSize().toSize(), size);
    // Sharp at a higher density, the same size in logical pixels.
    const QPixmap dense = controls::imageNamed(name, 2);
    QCOMPARE(dense.size(), size * 2);
    QCOMPARE(dense.deviceIndependentSize().toSize(), size);
    QCOMPARE(dense.devicePixelRatio(), 2.0);
    const QString folder
        = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QStringLiteral("/renders/controls");
    QDir().mkpath(folder);
    QVERIFY(dense.save(folder + QStringLiteral("/picture-") + name.section(QLatin1Char('.'), 0, 0) + ".png"));
}

void TstKitImages::missingPictureSaysSoOnce()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    QTest::ignoreMessage(
        QtWarningMsg, QRegularExpression(QStringLiteral("^cannot load picture T9S: no readable")));
    QVERIFY(controls::imageNamed(QStringLiteral("T9S")).isNull());
    QVERIFY(controls::imageNamed(QStringLiteral("T9S"), 2).isNull());
}

QTEST_MAIN(TstKitImages)
#include "tst_kitimages.moc"
