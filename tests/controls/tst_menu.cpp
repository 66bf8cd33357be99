// The kit's menus and pop-up buttons: items replaced by the kit's item views,
// an item acting only on a press and a release in itself, and their look.
#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

#include "controls/kitgeometry.h"
#include "controls/kitstyle.h"
#include "controls/orvanemenu.h"
#include "controls/orvanemenuitem.h"
#include "controls/orvanemenuitemview.h"
#include "controls/orvanepopupbutton.h"
#include "platform/sim/simrunloop.h"
#include "support_render.h"

using namespace controls;

namespace {

const QColor kGreenRgb(30, 115, 71);
const QColor kLightGreenRgb(51, 176, 108);

int darkPixels(const QImage &image, QRect area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            dark += image.pixelColor(x, y).lightness() < 110;
    }
    return dark;
}

} // namespace

class TstMenu : public QObject
{
    Q_OBJECT

private slots:
    void cleanupTestCase() { saveRenderSheet(QStringLiteral("sheet-menus")); }
    void titledItemsBecomeKitItems();
    void itemActsOnlyOnItsOwnPressAndRelease();
    void keysMoveAndTrigger();
    void itemLook_data();
    void itemLook();
    void popUpLook_data();
    void popUpLook();
    void popUpListActsOnlyOnItsOwnPress();
};

void TstMenu::titledItemsBecomeKitItems()
{
    OrvaneMenu menu;
    QAction original(QStringLiteral("Copy"));
    original.setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    original.setCheckable(true);
    original.setChecked(true);
    original.setData(7);
    QSignalSpy originalTriggered(&original, &QAction::triggered);
    menu.addAction(&original);
    QAction *separator = menu.addSeparator();
    QAction untitled;
    menu.addAction(&untitled);
    QAction inserted(QStringLiteral("Paste"));
    QAction *held = menu.insertItem(&inserted, 1);

    const QList<QAction *> actions = menu.actions();
    QCOMPARE(actions.size(), 4);
    auto *copy = qobject_cast<OrvaneMenuItem *>(actions[0]);
    QVERIFY(copy);
    QCOMPARE(held, actions[1]);
    QVERIFY(qobject_cast<OrvaneMenuItem *>(actions[1]));
    QCOMPARE(actions[1]->text(), QStringLiteral("Paste"));
    QCOMPARE(actions[2], separator);
    QCOMPARE(actions[3], &untitled);
    // Title and shortcut come over; checked state and data do not.
    QCOMPARE(copy->text(), QStringLiteral("Copy"));
    QCOMPARE(copy->shortcut(), QKeySequence(QStringLiteral("Ctrl+C")));
    QVERIFY(!copy->isChecked());
    QVERIFY(!copy->data().isValid());
    QVERIFY(copy->view());
    QCOMPARE(copy->view()->size(), QSize(100, 22));
    QCOMPARE(copy->view()->menuItem(), copy);
    // Triggering the item triggers the action it replaced.
    copy->trigger();
    QCOMPARE(originalTriggered.count(), 1);
    // A hidden item has no view.
    copy->setVisible(false);
    QCOMPARE(copy->view(), nullptr);
}

