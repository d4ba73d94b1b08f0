#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QStringList>
#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <optional>

class QThread;
class ArtNetSocket;

// One DMX channel's new value, as the console's map reads it.
struct DmxValue {
    int subnet = 0;
    int universe = 0;
    int channel = 0; // 1..512
    int value = 0;   // 0..255
};

// Where and what the receiver listens for; kept in its own file in the cache folder.
struct ArtNetSettings {
    static inline const QString FileName = QStringLiteral("artnet.ini");
    enum class Sources {
        LockFirst, // the first address to send a universe keeps it until 10 s of silence
        Latest,    // every sender's packets are taken
    };

    QHostAddress address = QHostAddress(QHostAddress::AnyIPv4);
    int net = 0; // 0..127
    Sources sources = Sources::LockFirst;
    std::chrono::milliseconds lockRelease{10000}; // silence that frees a locked universe

    // The file's settings; the defaults for what it lacks or holds wrongly.
    static ArtNetSettings load(const QString& path);
    bool save(const QString& path) const;
};

// What the receiver has counted since it was made.
struct ArtNetCounters {
    uint64_t accepted = 0;
    uint64_t tooShort = 0;
    uint64_t notArtNet = 0;
    uint64_t otherOpCode = 0;
    uint64_t oldProtocol = 0;
    uint64_t badLength = 0;
    uint64_t otherNet = 0;
    uint64_t otherSender = 0; // a universe locked to another address
    uint64_t overflows = 0;   // values that found the queue full (their channel's latest kept)
    QStringList senders;      // the first addresses that sent a valid packet
};

// Receives ArtDmx on UDP port 6454 on a thread of its own and hands the values that changed to
// the user-interface thread, in order of arrival. Desks resend every universe many times a
// second: a channel is reported once when its universe's first frame comes (after start, or
// from a new sender) and then only when its value changes. A silent sender's values stay.
// The queue to the user-interface thread holds QueueCapacity values; beyond that the latest
// value of each channel is kept aside and arrives after the queue, so a fader's final position
// is never lost.
//
// Threads: start(), stop(), take() and counters() on the user-interface thread; the datagrams
// are read on the receiver's thread.
class ArtNetReceiver : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 Port = 6454;
    static constexpr int QueueCapacity = 8192;
    static constexpr int MaxSendersListed = 64;

    explicit ArtNetReceiver(QObject* parent = nullptr);
    ~ArtNetReceiver() override;

    // Binds the port (address reuse on) and starts reading; the error's text when it cannot.
    std::optional<QString> start(const ArtNetSettings& settings);
    // Closes the socket, ends the thread and drops the values not taken yet.
    void stop();
    bool isRunning() const { return m_thread != nullptr; }

    // The next values waiting, at most `most`; clears the notice first.
    QList<DmxValue> take(int most);
    ArtNetCounters counters() const;

    // Reading thread: takes one datagram.
    void receive(const QByteArray& datagram, const QHostAddress& sender);

signals:
    // Values wait (sent once until take() runs).
    void valuesWaiting();

private:
    using Clock = std::chrono::steady_clock;
    struct Universe {
        QHostAddress owner;
        Clock::time_point lastFrame;
        std::array<uint8_t, 512> values{};
        std::array<bool, 512> known{};
    };
    void push(const DmxValue& value);
    void clearUniverses();

    ArtNetSettings m_settings;
    QThread* m_thread = nullptr;
    ArtNetSocket* m_socket = nullptr;

    // The reading thread's own.
    std::array<Universe, 256> m_universes;

    mutable QMutex m_mutex; // guards what follows
    std::deque<DmxValue> m_queue;
    QHash<int, DmxValue> m_aside; // by subnet, universe and channel
    ArtNetCounters m_counters;
    std::atomic<bool> m_noticePending = false;
};
