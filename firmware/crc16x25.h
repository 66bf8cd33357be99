#pragma once

#include <cstdint>
#include <span>

namespace firmware {

// CRC-16/X-25: polynomial 0x1021 reflected (0x8408), initial value 0xFFFF,
// reflected in and out, final complement; "123456789" gives 0x906E. No bytes
// give 0 (not the complement of the initial value): the device and the
// firmware files were made with that rule. Used by the request and reply
// frames and by the body check of firmware files.
std::uint16_t Crc16X25(std::span<const std::uint8_t> bytes);

} // namespace firmware
