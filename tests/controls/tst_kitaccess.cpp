// A window holding every control of the kit, as assistive technologies see
// it (role, name, state, value, action) and as the keyboard alone works it.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "controls/kitstyle.h"
#include "controls/orvanebox.h"
#include "controls/orvanebutton.h"
#include "controls/orvanecheckboxbutton.h"
#include "controls/orvanemenu.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvaneprogressindicator.h"
#include "controls/orvaneradiobutton.h"
#include "controls/orvaneslider.h"
#include "controls/orvanetabview.h"
#include "controls/orvanetextfield.h"
#include "platform/sim/simrunloop.h"

using namespace controls;

namespace {

// What a page builds: every control, titled or named from its label.
struct KitWindow
{
    KitWindow()
    {
        auto *layout = new QVBoxLayout(&window);
        tabs = new OrvaneTabView;
        setIdentifier(tabs, QLatin1String(kTabViewMain));
        for (const char *label : { "Pen", "Monitor", "Tablet", "Express\\nKeys", "About" })
            tabs->addTabViewItem(QLatin1String(label));
        tabs->setShouldSelect([](int index) { return index != 3; });
        tabs->setMinimumHeight(80);
        layout->addWidget(tabs);
        popup = new OrvanePopUpButton(runLoop);
        setIdentifier(popup, QLatin1String(kNeedSelectDidChanged));
        popup->setAccessibleName(QStringLiteral("Device"));
        popup->addItemWithTitle(QStringLiteral("Tevra M"));
        popup->addItemWithTitle(QStringLiteral("Sorvi 16Pro"));
        layout->addWidget(popup);
        box = new OrvaneBox;
        box->setTitle(QStringLiteral("Pen buttons"));
        auto *inBox = new QVBoxLayout(box);
        check = new OrvaneCheckboxButton(QStringLiteral("Turn notices off"));
        inBox->addWidget(check);
        absolute = new OrvaneRadioButton(QStringLiteral("Absolute"));
        relative = new OrvaneRadioButton(QStringLiteral("Relative"));
        absolute->setChecked(true);
        inBox->addWidget(absolute);
        inBox->addWidget(relative);
        layout->addWidget(box);
        line = new OrvaneBox;
        setIdentifier(line, QStringLiteral("Orvane.HLine"));
        line->setFixedHeight(10);
        layout->addWidget(line);
        auto *firmness = new QLabel(QStringLiteral("Firmness"));
        layout->addWidget(firmness);
        slider = new OrvaneSlider;
        slider->setAccessibleName(firmness->text());
        slider->setDoubleValue(0.25);
        layout->addWidget(slider);
        field = new OrvaneTextField;
        field->setAccessibleName(QStringLiteral("Name"));
        field->setText(QStringLiteral("Photo"));
        layout->addWidget(field);
        progress = new OrvaneProgressIndicator;
        progress->setAccessibleName(QStringLiteral("Update"));
        progress->setRange(0, 100);
        progress->setValue(40);
        layout->addWidget(progress);
        button = new OrvaneButton(QStringLiteral("Export…"));
        layout->addWidget(button);
        window.resize(600, 460);
    }

    bool showActive()
    {
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            return false;
        window.activateWindow();
        QApplication::setActiveWindow(&window);
        return QTest::qWaitForWindowActive(&window);
    }

    platform::sim::SimRunLoop runLoop;
    QWidget window;
    OrvaneTabView *tabs;
    OrvanePopUpButton *popup;
    OrvaneBox *box;
    OrvaneCheckboxButton *check;
    OrvaneRadioButton *absolute;
    OrvaneRadioButton *relative;
    OrvaneBox *line;
    OrvaneSlider *slider;
    OrvaneTextField *field;
    OrvaneProgressIndicator *progress;
    OrvaneButton *button;
};

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QString focusName()
{
    QWidget *focus = QApplication::focusWidget();
    return focus ? QString::fromLatin1(focus->metaObject()->className()) + QLatin1Char(' ')
            + accessible(focus)->text(QAccessible::Name)
                 : QString();
}

} // namespace

