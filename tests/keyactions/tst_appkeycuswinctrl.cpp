// The per-application windows answered inside their modal runs as a user
// would, over one device's configuration: what they load, what Add, Remove,
// a key's editor and Default change, that OK alone writes the whole set
// (and nothing once the device has gone), the refusals, the end on the
// disconnect notice (the inner editor first), and a render of each.

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "controls/orvanebutton.h"
#include "controls/orvanepopupbutton.h"
#include "controls/orvanetabview.h"
#include "controls/orvanetextfield.h"
#include "keyactions/appkeycuswinctrl.h"
#include "keyactions/keycusmouseviewctrl.h"
#include "keyactions/keycuswinctrl.h"
#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcuteditor.h"
#include "keyactions/rkeycuswinctrl.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_editorrun.h"

using namespace keyactions;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using namespace store;

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// One device's configuration in memory, with every write noted.
struct Device
{
    QVariantMap values; // "category/key" -> value
    QList<QPair<QString, QVariant>> writes;
    bool gone = false;

    DeviceConfiguration configuration(const QString &devKey)
    {
        DeviceConfiguration c;
        c.devKey = devKey;
        c.query = [this](const QString &category, const QString &key) {
            return values.value(category + u'/' + key);
        };
        c.update = [this](const QString &category, const QString &key, const QVariant &value) {
            if (gone)
                return false;
            values.insert(category + u'/' + key, value);
            writes.append({ category + u'/' + key, value });
            return true;
        };
        return c;
    }
};

struct Fixture : EditorFixture
{
    Fixture()
    {
        QVERIFY(dir.isValid());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("home")).toUtf8());
        qputenv("XDG_DATA_DIRS", dir.filePath(QStringLiteral("system")).toUtf8());
        for (const char *name : { "paint", "notes", "draw", "mail", "web" }) {
            const QString id = QLatin1String(name);
            const QString title = id.left(1).toUpper() + id.mid(1);
            write(app(id),
                "[Desktop Entry]\nType=Application\nName=" + title.toUtf8() + "\nExec=/usr/bin/" + name
                    + "\nIcon=" + name + "\nStartupWMClass=" + title.toUtf8() + "-class\n");
            const QString icon = dir.filePath(QStringLiteral("system/icons/hicolor/48x48/apps/") + id + ".png");
            QDir().mkpath(QFileInfo(icon).path());
            QImage picture(48, 48, QImage::Format_RGB32);
            picture.fill(QColor::fromHsv(int(qHash(id) % 360), 150, 200));
            QVERIFY(picture.save(icon));
        }
        context.alert = [this](QWidget *, const QString &text) {
            alerts << text;
            if (duringAlert)
                duringAlert();
        };
    }

    QString app(const QString &id) const
    {
        return dir.filePath(QStringLiteral("system/applications/") + id + QStringLiteral(".desktop"));
    }
    int run(AppKeyCusWinCtrl &window, const std::function<void()> &answer)
    {
        return EditorFixture::run(window, [&] { return window.runModal(); }, answer);
    }

    // Answers the next editor the window opens inside its run.
    template <class Editor> void answerEditor(QWidget *window, std::function<void(Editor &)> act)
    {
        QTimer::singleShot(0, window, [window, act] {
            Editor *editor = window->findChild<Editor *>();
            QVERIFY(editor);
            act(*editor);
        });
    }

    QTemporaryDir dir;
    Device device;
    QStringList alerts;
    std::function<void()> duringAlert;
};

const QString kBoardOptions = QString(OVCFGBKApp) + u'/' + OVCFGBKAppOptions;
const QString kWheelOptions = QString(OVCFGRKApp) + u'/' + OVCFGRKAppOptions;

QVariantMap mouseAction(const QString &alias, quint64 action)
{
    return QVariantMap { { OVCFGPenKeyCus, quint64(3) }, { OVCFGPenKeyCusAlias, alias },
        { OVCFGPenKeyCusMouse, action } };
}

QStringList titles(const AppKeyCusWinCtrl &window, int count)
{
    QStringList out;
    for (int n = 1; n <= count; ++n)
        out << window.keyButton(n)->text();
    return out;
}

} // namespace

Q_DECLARE_METATYPE(store::Model)

class TestAppKeyCusWinCtrl : public QObject
{
    Q_OBJECT
private slots:
    void loadsAndEdits();
    void addRefusesAndRemoves();
    void cancelAndGoneWriteNothing();
    void wheelWindow();
    void disconnectEndsInnerFirst();
    void pictures();
    void renders_data();
    void renders();
};

