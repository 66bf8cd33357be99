#include <QTest>

#include "platform/linux/usbbus.h"

using platform::UsbControlRequest;
using platform::UsbDeviceInfo;
using platform::native::LibUsbBus;

class TestUsbBus : public QObject
{
    Q_OBJECT
private slots:
    void absentDevicesAnswerErrors();
};

// A device that is not (or no longer) on the bus, or a machine without a USB
// bus at all, answers an error code at once; the caller's buffer is left as
// it was. Runs everywhere: no test device has these numbers.
void TestUsbBus::absentDevicesAnswerErrors()
{
    LibUsbBus bus;
    QList<UsbDeviceInfo> listed { UsbDeviceInfo { 7, 1, 1 } };
    int error = 0;
    if (bus.devices(0x3A8F, 0xFFFE, &listed, &error)) {
        QVERIFY(listed.isEmpty());
    } else {
        QVERIFY(error < 0);
        QCOMPARE(listed.size(), 1);
    }

    // String descriptor 100, language 0, as one model's start asks for it.
    const UsbControlRequest request { 0x80, 6, 0x0364, 0, 255 };
    QByteArray data("kept");
    const int result
        = bus.deviceRequest(UsbDeviceInfo { LibUsbBus::handleFor(255, 127), 0x3A8F, 0xFFFE }, request, &data);
    QVERIFY(result < 0);
    QCOMPARE(data, QByteArray("kept"));
}

QTEST_GUILESS_MAIN(TestUsbBus)
#include "tst_usbbus.moc"