class TstKitAccess : public QObject
{
    Q_OBJECT

private slots:
    void treeOfEveryControl();
    void actionsOfAssistiveTechnologies();
    void menuItemsNamedByTitle();
    void tabReachesEveryControl();
    void keysOperateEveryControl();
};

void TstKitAccess::treeOfEveryControl()
{
    KitWindow w;
    QVERIFY(w.showActive());

    struct Expected
    {
        QObject *object;
        QAccessible::Role role;
        QString name;
        QString action; // default action; empty: none
    };
    const QList<Expected> table {
        { w.tabs->tabStrip(), QAccessible::PageTabList, QString(), QString() },
        { w.popup, QAccessible::ComboBox, "Device", QAccessibleActionInterface::showMenuAction() },
        { w.box, QAccessible::Grouping, "Pen buttons", QString() },
        { w.check, QAccessible::CheckBox, "Turn notices off", QAccessibleActionInterface::toggleAction() },
        { w.absolute, QAccessible::RadioButton, "Absolute", QAccessibleActionInterface::toggleAction() },
        { w.line, QAccessible::Separator, QString(), QString() },
        { w.slider, QAccessible::Slider, "Firmness", QAccessibleActionInterface::increaseAction() },
        { w.field, QAccessible::EditableText, "Name", QString() },
        { w.progress, QAccessible::ProgressBar, "Update", QString() },
        { w.button, QAccessible::Button, "Export…", QAccessibleActionInterface::pressAction() },
    };
    QAccessibleInterface *window = accessible(&w.window);
    for (const Expected &e : table) {
        QAccessibleInterface *iface = accessible(e.object);
        QVERIFY2(iface && iface->isValid(), e.object->metaObject()->className());
        const QString where = QString::fromLatin1(e.object->metaObject()->className());
        QVERIFY2(iface->role() == e.role, qPrintable(where + QString::number(iface->role())));
        QVERIFY2(
            iface->text(QAccessible::Name) == e.name, qPrintable(where + iface->text(QAccessible::Name)));
        // Every control hangs in the window's tree.
        QAccessibleInterface *up = iface->parent();
        while (up && up != window)
            up = up->parent();
        QVERIFY2(up == window, qPrintable(where));
        if (!e.action.isEmpty()) {
            QVERIFY2(iface->actionInterface(), qPrintable(where));
            QVERIFY2(iface->actionInterface()->actionNames().contains(e.action),
                qPrintable(where + iface->actionInterface()->actionNames().join(',')));
        }
        QVERIFY2(!iface->state().disabled && !iface->state().invisible, qPrintable(where));
    }

    // States and values.
    QVERIFY(accessible(w.absolute)->state().checked);
    QVERIFY(!accessible(w.relative)->state().checked);
    QVERIFY(!accessible(w.check)->state().checked);
    w.check->setChecked(true);
    QVERIFY(accessible(w.check)->state().checked);
    QVERIFY(accessible(w.check)->state().checkable);
    w.check->setTristate(true);
    w.check->setCheckState(Qt::PartiallyChecked);
    QVERIFY(accessible(w.check)->state().checkStateMixed);
    QAccessibleValueInterface *slider = accessible(w.slider)->valueInterface();
    QVERIFY(slider);
    QCOMPARE(slider->currentValue().toDouble(), 0.25);
    QCOMPARE(slider->minimumValue().toDouble(), 0.0);
    QCOMPARE(slider->maximumValue().toDouble(), 1.0);
    QCOMPARE(accessible(w.progress)->valueInterface()->currentValue().toInt(), 40);
    QCOMPARE(accessible(w.field)->text(QAccessible::Value), QStringLiteral("Photo"));
    QCOMPARE(accessible(w.popup)->text(QAccessible::Value), QStringLiteral("Tevra M"));
    w.slider->setFocus(Qt::TabFocusReason);
    QVERIFY(accessible(w.slider)->state().focused);
    QVERIFY(accessible(w.slider)->state().focusable);
    w.slider->setEnabled(false);
    QVERIFY(accessible(w.slider)->state().disabled);

    // The tab strip: page tabs named by their labels, the selected one selected.
    QAccessibleInterface *strip = accessible(w.tabs->tabStrip());
    QCOMPARE(strip->childCount(), 5);
    QStringList names;
    for (int i = 0; i < strip->childCount(); ++i) {
        QAccessibleInterface *tab = strip->child(i);
        QCOMPARE(tab->role(), QAccessible::PageTab);
        QCOMPARE(tab->parent(), strip);
        QCOMPARE(strip->indexOfChild(tab), i);
        QCOMPARE(tab->state().selected, i == 0);
        QVERIFY(tab->state().selectable);
        QCOMPARE(
            tab->actionInterface()->actionNames(), QStringList { QAccessibleActionInterface::pressAction() });
        names << tab->text(QAccessible::Name);
    }
    QCOMPARE(names, QStringList({ "Pen", "Monitor", "Tablet", "Express Keys", "About" }));
    const QRect second = strip->child(1)->rect();
    QCOMPARE(strip->childAt(second.center().x(), second.center().y()), strip->child(1));
    QCOMPARE(strip->text(QAccessible::Value), QStringLiteral("Pen"));
    w.tabs->tabStrip()->setFocus(Qt::TabFocusReason);
    QCOMPARE(strip->focusChild(), strip->child(0));
    QVERIFY(strip->child(0)->state().focused);
}

