// Two real processes on the session bus that ctest starts under
// dbus-run-session: this test, and a copy of this program started with
// --peer, which answers every "OVTestPing" with an "OVTestPong" that reports
// what it received.

#include <cstdio>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "platform/linux/dbuscenter.h"
#include "platform/plist.h"
#include "support_values.h"

using platform::Notification;
using platform::native::DBusDistributedCenter;

namespace {

QString describeObject(const QString &object)
{
    return object.isNull() ? QStringLiteral("none") : object.isEmpty() ? QStringLiteral("empty") : object;
}

// What the peer sends back, and what the test expects to receive: one of
// each type, the float widened on the way.
QVariantMap typedValues()
{
    return QVariantMap{{"bool", true},
                       {"false", false},
                       {"int", -5},
                       {"big", qint64(5000000000LL)},
                       {"real", 2.0},
                       {"float", QVariant::fromValue(1.1f)},
                       {"string", QStringLiteral("\u4e2d")},
                       {"data", QByteArray("\x00\xff", 2)},
                       {"nested", QVariantMap{{"OVCFGPen", QVariantList{1, 0.5, false}}}}};
}

QVariantMap typedValuesReceived()
{
    return QVariantMap{{"bool", true},
                       {"false", false},
                       {"int", qint64(-5)},
                       {"big", qint64(5000000000LL)},
                       {"real", 2.0},
                       {"float", double(1.1f)},
                       {"string", QStringLiteral("\u4e2d")},
                       {"data", QByteArray("\x00\xff", 2)},
                       {"nested", QVariantMap{{"OVCFGPen", QVariantList{qint64(1), 0.5, false}}}}};
}

int runPeer()
{
    DBusDistributedCenter center;
    if (!center.isConnected())
        return 2;
    int pings = 0;
    center.observe(QStringLiteral("OVTestPing"), &center, [&](const Notification &n) {
        ++pings;
        QVariantMap reply = typedValues();
        reply.insert(QStringLiteral("received"), describeValue(n.userInfo));
        reply.insert(QStringLiteral("object"), describeObject(n.object));
        reply.insert(QStringLiteral("pings"), pings);
        center.post(QStringLiteral("OVTestPong"), QString(), reply);
    });
    center.observe(QStringLiteral("OVTestQuit"), &center, [](const Notification &) { QCoreApplication::quit(); });
    // Sent after the peer's match rule: once the test sees it, the bus routes
    // the test's posts to the peer.
    center.post(QStringLiteral("OVTestReady"));
    return QCoreApplication::exec();
}

// Without a session bus: the own post still arrives, once, on a later turn.
int runWithoutBus()
{
    DBusDistributedCenter center;
    int delivered = 0;
    QString type;
    center.observe(QStringLiteral("OVTestLocal"), &center, [&](const Notification &n) {
        ++delivered;
        type = QString::fromLatin1(n.userInfo.value(QStringLiteral("f")).metaType().name()) + QLatin1Char(' ')
            + describeObject(n.object);
    });
    center.post(QStringLiteral("OVTestLocal"), QStringLiteral(""), QVariantMap{{"f", QVariant::fromValue(1.5f)}});
    const int synchronous = delivered;
    QTimer::singleShot(200, [&] {
        std::printf("connected %d synchronous %d delivered %d %s\n", int(center.isConnected()), synchronous,
                    delivered, qPrintable(type));
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

} // namespace

class TestDBusCenter : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void cleanupTestCase();
    void bothProcessesReceiveWithTypes_data();
    void bothProcessesReceiveWithTypes();
    void malformedPayloadIsDropped_data();
    void malformedPayloadIsDropped();
    void nonPlistUserInfoIsNotPosted();
    void withoutBusOwnPostsStayInProcess();

private:
    // Posts a marker and waits for it to come back: everything the bus sent
    // this process before it has been delivered by then.
    bool fence();

    std::unique_ptr<DBusDistributedCenter> m_center;
    QProcess m_peer;
    QList<Notification> m_pongs;
    QList<Notification> m_ownPings;
    QString m_peerStderr;
    int m_pingsSent = 0;
    int m_fences = 0;
    int m_fencesSeen = 0;
    bool m_peerReady = false;
};

void TestDBusCenter::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("no session bus: run the tests under dbus-run-session");
    m_center = std::make_unique<DBusDistributedCenter>();
    QVERIFY(m_center->isConnected());
    m_center->observe(QStringLiteral("OVTestReady"), this, [this](const Notification &) { m_peerReady = true; });
    m_center->observe(QStringLiteral("OVTestPong"), this, [this](const Notification &n) { m_pongs << n; });
    m_center->observe(QStringLiteral("OVTestPing"), this, [this](const Notification &n) { m_ownPings << n; });
    m_center->observe(QStringLiteral("OVTestFence"), this, [this](const Notification &) { ++m_fencesSeen; });

    m_peer.setProgram(QCoreApplication::applicationFilePath());
    m_peer.setArguments({QStringLiteral("--peer")});
    m_peer.start();
    QVERIFY(m_peer.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_peerReady, 10000);
}

void TestDBusCenter::cleanupTestCase()
{
    if (m_peer.state() == QProcess::NotRunning)
        return;
    m_center->post(QStringLiteral("OVTestQuit"));
    if (!m_peer.waitForFinished(5000))
        m_peer.kill();
}

bool TestDBusCenter::fence()
{
    const int wanted = ++m_fences;
    m_center->post(QStringLiteral("OVTestFence"));
    return QTest::qWaitFor([&] { return m_fencesSeen >= wanted; }, 10000);
}

void TestDBusCenter::bothProcessesReceiveWithTypes_data()
{
    QTest::addColumn<QString>("object");
    QTest::newRow("no object") << QString();
    QTest::newRow("empty object") << QStringLiteral("");
    QTest::newRow("device key") << QStringLiteral("0x1234_0x5678");
}

void TestDBusCenter::bothProcessesReceiveWithTypes()
{
    QFETCH(QString, object);
    m_pongs.clear();
    m_ownPings.clear();

    m_center->post(QStringLiteral("OVTestPing"), object, typedValues());
    ++m_pingsSent;
    QVERIFY(m_ownPings.isEmpty()); // never synchronous
    QTRY_COMPARE_WITH_TIMEOUT(m_pongs.size(), 1, 10000);
    QVERIFY(fence());

    // The poster's own copy: once, with the object and the types.
    QCOMPARE(m_ownPings.size(), 1);
    QCOMPARE(describeObject(m_ownPings.first().object), describeObject(object));
    QCOMPARE(describeValue(m_ownPings.first().userInfo), describeValue(typedValuesReceived()));

    // The peer's copy, as the peer saw it.
    QVariantMap pong = m_pongs.first().userInfo;
    QCOMPARE(pong.take(QStringLiteral("received")).toString(), describeValue(typedValuesReceived()));
    QCOMPARE(pong.take(QStringLiteral("object")).toString(), describeObject(object));
    QCOMPARE(describeValue(pong.take(QStringLiteral("pings"))), QStringLiteral("qlonglong:%1").arg(m_pingsSent));
    // And what the peer sent, as this process received it.
    QCOMPARE(describeValue(pong), describeValue(typedValuesReceived()));
    QVERIFY(m_pongs.first().object.isNull());
}

void TestDBusCenter::malformedPayloadIsDropped_data()
{
    QTest::addColumn<QString>("signature");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("not a property list")
        << "sbsay" << QByteArray("\x01\x02garbage") << "cannot receive distributed notification \"OVTestBad\": "
                                                       "userInfo is not a property list: not a property list";
    QTest::newRow("empty payload") << "sbsay" << QByteArray()
                                   << "cannot receive distributed notification \"OVTestBad\": "
                                      "userInfo is not a property list: not a property list: no bytes";
    QTest::newRow("not a dictionary")
        << "sbsay" << *platform::plist::write(QVariantList{1, 2}, platform::plist::Format::Binary)
        << "cannot receive distributed notification \"OVTestBad\": userInfo is not a dictionary";
    QTest::newRow("truncated dictionary")
        << "sbsay" << platform::plist::write(QVariantMap{{"a", 1}}, platform::plist::Format::Binary)->chopped(3)
        << "cannot receive distributed notification \"OVTestBad\": userInfo is not a property list: ";
    QTest::newRow("wrong arguments") << "s" << QByteArray()
                                     << "cannot receive distributed notification from :";
}

void TestDBusCenter::malformedPayloadIsDropped()
{
    QFETCH(QString, signature);
    QFETCH(QByteArray, payload);
    QFETCH(QString, logLine);

    int delivered = 0;
    m_center->observe(QStringLiteral("OVTestBad"), &delivered, [&](const Notification &) { ++delivered; });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(logLine)));

    QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/com/orvane/Notifications"),
                                                     QStringLiteral("com.orvane.Notifications"),
                                                     QStringLiteral("Notification"));
    if (signature == QLatin1String("sbsay"))
        signal << QStringLiteral("OVTestBad") << false << QString() << payload;
    else
        signal << QStringLiteral("OVTestBad");
    QVERIFY(QDBusConnection::sessionBus().send(signal));
    QVERIFY(fence());
    m_center->removeObserver(&delivered);
    QCOMPARE(delivered, 0);

    // The peer dropped it too, with the same line, and is still answering.
    m_pongs.clear();
    m_ownPings.clear();
    m_center->post(QStringLiteral("OVTestPing"));
    ++m_pingsSent;
    QTRY_COMPARE_WITH_TIMEOUT(m_pongs.size(), 1, 10000);
    QCOMPARE(m_pongs.first().userInfo.value(QStringLiteral("pings")).toInt(), m_pingsSent);
    QTRY_VERIFY_WITH_TIMEOUT((m_peerStderr += QString::fromUtf8(m_peer.readAllStandardError())).contains(logLine),
                             5000);
}

void TestDBusCenter::nonPlistUserInfoIsNotPosted()
{
    m_ownPings.clear();
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^cannot post distributed notification \"OVTestPing\": "
                                                           "cannot write value of type QUrl")));
    m_center->post(QStringLiteral("OVTestPing"), QString(), QVariantMap{{"url", QUrl("https://example.com")}});
    QVERIFY(fence());
    QVERIFY(m_ownPings.isEmpty());
}

void TestDBusCenter::withoutBusOwnPostsStayInProcess()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=/nonexistent/ov-test-bus"));
    env.remove(QStringLiteral("DISPLAY")); // no autolaunch
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--no-bus")});
    QVERIFY(child.waitForFinished(10000));
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()).trimmed(),
             QStringLiteral("connected 0 synchronous 0 delivered 1 double empty"));
    const QStringList lines = QString::fromUtf8(child.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines.first().contains(QLatin1String("cannot connect distributed notifications to the session bus")),
             qPrintable(lines.first()));
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--peer") == 0)
        return runPeer();
    if (argc > 1 && qstrcmp(argv[1], "--no-bus") == 0)
        return runWithoutBus();
    TestDBusCenter test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dbuscenter.moc"
