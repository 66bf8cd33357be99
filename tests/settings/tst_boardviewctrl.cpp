// The express-key and wheel page on the simulated platform, through the real
// application delegate and main window, with scripted editors: the records
// each choice writes (the settings store's change notices, in order, and the
// driver's copy that applies them), what the page shows of stored values,
// the per-model layouts and pictures, and a render per kind of model.

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include "controls/kitimages.h"
#include "controls/orvanebutton.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "keyactions/appkeycuswinctrl.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "settings/appdelegate.h"
#include "settings/boardviewctrl.h"
#include "settings/ovwindow.h"
#include "store/ovgeometry.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "support_settingsapp.h"

using platform::Notification;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using settings::BoardViewCtrl;
using namespace store;

namespace {

// What the scripted editors answer; `during` runs inside the modal run.
struct Script
{
    int answer = 0;
    QVariantMap record; // the serialization of the record OK hands back
    std::function<void()> during;
    int opened = 0;
    std::optional<QVariantMap> given;
    bool penEnter = false;
};

class KeyEditor : public settings::KeyCusEditor
{
public:
    explicit KeyEditor(Script &s)
        : m_s(s)
    { }
    void setIsPenEnter(bool penEnter) override { m_s.penEnter = penEnter; }
    void setKeyCusObject(const keyactions::KeyCusObject &object) override { m_s.given = object.serialization(); }
    int runModal() override
    {
        ++m_s.opened;
        if (m_s.during)
            m_s.during();
        return m_s.answer;
    }
    std::optional<keyactions::KeyCusObject> keyCusObject() const override
    {
        keyactions::KeyCusObject object;
        object.deserialization(m_s.record);
        return m_s.answer == 1 ? std::optional(object) : std::nullopt;
    }

private:
    Script &m_s;
};

class WheelEditor : public settings::RKeyCusEditor
{
public:
    explicit WheelEditor(Script &s)
        : m_s(s)
    { }
    void setRkeyCusObject(const keyactions::RKeyCusObject &object) override { m_s.given = object.serialization(); }
    int runModal() override
    {
        ++m_s.opened;
        if (m_s.during)
            m_s.during();
        return m_s.answer;
    }
    std::optional<keyactions::RKeyCusObject> rkeyCusObject() const override
    {
        keyactions::RKeyCusObject object;
        object.deserialization(m_s.record);
        return m_s.answer == 1 ? std::optional(object) : std::nullopt;
    }

private:
    Script &m_s;
};

// The settings application with scripted editors, the express-key tab
// shown.
struct App : SettingsApp
{
    explicit App(const QList<Model> &models, const std::function<void(App &)> &beforeShow = {})
        : SettingsApp(models, [this](settings::AppDelegate &d) {
            d.setKeyCusEditorFactory([this](const QString &, QWidget *) { return std::make_unique<KeyEditor>(editor); });
            d.setRKeyCusEditorFactory(
                [this](const QString &, QWidget *) { return std::make_unique<WheelEditor>(editor); });
        })
    {
        if (beforeShow)
            beforeShow(*this);
        delegate->mainWindow().ibTabView()->selectTabViewItemAtIndex(settings::kTabBoard);
        settle(1);
        changes.clear();
    }

    BoardViewCtrl *page(const QString &key) const
    {
        return static_cast<BoardViewCtrl *>(delegate->pageForKey(settings::kTabBoard, key));
    }
    BoardViewCtrl *page() const { return page(keys.first()); }
    const BoardViewCtrl::Outlets &ib() const { return page()->outlets(); }
    controls::OrvanePopUpButton *popup(bool wheel, int n) const
    {
        return (wheel ? ib().ibRPopUpBtn : ib().ibKPopUpBtn)[std::size_t(n - 1)];
    }

    QVariant driverValue(const QString &category, const QString &name) const
    {
        return driverStores.at(keys.first())->queryConfiguration(category, name);
    }

    Script editor;
};

bool rowHidden(controls::OrvanePopUpButton *popup, int row)
{
    return static_cast<QListView *>(popup->view())->isRowHidden(row);
}

QVariantMap keyAction(const QString &alias)
{
    return QVariantMap { { OVCFGPenKeyCus, quint64(1) }, { OVCFGPenKeyCusAlias, alias },
        { OVCFGPenKeyCusHotKey, quint64(3) } };
}

QVariantMap wheelFunction(const QString &alias)
{
    return QVariantMap { { OVCFGRKeyCusAlias, alias },
        { OVCFGRKeyCusCusCWHK, QVariantMap { { "keyCode", qint64(30) }, { "modifierFlags", quint64(0) } } } };
}

} // namespace

