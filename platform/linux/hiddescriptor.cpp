#include "hiddescriptor.h"

#include <vector>

namespace platform::native {

namespace {

// Item prefixes with the size bits masked off (HID 1.11, 6.2.2).
constexpr std::uint8_t kCollection = 0xA0;
constexpr std::uint8_t kEndCollection = 0xC0;
constexpr std::uint8_t kUsagePage = 0x04;
constexpr std::uint8_t kReportId = 0x84;
constexpr std::uint8_t kPush = 0xA4;
constexpr std::uint8_t kPop = 0xB4;
constexpr std::uint8_t kUsage = 0x08;
constexpr std::uint8_t kLongItem = 0xFE;

constexpr std::uint32_t kApplicationCollection = 1;
// The kernel's global stack holds four entries; deeper Push is malformed.
constexpr size_t kMaxPush = 4;

struct LocalUsage
{
    std::uint32_t value;
    bool extended; // 32-bit usage: its high half names the page
};

std::uint32_t itemData(std::span<const std::uint8_t> data)
{
    std::uint32_t value = 0;
    for (size_t i = 0; i < data.size(); ++i)
        value |= std::uint32_t(data[i]) << (8 * i);
    return value;
}

} // namespace

std::optional<HidDescriptorSummary> parseHidDescriptor(std::span<const std::uint8_t> descriptor)
{
    HidDescriptorSummary summary;
    std::uint32_t usagePage = 0;
    std::vector<std::uint32_t> pushed;
    std::vector<LocalUsage> usages;
    int depth = 0;

    size_t pos = 0;
    while (pos < descriptor.size()) {
        const std::uint8_t prefix = descriptor[pos];
        if (prefix == kLongItem) {
            // Long items carry vendor data only; skip them whole.
            if (pos + 2 > descriptor.size() || pos + 3 + descriptor[pos + 1] > descriptor.size())
                return std::nullopt;
            pos += 3 + descriptor[pos + 1];
            continue;
        }
        const size_t size = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (pos + 1 + size > descriptor.size())
            return std::nullopt;
        const std::uint32_t data = itemData(descriptor.subspan(pos + 1, size));
        pos += 1 + size;

        switch (prefix & 0xFC) {
        case kUsagePage:
            usagePage = data;
            break;
        case kReportId:
            summary.numberedReports = true;
            break;
        case kPush:
            if (pushed.size() == kMaxPush)
                return std::nullopt;
            pushed.push_back(usagePage);
            break;
        case kPop:
            if (pushed.empty())
                return std::nullopt;
            usagePage = pushed.back();
            pushed.pop_back();
            break;
        case kUsage:
            usages.push_back(LocalUsage { data, size == 4 });
            break;
        case kCollection:
            if (depth == 0 && data == kApplicationCollection) {
                // A 16-bit usage takes the page in effect at the main item,
                // which may come after the usage (HID 1.11, 6.2.2.8).
                HidUsagePair pair { int(usagePage & 0xFFFF), 0 };
                if (!usages.empty()) {
                    const LocalUsage &first = usages.front();
                    pair.usagePage = first.extended ? int(first.value >> 16) : int(usagePage & 0xFFFF);
                    pair.usage = int(first.value & 0xFFFF);
                }
                summary.collections.append(pair);
            }
            ++depth;
            break;
        case kEndCollection:
            if (depth == 0)
                return std::nullopt;
            --depth;
            break;
        default:
            break;
        }
        // Local items last until the next main item (Input, Output, Feature,
        // Collection, End Collection).
        if ((prefix & 0x0C) == 0)
            usages.clear();
    }
    if (depth != 0)
        return std::nullopt;
    return summary;
}

} // namespace platform::native
