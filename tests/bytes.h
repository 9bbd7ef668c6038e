// Data file images for the tests, native and in-process alike.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <algorithm>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void PutLE32(Bytes& out, uint32_t value)
{
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

inline void PutField(Bytes& out, const std::string& text, size_t size)
{
    Bytes field(size, 0);
    std::copy(text.begin(), text.begin() + static_cast<ptrdiff_t>(std::min(text.size(), size)), field.begin());
    out.insert(out.end(), field.begin(), field.end());
}

inline uint32_t GetLE32(const Bytes& in, size_t at)
{
    return in[at] | in[at + 1] << 8 | in[at + 2] << 16 | static_cast<uint32_t>(in[at + 3]) << 24;
}
