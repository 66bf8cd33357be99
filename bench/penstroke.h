#pragma once

// One pen stroke as each pen report family sends it, shared by the
// benchmarks of the report path.

#include <cstdint>
#include <vector>

#include "store/ovmodels.h"

namespace penbench {

// 64 reports: a hover, 31 tip reports dragging (the tilt filters run), 32
// hover reports moving; every report 20 units on, so the hold-still filter
// lets all of them through.
inline std::vector<std::vector<std::uint8_t>> penStroke(store::Model model)
{
    using store::Model;
    std::vector<std::vector<std::uint8_t>> reports;
    for (int i = 0; i < 64; ++i) {
        const bool tip = i >= 1 && i < 32;
        const int x = 0x1000 + 20 * i;
        const int y = 0x2000 + 20 * i;
        std::vector<std::uint8_t> r;
        switch (model) {
        case Model::Sorvi10:
        case Model::Sorvi22:
        case Model::Sorvi1316: {
            const std::uint8_t status = model == Model::Sorvi10 ? (tip ? 0xA1 : 0xA0)
                                                                : (tip ? 0x41 : 0xA0);
            r = {0x01, status, std::uint8_t(x >> 8), std::uint8_t(x), std::uint8_t(y >> 8),
                 std::uint8_t(y), 0x80, 0x4A, 0x25};
            break;
        }
        case Model::Sorvi16Pro:
            r = {0x09, 0x41, std::uint8_t(tip ? 0xA1 : 0xA0), std::uint8_t(x), std::uint8_t(x >> 8),
                 0x00, std::uint8_t(y), std::uint8_t(y >> 8), 0x00, 0x34, 0x12, 0x0A, 0xF6};
            break;
        default:
            r = {0x02, std::uint8_t(tip ? 0xA1 : 0xA0), std::uint8_t(x), std::uint8_t(x >> 8),
                 std::uint8_t(y), std::uint8_t(y >> 8), 0x34, 0x12, 0x0A, 0xF6};
            break;
        }
        reports.push_back(r);
    }
    return reports;
}

} // namespace penbench

// One benchmark of `function` (taking the model) per pen report family;
// `options` is appended to each (->Repetitions(9) and the like).
#define PENBENCH_PER_FAMILY_WITH(function, options)                                                          \
    BENCHMARK_CAPTURE(function, generic_tilt_TevraM, store::Model::TevraM) options;                          \
    BENCHMARK_CAPTURE(function, generic_notilt_TevraS, store::Model::TevraS) options;                        \
    BENCHMARK_CAPTURE(function, generic_edges_Sorvi12Pro, store::Model::Sorvi12Pro) options;                 \
    BENCHMARK_CAPTURE(function, sorvi10, store::Model::Sorvi10) options;                                     \
    BENCHMARK_CAPTURE(function, sorvi22, store::Model::Sorvi22) options;                                     \
    BENCHMARK_CAPTURE(function, sorvi16, store::Model::Sorvi1316) options;                                   \
    BENCHMARK_CAPTURE(function, sorvi16pro, store::Model::Sorvi16Pro) options
#define PENBENCH_PER_FAMILY(function) PENBENCH_PER_FAMILY_WITH(function, )
