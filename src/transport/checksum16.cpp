#include "transport/checksum16.h"

#include <array>

namespace corvane {
namespace {

constexpr std::array<quint16, 256> MakeTable() {
    std::array<quint16, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        quint16 crc = quint16(i);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0xA001) : quint16(crc >> 1);
        table[i] = crc;
    }
    return table;
}

constexpr auto kTable = MakeTable();

} // namespace

quint16 CheckSum16(QByteArrayView data) {
    quint16 crc = 0;
    for (const char c : data)
        crc = quint16((crc >> 8) ^ kTable[(crc ^ static_cast<unsigned char>(c)) & 0xFF]);
    return crc;
}

} // namespace corvane
