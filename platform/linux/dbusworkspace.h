#pragma once

#include <functional>
#include <memory>

#include "platform/workspace.h"

class QByteArray;

namespace platform {
class DesktopApplications;
}

namespace platform::native {

// The front application from the properties of the active window: its
// WM_CLASS value (instance name and class name, each ended by a NUL) gives the
// process name (the class; the instance name when the class is empty); the
// program file that /proc/<_NET_WM_PID>/exe names gives the bundle identifier
// (its file name). The other names are the instance name, the program's file
// name and, when `entries` has one for the window, the desktop entry's file
// id, identifier and Name. Empty fields where a property is missing.
FrontApplication frontApplicationFromWindow(
    const QByteArray &wmClass, const QString &executable, DesktopApplications *entries = nullptr);

// The file that a path into the settings application's resources
// ("/Applications/OrvaneTablet/OrvaneTabletSetting.app/Contents/Resources/...")
// names in the installed resource folder; any other path as it is.
QString installedResourcePath(const QString &path);

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
// Files inside the settings application's install path (its setup guides in
// "Contents/Resources") are opened from the installed resource folder
// (resourceFolder(): $OV_RESOURCES, else the share folder beside the program).
//
// The front application is the X11 active window's (_NET_ACTIVE_WINDOW on
// its own connection to $DISPLAY), kept current from the root window's
// property-change notices and answered from memory; empty without an X server
// or in a Wayland session, where no client may know which window is active.
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
    // X requests the front application's connection has sent so far.
    quint64 frontWindowRequests() const;
    // True when this process holds its own bundle identifier's name.
    bool ownsName() const;

private:
    class Bus;
    class FrontWindow;
    std::unique_ptr<Bus> m_bus;
    // Opened at the first question.
    mutable std::unique_ptr<FrontWindow> m_front;
};

} // namespace platform::native
