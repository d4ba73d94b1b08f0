#include "control/artnet_packet.h"

#include <cstring>

namespace {
constexpr char Id[8] = {'A', 'r', 't', '-', 'N', 'e', 't', '\0'};
constexpr int OpDmx = 0x5000;
constexpr int ProtocolVersion = 14;
constexpr int HeaderSize = 18;
constexpr int MaxChannels = 512;
} // namespace

ArtNetVerdict parseArtNet(const QByteArray& bytes, ArtDmx& packet)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
    const qsizetype size = bytes.size();
    if (size < qsizetype(sizeof Id))
        return ArtNetVerdict::TooShort;
    if (std::memcmp(data, Id, sizeof Id) != 0)
        return ArtNetVerdict::NotArtNet;
    if (size < 10)
        return ArtNetVerdict::TooShort;
    if ((data[8] | data[9] << 8) != OpDmx) // little-endian
        return ArtNetVerdict::OtherOpCode;
    if (size < HeaderSize)
        return ArtNetVerdict::TooShort;
    if ((data[10] << 8 | data[11]) < ProtocolVersion) // big-endian
        return ArtNetVerdict::OldProtocol;
    const int length = data[16] << 8 | data[17]; // big-endian
    if (length < 1 || length > MaxChannels || length > size - HeaderSize)
        return ArtNetVerdict::BadLength;
    packet.sequence = data[12];
    packet.subnet = data[14] >> 4;
    packet.universe = data[14] & 0x0F;
    packet.net = data[15] & 0x7F;
    packet.values = data + HeaderSize;
    packet.length = length;
    return ArtNetVerdict::Dmx;
}

QByteArray makeArtDmx(int net, int subnet, int universe, const QByteArray& values, int sequence)
{
    QByteArray bytes(Id, sizeof Id);
    const int length = int(values.size());
    const char header[] = {char(OpDmx & 0xFF),           char(OpDmx >> 8), 0,
                           char(ProtocolVersion),        char(sequence),   0,
                           char(subnet << 4 | universe), char(net),        char(length >> 8),
                           char(length & 0xFF)};
    bytes.append(header, sizeof header);
    bytes.append(values);
    return bytes;
}
