#pragma once

#include "control/artnet_packet.h"
#include "control/artnet_receiver.h"

#include <QUdpSocket>

// A desk on this machine: sends datagrams from its own address (127.0.0.x) to the receiver's
// port on the address the tests listen on.
struct ArtNetSender {
    static inline const QHostAddress Listening = QHostAddress("127.0.0.2");
    QUdpSocket socket;

    explicit ArtNetSender(const char* from = "127.0.0.3") { socket.bind(QHostAddress(from), 0); }

    bool send(const QByteArray& datagram)
    {
        return socket.writeDatagram(datagram, Listening, ArtNetReceiver::Port) == datagram.size();
    }
    // One ArtDmx frame of Net 0.
    bool frame(int subnet, int universe, const QByteArray& values)
    {
        return send(makeArtDmx(0, subnet, universe, values));
    }
};

// The settings the tests listen with.
inline ArtNetSettings testArtNetSettings()
{
    ArtNetSettings settings;
    settings.address = ArtNetSender::Listening;
    return settings;
}