void TstKitAccess::actionsOfAssistiveTechnologies()
{
    KitWindow w;
    QVERIFY(w.showActive());

    // Selecting a tab goes through the veto.
    QAccessibleInterface *strip = accessible(w.tabs->tabStrip());
    strip->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(w.tabs->indexOfSelectedTabViewItem(), 2);
    QVERIFY(strip->child(2)->state().selected);
    QVERIFY(!strip->child(0)->state().selected);
    strip->child(3)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QCOMPARE(w.tabs->indexOfSelectedTabViewItem(), 2);

    // The slider takes a value in its range and reports it as the user's move.
    QSignalSpy moved(w.slider, &OrvaneSlider::moved);
    accessible(w.slider)->valueInterface()->setCurrentValue(0.75);
    QCOMPARE(w.slider->floatValue(), 0.75f);
    accessible(w.slider)->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    QCOMPARE(w.slider->doubleValue(), 0.74);
    accessible(w.slider)->valueInterface()->setCurrentValue(3.0);
    QCOMPARE(w.slider->doubleValue(), 1.0);
    QCOMPARE(moved.count(), 3);

    QSignalSpy clicked(w.button, &QAbstractButton::clicked);
    accessible(w.button)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(clicked.count(), 1);
    accessible(w.check)->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(w.check->isChecked());
    accessible(w.popup)->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    QTRY_VERIFY(w.popup->view()->isVisible());
    w.popup->hidePopup();
}

void TstKitAccess::menuItemsNamedByTitle()
{
    OrvaneMenu menu;
    menu.addAction(QStringLiteral("Left click"));
    menu.addSeparator();
    menu.addAction(QStringLiteral("Right click"));
    QAction *right = menu.actions().last();
    QSignalSpy triggered(right, &QAction::triggered);
    menu.popup(QPoint(50, 50));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));

    QAccessibleInterface *iface = accessible(&menu);
    QCOMPARE(iface->role(), QAccessible::PopupMenu);
    QCOMPARE(iface->childCount(), 3);
    QCOMPARE(iface->child(0)->role(), QAccessible::MenuItem);
    QCOMPARE(iface->child(0)->text(QAccessible::Name), QStringLiteral("Left click"));
    QCOMPARE(iface->child(1)->role(), QAccessible::Separator);
    QCOMPARE(iface->child(2)->text(QAccessible::Name), QStringLiteral("Right click"));
    iface->child(2)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(triggered.count(), 1);
}

