#pragma once
// Values in files and on the emulated buses are little-endian whatever the
// host's byte order: these pack and unpack them one byte at a time.
#include <cstdint>
#include <cstring>

namespace common {

// The low `size` bytes of `value`, lowest first.
template <typename T> inline void StoreLittle(uint8_t* out, T value, int size = sizeof(T)) {
    for (int i = 0; i < size; ++i)
        out[i] = static_cast<uint8_t>(value >> (8 * i));
}

// `size` bytes, lowest first, gathered into a T.
template <typename T> inline T LoadLittle(const uint8_t* in, int size = sizeof(T)) {
    T value = 0;
    for (int i = 0; i < size; ++i)
        value |= static_cast<T>(static_cast<T>(in[i]) << (8 * i));
    return value;
}

// A double as its eight IEEE bytes, lowest first.
inline void StoreLittleDouble(uint8_t* out, double value) {
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    StoreLittle<uint64_t>(out, bits);
}

inline double LoadLittleDouble(const uint8_t* in) {
    const uint64_t bits = LoadLittle<uint64_t>(in);
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

} // namespace common
