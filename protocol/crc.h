#pragma once
// CRC-16/MODBUS: reflected polynomial 0xA001, initial 0xFFFF, no final xor, sent low byte first.

#include <array>
#include <cstddef>
#include <cstdint>

namespace endcap {

uint16_t Crc16(const uint8_t* data, size_t size);

// The two CRC bytes in sending order (low, high) of the first (length mod 256) bytes.
std::array<uint8_t, 2> ComputeCrc(const uint8_t* data, size_t length);

}  // namespace endcap
