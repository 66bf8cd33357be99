#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include <QList>

namespace platform::native {

// Usage page and usage of one top-level application collection.
struct HidUsagePair
{
    int usagePage = 0;
    int usage = 0;
    friend bool operator==(const HidUsagePair &, const HidUsagePair &) = default;
};

// What the rest of the platform needs of a report descriptor: the usage
// pairs a HID interface answers as "PrimaryUsagePage"/"PrimaryUsage" (the
// first top-level collection) and "DeviceUsagePairs" (all of them, in
// order), and whether its reports carry a report-id byte.
struct HidDescriptorSummary
{
    QList<HidUsagePair> collections;
    bool numberedReports = false;

    HidUsagePair primary() const { return collections.isEmpty() ? HidUsagePair {} : collections.first(); }
};

// Reads a report descriptor. Answers nothing for a descriptor that is cut
// inside an item, closes a collection it never opened, leaves one open, or
// nests Push deeper than the kernel allows.
std::optional<HidDescriptorSummary> parseHidDescriptor(std::span<const std::uint8_t> descriptor);

} // namespace platform::native
