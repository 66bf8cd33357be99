#pragma once

#include <functional>

#include <QByteArray>
#include <QString>

#include "store/ovmodels.h"

namespace platform {
class UsbBus;
}

namespace driver {

// How a model is started when its report interface is bound.
enum class StartKind {
    None, // Sorvi10, Sorvi 13/16, Sorvi 22 (and the Sorvi13): nothing is sent
    OutputReport, // output report(s) on the report interface, report id 0
    UsbRequests, // M517 V1: string-descriptor requests, sendM517Requests()
};

struct StartCommand
{
    StartKind kind = StartKind::None;
    QByteArray report; // OutputReport: the report sent at once
    // A second report kSecondReportDelay later, sent only while the service
    // still holds its report interface; empty for none.
    QByteArray secondReport;
};

// Seconds between the Sorvi 16Pro/22Pro's two start reports.
inline constexpr double kSecondReportDelay = 0.5;

StartCommand startCommand(const store::ModelRow &row);
StartCommand startCommand(store::Model model);

// "cmd send failed: %d", the setReport result as a signed number. Logged for
// a non-zero result; nothing is retried.
QString cmdSendFailedText(quint32 result);

using StartLog = std::function<void(const QString &line)>;

// The M517 V1's start: three GET_DESCRIPTOR string requests (indexes 100,
// 123 and 122, language 0, 255 bytes each) to every M517 V1 on the bus,
// whichever of them is being bound. A failed request logs its line and the
// next one is still made; the answers are not used.
void sendM517Requests(platform::UsbBus &bus, const StartLog &log);

} // namespace driver
