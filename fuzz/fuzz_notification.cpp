// Distributed notifications as the driver receives them from the session bus:
// any process of the user may send any signal, so the decoding (signature,
// arguments, the userInfo property list) must refuse cleanly or hand over a
// dictionary, and the driver must take whatever record shape the dictionary
// has (a change record, an import, a request, a calibration step, ...)
// without failing.
//
// Input: byte 0 says how the signal looks (bits 0-1: 0 and 1 the right
// signature "sbsay", 2 a wrong signature from a list (bits 4-7 pick it), 3 the
// right signature with three arguments; bit 2: an object is present; bit 3:
// four virtual seconds pass after the delivery, so the 3-second save runs);
// then the name, a 0 byte, the object, a 0 byte, and the userInfo bytes.
//
// One driver runs on the simulated platform for the whole run, with a tablet
// and a pen display connected, so that records for their device keys reach a
// device's store and service. The quit notice is left out: it would end the
// driver for every later input.

#include <cstdint>
#include <cstdlib>

#include <QApplication>
#include <QByteArray>
#include <QVariantList>

#include "driver/appdelegate.h"
#include "platform/displays.h"
#include "platform/hid.h"
#include "platform/linux/dbuscenter.h"
#include "platform/sim/simplatform.h"
#include "platform/workspace.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"

namespace {

struct Driver
{
    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim { bus, QLatin1String(platform::kDriverBundleId) };
    driver::AppDelegate delegate { sim.platform() };

    Driver()
    {
        platform::DisplayInfo display;
        display.id = 1;
        display.bounds = QRectF(0, 0, 1920, 1080);
        display.main = true;
        sim.displays.setDisplay(display);
        delegate.setTerminationHandler([](const QString &) { });
        delegate.applicationDidFinishLaunching();
        connect("t", store::Model::TevraM);
        connect("p", store::Model::Sorvi16Pro);
        sim.runLoop.drain();
    }

    void connect(const char *iface, store::Model model)
    {
        const store::ModelRow &row = store::rowFor(model);
        sim.hid.connect(iface,
            QVariantMap { { QLatin1String(platform::kHidVendorID), row.vendorId },
                { QLatin1String(platform::kHidProductID), row.productId },
                { QLatin1String(platform::kHidProduct), QString::fromLatin1(row.productName) },
                { QLatin1String(platform::kHidPrimaryUsagePage), 0xFF0A },
                { QLatin1String(platform::kHidPrimaryUsage), 1 } });
    }
};

// Both live until the process ends and are never torn down: the fuzzer
// leaves through exit(), after Qt's own globals are gone.
Driver &driverOnce()
{
    static int argc = 1;
    static char name[] = "fuzz_notification";
    static char *argv[] = { name, nullptr };
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    (void)app;
    static Driver *driver = new Driver;
    return *driver;
}

const char *const kWrongSignatures[] = { "", "s", "sbs", "sbsas", "sbsays", "ssay", "sisay", "sbsv", "a{sv}" };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    Driver &driver = driverOnce();
    const std::uint8_t how = data[0];
    const QByteArray input(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const qsizetype nameEnd = input.indexOf('\0');
    const qsizetype objectEnd = nameEnd < 0 ? -1 : input.indexOf('\0', nameEnd + 1);
    const QString name = QString::fromUtf8(nameEnd < 0 ? input : input.left(nameEnd));
    const QString object = nameEnd < 0 ? QString() : QString::fromUtf8(input.mid(nameEnd + 1, objectEnd - nameEnd - 1));
    const QByteArray userInfo = objectEnd < 0 ? QByteArray() : input.mid(objectEnd + 1);
    if (name == store::OVCFGQuitDNotification)
        return 0;

    QString signature = QStringLiteral("sbsay");
    QList<QVariant> arguments { name, bool(how & 0x04), object, userInfo };
    switch (how & 0x03) {
    case 2:
        signature = QLatin1String(kWrongSignatures[(how >> 4) % std::size(kWrongSignatures)]);
        break;
    case 3:
        arguments.removeLast();
        break;
    default:
        break;
    }
    QString refusal;
    const auto notification
        = platform::native::decodeNotificationSignal(QStringLiteral(":1.7"), signature, arguments, &refusal);
    if (notification.has_value() != refusal.isEmpty())
        std::abort(); // exactly one of a notification and a reason
    if (!notification) {
        if ((how & 0x03) >= 2)
            return 0;
        // Only the userInfo can have failed.
        if (!refusal.contains(QLatin1String("userInfo")))
            std::abort();
        return 0;
    }
    if ((how & 0x03) >= 2 || notification->name != name)
        std::abort();
    if (bool(how & 0x04) ? notification->object != object || notification->object.isNull()
                         : !notification->object.isNull())
        std::abort();

    driver.bus.inject(*notification);
    driver.sim.runLoop.drain();
    if (how & 0x08)
        driver.sim.runLoop.advance(4);
    return 0;
}
