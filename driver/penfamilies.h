#pragma once

#include <cstdint>
#include <span>

#include "driver/penparser.h"

// The rows of the pen report families, one per penparser_<family>.cpp, and
// the parts that several of them share. Used by penparser.cpp's table only.
namespace driver {

extern const PenFamilyRow kGenericPenFamily; // penparser_generic.cpp
extern const PenFamilyRow kSorvi10PenFamily; // penparser_sorvi10.cpp
extern const PenFamilyRow kSorvi22PenFamily; // penparser_sorvi22.cpp
extern const PenFamilyRow kSorvi16PenFamily; // penparser_sorvi16.cpp
extern const PenFamilyRow kSorvi16ProPenFamily; // penparser_sorvi16pro.cpp

namespace penlayout {

// Bytes 0..8 of the Sorvi10, Sorvi 22 and Sorvi 13/16 pen reports.
inline constexpr std::size_t kSorviLength = 9;

// X, Y and tilt of those three layouts (position high byte first, tilt bit
// fields read as non-negative numbers). The caller has checked the length.
void readSorviPositionAndTilt(std::span<const std::uint8_t> report, PenReading &reading);

// Status of the Sorvi 22 and Sorvi 13/16: bit 6 the tip, bit 1 the button.
quint32 sorviBitState(std::uint8_t status);

// X' = MINX + RX, Y' = MINY + RY, readings in radix 255.
void offsetByMinimum(const PenReading &reading, const PenContext &context, OVEventData &sample);

bool always(store::Model model);

} // namespace penlayout

} // namespace driver
