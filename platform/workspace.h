#pragma once

#include <functional>

#include <QString>
#include <QStringList>

namespace platform {

inline constexpr char kDriverBundleId[] = "com.orvane.OrvaneTabletDriver";
inline constexpr char kSettingBundleId[] = "com.orvane.OrvaneTabletSetting";
inline constexpr char kSettingInstallPath[] = "/Applications/OrvaneTablet/OrvaneTabletSetting.app";
inline constexpr char kDriverInstallPath[] = "/Applications/OrvaneTablet/Tools/OrvaneTabletDriver.app";

// The front application with every name it goes by. On Linux: bundleId is
// the file name of the program behind the window's _NET_WM_PID, processName
// the class part of its WM_CLASS; otherNames holds the instance part, that
// program's file name and, when a desktop entry is found for the window, the
// entry's file identifier, the identifier the settings application stores
// for it (StartupWMClass, else the Exec program's file name) and its Name.
// One application is named alike by the per-application sets and by the
// double-click exceptions: the settings application stores the entry's
// identifier, while X11 shows a capitalised class and a lower-case instance
// ("Gimp-2.10", "gimp-2.10") and a browser calls itself "Google-chrome"
// where its entry says "Google Chrome".
struct FrontApplication
{
    QString bundleId; // empty when none is active
    QString processName; // on Linux: the window class of the front window
    QStringList otherNames = {};

    // processName, then otherNames; without empty or repeated ones.
    QStringList names() const;
    // True when identifier equals one of the names, ignoring case: a stored
    // per-application set's key or a fixed name. An empty one names nothing.
    bool isNamed(const QString &identifier) const;
    // True when one of the names contains part, ignoring case.
    bool hasNameContaining(const QString &part) const;
};

class Workspace
{
public:
    virtual ~Workspace() = default;

    // Running copies of an application; a program counts itself among its own.
    virtual int runningCount(const QString &bundleId) const = 0;
    // Calls back once when no copy of bundleId runs any more.
    virtual void watchDisappearance(const QString &bundleId, std::function<void()> callback) = 0;
    // Asks every running copy to end (never a kill).
    virtual void terminate(const QString &bundleId) = 0;
    // Launches an application by its install path, a desktop entry or an
    // executable; never through a shell. False when it cannot be started.
    virtual bool launch(const QString &path) = 0;
    // Opens a file or an address with the desktop's handler.
    virtual bool open(const QString &pathOrUrl) = 0;
    virtual FrontApplication frontApplication() const = 0;
    // Seconds.
    virtual double doubleClickInterval() const = 0;
};

} // namespace platform
