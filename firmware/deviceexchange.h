#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>

#include <QString>

#include "firmware/iapframe.h"
#include "platform/runloop.h"

namespace platform {
class HidDevice;
struct InputReport;
} // namespace platform

namespace firmware {

// Interface numbers of the protocol (the device service's three slots).
inline constexpr int kInterfaceReport = 1; // deviceRef_0A, the report interface
inline constexpr int kInterface0B = 2; // deviceRef_0B
inline constexpr int kInterface0C = 3; // deviceRef_0C, also the boot program's; every command goes here

// How long a command waits for its reply. Flash writes (run-space change,
// flash query, parameters, records) may erase a page first.
struct ExchangeDeadlines
{
    std::chrono::milliseconds query{1000};
    std::chrono::milliseconds flashWrite{5000};
};

enum class CommOutcome {
    Replied, // a 0xFC report filled the reply
    NotAReply, // another report (not 10 bytes long) ended the wait
    NoInterface, // number outside 1..3 or no interface bound there: nothing sent
    SendFailed, // the output report was refused; "Driver_Comm_SendFailed: %d" logged
    TimedOut, // no report within the deadline
    CleanedUp, // the device service went away
};

using RequestReport = std::array<std::uint8_t, kReportLength>;

// The one exchange slot of a device service: at most one request in flight,
// its reply delivered by the service's input-report callbacks. Everything
// runs on the main thread and nothing waits: a request goes out, and the
// exchange ends on its reply, on a report that is no reply, on cleanup or at
// its deadline, taken from the run loop (virtual in the simulator). Then the
// caller's continuation runs on a later turn.
//
//   idle --send--> waiting --reply / other report / deadline / cleanup--> idle
//                     (the next queued request goes out once the
//                      continuation of this one has run)
//
// A request made while another waits is queued behind it, so the commands of
// one device never overlap on the wire. Held by shared_ptr: the steps it
// schedules hold it weakly and do nothing once it is gone.
class DeviceExchange : public std::enable_shared_from_this<DeviceExchange>
{
public:
    // The outcome, and the reply report (empty unless Replied), valid during
    // the call only.
    using Done = std::function<void(CommOutcome outcome, std::span<const std::uint8_t> reply)>;

    static std::shared_ptr<DeviceExchange> create(platform::RunLoop &runLoop, const QString &devKey);
    ~DeviceExchange();
    DeviceExchange(const DeviceExchange &) = delete;
    DeviceExchange &operator=(const DeviceExchange &) = delete;

    const QString &devKey() const { return m_devKey; }
    platform::RunLoop &runLoop() const { return m_runLoop; }

    // Binds (or, with nullptr, forgets) interface 1..3.
    void setDeviceRef(int number, platform::HidDevice *device);
    // Ends the waiting exchange and every queued one (CleanedUp) and forgets
    // the interfaces; every later exchange fails without sending.
    void cleanup();
    bool isCleanedUp() const { return m_cleanedUp; }

    // Every input report of the 0xFF0B and 0xFF0C interfaces, and every
    // report of the report interface whose byte 0 is 0xFC.
    void commReplyCallback(const platform::InputReport &report);
    void commReplyCallback(std::span<const std::uint8_t> report);

    void setDeadlines(const ExchangeDeadlines &deadlines) { m_deadlines = deadlines; }
    ExchangeDeadlines deadlines() const { return m_deadlines; }

    // One exchange on interface `number`: sends the request report (now, or
    // when the exchanges queued before it have ended) and waits at most
    // `timeout` for the reply. `done` runs once, on a later turn, whatever
    // the outcome.
    void DriverCommSend(int number, const RequestReport &request, std::chrono::milliseconds timeout, Done done);

    // A request is out and no reply has come yet.
    bool isWaiting() const { return m_DriverCommSendSynWait; }

private:
    struct Pending
    {
        int number = 0;
        RequestReport request{};
        std::chrono::milliseconds timeout{0};
        Done done;
    };

    DeviceExchange(platform::RunLoop &runLoop, const QString &devKey);
    void startNext();
    void finish(CommOutcome outcome, std::size_t replyLength = 0);
    // Runs on the turn after the end: the continuation, then the next request.
    void conclude(CommOutcome outcome, std::size_t replyLength, Done done);

    platform::RunLoop &m_runLoop;
    const QString m_devKey;
    std::array<platform::HidDevice *, 3> m_deviceRefs{}; // deviceRef_0A, _0B, _0C
    bool m_cleanedUp = false;
    ExchangeDeadlines m_deadlines;

    std::deque<Pending> m_queue; // requests waiting for the slot
    // The exchange in flight, from its send until its continuation has run.
    bool m_busy = false;
    int m_number = 0; // its interface
    quint64 m_id = 0; // counts the exchanges, so a late deadline finds nothing to end
    Done m_done;
    platform::RunLoop::TimerId m_deadline = 0;
    // Set right before the report goes out: reports that come earlier cannot
    // be this request's reply. Cleared when the exchange ends.
    bool m_DriverCommSendSynWait = false;
    // The reply of the exchange in flight; read by its continuation, which
    // runs before the next request can go out.
    RequestReport m_DriverCommReceiveResFrame{};
    RequestReport m_sendBuffer{};
};

} // namespace firmware