void TstKitAccess::tabReachesEveryControl()
{
    KitWindow w;
    QVERIFY(w.showActive());
    w.tabs->tabStrip()->setFocus(Qt::TabFocusReason);
    QStringList order { focusName() };
    for (int i = 0; i < 9; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order << focusName();
    }
    QCOMPARE(order,
        QStringList({ "controls::OrvaneTabStrip ", "controls::OrvanePopUpButton Device",
            "controls::OrvaneCheckboxButton Turn notices off", "controls::OrvaneRadioButton Absolute",
            "controls::OrvaneSlider Firmness", "controls::OrvaneTextField Name",
            "controls::OrvaneButton Export…", "controls::OrvaneTabStrip ",
            "controls::OrvanePopUpButton Device", "controls::OrvaneCheckboxButton Turn notices off" }));
}

void TstKitAccess::keysOperateEveryControl()
{
    KitWindow w;
    QVERIFY(w.showActive());

    // Tabs: the arrows select the neighbour the veto allows (3 is refused).
    QSignalSpy selected(w.tabs, &OrvaneTabView::didSelect);
    w.tabs->tabStrip()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(w.tabs->tabStrip(), Qt::Key_Right);
    QCOMPARE(w.tabs->indexOfSelectedTabViewItem(), 4);
    QTest::keyClick(w.tabs->tabStrip(), Qt::Key_Right);
    QTest::keyClick(w.tabs->tabStrip(), Qt::Key_Left);
    QCOMPARE(w.tabs->indexOfSelectedTabViewItem(), 2);
    QCOMPARE(selected.count(), 4);

    // Pop-up: Space opens the list, the arrows and Enter choose; the change
    // is reported one turn after the list closed.
    QSignalSpy report(w.popup, &OrvanePopUpButton::popupSelectDidChanged);
    w.popup->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.popup, Qt::Key_Space);
    QTRY_VERIFY(w.popup->view()->isVisible());
    QTest::keyClick(w.popup->view(), Qt::Key_Down);
    QTest::keyClick(w.popup->view(), Qt::Key_Return);
    QTRY_VERIFY(!w.popup->view()->isVisible());
    QCOMPARE(w.popup->titleOfSelectedItem(), QStringLiteral("Sorvi 16Pro"));
    w.runLoop.drain();
    QCOMPARE(report.count(), 1);

    // Check box: Space toggles.
    w.check->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.check, Qt::Key_Space);
    QVERIFY(w.check->isChecked());
    QTest::keyClick(w.check, Qt::Key_Space);
    QVERIFY(!w.check->isChecked());

    // Radio buttons: the arrows move the choice.
    w.absolute->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.absolute, Qt::Key_Down);
    QVERIFY(w.relative->isChecked());
    QVERIFY(!w.absolute->isChecked());
    QCOMPARE(QApplication::focusWidget(), w.relative);

    // Slider: one hundredth per arrow, exactly; Home and End to the ends.
    QSignalSpy moved(w.slider, &OrvaneSlider::moved);
    w.slider->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.slider, Qt::Key_Right);
    QCOMPARE(w.slider->doubleValue(), 0.26);
    QTest::keyClick(w.slider, Qt::Key_Left);
    QTest::keyClick(w.slider, Qt::Key_Left);
    QCOMPARE(w.slider->doubleValue(), 0.24);
    QTest::keyClick(w.slider, Qt::Key_End);
    QCOMPARE(w.slider->doubleValue(), 1.0);
    QTest::keyClick(w.slider, Qt::Key_Right);
    QTest::keyClick(w.slider, Qt::Key_Home);
    QCOMPARE(w.slider->doubleValue(), 0.0);
    QCOMPARE(moved.count(), 5);

    // Text field: typing edits it.
    w.field->setFocus(Qt::TabFocusReason);
    w.field->selectAll();
    QTest::keyClicks(w.field, QStringLiteral("Draw"));
    QCOMPARE(w.field->text(), QStringLiteral("Draw"));

    // Button: Space and Enter press it.
    QSignalSpy clicked(w.button, &QAbstractButton::clicked);
    w.button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(w.button, Qt::Key_Space);
    QTest::keyClick(w.button, Qt::Key_Return);
    QCOMPARE(clicked.count(), 2);
}

QTEST_MAIN(TstKitAccess)
#include "tst_kitaccess.moc"
