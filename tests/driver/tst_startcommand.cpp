#include <QTest>

#include "driver/startcommand.h"
#include "platform/sim/simusb.h"

using driver::StartCommand;
using driver::StartKind;
using store::Model;

Q_DECLARE_METATYPE(Model)
Q_DECLARE_METATYPE(StartKind)

class TstStartCommand : public QObject
{
    Q_OBJECT

private slots:
    void startCommand_data();
    void startCommand();
    void cmdSendFailedText_data();
    void cmdSendFailedText();

    void m517Requests_data();
    void m517Requests();
    void m517ListFails();
    void m517UnwantedDevice();
};

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

// A bus that lists whatever it was given, whatever was asked for.
class ListingEverythingBus : public platform::UsbBus
{
public:
    QList<platform::UsbDeviceInfo> listed;
    int requestCount = 0;

    bool devices(int, int, QList<platform::UsbDeviceInfo> *out, int *) override
    {
        *out = listed;
        return true;
    }
    int deviceRequest(const platform::UsbDeviceInfo &, const platform::UsbControlRequest &,
                      QByteArray *) override
    {
        ++requestCount;
        return 0;
    }
};

} // namespace

void TstStartCommand::startCommand_data()
{
    QTest::addColumn<Model>("model");
    QTest::addColumn<StartKind>("kind");
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<QByteArray>("second");

    const QByteArray eight = hex("02 B0 04 00 00 00 00 00");
    const QByteArray seventeen = hex("02 B0 04 00 00 00 00 00 00 00 00 00 00 00 00 00 00");
    const auto R = StartKind::OutputReport;

    QTest::newRow("M482 Plus V2: 17 bytes") << Model::M482PlusV2 << R << seventeen << QByteArray();
    QTest::newRow("unnamed key: 17 bytes") << Model::Unnamed << R << seventeen << QByteArray();
    QTest::newRow("Sorvi 16Pro: two reports") << Model::Sorvi16Pro << R
                                              << hex("09 01 04 00 00 00 00 00")
                                              << hex("09 02 02 00 00 00 00 00");
    QTest::newRow("Sorvi 22Pro: two reports") << Model::Sorvi22Pro << R
                                              << hex("09 01 04 00 00 00 00 00")
                                              << hex("09 02 02 00 00 00 00 00");
    for (Model model : {Model::M517V2, Model::TevraM, Model::TevraS, Model::Sorvi12Pro,
                        Model::KalverinM, Model::KalverinS, Model::TevraN4, Model::TevraN7,
                        Model::TevraN7B, Model::TevraN10, Model::TevraN10B, Model::TevraQ}) {
        const QByteArray name = QByteArray(store::rowFor(model).productName) + ": 8 bytes";
        QTest::newRow(name.constData()) << model << R << eight << QByteArray();
    }
    QTest::newRow("M517 V1: USB requests") << Model::M517V1 << StartKind::UsbRequests
                                           << QByteArray() << QByteArray();
    for (Model model : {Model::Sorvi10, Model::Sorvi1316, Model::Sorvi22, Model::Sorvi13}) {
        const QByteArray name = QByteArray(store::rowFor(model).productName) + ": none";
        QTest::newRow(name.constData()) << model << StartKind::None << QByteArray() << QByteArray();
    }
}

void TstStartCommand::startCommand()
{
    QFETCH(Model, model);
    QFETCH(StartKind, kind);
    QFETCH(QByteArray, report);
    QFETCH(QByteArray, second);

    const StartCommand command = driver::startCommand(model);
    QCOMPARE(command.kind, kind);
    QCOMPARE(command.report.toHex(' '), report.toHex(' '));
    QCOMPARE(command.secondReport.toHex(' '), second.toHex(' '));
}

void TstStartCommand::cmdSendFailedText_data()
{
    QTest::addColumn<quint32>("result");
    QTest::addColumn<QString>("text");

    QTest::newRow("general error as signed") << quint32(0xE00002BC) << "cmd send failed: -536870212";
    QTest::newRow("small code") << quint32(5) << "cmd send failed: 5";
}

