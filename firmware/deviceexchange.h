#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

#include <QString>

#include "firmware/iapframe.h"

namespace platform {
class HidDevice;
class RunLoop;
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
    OnMainThread, // refused: the main thread never waits
};

// The one exchange slot of a device service: at most one request in flight,
// its reply delivered by the service's input-report callbacks.
//
// Threads: setDeviceRef, cleanup and commReplyCallback run on the main
// thread; DriverCommSend runs on worker threads only and blocks until the
// exchange ends (reply, other report, send failure, deadline or cleanup).
// The output report itself is sent from the main thread, where the HID
// interfaces live; the worker hands it over and waits.
//
// Held by shared_ptr: worker threads and posted steps keep it alive, so the
// service may drop its reference at any time after cleanup().
class DeviceExchange : public std::enable_shared_from_this<DeviceExchange>
{
public:
    static std::shared_ptr<DeviceExchange> create(platform::RunLoop &runLoop, const QString &devKey);
    DeviceExchange(const DeviceExchange &) = delete;
    DeviceExchange &operator=(const DeviceExchange &) = delete;

    const QString &devKey() const { return m_devKey; }
    platform::RunLoop &runLoop() const { return m_runLoop; }

    // Main thread. Binds (or, with nullptr, forgets) interface 1..3.
    void setDeviceRef(int number, platform::HidDevice *device);
    // Main thread. Ends a waiting exchange at once and forgets the
    // interfaces; every later exchange fails without sending.
    void cleanup();
    bool isCleanedUp() const;

    // Main thread: every input report of the 0xFF0B and 0xFF0C interfaces,
    // and every report of the report interface whose byte 0 is 0xFC.
    void commReplyCallback(const platform::InputReport &report);
    void commReplyCallback(std::span<const std::uint8_t> report);

    void setDeadlines(const ExchangeDeadlines &deadlines);
    ExchangeDeadlines deadlines() const;

    // Worker thread. One exchange on interface `number`: sends the request
    // report and waits at most `timeout` for the reply, which is copied into
    // `reply` (its length into *replyLength). Exchanges of one device are
    // serialised: a second caller waits for the first to end. On any outcome
    // but Replied the reply buffer is left as it was.
    CommOutcome DriverCommSend(int number, std::span<const std::uint8_t, kReportLength> request,
                               std::span<std::uint8_t, kReportLength> reply, quint16 *replyLength,
                               std::chrono::milliseconds timeout);

private:
    DeviceExchange(platform::RunLoop &runLoop, const QString &devKey);
    void sendStep(quint64 id, int number);
    void finish(CommOutcome outcome); // m_mutex held

    platform::RunLoop &m_runLoop;
    const QString m_devKey;

    std::mutex m_serial; // held by the worker for its whole exchange

    mutable std::mutex m_mutex; // guards everything below
    std::condition_variable m_ended;
    std::array<platform::HidDevice *, 3> m_deviceRefs{}; // deviceRef_0A, _0B, _0C
    bool m_cleanedUp = false;
    ExchangeDeadlines m_deadlines;
    // The waiting exchange. The pointers name the worker's buffers and are
    // cleared, under the mutex, before that worker returns: a late reply
    // finds them empty and is dropped.
    quint64 m_current = 0; // id of the waiting exchange, 0: none
    quint64 m_lastId = 0;
    quint64 m_endedId = 0;
    CommOutcome m_outcome = CommOutcome::TimedOut;
    const std::uint8_t *m_request = nullptr;
    // Set on the main thread right before the report goes out: reports that
    // come earlier cannot be this request's reply.
    bool m_DriverCommSendSynWait = false;
    std::uint8_t *m_DriverCommReceiveResFrame = nullptr;
    quint16 *m_DriverCommReceiveResLen = nullptr;

    std::array<std::uint8_t, kReportLength> m_sendBuffer{}; // main thread only
};

} // namespace firmware
