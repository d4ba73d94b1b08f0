#pragma once

#include <QByteArray>
#include <cstdint>

// One ArtDmx packet (Art-Net 4): the values of one universe, channel 1 first.
struct ArtDmx {
    int sequence = 0;
    int net = 0;                     // 0..127
    int subnet = 0;                  // 0..15, the high half of SubUni
    int universe = 0;                // 0..15, the low half of SubUni
    const uint8_t* values = nullptr; // inside the datagram; `length` of them
    int length = 0;                  // 1..512
};

// What a datagram on the Art-Net port is. Only a well-formed ArtDmx packet is taken; every
// other verdict is counted under its own name and changes nothing.
enum class ArtNetVerdict {
    Dmx,
    TooShort,    // shorter than its header
    NotArtNet,   // no "Art-Net" ID
    OtherOpCode, // ArtPoll, ArtSync, ArtNzs ... (not ArtDmx)
    OldProtocol, // protocol version below 14
    BadLength,   // a length of 0 or over 512, or more than the datagram holds
};

// Reads a datagram; on ArtNetVerdict::Dmx `packet` points into `bytes`, which must outlive it.
ArtNetVerdict parseArtNet(const QByteArray& bytes, ArtDmx& packet);

// An ArtDmx datagram, as a desk sends it (for tests and benchmarks).
QByteArray makeArtDmx(int net, int subnet, int universe, const QByteArray& values,
                      int sequence = 0);
