// The wheel-function editor answered inside its modal run: what OK hands
// back (always 1), the name's placeholder both ways, the recorders taking a
// combination the hot-key list offers, Cancel and Escape, and a render.

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "controls/orvanetextfield.h"
#include "keyactions/ovkeycodetransformer.h"
#include "keyactions/ovshortcuteditor.h"
#include "keyactions/rkeycuswinctrl.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "store/ovpublicdefine.h"
#include "support_editorrun.h"

using namespace keyactions;
using platform::sim::SimBus;
using platform::sim::SimPlatform;
using namespace store;

namespace {

struct Fixture : EditorFixture
{
    int run(RKeyCusWinCtrl &editor, const std::function<void()> &answer)
    {
        return EditorFixture::run(editor, [&] { return editor.runModal(); }, answer);
    }
};

QVariantMap combo(qint64 keyCode, quint64 flags)
{
    return QVariantMap { { QStringLiteral("keyCode"), keyCode }, { QStringLiteral("modifierFlags"), flags } };
}

} // namespace

class TestRKeyCusWinCtrl : public QObject
{
    Q_OBJECT
private slots:
    void okAlwaysOne();
    void recordersTakeListedCombinations();
    void cancelAndEscape();
    void renders();
};

void TestRKeyCusWinCtrl::okAlwaysOne()
{
    struct Case
    {
        const char *name;
        std::optional<QVariantMap> given;
        QString shown; // the name field at the start
        QVariantMap stored;
    };
    Fixture f;
    const QString placeholder = f.t("OVS_RK_P");
    const Case cases[] = {
        { "nothing given, nothing recorded", std::nullopt, QString(), { { OVCFGRKeyCusAlias, placeholder } } },
        { "named as the placeholder", QVariantMap { { OVCFGRKeyCusAlias, placeholder } }, QString(),
            { { OVCFGRKeyCusAlias, placeholder } } },
        { "a function of its own",
            QVariantMap { { OVCFGRKeyCusAlias, "Zoom" }, { OVCFGRKeyCusCusCCWHK, combo(27, 0x100000) },
                { OVCFGRKeyCusCusCWHK, combo(24, 0x100000) } },
            QStringLiteral("Zoom"),
            { { OVCFGRKeyCusAlias, "Zoom" }, { OVCFGRKeyCusCusCCWHK, combo(27, 0x100000) },
                { OVCFGRKeyCusCusCWHK, combo(24, 0x100000) } } },
    };
    for (const Case &c : cases) {
        RKeyCusWinCtrl editor(f.context);
        if (c.given) {
            RKeyCusObject object;
            object.deserialization(*c.given);
            editor.setRkeyCusObject(object);
        }
        QString shown;
        const int result = f.run(editor, [&] {
            shown = editor.ibTextField()->text();
            editor.clickOK();
        });
        QVERIFY2(!f.leftOpen, c.name);
        QVERIFY2(result == 1, c.name);
        QVERIFY2(shown == c.shown, c.name);
        QVERIFY2(editor.ibTextField()->placeholderText() == placeholder, c.name);
        // The recorders add the characters they show; compare what was set.
        QVariantMap stored = editor.rkeyCusObject()->serialization();
        for (const QString key : { QString(OVCFGRKeyCusCusCCWHK), QString(OVCFGRKeyCusCusCWHK) }) {
            if (stored.contains(key)) {
                QVariantMap value = stored.value(key).toMap();
                value.remove(QStringLiteral("characters"));
                stored.insert(key, value);
            }
        }
        QVERIFY2(stored == c.stored, c.name);
    }
}

void TestRKeyCusWinCtrl::recordersTakeListedCombinations()
{
    Fixture f;
    RKeyCusWinCtrl editor(f.context);
    const int result = f.run(editor, [&] {
        OVShortcutEditor *recorder = editor.shortcutEditorLeftHand();
        QApplication::setActiveWindow(&editor);
        recorder->setFocus();
        recorder->startRecording();
        // Ctrl is Command: Command-C, which the hot-key pane refuses.
        QTest::keyClick(recorder, Qt::Key_C, Qt::ControlModifier);
        QVERIFY(f.sim.alerts.shown().empty());
        QCOMPARE(recorder->objectValue()->value(QStringLiteral("keyCode")), QVariant(qint64(8)));
        editor.ibTextField()->setText(QStringLiteral("Copy"));
        editor.clickOK();
    });
    QCOMPARE(result, 1);
    QCOMPARE(editor.rkeyCusObject()->cusCCWHK->value(QStringLiteral("modifierFlags")), QVariant(quint64(0x100000)));
    QVERIFY(!editor.rkeyCusObject()->cusCWHK);
    QCOMPARE(editor.rkeyCusObject()->alias, std::optional(QStringLiteral("Copy")));
}

void TestRKeyCusWinCtrl::cancelAndEscape()
{
    Fixture f;
    for (const bool escape : { false, true }) {
        RKeyCusWinCtrl editor(f.context);
        RKeyCusObject given;
        given.alias = QStringLiteral("Kept");
        editor.setRkeyCusObject(given);
        const int result = f.run(editor, [&] {
            editor.ibTextField()->setText(QStringLiteral("Changed"));
            if (escape) {
                QApplication::setActiveWindow(&editor);
                editor.ibTextField()->setFocus();
                QTest::keyClick(editor.ibTextField(), Qt::Key_Escape);
            } else {
                editor.clickCancel();
            }
        });
        QVERIFY(!f.leftOpen);
        QCOMPARE(result, 0);
        QCOMPARE(editor.rkeyCusObject(), std::optional(given));
    }
}

void TestRKeyCusWinCtrl::renders()
{
    Fixture f;
    RKeyCusWinCtrl editor(f.context);
    RKeyCusObject given;
    given.alias = QStringLiteral("Zoom");
    given.cusCCWHK = combo(27, 0x100000);
    given.cusCWHK = combo(24, 0x100000);
    editor.setRkeyCusObject(given);
    f.run(editor, [&] {
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        for (QWidget *control : editor.findChildren<QWidget *>()) {
            if (!control->isVisible() || qobject_cast<QLabel *>(control) || !control->focusPolicy())
                continue;
            QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control);
            QVERIFY2(node && !node->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
        }
        const QString folder = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QLatin1String("/renders");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(editor.grab().toImage().save(folder + QLatin1String("/rkeycuswinctrl.png")));
        editor.clickCancel();
    });
}

QTEST_MAIN(TestRKeyCusWinCtrl)
#include "tst_rkeycuswinctrl.moc"
