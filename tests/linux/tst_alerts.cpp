#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "platform/linux/messageboxalerts.h"
#include "platform/linux/qtfilepanels.h"

using namespace platform;
using platform::native::QtAlerts;
using platform::native::QtFilePanels;

namespace {

// Runs `inspect` on the modal dialog once it shows; it answers the dialog.
template<typename Dialog>
void whenShown(std::function<void(Dialog *)> inspect)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, inspect] {
        if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            inspect(dialog);
        }
    });
    timer->start();
}

} // namespace

class TestAlerts : public QObject
{
    Q_OBJECT
private slots:
    // The offscreen platform's own notices are not ours.
    void init()
    {
        QTest::failOnWarning(
            QRegularExpression(QStringLiteral("^(?!QStandardPaths|This plugin does not support propagateSizeHints).*")));
    }
    void alertAnswersThePressedButton_data();
    void alertAnswersThePressedButton();
    void escapeAndCloseAnswerNothingWithSeveralButtons();
    void filePanels_data();
    void filePanels();
};

void TestAlerts::alertAnswersThePressedButton_data()
{
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<int>("press"); // -1: Return (the default button)
    QTest::addColumn<int>("answer");

    QTest::newRow("second of three") << QStringList{"Update", "Later", "Cancel"} << 1 << 1;
    QTest::newRow("last of three") << QStringList{"Update", "Later", "Cancel"} << 2 << 2;
    QTest::newRow("return is the first") << QStringList{"Update", "Later"} << -1 << 0;
    QTest::newRow("no buttons is OK") << QStringList() << -1 << 0;
}

void TestAlerts::alertAnswersThePressedButton()
{
    QFETCH(QStringList, buttons);
    QFETCH(int, press);
    QFETCH(int, answer);

    QStringList seen;
    bool modal = false;
    QString texts;
    whenShown<QMessageBox>([&](QMessageBox *box) {
        modal = box->windowModality() == Qt::ApplicationModal;
        texts = box->text() + QLatin1Char('|') + box->informativeText();
        for (QAbstractButton *button : box->buttons())
            seen << button->text();
        if (!buttons.isEmpty())
            QCOMPARE(box->defaultButton()->text(), buttons.first());
        if (press >= 0)
            box->buttons().at(press)->click();
        else
            QTest::keyClick(box, Qt::Key_Return);
    });
    QCOMPARE(QtAlerts().run(QStringLiteral("Title"), QStringLiteral("Message"), buttons), answer);
    QVERIFY(modal);
    QCOMPARE(texts, QStringLiteral("Title|Message"));
    if (!buttons.isEmpty())
        QCOMPARE(seen, buttons);
    else
        QCOMPARE(seen.size(), 1);
}

void TestAlerts::escapeAndCloseAnswerNothingWithSeveralButtons()
{
    bool stillOpen = false;
    whenShown<QMessageBox>([&](QMessageBox *box) {
        QTest::keyClick(box, Qt::Key_Escape);
        box->close();
        QApplication::processEvents();
        stillOpen = box->isVisible();
        box->buttons().at(1)->click();
    });
    QCOMPARE(QtAlerts().run(QStringLiteral("Title"), QString(), {"A", "B"}), 1);
    QVERIFY(stillOpen);
}

void TestAlerts::filePanels_data()
{
    QTest::addColumn<bool>("save");
    QTest::addColumn<QString>("name"); // empty: cancel
    QTest::addColumn<QString>("expectedName");

    QTest::newRow("open") << false << "a.plist" << "a.plist";
    QTest::newRow("open cancelled") << false << "" << "";
    QTest::newRow("save adds the suffix") << true << "export" << "export.plist";
    QTest::newRow("save keeps a given suffix") << true << "b.plist" << "b.plist";
    QTest::newRow("save cancelled") << true << "" << "";
}

void TestAlerts::filePanels()
{
    QFETCH(bool, save);
    QFETCH(QString, name);
    QFETCH(QString, expectedName);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QFile existing(dir.filePath(QStringLiteral("a.plist")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.close();

    const FilePanelOptions options{QStringLiteral("Export"), dir.path(), {QStringLiteral("plist")}, false, {}, {}};
    QString title, directory;
    QStringList filters;
    bool modal = false, readOnly = false;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    whenShown<QFileDialog>([&](QFileDialog *dialog) {
        title = dialog->windowTitle();
        directory = dialog->directory().path();
        filters = dialog->nameFilters();
        modal = dialog->windowModality() == Qt::ApplicationModal;
        readOnly = dialog->testOption(QFileDialog::ReadOnly);
        mode = dialog->acceptMode();
        if (name.isEmpty()) {
            dialog->reject();
        } else {
            // Typed as a user would: selectFile() leaves the name field alone
            // once it has the focus, which the offscreen platform gives it at
            // an unpredictable moment.
            auto *field = dialog->template findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(field);
            field->setText(name);
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    QtFilePanels panels;
    const auto chosen = save ? panels.saveFile(options) : panels.openFile(options);
    QCOMPARE(title, QStringLiteral("Export"));
    QCOMPARE(directory, dir.path());
    QCOMPARE(filters, QStringList{QStringLiteral("*.plist")});
    QVERIFY(modal);
    QVERIFY(readOnly);
    QCOMPARE(mode, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QCOMPARE(chosen.has_value(), !expectedName.isEmpty());
    if (chosen)
        QCOMPARE(*chosen, dir.filePath(expectedName));
}

QTEST_MAIN(TestAlerts)
#include "tst_alerts.moc"
