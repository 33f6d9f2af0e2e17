#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstring>
#include <initializer_list>

namespace reportexport::le {

// Little-endian appends and patches for the binary formats we write.
inline void u8(QByteArray &out, unsigned v)
{
    out.append(char(v & 0xFF));
}
inline void u16(QByteArray &out, unsigned v)
{
    const char b[2] = {char(v & 0xFF), char((v >> 8) & 0xFF)};
    out.append(b, 2);
}
// A run of 16-bit fields, for fixed records written field by field.
inline void u16s(QByteArray &out, std::initializer_list<unsigned> values)
{
    for (unsigned v : values)
        u16(out, v);
}
inline void u32(QByteArray &out, uint32_t v)
{
    const char b[4] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char((v >> 24) & 0xFF)};
    out.append(b, 4);
}
inline void f64(QByteArray &out, double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    u32(out, uint32_t(bits));
    u32(out, uint32_t(bits >> 32));
}
inline void put16(QByteArray &out, qsizetype at, unsigned v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char((v >> 8) & 0xFF);
}
inline void put32(QByteArray &out, qsizetype at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace reportexport::le
