#include "crc16x25.h"

#include <array>

namespace firmware {

namespace {

constexpr std::array<std::uint16_t, 256> makeTable()
{
    std::array<std::uint16_t, 256> table{};
    for (unsigned n = 0; n < 256; ++n) {
        std::uint16_t crc = std::uint16_t(n);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? std::uint16_t((crc >> 1) ^ 0x8408) : std::uint16_t(crc >> 1);
        table[n] = crc;
    }
    return table;
}

constexpr auto kTable = makeTable();

} // namespace

std::uint16_t Crc16X25(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return 0;
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes)
        crc = std::uint16_t(kTable[(crc ^ byte) & 0xFF] ^ (crc >> 8));
    return std::uint16_t(~crc);
}

} // namespace firmware
