// The express-key page end to end: the real driver runs a simulated Tevra M
// in real time (--sim-devices) whose express key K8 is pressed every half
// second, with the front application changing between "Paint-class" and
// "Other" at each press; the real settings application runs on a desktop
// of its own and is operated from outside through AT-SPI, by role and name
// and from the keyboard, as a user with a screen reader would. A custom hot
// key made with the per-key action editor is what the driver then posts
// for K8, in every application; a set made for Paint in the per-application
// window is what it posts while Paint is in front, and only then. Every
// wait has a deadline.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QTest>

#include "controls/kitgeometry.h"
#include "platform/stringtable.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "support_desktopsession.h"
#include "support_jsonprocess.h"

using namespace store;

namespace {

constexpr qint64 kCommand = 0x100000;
// At 0 degrees the Tevra M reports K8 as 0x0100.
const QString kPressK8 = QStringLiteral("report k 02F0010000000000\nreport k 02F0000000000000\n");

QString pressScript()
{
    QString script = QStringLiteral("display 1 0 0 1920 1080 main name=\"Built-in\"\n"
                                    "connect k \"Tevra M\" page=0xFF0A\n");
    for (int i = 0; i < 240; ++i) {
        script += QStringLiteral("front org.test \"%1\"\n").arg(i % 2 ? QStringLiteral("Other") : QStringLiteral("Paint-class"));
        script += kPressK8 + QStringLiteral("wait 0.5\n");
    }
    return script;
}

// The index of the first key-down the driver posted from line `from` on
// with this key code and flags, or -1.
int keyDown(JsonProcess &driver, int from, int key, qint64 flags)
{
    return driver.waitFor(
        [&](const QJsonObject &l) {
            const QJsonObject post = l.value(QStringLiteral("post")).toObject();
            return post.value(QStringLiteral("key")).toInt(-1) == key && post.value(QStringLiteral("down")).toBool()
                && post.value(QStringLiteral("flags")).toInteger() == flags;
        },
        from, 40000);
}

} // namespace

class TestBoardEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void customHotKeyMadeInTheEditor();

private:
    DesktopSession m_session;
    // Paint's desktop entry, on a path typed without Shift.
    QString m_paint;
};

void TestBoardEndToEnd::initTestCase()
{
    if (const QString why = DesktopSession::missing(); !why.isEmpty())
        QSKIP(qPrintable(why));
    QVERIFY2(m_session.start(QStringLiteral("1280x1024")), "Xvfb or dbus-daemon did not start");
    m_paint = QStringLiteral("/tmp/ov%1/paint.desktop").arg(QCoreApplication::applicationPid());
    QDir().mkpath(QFileInfo(m_paint).path());
    QFile file(m_paint);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=Paint\nExec=/usr/bin/paint\nStartupWMClass=Paint-class\n");
}

void TestBoardEndToEnd::cleanupTestCase()
{
    QDir(QFileInfo(m_paint).path()).removeRecursively();
}

void TestBoardEndToEnd::customHotKeyMadeInTheEditor()
{
    const std::unique_ptr<JsonProcess> driverProcess
        = m_session.startDriver(pressScript(), m_session.path(QStringLiteral("driver")));
    QVERIFY(driverProcess);
    JsonProcess &driver = *driverProcess;
    const std::unique_ptr<JsonProcess> appProcess = m_session.startSettings();
    QVERIFY(appProcess);
    JsonProcess &app = *appProcess;
    const int shown = app.waitFor([](const QJsonObject &l) {
        return l.value(QStringLiteral("state")).toObject().value(QStringLiteral("tabs")).toBool();
    });
    QVERIFY2(shown >= 0, app.errors());

    // The factory K8 of the Tevra M saves: Command-S.
    int at = keyDown(driver, 0, 1, kCommand);
    QVERIFY2(at >= 0, driver.errors());

    const platform::StringTable strings({ QStringLiteral("en") });
    const auto t = [&](const char *key) { return strings.text(QLatin1String(key)); };
    const QString press = QStringLiteral("press");
    const QString keys = QStringLiteral("keys");
    // A tab's label broken over lines is one name.
    const QString boardTab = controls::tabLabelLines(t("OVS_MW_T3")).join(QLatin1Char(' '));
    QString done = m_session.operate(QStringLiteral("page tab"), boardTab, { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    // K8's menu, its last entry: "change custom action".
    done = m_session.operate(QStringLiteral("combo box"), t("OVS_BK_T8"), { press, keys, QStringLiteral("End"), QStringLiteral("Return") });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    // The editor: the hot-key tab, its list's entry 3 (Copy), OK.
    done = m_session.operate(QStringLiteral("page tab"), t("OVS_KC_TH"), { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    done = m_session.operate(QStringLiteral("combo box"), t("OVS_KC_HL"),
        { press, keys, QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Return") });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    done = m_session.operate(QStringLiteral("push button"), t("OVS_KC_OK"), { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));

    // From now on K8 copies: Command-C, in every application.
    at = keyDown(driver, at, 8, kCommand);
    QVERIFY2(at >= 0, "the driver never posted the custom hot key");
    int next = keyDown(driver, at + 1, 8, kCommand);
    QVERIFY(next > at);

    // A set of K8's own for Paint: the window, Add, the entry typed into
    // the file panel, K8 through the editor (entry 4, Paste), OK.
    done = m_session.operate(QStringLiteral("push button"),
        t("OVS_B_Apps") + QLatin1String(": ") + t("OVS_B_K"), { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    QStringList typed { press, keys };
    for (const QChar c : m_paint)
        typed << QString(c);
    typed << QStringLiteral("Return");
    done = m_session.operate(QStringLiteral("push button"), t("OVS_BK_Add"), typed);
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    done = m_session.operate(QStringLiteral("push button"), t("OVS_BK_T8"), { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    done = m_session.operate(QStringLiteral("page tab"), t("OVS_KC_TH"), { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    done = m_session.operate(QStringLiteral("combo box"), t("OVS_KC_HL"),
        { press, keys, QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
            QStringLiteral("Return") });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    done = m_session.operate(QStringLiteral("push button"), t("OVS_KC_OK"), { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));
    done = m_session.operate(QStringLiteral("push button"), t("OVS_BK_OK"), { press });
    QVERIFY2(done.startsWith(QLatin1String("ok")), qPrintable(done));

    // Paste while Paint is in front, copy while the other one is: the
    // presses alternate between the two applications, and so do the keys.
    at = keyDown(driver, next, 9, kCommand);
    QVERIFY2(at >= 0, "the driver never posted the application's hot key");
    next = keyDown(driver, at + 1, 8, kCommand);
    QVERIFY2(next > at, "the device-wide hot key is gone in the other application");
    QVERIFY(keyDown(driver, next + 1, 9, kCommand) > next);
    QVERIFY(keyDown(driver, next + 1, 8, kCommand) > next);

    QCOMPARE(app.stop(), std::optional(0));
    QVERIFY(driver.stop());
}

QTEST_GUILESS_MAIN(TestBoardEndToEnd)
#include "tst_boardendtoend.moc"