void TestAppKeyCusWinCtrl::loadsAndEdits()
{
    Fixture f;
    // Stored: one set under its window class, one whose entry is gone; a
    // record that is no dictionary reads as none.
    f.device.values.insert(kBoardOptions,
        QVariantMap { { "Paint-class",
                          QVariantMap { { OVCFGBKAppICNS, "/nowhere.png" },
                              { OVCFGBoardKey1Cus, mouseAction("Scroll", 2) }, { OVCFGBoardKey2Cus, "junk" } } },
            { "Gone-class", QVariantMap { { OVCFGBoardKey3Cus, mouseAction("Mid", 1) } } } });
    BoardKeyCusWinCtrl window(f.context, f.device.configuration(devKeyFor(Model::TevraM)));
    QCOMPARE(window.keyCount(), 8);
    const int result = f.run(window, [&] {
        QCOMPARE(window.imageBrowser()->count(), 2);
        QCOMPARE(window.imageBrowser()->item(0)->text(), QStringLiteral("Gone-class"));
        QCOMPARE(window.imageBrowser()->item(1)->text(), QStringLiteral("Paint"));
        // The last one is selected.
        QCOMPARE(window.selectedIndex(), 1);
        QCOMPARE(titles(window, 3), (QStringList { "Scroll", f.t("OVS_BK_T2"), f.t("OVS_BK_T3") }));
        // Never without a selection while there are applications.
        window.imageBrowser()->clearSelection();
        QCOMPARE(window.selectedIndex(), 1);
        window.imageBrowser()->setCurrentRow(0);
        QCOMPARE(titles(window, 3), (QStringList { f.t("OVS_BK_T1"), f.t("OVS_BK_T2"), "Mid" }));

        // Key 2 of "Gone-class" through the per-key editor: mouse tab, OK.
        f.answerEditor<KeyCusWinCtrl>(&window, [&](KeyCusWinCtrl &editor) {
            f.sim.runLoop.advance(0.2);
            QVERIFY(!editor.isPenEnter());
            editor.ibTabView()->selectTabViewItemAtIndex(3);
            editor.ibTextField()->setText(QStringLiteral("Dbl"));
            editor.clickOK();
        });
        window.clickKey(2);
        QCOMPARE(window.keyButton(2)->text(), QStringLiteral("Dbl"));
        // An editor cancelled changes nothing.
        f.answerEditor<KeyCusWinCtrl>(&window, [](KeyCusWinCtrl &editor) { editor.clickCancel(); });
        window.clickKey(3);
        QCOMPARE(window.keyButton(3)->text(), QStringLiteral("Mid"));
        QVERIFY(f.device.writes.isEmpty());
        // Default clears the other one's records.
        window.imageBrowser()->setCurrentRow(1);
        window.clickDefault();
        QCOMPARE(titles(window, 2), (QStringList { f.t("OVS_BK_T1"), f.t("OVS_BK_T2") }));
        window.clickOK();
    });
    QVERIFY(!f.leftOpen);
    QCOMPARE(result, 1);
    // One write, the whole dictionary.
    QCOMPARE(f.device.writes.size(), 1);
    QCOMPARE(f.device.writes.first().first, kBoardOptions);
    const QVariantMap expected { { "Gone-class",
                                     QVariantMap { { OVCFGBoardKey2Cus, mouseAction("Dbl", 0) },
                                         { OVCFGBoardKey3Cus, mouseAction("Mid", 1) } } },
        { "Paint-class", QVariantMap { { OVCFGBKAppICNS, "/nowhere.png" } } } };
    QCOMPARE(f.device.writes.first().second.toMap(), expected);
}