Q_DECLARE_METATYPE(store::Model)

class TstBoardViewCtrl : public QObject
{
    Q_OBJECT
private slots:
    void changeAndCustom_data();
    void changeAndCustom();
    void resetRemovesTenInOrder_data();
    void resetRemovesTenInOrder();
    void storedDefaultThenZero();
    void layoutsOverTheModelTable();
    void editorOutlivesItsDevice();
    void appWindowsWriteTheirOwnDevice();
    void hideNoticeClosesMenus();
    void renders_data();
    void renders();
};

void TstBoardViewCtrl::changeAndCustom_data()
{
    QTest::addColumn<bool>("wheel");
    QTest::newRow("express key") << false;
    QTest::newRow("wheel slot") << true;
}

void TstBoardViewCtrl::changeAndCustom()
{
    QFETCH(bool, wheel);
    App app({ Model::KalverinM });
    const QString category = wheel ? QString(OVCFGWheelKey) : QString(OVCFGBoardKey);
    const QString key = wheel ? OVCFGWheelKeyN(2) : OVCFGBoardKeyN(2);
    const QString format = app.sim.strings.text(wheel ? QStringLiteral("OVRK_CT") : QStringLiteral("OVHK_CT"));
    controls::OrvanePopUpButton *popup = app.popup(wheel, 2);
    const int before = popup->currentIndex();
    QVERIFY(rowHidden(popup, settings::kBoardCustom));
    // The hidden custom entry reached from the keyboard: nothing to store.
    App::choose(popup, settings::kBoardCustom);
    app.settle();
    QCOMPARE(popup->currentIndex(), before);
    QVERIFY(app.changes.isEmpty());

    // Cancelled: the previous entry again, nothing written.
    app.editor.answer = 0;
    App::choose(popup, settings::kBoardChange);
    app.settle();
    QCOMPARE(app.editor.opened, 1);
    QVERIFY(!app.editor.given);
    QCOMPARE(popup->currentIndex(), before);
    QVERIFY(app.changes.isEmpty());

    // OK: the custom record, then 11; the entry titled with its name.
    const QVariantMap record = wheel ? wheelFunction(QStringLiteral("Turn")) : keyAction(QStringLiteral("Copy"));
    app.editor.answer = 1;
    app.editor.record = record;
    App::choose(popup, settings::kBoardChange);
    app.settle(1);
    QVERIFY(!app.editor.penEnter);
    const QList<Change> expected { { cusKey(key), QVariant(record) }, { key, QVariant(qint64(11)) } };
    QCOMPARE(app.changes.value(app.keys.first()), expected);
    QCOMPARE(popup->currentIndex(), settings::kBoardCustom);
    QVERIFY(!rowHidden(popup, settings::kBoardCustom));
    QCOMPARE(popup->itemText(settings::kBoardCustom),
        QString(format).replace(QLatin1String("%@"), wheel ? QStringLiteral("Turn") : QStringLiteral("Copy")));
    // The driver's copy holds both.
    QCOMPARE(app.driverValue(category, key), QVariant(qint64(11)));
    QCOMPARE(app.driverValue(category, cusKey(key)).toMap(), record);

    // The next editor starts from the stored record.
    app.changes.clear();
    App::choose(popup, 1);
    app.editor.answer = 0;
    App::choose(popup, settings::kBoardChange);
    QCOMPARE(app.editor.given, std::optional(record));
    QCOMPARE(popup->currentIndex(), 1);
    // The custom entry chosen directly writes only the index.
    App::choose(popup, settings::kBoardCustom);
    app.settle(1);
    QCOMPARE(app.changes.value(app.keys.first()),
        (QList<Change> { { key, QVariant(qint64(1)) }, { key, QVariant(qint64(11)) } }));
}

void TstBoardViewCtrl::resetRemovesTenInOrder_data()
{
    QTest::addColumn<bool>("wheel");
    QTest::newRow("express keys") << false;
    QTest::newRow("wheel") << true;
}

