#pragma once

#include <functional>

#include <QString>

namespace platform {

inline constexpr char kDriverBundleId[] = "com.orvane.OrvaneTabletDriver";
inline constexpr char kSettingBundleId[] = "com.orvane.OrvaneTabletSetting";
inline constexpr char kSettingInstallPath[] = "/Applications/OrvaneTablet/OrvaneTabletSetting.app";
inline constexpr char kDriverInstallPath[] = "/Applications/OrvaneTablet/Tools/OrvaneTabletDriver.app";

struct FrontApplication
{
    QString bundleId; // empty when none is active
    QString processName; // on Linux: the window class of the front window
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