void TstMenu::itemActsOnlyOnItsOwnPressAndRelease()
{
    OrvaneMenu menu;
    menu.addAction(QStringLiteral("One"));
    menu.addAction(QStringLiteral("Two"));
    auto *two = qobject_cast<OrvaneMenuItem *>(menu.actions()[1]);
    QVERIFY(two);
    QSignalSpy triggered(two, &QAction::triggered);
    QSignalSpy menuTriggered(&menu, &QMenu::triggered);
    menu.popup(QPoint(100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    OrvaneMenuItemView *view = two->view();
    QVERIFY(view->isVisible());
    // The views widen to the menu.
    menu.update();
    QTRY_COMPARE(view->width(), menu.contentsRect().width());

    // A release that ends a press made elsewhere (the button that opened the
    // menu) does nothing.
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(menu.isVisible());
    QCOMPARE(triggered.count(), 0);

    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(view->mouseDowned());
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!view->mouseDowned());
    QVERIFY(!menu.isVisible());
    QCOMPARE(triggered.count(), 1);
    QCOMPARE(menuTriggered.count(), 1);
    QCOMPARE(menuTriggered.at(0).at(0).value<QAction *>(), two);
}

void TstMenu::keysMoveAndTrigger()
{
    OrvaneMenu menu;
    menu.addAction(QStringLiteral("One"));
    menu.addAction(QStringLiteral("Two"));
    QAction *two = menu.actions()[1];
    QSignalSpy triggered(two, &QAction::triggered);
    menu.popup(QPoint(100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    QTest::keyClick(&menu, Qt::Key_Down);
    QTest::keyClick(&menu, Qt::Key_Down);
    QCOMPARE(menu.activeAction(), two);
    QTest::keyClick(&menu, Qt::Key_Return);
    QCOMPARE(triggered.count(), 1);
    QVERIFY(!menu.isVisible());
}

void TstMenu::itemLook_data()
{
    QTest::addColumn<bool>("highlighted");
    QTest::addColumn<bool>("on");

    QTest::newRow("plain") << false << false;
    QTest::newRow("on") << false << true;
    QTest::newRow("highlighted") << true << false;
    QTest::newRow("highlighted and on") << true << true;
}

void TstMenu::itemLook()
{
    QFETCH(bool, highlighted);
    QFETCH(bool, on);

    OrvaneMenu menu;
    menu.addAction(QStringLiteral("Other"));
    menu.addAction(QStringLiteral("Right click"));
    auto *item = qobject_cast<OrvaneMenuItem *>(menu.actions()[1]);
    item->setCheckable(true);
    item->setChecked(on);
    menu.popup(QPoint(100, 100));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    if (highlighted)
        menu.setActiveAction(item);

    const QImage image = renderControl(*item->view(), QStringLiteral("menuitem-") + QTest::currentDataTag());
    QVERIFY(item->view()->highlighted() == highlighted);
    const QColor fill = highlighted ? kLightGreenRgb : QColor(Qt::white);
    QVERIFY(near(image.pixelColor(2, 20), fill));
    QVERIFY(near(image.pixelColor(image.width() - 2, 11), fill));
    // The tick's lower-left corner stands at (5, 3) of the bottom-up view.
    const QRect tickArea(5, 2, 12, 16);
    int marks = 0;
    for (int y = tickArea.top(); y <= tickArea.bottom(); ++y) {
        for (int x = tickArea.left(); x <= tickArea.right(); ++x)
            marks += !near(image.pixelColor(x, y), fill, 60);
    }
    QCOMPARE(marks > 5, on);
    QCOMPARE(!near(image.pixelColor(4, 11), fill, 60), false);
    if (!highlighted)
        QVERIFY(darkPixels(image, QRect(22, 0, 60, 22)) > 20);
    menu.hide();
    renderControl(menu, QStringLiteral("menu-") + QTest::currentDataTag());
}

void TstMenu::popUpLook_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<int>("width");

    QTest::newRow("closed") << false << 220;
    QTest::newRow("closed, focused") << true << 220;
    QTest::newRow("closed, narrow") << false << 120;
}

void TstMenu::popUpLook()
{
    QFETCH(bool, focused);
    QFETCH(int, width);

    platform::sim::SimRunLoop runLoop;
    QWidget window;
    auto *popup = new OrvanePopUpButton(runLoop, &window);
    popup->addItemWithTitle(QStringLiteral("Tevra M"));
    popup->addItemWithTitle(QStringLiteral("Sorvi 16Pro"));
    popup->resize(width, 22);
    if (focused)
        QVERIFY(focusByTab(*popup));

    const QImage image = renderControl(*popup, QStringLiteral("popup-") + QTest::currentDataTag());
    QVERIFY(near(image.pixelColor(width / 2, 0), focused ? kLightGreenRgb : QColor(200, 200, 200)));
    QVERIFY(near(image.pixelColor(width - 4, 11), kGreenRgb));
    QVERIFY(near(image.pixelColor(width - 33 - 4, 11), Qt::white));
    // Two white chevrons in the cap, one above the middle, one below.
    int above = 0, below = 0;
    for (int x = width - 33; x < width - 1; ++x) {
        for (int y = 1; y < 21; ++y) {
            if (image.pixelColor(x, y).lightness() > 200 && image.pixelColor(x, y).saturation() < 60)
                (y < 11 ? above : below)++;
        }
    }
    QVERIFY2(above > 3 && below > 3, qPrintable(QStringLiteral("%1 %2").arg(above).arg(below)));
    // The title in black, 11 pixels in.
    QVERIFY(darkPixels(image, QRect(11, 3, 40, 16)) > 10);
    QCOMPARE(darkPixels(image, QRect(2, 3, 8, 16)), 0);
    // The cap is made once per size and density.
    const auto draw = [&] {
        QImage plain(popup->size(), QImage::Format_ARGB32_Premultiplied);
        popup->render(&plain);
        return plain;
    };
    draw();
    const int made = popup->cell().capImagesMade();
    draw();
    QCOMPARE(popup->cell().capImagesMade(), made);
    popup->resize(width + 40, 22);
    const QImage wider = draw();
    QCOMPARE(popup->cell().capImagesMade(), made + 1);
    QVERIFY(near(wider.pixelColor(width + 40 - 4, 11), kGreenRgb));
}

void TstMenu::popUpListActsOnlyOnItsOwnPress()
{
    platform::sim::SimRunLoop runLoop;
    QWidget window;
    auto *popup = new OrvanePopUpButton(runLoop, &window);
    for (const char *title : { "Tevra M", "Sorvi 16Pro", "Tevra Q" })
        popup->addItemWithTitle(QLatin1String(title));
    popup->resize(220, 22);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    popup->showPopup();
    QTRY_VERIFY(popup->view()->isVisible());
    QWidget *viewport = popup->view()->viewport();
    const QRect second = popup->view()->visualRect(popup->model()->index(1, 0));
    QCOMPARE(second.height(), 22);
    renderControl(*popup->view(), QStringLiteral("popup-open-list"));

    // The release of a press made on the button chooses nothing.
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, second.center());
    QVERIFY(popup->view()->isVisible());
    QCOMPARE(popup->titleOfSelectedItem(), QStringLiteral("Tevra M"));
    // A press on one item and a release on another: nothing either.
    const QRect third = popup->view()->visualRect(popup->model()->index(2, 0));
    QTest::mousePress(viewport, Qt::LeftButton, {}, second.center());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, third.center());
    QCOMPARE(popup->titleOfSelectedItem(), QStringLiteral("Tevra M"));
    // A press and a release on the item choose it.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, second.center());
    QTRY_VERIFY(!popup->view()->isVisible());
    QCOMPARE(popup->titleOfSelectedItem(), QStringLiteral("Sorvi 16Pro"));
}

QTEST_MAIN(TstMenu)
#include "tst_menu.moc"