void TstStartCommand::cmdSendFailedText()
{
    QFETCH(quint32, result);
    QFETCH(QString, text);
    QCOMPARE(driver::cmdSendFailedText(result), text);
}

void TstStartCommand::m517Requests_data()
{
    QTest::addColumn<int>("m517Count");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("one tablet") << 1 << QList<int>{} << QStringList{};
    QTest::newRow("two tablets: both get all three") << 2 << QList<int>{} << QStringList{};
    QTest::newRow("failing first request")
        << 1 << QList<int>{-536870212} << QStringList{"get descriptor 1 error: -536870212"};
    QTest::newRow("all three fail") << 1 << QList<int>{1, 2, 3}
                                    << QStringList{"get descriptor 1 error: 1",
                                                   "get descriptor 2 error: 2",
                                                   "get descriptor 3 error: 3"};
    QTest::newRow("second tablet's second request fails")
        << 2 << QList<int>{0, 0, 0, 0, 9, 0} << QStringList{"get descriptor 2 error: 9"};
    QTest::newRow("no tablet") << 0 << QList<int>{} << QStringList{};
}

void TstStartCommand::m517Requests()
{
    QFETCH(int, m517Count);
    QFETCH(QList<int>, results);
    QFETCH(QStringList, log);

    const store::ModelRow &m517 = store::rowFor(Model::M517V1);
    const store::ModelRow &other = store::rowFor(Model::M517V2);
    platform::sim::SimUsbBus bus;
    bus.addDevice(other.vendorId, other.productId);
    for (int i = 0; i < m517Count; ++i)
        bus.addDevice(m517.vendorId, m517.productId);
    bus.queueRequestResults(results);

    QStringList lines;
    driver::sendM517Requests(bus, [&](const QString &line) { lines << line; });
    QCOMPARE(lines, log);

    // GET_DESCRIPTOR (0x80, 6) of string descriptors 100, 123, 122, language
    // 0, 255 bytes, to each M517 V1 in turn.
    const auto &requests = bus.requests();
    QCOMPARE(int(requests.size()), 3 * m517Count);
    const quint16 values[] = {0x0364, 0x037B, 0x037A};
    for (size_t i = 0; i < requests.size(); ++i) {
        const auto &request = requests[i];
        QCOMPARE(request.device.vendorId, m517.vendorId);
        QCOMPARE(request.device.productId, m517.productId);
        QCOMPARE(request.device.handle, requests[i - i % 3].device.handle);
        QCOMPARE(request.request.requestType, quint8(0x80));
        QCOMPARE(request.request.request, quint8(6));
        QCOMPARE(request.request.value, values[i % 3]);
        QCOMPARE(request.request.index, quint16(0));
        QCOMPARE(request.request.length, quint16(255));
    }
    if (m517Count == 2)
        QVERIFY(requests[0].device.handle != requests[3].device.handle);
}

void TstStartCommand::m517ListFails()
{
    const store::ModelRow &m517 = store::rowFor(Model::M517V1);
    platform::sim::SimUsbBus bus;
    bus.addDevice(m517.vendorId, m517.productId);
    bus.setListError(-4);
    QStringList lines;
    driver::sendM517Requests(bus, [&](const QString &line) { lines << line; });
    QCOMPARE(lines, QStringList{"matching services error: -4"});
    QVERIFY(bus.requests().empty());
}

void TstStartCommand::m517UnwantedDevice()
{
    const store::ModelRow &m517 = store::rowFor(Model::M517V1);
    ListingEverythingBus bus;
    bus.listed = {{1, 0x1234, 0x5678}, {2, m517.vendorId, m517.productId}};
    QStringList lines;
    driver::sendM517Requests(bus, [&](const QString &line) { lines << line; });
    QCOMPARE(lines, QStringList{QStringLiteral("unwanted device: %1, %2").arg(0x1234).arg(0x5678)});
    QCOMPARE(bus.requestCount, 3);
}

QTEST_GUILESS_MAIN(TstStartCommand)
#include "tst_startcommand.moc"
