#include <QSignalSpy>
#include <QTest>

#include "controls/kitgeometry.h"
#include "controls/kitstyle.h"
#include "controls/orvanetabview.h"
#include "support_render.h"

using controls::OrvaneTabView;

class TstTabView : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { saveRenderSheet(QStringLiteral("sheet-tabview")); }
    void tabGeometry_data();
    void tabGeometry();
    void selection_data();
    void selection();
    void clickSelectsTabUnderPointer();
    void itemKeepsItsLastView();
    void render_data();
    void render();
    void shapesRemadeForNewSizeOrDensity();
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

void TstTabView::render_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<QStringList>("labels");
    QTest::addColumn<int>("selected");
    QTest::addColumn<bool>("focused");

    const QStringList five { "Pen", "Monitor", "Tablet", "Express\\nKeys", "About" };
    const QStringList actions { "Express\\nKeys", "Wheel", "Per\\napplication" };
    QTest::newRow("main, first selected") << "Orvane.Main" << five << 0 << false;
    QTest::newRow("main, middle selected") << "Orvane.Main" << five << 2 << false;
    QTest::newRow("main, last selected") << "Orvane.Main" << five << 4 << false;
    QTest::newRow("main, focused") << "Orvane.Main" << five << 1 << true;
    QTest::newRow("main, one tab") << "Orvane.Main" << QStringList { "Pen" } << 0 << false;
    QTest::newRow("labels, first selected") << "Orvane.ActCus" << actions << 0 << false;
    QTest::newRow("labels, two-line label selected") << "Orvane.ActCus" << actions << 2 << false;
    QTest::newRow("labels, focused") << "Orvane.ActCus" << actions << 1 << true;
    QTest::newRow("other identifier") << "Orvane.Tabs" << actions << 1 << false;
}

// Each variant drawn, sampled where the look fixes its colours: the
// selected tab green, the others in the strip colour, the panel grey 220 from
// the strip's middle down, a 3-pixel margin of the window around the strip.
void TstTabView::render()
{
    QFETCH(QString, identifier);
    QFETCH(QStringList, labels);
    QFETCH(int, selected);
    QFETCH(bool, focused);

    QWidget window;
    window.resize(600, 300);
    auto *view = new OrvaneTabView(&window);
    controls::setIdentifier(view, identifier);
    for (const QString &label : labels)
        view->addTabViewItem(label);
    view->resize(600, 300);
    view->selectTabViewItemAtIndex(selected);
    if (focused)
        QVERIFY(focusByTab(*view->tabStrip()));
    const QColor backdrop = view->palette().color(QPalette::Window);

    const QImage image = renderControl(*view, QStringLiteral("tabview-") + QTest::currentDataTag());
    const QSize tab = view->tabSize();
    const int count = view->numberOfTabViewItems();
    const QColor green(30, 115, 71);
    const QColor panel(220, 220, 220);
    QVERIFY(near(image.pixelColor(300, 290), panel));
    if (tab.isEmpty()) {
        // No strip; "no strip colour" paints nothing, never black.
        QVERIFY(near(image.pixelColor(300, 2), panel));
        return;
    }
    QVERIFY(near(image.pixelColor(300, tab.height() + 1), backdrop));
    QVERIFY(near(image.pixelColor(2, tab.height() / 2 + 2), panel));
    const QColor strip
        = identifier == QLatin1String("Orvane.Main") ? QColor(218, 218, 218) : QColor(Qt::white);
    for (int i = 0; i < count; ++i) {
        const QRectF t = view->tabRectForTabViewItem(i);
        const QPoint sample(int(t.x()) + 8, int(t.center().y()));
        const QColor got = image.pixelColor(sample);
        QVERIFY2(near(got, i == selected ? green : strip),
            qPrintable(QStringLiteral("tab %1: %2").arg(i).arg(describe(got))));
        if (i > 0)
            QVERIFY(near(image.pixelColor(int(t.x()), int(t.center().y())), QColor(192, 192, 192)));
    }
    // The selected tab shows its picture or label in white, the others in a dark tone.
    const QRectF t = view->tabRectForTabViewItem(selected);
    int light = 0;
    for (int x = int(t.center().x()) - 16; x < int(t.center().x()) + 16; ++x) {
        for (int y = 4; y < tab.height() - 4; ++y)
            light += image.pixelColor(x, y).lightness() > 200;
    }
    QVERIFY2(light > 10, qPrintable(QString::number(light)));
    if (focused)
        QVERIFY(near(image.pixelColor(int(t.center().x()), 0), QColor(51, 176, 108), 40));
}

void TstTabView::shapesRemadeForNewSizeOrDensity()
{
    OrvaneTabView view;
    controls::setIdentifier(&view, QStringLiteral("Orvane.Main"));
    for (int i = 0; i < 3; ++i)
        view.addTabViewItem(QString::number(i));
    view.resize(600, 300);
    const auto draw = [&](qreal ratio) {
        QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    };
    draw(1);
    draw(1);
    QCOMPARE(view.panelImagesMade(), 1);
    QCOMPARE(view.tabShapesMade(), 1);

    // Wider: the cut-out follows the strip to its new place.
    view.resize(800, 300);
    const QImage wide = draw(1);
    QCOMPARE(view.panelImagesMade(), 2);
    QVERIFY(near(wide.pixelColor(790, 200), QColor(220, 220, 220)));
    const QRectF strip = controls::tabStripRect(3, 800, view.tabSize());
    QVERIFY(!near(wide.pixelColor(int(strip.center().x()), 43), QColor(220, 220, 220)));
    QVERIFY(near(wide.pixelColor(int(strip.right()) + 10, 43), QColor(220, 220, 220)));

    // Another density: made again, sharp at that density.
    const QImage dense = draw(2);
    QCOMPARE(view.panelImagesMade(), 3);
    QCOMPARE(view.tabShapesMade(), 2);
    QVERIFY(near(dense.pixelColor(1590, 400), QColor(220, 220, 220)));
}

QTEST_MAIN(TstTabView)
#include "tst_tabview.moc"
