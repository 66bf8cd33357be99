#pragma once

#include <functional>
#include <memory>

#include "platform/workspace.h"

namespace platform::native {

// The workspace of a Linux desktop.
//
// Running copies are counted through session-bus names: each of our programs
// owns the name that is its bundle identifier ("com.orvane.OrvaneTabletDriver",
// "com.orvane.OrvaneTabletSetting"). The constructor claims it without
// queueing, so a second copy finds it taken: that copy counts 2 of itself.
//
// Each program exports /com/orvane/Application, interface
// com.orvane.Application, with the methods Quit() and Raise(); terminate()
// and raise() call them on the owner of a bundle identifier's name. The
// handlers run on a later turn of the main loop.
//
// Programs start without a shell: the install paths of our two programs
// resolve to the executables "OrvaneTabletSetting" and "OrvaneTabletDriver"
// in $OV_BIN_DIR, else beside the running executable; a ".desktop" file runs
// its Exec command (split on blanks and double quotes, field codes dropped);
// any other executable file runs as it is, without arguments.
//
// Build it on the main thread, after the application object, early: the
// name is claimed in the constructor.
class LinuxWorkspace : public Workspace
{
public:
    explicit LinuxWorkspace(const QString &ownBundleId);
    ~LinuxWorkspace() override;

    int runningCount(const QString &bundleId) const override;
    // Calls back once when the bundle identifier's name loses its owner.
    void watchDisappearance(const QString &bundleId, std::function<void()> callback) override;
    void terminate(const QString &bundleId) override;
    bool launch(const QString &path) override;
    bool open(const QString &pathOrUrl) override;
    FrontApplication frontApplication() const override;
    double doubleClickInterval() const override;

    // Asks the running copy of bundleId to bring its window forward.
    void raise(const QString &bundleId);
    void setQuitHandler(std::function<void()> handler);
    void setRaiseHandler(std::function<void()> handler);
    // True when this process holds its own bundle identifier's name.
    bool ownsName() const;

private:
    class Bus;
    std::unique_ptr<Bus> m_bus;
};

} // namespace platform::native