void TestAppKeyCusWinCtrl::addRefusesAndRemoves()
{
    Fixture f;
    BoardKeyCusWinCtrl window(f.context, f.device.configuration(devKeyFor(Model::KalverinS)));
    f.run(window, [&] {
        // A key without an application.
        window.clickKey(1);
        QCOMPARE(f.alerts, QStringList { f.t("OVS_AM_AA") });
        f.alerts.clear();
        // No application: refused, nothing added.
        const QString text = f.dir.filePath(QStringLiteral("readme.txt"));
        write(text, "hello");
        f.sim.filePanels.queueAnswer(text);
        window.clickAdd();
        QCOMPARE(f.alerts, QStringList { f.t("OVS_AM_NA") });
        QCOMPARE(window.appSets().size(), std::size_t(0));
        f.alerts.clear();
        // Four applications, one of them twice.
        for (const char *id : { "paint", "notes", "paint", "draw", "mail" }) {
            f.sim.filePanels.queueAnswer(f.app(QLatin1String(id)));
            window.clickAdd();
        }
        QVERIFY(f.alerts.isEmpty());
        QCOMPARE(window.appSets().size(), std::size_t(4));
        QCOMPARE(window.appSets().back().name, QStringLiteral("Mail-class"));
        QCOMPARE(window.appSets().back().title, QStringLiteral("Mail"));
        QVERIFY(window.appSets().back().path->endsWith(QLatin1String("/mail.png")));
        QCOMPARE(window.selectedIndex(), 3);
        // A fifth: the alert, and no panel.
        const int panels = f.sim.filePanels.shownCount();
        window.clickAdd();
        QCOMPARE(f.alerts, QStringList { f.t("OVS_AM_OF") });
        QCOMPARE(f.sim.filePanels.shownCount(), panels);
        // Removing each: the last one selected after each; none left, the
        // default titles.
        window.imageBrowser()->setCurrentRow(1);
        window.clickRemove();
        QCOMPARE(window.appSets().size(), std::size_t(3));
        QCOMPARE(window.appSets().at(1).name, QStringLiteral("Draw-class"));
        QCOMPARE(window.selectedIndex(), 2);
        for (int i = 0; i < 3; ++i)
            window.clickRemove();
        QCOMPARE(window.imageBrowser()->count(), 0);
        QCOMPARE(titles(window, 6), (QStringList { f.t("OVS_BK_T1"), f.t("OVS_BK_T2"), f.t("OVS_BK_T3"),
                                        f.t("OVS_BK_T4"), f.t("OVS_BK_T5"), f.t("OVS_BK_T6") }));
        window.clickOK();
    });
    QVERIFY(!f.leftOpen);
    // No application left: an empty dictionary.
    QCOMPARE(f.device.writes.size(), 1);
    QCOMPARE(f.device.writes.first().second, QVariant(QVariantMap()));
}

void TestAppKeyCusWinCtrl::cancelAndGoneWriteNothing()
{
    for (const bool cancel : { true, false }) {
        Fixture f;
        BoardKeyCusWinCtrl window(f.context, f.device.configuration(devKeyFor(Model::TevraM)));
        const int result = f.run(window, [&] {
            for (const char *id : { "paint", "notes" }) {
                f.sim.filePanels.queueAnswer(f.app(QLatin1String(id)));
                window.clickAdd();
            }
            if (cancel) {
                window.clickCancel();
            } else {
                // The device went while the window was open.
                f.device.gone = true;
                window.clickOK();
            }
        });
        QVERIFY(!f.leftOpen);
        QCOMPARE(result, cancel ? 0 : 1);
        QVERIFY(f.device.writes.isEmpty());
        QVERIFY(!f.device.values.contains(kBoardOptions));
    }
}

void TestAppKeyCusWinCtrl::wheelWindow()
{
    Fixture f;
    WheelKeyCusWinCtrl window(f.context, f.device.configuration(devKeyFor(Model::KalverinM)));
    QCOMPARE(window.keyCount(), 10);
    QCOMPARE(window.pictureName(), QStringLiteral("WheelKeyKalverinM"));
    bool openAfterNotice = false;
    f.run(window, [&] {
        f.sim.filePanels.queueAnswer(f.app(QStringLiteral("draw")));
        window.clickAdd();
        // Slot 4 through the wheel-function editor; Command-C is taken here.
        f.answerEditor<RKeyCusWinCtrl>(&window, [](RKeyCusWinCtrl &editor) {
            editor.shortcutEditorRightHand()->setObjectValue(
                QVariantMap { { "keyCode", qint64(8) }, { "modifierFlags", quint64(0x100000) } });
            editor.clickOK();
        });
        window.clickKey(4);
        // An empty name is the placeholder.
        QCOMPARE(window.keyButton(4)->text(), f.t("OVS_RK_P"));
        // The wheel window stays open on the disconnect notice.
        f.sim.local.post(OVUI_DeviceDisconnect_Hide_Noti);
        openAfterNotice = window.isVisible();
        window.clickOK();
    });
    QVERIFY(openAfterNotice);
    QCOMPARE(f.device.writes.size(), 1);
    QCOMPARE(f.device.writes.first().first, kWheelOptions);
    const QVariantMap set = f.device.writes.first().second.toMap().value("Draw-class").toMap();
    QCOMPARE(set.value(OVCFGRKAppCur), QVariant(qint64(1)));
    QVERIFY(set.value(OVCFGRKAppICNS).toString().endsWith(QLatin1String("/draw.png")));
    const QVariantMap function = set.value(cusKey(OVCFGWheelKeyN(4))).toMap();
    QCOMPARE(function.value(OVCFGRKeyCusAlias).toString(), f.t("OVS_RK_P"));
    QCOMPARE(function.value(OVCFGRKeyCusCusCWHK).toMap().value("keyCode"), QVariant(qint64(8)));
    QVERIFY(!function.contains(OVCFGRKeyCusCusCCWHK));
}

