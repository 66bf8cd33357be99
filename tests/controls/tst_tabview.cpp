#include <QSignalSpy>
#include <QTest>

#include "controls/kitstyle.h"
#include "controls/orvanetabview.h"

using controls::OrvaneTabView;

class TstTabView : public QObject
{
    Q_OBJECT

private slots:
    void tabGeometry_data();
    void tabGeometry();
    void selection_data();
    void selection();
    void clickSelectsTabUnderPointer();
    void itemKeepsItsLastView();
};

void TstTabView::tabGeometry_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("width");
    QTest::addColumn<int>("index");
    QTest::addColumn<QRectF>("expected");

    QTest::newRow("first of five main tabs") << "Orvane.Main" << 5 << 600.0 << 0 << QRectF(95, 0, 82, 42);
    QTest::newRow("second of five main tabs") << "Orvane.Main" << 5 << 600.0 << 1 << QRectF(177, 0, 82, 42);
    QTest::newRow("last of five main tabs") << "Orvane.Main" << 5 << 600.0 << 4 << QRectF(423, 0, 82, 42);
    QTest::newRow("single action tab centred")
        << "Orvane.ActCus" << 1 << 300.0 << 0 << QRectF(105, 0, 90, 32);
    QTest::newRow("tabs wider than the view") << "Orvane.ActCus" << 4 << 300.0 << 0 << QRectF(-30, 0, 90, 32);
    QTest::newRow("unknown identifier: no width") << "Other" << 3 << 600.0 << 1 << QRectF(300, 0, 0, 0);
}

void TstTabView::tabGeometry()
{
    QFETCH(QString, identifier);
    QFETCH(int, count);
    QFETCH(double, width);
    QFETCH(int, index);
    QFETCH(QRectF, expected);

    OrvaneTabView view;
    controls::setIdentifier(&view, identifier);
    for (int i = 0; i < count; ++i)
        view.addTabViewItem(QString::number(i));
    view.resize(int(width), 300);
    QCOMPARE(view.tabRectForTabViewItem(index), expected);
}

// What a selection attempt does, by who asks and what the veto answers.
void TstTabView::selection_data()
{
    QTest::addColumn<int>("refused"); // the tab the veto refuses; -1: no veto
    QTest::addColumn<int>("selectedBefore");
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("selectedAfter");
    QTest::addColumn<QList<int>>("reported");

    QTest::newRow("allowed") << 3 << 0 << 2 << 2 << QList<int> { 2 };
    QTest::newRow("refused: current tab stays") << 3 << 1 << 3 << 1 << QList<int> {};
    QTest::newRow("no veto set") << -1 << 0 << 3 << 3 << QList<int> { 3 };
    QTest::newRow("selected tab again") << -1 << 2 << 2 << 2 << QList<int> {};
    QTest::newRow("out of range") << -1 << 0 << 5 << 0 << QList<int> {};
}

void TstTabView::selection()
{
    QFETCH(int, refused);
    QFETCH(int, selectedBefore);
    QFETCH(int, target);
    QFETCH(int, selectedAfter);
    QFETCH(QList<int>, reported);

    OrvaneTabView view;
    controls::setIdentifier(&view, QStringLiteral("Orvane.Main"));
    for (int i = 0; i < 5; ++i)
        view.addTabViewItem(QString::number(i));
    QCOMPARE(view.indexOfSelectedTabViewItem(), 0);
    view.selectTabViewItemAtIndex(selectedBefore);
    QList<int> asked;
    if (refused >= 0) {
        view.setShouldSelect([&](int index) {
            asked << index;
            return index != refused;
        });
    }
    QSignalSpy didSelect(&view, &OrvaneTabView::didSelect);

    view.selectTabViewItemAtIndex(target);

    QCOMPARE(view.indexOfSelectedTabViewItem(), selectedAfter);
    QList<int> got;
    for (const QList<QVariant> &args : didSelect)
        got << args.at(0).toInt();
    QCOMPARE(got, reported);
    if (refused >= 0 && target != selectedBefore)
        QCOMPARE(asked, QList<int> { target });
}

void TstTabView::clickSelectsTabUnderPointer()
{
    OrvaneTabView view;
    controls::setIdentifier(&view, QStringLiteral("Orvane.Main"));
    for (int i = 0; i < 5; ++i)
        view.addTabViewItem(QString::number(i));
    view.resize(600, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.setShouldSelect([](int index) { return index != 3; });
    QSignalSpy didSelect(&view, &OrvaneTabView::didSelect);

    const auto clickAt = [&](QPointF point) {
        QWidget *strip = view.childAt(point.toPoint());
        QVERIFY(strip);
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->mapFrom(&view, point.toPoint()));
    };
    clickAt(view.tabRectForTabViewItem(1).center());
    QCOMPARE(view.indexOfSelectedTabViewItem(), 1);
    clickAt(view.tabRectForTabViewItem(3).center());
    QCOMPARE(view.indexOfSelectedTabViewItem(), 1);
    // Beside the strip: no tab there.
    clickAt(QPointF(20, 20));
    QCOMPARE(view.indexOfSelectedTabViewItem(), 1);
    QCOMPARE(didSelect.count(), 1);
}

void TstTabView::itemKeepsItsLastView()
{
    OrvaneTabView view;
    controls::setIdentifier(&view, QStringLiteral("Orvane.Main"));
    view.addTabViewItem(QStringLiteral("a"));
    view.addTabViewItem(QStringLiteral("b"));
    auto *first = new QWidget;
    auto *second = new QWidget;
    view.setView(1, first);
    QCOMPARE(view.view(1), first);
    QCOMPARE(view.view(0), nullptr);

    view.setView(1, second);
    QCOMPARE(view.view(1), second);
    // The replaced view is handed back to its owner, not deleted.
    QCOMPARE(first->parentWidget(), nullptr);
    delete first;

    // Its owner deleting the shown view leaves the item empty.
    delete second;
    QCOMPARE(view.view(1), nullptr);
    view.selectTabViewItemAtIndex(1);
    QCOMPARE(view.indexOfSelectedTabViewItem(), 1);
}

QTEST_MAIN(TstTabView)
#include "tst_tabview.moc"