void TstBoardViewCtrl::resetRemovesTenInOrder()
{
    QFETCH(bool, wheel);
    // Kalverin S: six express keys, defaults 1 2 3 9 10 6; wheel slots 1..3.
    App app({ Model::KalverinS });
    const QString category = wheel ? QString(OVCFGWheelKey) : QString(OVCFGBoardKey);
    const auto keyOf = [wheel](int n) { return wheel ? OVCFGWheelKeyN(n) : OVCFGBoardKeyN(n); };
    app.import(app.keys.first(), category,
        { { keyOf(1), qint64(7) }, { keyOf(9), qint64(4) }, { cusKey(keyOf(1)), wheel ? wheelFunction("Mine") : keyAction("Mine") } });
    QCOMPARE(app.popup(wheel, 1)->currentIndex(), 7);
    QCOMPARE(app.popup(wheel, 9)->currentIndex(), 4);
    app.changes.clear();

    (wheel ? app.ib().ibRDefaultBtn : app.ib().ibDefaultBtn)->click();
    app.settle(1);
    QList<Change> removals;
    for (int n = 1; n <= 10; ++n)
        removals.append(Change { keyOf(n), std::nullopt });
    QCOMPARE(app.changes.value(app.keys.first()), removals);
    const QList<int> defaults = wheel ? QList<int> { 1, 2, 3, 0, 0, 0, 0, 0, 0, 0 }
                                      : QList<int> { 1, 2, 3, 9, 10, 6, 0, 0, 0, 0 };
    for (int n = 1; n <= 10; ++n) {
        QCOMPARE(app.popup(wheel, n)->currentIndex(), defaults.at(n - 1));
        QCOMPARE(wheel ? app.page()->rAction(n) : app.page()->kAction(n), quint64(defaults.at(n - 1)));
        QVERIFY(!app.driverValue(category, keyOf(n)).isValid());
    }
    // The custom action stays, and its entry keeps its title.
    QVERIFY(app.store(app.keys.first())->queryConfiguration(category, cusKey(keyOf(1))).isValid());
    QVERIFY(!rowHidden(app.popup(wheel, 1), settings::kBoardCustom));
}

void TstBoardViewCtrl::storedDefaultThenZero()
{
    // Tevra M: eight keys with defaults 1..8.
    App app({ Model::TevraM });
    struct Case
    {
        const char *name;
        QVariant stored; // invalid: absent
        QVariant def; // invalid: absent
        int shown;
    };
    const Case cases[] = {
        { "stored", qint64(9), qint64(2), 9 },
        { "default", QVariant(), qint64(5), 5 },
        { "neither", QVariant(), QVariant(), 0 },
        { "stored 11 without a custom action: the hidden entry", qint64(11), qint64(2), 11 },
        { "the change command is no value", qint64(12), qint64(2), 2 },
        { "past the list", qint64(400), QVariant(), 0 },
        { "a text", QStringLiteral("3"), qint64(4), 4 },
        { "negative", qint64(-1), qint64(4), 4 },
        { "a real", 6.0, qint64(1), 6 },
    };
    for (const Case &c : cases) {
        std::optional<QVariantMap> configuration = app.store(app.keys.first())->configurationList();
        QVariantMap board = configuration->value(OVCFGBoardKey).toMap();
        board.remove(OVCFGBoardKey3);
        board.remove(OVCFGBoardKey3Def);
        if (c.stored.isValid())
            board.insert(OVCFGBoardKey3, c.stored);
        if (c.def.isValid())
            board.insert(OVCFGBoardKey3Def, c.def);
        configuration->insert(OVCFGBoardKey, board);
        app.store(app.keys.first())->setConfigurationList(configuration);
        app.sim.local.post(OVCFGNotification);
        app.settle();
        QVERIFY2(app.popup(false, 3)->currentIndex() == c.shown, c.name);
        QVERIFY2(app.page()->kAction(3) == quint64(c.shown), c.name);
        QVERIFY2(rowHidden(app.popup(false, 3), settings::kBoardCustom), c.name);
    }
    QVERIFY(app.changes.isEmpty());
}

