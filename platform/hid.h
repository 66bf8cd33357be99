#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include <QList>
#include <QVariant>

namespace platform {

// Result codes of a HID manager or device call, as the system compares them.
namespace hidresult {
inline constexpr quint32 Success = 0;
inline constexpr quint32 Error = 0xE00002BC;
inline constexpr quint32 NotPrivileged = 0xE00002C1;
inline constexpr quint32 ExclusiveAccess = 0xE00002C5;
inline constexpr quint32 NoDevice = 0xE00002C0;
inline constexpr quint32 NotPermitted = 0xE00002E2;
} // namespace hidresult

enum class ReportType { Input = 0, Output = 1, Feature = 2 };

// Property keys a HID interface answers.
inline constexpr char kHidVendorID[] = "VendorID";
inline constexpr char kHidProductID[] = "ProductID";
inline constexpr char kHidProduct[] = "Product";
inline constexpr char kHidPrimaryUsagePage[] = "PrimaryUsagePage";
inline constexpr char kHidPrimaryUsage[] = "PrimaryUsage";
// A list of maps {"DeviceUsagePage": int, "DeviceUsage": int}.
inline constexpr char kHidDeviceUsagePairs[] = "DeviceUsagePairs";
inline constexpr char kHidDeviceUsagePage[] = "DeviceUsagePage";
inline constexpr char kHidDeviceUsage[] = "DeviceUsage";

class HidDevice;

struct InputReport
{
    quint32 result = hidresult::Success;
    HidDevice *sender = nullptr;
    ReportType type = ReportType::Input;
    quint32 reportId = 0;
    std::span<const std::uint8_t> bytes; // valid during the callback only
};

// One HID interface of a device. Owned by its manager; valid until the
// manager's removal callback for it has returned.
class HidDevice
{
public:
    using InputReportCallback = std::function<void(const InputReport &)>;

    virtual ~HidDevice() = default;

    // An invalid QVariant when the interface lacks the property.
    virtual QVariant property(const QString &key) const = 0;
    // One callback per interface: registering replaces the previous one; an
    // empty callback unregisters. Reports longer than maxLength are cut.
    virtual void registerInputReportCallback(InputReportCallback callback, int maxLength) = 0;
    virtual quint32 setReport(ReportType type, quint32 reportId, std::span<const std::uint8_t> bytes) = 0;
    virtual quint32 close() = 0;
};

struct VendorProduct
{
    int vendorId = 0;
    int productId = 0;
    friend bool operator==(const VendorProduct &, const VendorProduct &) = default;
};

// Open options of a manager.
inline constexpr quint32 kHidOptionsNone = 0;
inline constexpr quint32 kHidOptionsSeize = 1;

// A manager matches interfaces by a list of vendor/product pairs. Matching
// is reported once the manager is opened and scheduled, for devices already
// present and for those that come later.
class HidManager
{
public:
    using DeviceCallback = std::function<void(HidDevice *)>;

    virtual ~HidManager() = default;

    virtual void setDeviceMatchingMultiple(const QList<VendorProduct> &matching) = 0;
    virtual quint32 open(quint32 options) = 0;
    virtual void registerDeviceMatchingCallback(DeviceCallback callback) = 0;
    virtual void registerDeviceRemovalCallback(DeviceCallback callback) = 0;
    virtual void scheduleWithRunLoop() = 0;
    virtual void unscheduleFromRunLoop() = 0;
    virtual quint32 close(quint32 options) = 0;
};

class HidSystem
{
public:
    virtual ~HidSystem() = default;
    virtual std::unique_ptr<HidManager> createManager() = 0;
};

} // namespace platform
