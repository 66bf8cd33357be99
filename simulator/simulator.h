#pragma once

#include <functional>
#include <memory>

#include <QHash>
#include <QList>
#include <QString>

#include "platform/notificationcenter.h"
#include "platform/platform.h"
#include "platform/sim/simbus.h"
#include "platform/sim/simplatform.h"
#include "simscript.h"

namespace driver {
class AppDelegate;
}

namespace driverapp {

class SimOutput;

// The run loop and distributed centre of a real-time run (--sim-devices):
// the Qt event loop and the session bus instead of the manual clock and the
// in-process bus. Posts of the driver are printed by the centre itself.
struct RealTimeServices
{
    platform::RunLoop *runLoop = nullptr;
    platform::DistributedCenter *distributed = nullptr;
    // Posts a notification as another process would: not printed.
    std::function<void(const platform::Notification &)> inject;
};

// Runs the whole driver against a script on the simulated platform and
// prints what it does. Virtual time (run()) or real time (start()).
class Simulator
{
public:
    // dataFolder empty: a fresh temporary folder, removed with the
    // simulator. realTime null: the virtual clock and the in-process bus.
    Simulator(SimOutput &out, const QString &dataFolder, const RealTimeServices *realTime = nullptr);
    ~Simulator();
    Simulator(const Simulator &) = delete;
    Simulator &operator=(const Simulator &) = delete;

    // The script's lines, from the first.
    void setScript(const QStringList &lines);

    // Virtual time: runs the script, starts the driver if the script never
    // did, runs what is due and ends the driver with "end of script" (unless
    // it ended on its own before).
    void run();
    // Real time: runs the script on the run loop, waits included; after the
    // last line the driver keeps running until terminate().
    void start();
    // Ends the driver through its normal termination path, once; prints the
    // "exit" line. A driver that never started is only reported as ended.
    void terminate(const QString &reason);

    bool hasTerminated() const { return m_terminated; }
    // The output, for the driver's windows to report through ("notice",
    // "window") once they have a hook to call.
    SimOutput &output() { return m_out; }
    platform::Platform &platform() { return *m_platform; }
    platform::sim::SimPlatform &simulated() { return m_sim; }
    QString dataFolder() const { return m_platform->dataFolder; }

private:
    enum class StepKind { Log, Start, Run };
    struct Step
    {
        StepKind kind;
        Command command;
        QString message;
    };

    void installHooks();
    void proceed();
    void finish();
    void startDriver();
    // Answers the seconds the script waits after this command.
    double execute(const Command &command);
    void scriptLog(const Command &command, const QString &why);
    void connect(const Command &command);
    void remove(const Command &command);
    void writeConfig(const Command &command);
    void dump(const Command &command);
    QString relativeName(const QString &path) const;
    void driverEnded(const QString &reason);
    enum class StepDone { Nothing, Logged, Ran };
    // One step of the script; Nothing once none is left or the driver ended.
    StepDone step();
    // An alert or panel held open for `seconds`: the script goes on inside
    // it until then, or until it is ended from outside.
    void spin(double seconds, const std::function<bool()> &open);
    // Connect, report and remove reach the driver as devices do: held back
    // while an alert or panel is open.
    void deliverDeviceEvent(std::function<void()> fn);
    void noticeQuit();

    SimOutput &m_out;
    const bool m_realTime;
    RealTimeServices m_services;
    platform::sim::SimBus m_bus;
    platform::sim::SimPlatform m_sim;
    std::unique_ptr<platform::Platform> m_realPlatform;
    platform::Platform *m_platform = nullptr;
    QList<Step> m_steps;
    qsizetype m_next = 0;
    // Virtual time up to which the script waits (the last `wait` ends there).
    double m_waitUntil = 0;
    bool m_started = false;
    bool m_finished = false;
    bool m_terminated = false;
    // Connected interfaces by name, with their device key; a USB device of
    // that key is present while any of its interfaces is.
    QHash<QString, QString> m_interfaceKeys;
    QHash<QString, int> m_keyInterfaces;
    // Last, so that the driver goes before the platform it runs on.
    std::unique_ptr<driver::AppDelegate> m_delegate;
};

} // namespace driverapp