void TstBoardViewCtrl::layoutsOverTheModelTable()
{
    struct Pictures
    {
        Model model;
        const char *board;
        const char *wheel; // "": none
        bool k7To10;
    };
    const Pictures pictures[] = {
        { Model::Sorvi1316, "BoardKeySorvi16", "WheelKeySorvi16", true },
        { Model::Sorvi16Pro, "BoardKeySorvi16Pro", "", false },
        { Model::M517V1, "Tablet517", "", true },
        { Model::M517V2, "Tablet517", "", true },
        { Model::TevraN7B, "BoardTevraN7B", "", true },
        { Model::TevraN10B, "BoardTevraN10B", "", true },
        { Model::TevraM, "BoardKeys8", "", true },
        { Model::KalverinM, "BoardKeys8", "WheelKeyKalverinM", true },
        { Model::Sorvi12Pro, "BoardKeys6", "WheelKeyM239", true },
        { Model::M482PlusV2, "BoardKeys10", "", true },
    };
    for (const Pictures &p : pictures) {
        const QString key = devKeyFor(p.model);
        const settings::BoardLayout layout = BoardViewCtrl::layoutFor(key, boardViewXIBName(key));
        QVERIFY2(layout.boardImage == QLatin1String(p.board), p.board);
        QVERIFY2(layout.wheelImage == QLatin1String(p.wheel), p.board);
        QVERIFY2(layout.k7To10Shown == p.k7To10, p.board);
    }
    // Every model with the page: its layout shows as many keys as the model
    // has defaults for (the 16Pro's plain layout hides K7..K10 by the rule),
    // the wheel row exactly on the wheel models, and every picture exists.
    for (const ModelRow &row : modelRows()) {
        if (!row.boardPage || row.model == Model::Unnamed)
            continue;
        const QString key = devKeyFor(row.model);
        const settings::BoardLayout layout = BoardViewCtrl::layoutFor(key, boardViewXIBName(key));
        const int defaults = int(std::count_if(
            row.boardKeyDefs.begin(), row.boardKeyDefs.end(), [](quint8 v) { return v != 0; }));
        const int shown = layout.k7To10Shown ? layout.keys : std::min(layout.keys, 6);
        // A model without defaults has the plain layout of ten keys.
        QVERIFY2(shown == (defaults ? defaults : 10), qPrintable(key));
        QVERIFY2(layout.wheel == row.wheel, qPrintable(key));
        QVERIFY2(layout.wheel == !layout.wheelImage.isEmpty(), qPrintable(key));
        for (const QString &image : { layout.boardImage, layout.wheelImage }) {
            if (!image.isEmpty())
                QVERIFY2(!controls::imageNamed(image).isNull(), qPrintable(image));
        }
    }
}

void TstBoardViewCtrl::editorOutlivesItsDevice()
{
    App app({ Model::TevraM, Model::KalverinM });
    const QString key = app.delegate->cursorKey();
    QPointer<BoardViewCtrl> page = app.page(key);
    app.editor.answer = 1;
    app.editor.record = keyAction(QStringLiteral("Late"));
    int parkedInside = -1;
    app.editor.during = [&] {
        app.disconnect(key);
        parkedInside = app.delegate->parkedCount();
        QVERIFY(page);
    };
    App::choose(page->outlets().ibKPopUpBtn[0], settings::kBoardChange);
    QCOMPARE(parkedInside, 1);
    QVERIFY(page);
    app.settle();
    QVERIFY(!app.changes.contains(key));
    QVERIFY(!app.driverStores.at(key)->queryConfiguration(OVCFGBoardKey, OVCFGBoardKey1Cus).isValid());
    QVERIFY(!page);
}

void TstBoardViewCtrl::appWindowsWriteTheirOwnDevice()
{
    // The real windows. OK with no application writes the empty set to the
    // page's device alone.
    // Two wheel models: whichever is shown has both windows.
    App app({ Model::KalverinS, Model::KalverinM });
    const QString key = app.delegate->cursorKey();
    const auto answer = [&](const char *className, const std::function<void(keyactions::AppKeyCusWinCtrl &)> &act) {
        QTimer::singleShot(0, app.delegate->window(), [&app, className, act] {
            auto *window = app.delegate->window()->findChild<keyactions::AppKeyCusWinCtrl *>(QLatin1String(className));
            QVERIFY(window && window->isVisible());
            act(*window);
        });
    };
    answer("BoardKeyCusWinCtrl", [](keyactions::AppKeyCusWinCtrl &w) { w.clickOK(); });
    app.page(key)->outlets().ibSettingBtn->click();
    app.settle(1);
    QCOMPARE(app.changes.value(key), (QList<Change> { { OVCFGBKAppOptions, QVariant(QVariantMap()) } }));
    QCOMPARE(app.changes.size(), 1);
    // The device goes while the wheel window is open (it stays open); its
    // OK then writes nothing anywhere, and the page waits parked.
    app.changes.clear();
    QPointer<BoardViewCtrl> page = app.page(key);
    bool stayedOpen = false;
    answer("WheelKeyCusWinCtrl", [&](keyactions::AppKeyCusWinCtrl &w) {
        app.disconnect(key);
        stayedOpen = w.isVisible();
        QCOMPARE(app.delegate->parkedCount(), 1);
        w.clickOK();
    });
    page->outlets().ibRSettingBtn->click();
    app.settle(1);
    QVERIFY(stayedOpen);
    QVERIFY(app.changes.isEmpty());
    QVERIFY(!page);
    QVERIFY(!app.delegate->deviceConfiguration(key).update(OVCFGRKApp, OVCFGRKAppOptions, QVariantMap()));
}

