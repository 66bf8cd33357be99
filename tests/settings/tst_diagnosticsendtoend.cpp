// The diagnostics window end to end: the real driver runs a simulated
// Tevra M in real time (--sim-devices) with its windows on an X server of
// its own, the real settings application beside it; the test works both
// from outside through AT-SPI, as a screen reader or an automation tool
// would. The About pane's diagnostics button opens the driver's window for
// the current device; the window's own Close button closes it, and the
// driver runs on. Every wait has a deadline.

#include <QDir>
#include <QFile>
#include <QJsonObject>
#include <QTest>

#include "platform/stringtable.h"
#include "support_desktopsession.h"
#include "support_jsonprocess.h"

namespace {

// The driver's "window" line of its diagnostics window, shown or hidden.
std::function<bool(const QJsonObject &)> diagnosticsWindow(bool shown)
{
    return [shown](const QJsonObject &l) {
        const QJsonObject w = l.value(QStringLiteral("window")).toObject();
        return w.value(QStringLiteral("name")) == QStringLiteral("OVDIAWinCtrl")
               && w.value(QStringLiteral("shown")).toBool() == shown && w.contains(QStringLiteral("shown"));
    };
}

} // namespace

class TestDiagnosticsEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void aboutOpensDriverWindow();

private:
    DesktopSession m_session;
};

void TestDiagnosticsEndToEnd::initTestCase()
{
    const QString missing = DesktopSession::missing();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY2(m_session.start(QStringLiteral("1280x1024")), "Xvfb or dbus-daemon did not start");
}

void TestDiagnosticsEndToEnd::aboutOpensDriverWindow()
{
    const QString script = m_session.path(QStringLiteral("tevra.ovs"));
    {
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("display 1 0 0 1280 1024 main name=\"Built-in\"\n"
                   "connect r \"Tevra M\" page=0xFF0A product=\"Tevra M\"\n"
                   "connect c \"Tevra M\" page=0xFF0B pairs=FF0B:1,FF0C:1 product=\"Tevra M\"\n");
    }
    // Both programs on the X server: the driver's window must be there for
    // assistive technologies too.
    QProcessEnvironment env = m_session.settingsEnv();
    env.insert(QStringLiteral("HOME"), m_session.path(QStringLiteral("home")));
    JsonProcess driver(QStringLiteral(OV_DRIVER_BINARY),
                       {QStringLiteral("--sim-devices"), script, QStringLiteral("--data"),
                        m_session.path(QStringLiteral("driver"))},
                       env);
    QVERIFY(driver.started());
    JsonProcess app(QStringLiteral(OV_SETTING_BINARY), {QStringLiteral("--report-state")}, env);
    QVERIFY(app.started());
    const int shown = app.waitFor([](const QJsonObject &l) {
        return l.value(QStringLiteral("state")).toObject().value(QStringLiteral("tabs")).toBool();
    });
    QVERIFY2(shown >= 0, app.errors());

    const platform::StringTable strings({QStringLiteral("en")});
    const QString setting = QStringLiteral("OrvaneTabletSetting");
    QString answer = m_session.operate(setting, QStringLiteral("page tab"), strings.text(QStringLiteral("OVS_MW_T4")),
                                       {QStringLiteral("press")});
    QVERIFY2(answer.startsWith(QLatin1String("ok")), qPrintable(answer));
    answer = m_session.operate(setting, QStringLiteral("push button"), strings.text(QStringLiteral("OVA_ZD")),
                               {QStringLiteral("press")});
    QVERIFY2(answer.startsWith(QLatin1String("ok")), qPrintable(answer));
    const int opened = driver.waitFor(diagnosticsWindow(true));
    QVERIFY2(opened >= 0, driver.errors());

    // The driver's own window, found and closed by its button's name.
    answer = m_session.operate(QStringLiteral("OrvaneTabletDriver"), QStringLiteral("push button"),
                               strings.text(QStringLiteral("OVD_B_CL")), {QStringLiteral("press")});
    QVERIFY2(answer.startsWith(QLatin1String("ok")), qPrintable(answer));
    QVERIFY2(driver.waitFor(diagnosticsWindow(false), opened) >= 0, driver.errors());
    QVERIFY(driver.running());

    QVERIFY(app.stop());
    QCOMPARE(driver.stop(), std::optional(0));
}

QTEST_GUILESS_MAIN(TestDiagnosticsEndToEnd)
#include "tst_diagnosticsendtoend.moc"