void TestAppKeyCusWinCtrl::disconnectEndsInnerFirst()
{
    Fixture f;
    BoardKeyCusWinCtrl window(f.context, f.device.configuration(devKeyFor(Model::TevraM)));
    QStringList ended;
    connect(&window, &QDialog::finished, this, [&] { ended << QStringLiteral("window"); });
    const int result = f.run(window, [&] {
        f.sim.filePanels.queueAnswer(f.app(QStringLiteral("paint")));
        window.clickAdd();
        f.answerEditor<KeyCusWinCtrl>(&window, [&](KeyCusWinCtrl &editor) {
            connect(&editor, &QDialog::finished, this, [&] { ended << QStringLiteral("editor"); });
            f.sim.local.post(OVUI_DeviceDisconnect_Hide_Noti);
        });
        window.clickKey(1);
        // Nothing changed by the editor that ended.
        QCOMPARE(window.keyButton(1)->text(), f.t("OVS_BK_T1"));
    });
    QVERIFY(!f.leftOpen);
    QCOMPARE(result, 0);
    QCOMPARE(ended, (QStringList { QStringLiteral("editor"), QStringLiteral("window") }));
    QVERIFY(f.device.writes.isEmpty());
    // The bus brings the notice again later: nothing is running by then.
    f.sim.runLoop.drain();
}

void TestAppKeyCusWinCtrl::pictures()
{
    struct Case
    {
        Model model;
        const char *picture;
        int keys;
    };
    const Case cases[] = {
        { Model::Sorvi1316, "BoardKeySorvi16", 8 },
        { Model::Sorvi16Pro, "BoardKeySorvi16Pro", 6 },
        { Model::TevraN10B, "BoardKeyTevraN10B", 6 },
        { Model::TevraQ, "Tablet_TevraQ", 5 },
        { Model::TevraS, "BoardKeys5", 5 },
        { Model::M482PlusV2, "BoardKeys10", 10 },
    };
    for (const Case &c : cases) {
        Fixture f;
        BoardKeyCusWinCtrl window(f.context, f.device.configuration(devKeyFor(c.model)));
        QCOMPARE(window.pictureName(), QLatin1String(c.picture));
        QCOMPARE(window.keyCount(), c.keys);
        QVERIFY(!window.picture()->pixmap().isNull());
        for (int n = 1; n <= 10; ++n)
            QCOMPARE(window.keyButton(n)->isVisibleTo(&window), n <= c.keys);
    }
}

void TestAppKeyCusWinCtrl::renders_data()
{
    QTest::addColumn<bool>("wheel");
    QTest::addColumn<Model>("model");
    QTest::newRow("board-tevra-q") << false << Model::TevraQ;
    QTest::newRow("wheel-kalverin-m") << true << Model::KalverinM;
}

void TestAppKeyCusWinCtrl::renders()
{
    QFETCH(bool, wheel);
    QFETCH(Model, model);
    Fixture f;
    std::unique_ptr<AppKeyCusWinCtrl> window;
    if (wheel)
        window = std::make_unique<WheelKeyCusWinCtrl>(f.context, f.device.configuration(devKeyFor(model)));
    else
        window = std::make_unique<BoardKeyCusWinCtrl>(f.context, f.device.configuration(devKeyFor(model)));
    f.run(*window, [&] {
        for (const char *id : { "paint", "notes" }) {
            f.sim.filePanels.queueAnswer(f.app(QLatin1String(id)));
            window->clickAdd();
        }
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        for (QWidget *control : window->findChildren<QWidget *>()) {
            if (!control->isVisible() || qobject_cast<QLabel *>(control) || !control->focusPolicy())
                continue;
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(node && !node->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        const QString folder = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QLatin1String("/renders");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(window->grab().toImage().save(
            folder + QLatin1String("/appkeycuswinctrl-") + QLatin1String(QTest::currentDataTag()) + ".png"));
        window->clickCancel();
    });
}

QTEST_MAIN(TestAppKeyCusWinCtrl)
#include "tst_appkeycuswinctrl.moc"