void TstBoardViewCtrl::hideNoticeClosesMenus()
{
    App app({ Model::KalverinM });
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    for (controls::OrvanePopUpButton *popup : { app.popup(false, 3), app.popup(true, 2) }) {
        popup->showPopup();
        QTRY_VERIFY(popup->view()->isVisible());
        app.sim.local.post(OVUI_DeviceDisconnect_Hide_Noti);
        QTRY_VERIFY(!popup->view()->isVisible());
    }
    QVERIFY(app.changes.isEmpty());
}

void TstBoardViewCtrl::renders_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<int>("keys");
    QTest::addColumn<bool>("wheel");
    QTest::newRow("kalverin-m") << Model::KalverinM << 8 << true;
    QTest::newRow("tevra-m") << Model::TevraM << 8 << false;
    QTest::newRow("sorvi-16pro") << Model::Sorvi16Pro << 6 << false;
}

void TstBoardViewCtrl::renders()
{
    QFETCH(Model, model);
    QFETCH(int, keys);
    QFETCH(bool, wheel);
    App app({ model }, [](App &a) {
        // A custom action, so that its entry shows.
        std::optional<QVariantMap> configuration = a.store(a.keys.first())->configurationList();
        QVariantMap board = configuration->value(OVCFGBoardKey).toMap();
        board.insert(OVCFGBoardKey2Cus, keyAction(QStringLiteral("Copy")));
        board.insert(OVCFGBoardKey2, qint64(11));
        configuration->insert(OVCFGBoardKey, board);
        a.store(a.keys.first())->setConfigurationList(configuration);
    });
    QVERIFY(QTest::qWaitForWindowExposed(app.delegate->window()));
    const BoardViewCtrl::Outlets &ib = app.ib();
    QCOMPARE(app.page()->view()->objectName(), boardViewXIBName(app.keys.first()));
    for (int n = 1; n <= 10; ++n) {
        QCOMPARE(ib.ibKPopUpBtn[std::size_t(n - 1)]->isVisible(), n <= keys);
        QCOMPARE(ib.lbKTip[std::size_t(n - 1)]->isVisible(), n <= keys);
    }
    QCOMPARE(ib.wheelBox->isVisible(), wheel);
    QVERIFY(!ib.mBoardKeyImageCell->pixmap().isNull());
    QCOMPARE(!ib.mWheelKeyImageCell->pixmap().isNull(), wheel);
    QCOMPARE(ib.ibKPopUpBtn[1]->currentText(),
        app.sim.strings.text(QStringLiteral("OVHK_CT")).replace(QLatin1String("%@"), QLatin1String("Copy")));

    QList<QWidget *> controls { ib.ibDefaultBtn, ib.ibSettingBtn, ib.ibRDefaultBtn, ib.ibRSettingBtn };
    for (auto *row : { &ib.ibKPopUpBtn, &ib.ibRPopUpBtn })
        controls.append(QList<QWidget *>(row->begin(), row->end()));
    QStringList names;
    for (QWidget *control : controls) {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
        QVERIFY2(node && !node->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        names << node->text(QAccessible::Name);
    }
    // Names tell the controls apart.
    names.removeDuplicates();
    QCOMPARE(names.size(), controls.size());
    QCOMPARE(QAccessible::queryAccessibleInterface(ib.ibKPopUpBtn[0])->role(), QAccessible::ComboBox);

    const QImage image = app.delegate->window()->grab().toImage();
    const QString folder = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QLatin1String("/renders");
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(image.save(folder + QLatin1String("/boardpage-") + QLatin1String(QTest::currentDataTag())
        + QLatin1String(".png")));
}

QTEST_MAIN(TstBoardViewCtrl)
#include "tst_boardviewctrl.moc"
