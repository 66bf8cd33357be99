// Report descriptors come from whatever is plugged in: any bytes must parse
// or be refused without reading past the descriptor, and a summary must hold
// together (the primary pair is the first of the pairs, every page and usage
// is 16 bits).
//
// The input is the descriptor. It is also cut in two at a point that its
// first byte picks: when both halves and the whole parse, the whole lists
// the collections of both halves and carries report ids when either does.

#include <cstdint>
#include <vector>

#include "platform/linux/hiddescriptor.h"

namespace {

using platform::native::HidDescriptorSummary;
using platform::native::HidUsagePair;

void check(const HidDescriptorSummary &summary, size_t size)
{
    if (summary.collections.isEmpty()) {
        if (summary.primary() != HidUsagePair {})
            __builtin_trap();
        return;
    }
    if (summary.primary() != summary.collections.first())
        __builtin_trap();
    for (const HidUsagePair &pair : summary.collections) {
        if (pair.usagePage < 0 || pair.usagePage > 0xFFFF || pair.usage < 0 || pair.usage > 0xFFFF)
            __builtin_trap();
    }
    // Collection (Application) takes two bytes and its End Collection one.
    if (size_t(summary.collections.size()) * 3 > size)
        __builtin_trap();
}

// A copy of exactly its length, so that a read past its end is an
// AddressSanitizer error.
std::optional<HidDescriptorSummary> parseCopy(const std::uint8_t *data, size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    const auto summary = platform::native::parseHidDescriptor(bytes);
    if (summary)
        check(*summary, size);
    return summary;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, size_t size)
{
    const auto whole = parseCopy(data, size);
    if (size == 0)
        return 0;

    const size_t cut = data[0] % (size + 1);
    const auto head = parseCopy(data, cut);
    const auto tail = parseCopy(data + cut, size - cut);
    // The whole may still be refused: the halves' Push items together can
    // overflow the stack that each alone stays inside.
    if (head && tail && whole) {
        if (whole->collections.size() != head->collections.size() + tail->collections.size())
            __builtin_trap();
        if (whole->numberedReports != (head->numberedReports || tail->numberedReports))
            __builtin_trap();
        // The head's pairs are read before the tail can change anything.
        if (whole->collections.mid(0, head->collections.size()) != head->collections)
            __builtin_trap();
    }
    return 0;
}
