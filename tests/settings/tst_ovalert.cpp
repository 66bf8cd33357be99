#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "platform/stringtable.h"
#include "settings/modalruns.h"
#include "settings/ovalert.h"
#include "support_alertcatcher.h"

using settings::OVAlert;

namespace {
platform::StringTable englishStrings()
{
    return platform::StringTable({ QStringLiteral("en") });
}
} // namespace

class TestOVAlert : public QObject
{
    Q_OBJECT

private slots:
    void informativeText_data();
    void informativeText();
    void modalRunWaitsForOK();
    void escapeEndsModalRun();
    void sheetReturnsAtOnce();
};

void TestOVAlert::informativeText_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("shown");

    const QString layoutText = englishStrings().text(QStringLiteral("OVS_AL_IT"));
    QTest::newRow("none set: the layout's text") << QStringList() << layoutText;
    QTest::newRow("empty keeps the layout's text") << QStringList { QString() } << layoutText;
    QTest::newRow("a text replaces it") << QStringList { QStringLiteral("Cannot import.") }
                                        << QStringLiteral("Cannot import.");
    QTest::newRow("a later empty text keeps the earlier one")
        << QStringList { QStringLiteral("First"), QString() } << QStringLiteral("First");
}

void TestOVAlert::informativeText()
{
    QFETCH(QStringList, texts);
    QFETCH(QString, shown);

    const platform::StringTable strings = englishStrings();
    QVERIFY(!shown.isEmpty());
    // Whatever layout name a caller gives, the alert has its one layout.
    OVAlert alert(strings, QStringLiteral("SomethingElse"));
    for (const QString &text : texts)
        alert.setInformativeText(text);
    QCOMPARE(alert.ibITF()->text(), shown);
    QCOMPARE(alert.titleText(), QStringLiteral("Orvane Tablet"));
}

void TestOVAlert::modalRunWaitsForOK()
{
    const platform::StringTable strings = englishStrings();
    settings::ModalRuns runs;
    OVAlert alert(strings);
    alert.setModalRuns(&runs);
    alert.setInformativeText(QStringLiteral("Cannot import."));
    bool shownDuringRun = false;
    int depthDuringRun = -1;
    QTimer::singleShot(20, &alert, [&] {
        shownDuringRun = alert.isVisible() && QApplication::activeModalWidget() == &alert;
        depthDuringRun = runs.depth();
        alert.okButton()->click();
    });
    alert.runModal();
    QVERIFY(shownDuringRun);
    QCOMPARE(depthDuringRun, 1);
    QVERIFY(!alert.isVisible());
    QCOMPARE(runs.depth(), 0);
    QVERIFY(!alert.isSheet());
}

void TestOVAlert::escapeEndsModalRun()
{
    const platform::StringTable strings = englishStrings();
    OVAlert alert(strings);
    QTimer::singleShot(20, &alert, [&] { QTest::keyClick(&alert, Qt::Key_Escape); });
    // A guard, so a broken Escape fails here instead of waiting for ever.
    bool guardFired = false;
    QTimer::singleShot(5000, &alert, [&] {
        guardFired = true;
        alert.clickOK();
    });
    alert.runModal();
    QVERIFY(!guardFired);
    QVERIFY(!alert.isVisible());
}

void TestOVAlert::sheetReturnsAtOnce()
{
    const platform::StringTable strings = englishStrings();
    QWidget window;
    window.resize(400, 300);
    window.show();
    settings::ModalRuns runs;
    auto *alert = new OVAlert(strings, QString());
    alert->setModalRuns(&runs);
    alert->setInformativeText(QStringLiteral("Refused."));
    alert->runModalSheetForWindow(&window);
    // The caller goes on at once, with the parent window blocked by the sheet.
    QVERIFY(alert->isSheet());
    QVERIFY(alert->isVisible());
    QCOMPARE(alert->parentWidget(), &window);
    QCOMPARE(alert->windowModality(), Qt::WindowModal);
    QCOMPARE(QApplication::activeModalWidget(), alert);
    QCOMPARE(runs.depth(), 0);

    alert->clickOK();
    QVERIFY(!alert->isVisible());
    QVERIFY(QApplication::activeModalWidget() == nullptr);
    delete alert;
}

QTEST_MAIN(TestOVAlert)
#include "tst_ovalert.moc"
