// The first start without a tablet, end to end: the real driver runs with no
// device (--sim-devices, a display only), the real settings application shows
// its no-device view on an X server of its own (Xvfb), and the test finds the
// window's commands there through AT-SPI, as a screen reader would, and
// quits the driver with them. Every wait has a deadline.

#include <QJsonObject>
#include <QTest>

#include "platform/stringtable.h"
#include "support_desktopsession.h"
#include "support_jsonprocess.h"

class TestNoDeviceEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void commandsWithoutTablet();

private:
    DesktopSession m_session;
};

void TestNoDeviceEndToEnd::initTestCase()
{
    const QString missing = DesktopSession::missing();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing));
    QVERIFY2(m_session.start(QStringLiteral("1280x1024")), "Xvfb or dbus-daemon did not start");
}

void TestNoDeviceEndToEnd::commandsWithoutTablet()
{
    const std::unique_ptr<JsonProcess> driverProcess = m_session.startDriver(
        QStringLiteral("display 1 0 0 1920 1080 main name=\"Built-in\"\nwait 120\n"), m_session.path(QStringLiteral("driver")));
    QVERIFY(driverProcess);
    JsonProcess &driver = *driverProcess;
    const std::unique_ptr<JsonProcess> appProcess = m_session.startSettings();
    QVERIFY(appProcess);
    JsonProcess &app = *appProcess;
    const int shown = app.waitFor([](const QJsonObject &l) {
        return l.value(QStringLiteral("state")).toObject().value(QStringLiteral("content")).toString()
            == QLatin1String("none");
    });
    QVERIFY2(shown >= 0, app.errors());

    const platform::StringTable strings({ QStringLiteral("en") });
    const QString button = QStringLiteral("push button");
    for (const char *key : { "OVS_MW_SG", "OVS_MW_QD", "OVS_MW_QT" }) {
        const QString name = strings.text(QLatin1String(key));
        QVERIFY(!name.isEmpty());
        const QString answer = m_session.operate(button, name, { QStringLiteral("state") });
        QVERIFY2(answer.startsWith(QLatin1String("ok")), qPrintable(name + QLatin1String(": ") + answer));
    }

    // The application is gone before the script can read the button back:
    // what counts is that both programs end.
    m_session.operate(button, strings.text(QStringLiteral("OVS_MW_QD")), { QStringLiteral("press") });
    int exitCode = -1;
    QVERIFY2(driver.finished(&exitCode), driver.errors());
    QVERIFY2(app.finished(&exitCode), app.errors());
    QCOMPARE(exitCode, 0);
}

QTEST_GUILESS_MAIN(TestNoDeviceEndToEnd)
#include "tst_nodeviceendtoend.moc"
