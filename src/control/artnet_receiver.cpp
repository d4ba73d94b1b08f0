#include "control/artnet_receiver.h"

#include "control/artnet_packet.h"

#include <QNetworkDatagram>
#include <QSettings>
#include <QThread>
#include <QUdpSocket>

// The socket, living on the receiver's thread.
class ArtNetSocket : public QObject {
public:
    explicit ArtNetSocket(ArtNetReceiver& receiver)
        : m_receiver(receiver)
    {
    }

    std::optional<QString> bind(const QHostAddress& address)
    {
        m_socket = new QUdpSocket(this);
        if (!m_socket->bind(address, ArtNetReceiver::Port,
                            QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint))
            return QStringLiteral("Art-Net cannot listen on %1 port %2: %3")
                .arg(address.toString())
                .arg(ArtNetReceiver::Port)
                .arg(m_socket->errorString());
        connect(m_socket, &QUdpSocket::readyRead, this, [this] {
            while (m_socket->hasPendingDatagrams()) {
                const QNetworkDatagram datagram = m_socket->receiveDatagram();
                m_receiver.receive(datagram.data(), datagram.senderAddress());
            }
        });
        return std::nullopt;
    }

private:
    ArtNetReceiver& m_receiver;
    QUdpSocket* m_socket = nullptr;
};

ArtNetSettings ArtNetSettings::load(const QString& path)
{
    const QSettings file(path, QSettings::IniFormat);
    ArtNetSettings settings;
    const QHostAddress address(file.value("address", "0.0.0.0").toString());
    if (address.protocol() == QAbstractSocket::IPv4Protocol)
        settings.address = address;
    bool isNumber = false;
    const int net = file.value("net", 0).toInt(&isNumber);
    if (isNumber && net >= 0 && net <= 127)
        settings.net = net;
    if (file.value("sources").toString() == "latest")
        settings.sources = Sources::Latest;
    return settings;
}

bool ArtNetSettings::save(const QString& path) const
{
    QSettings file(path, QSettings::IniFormat);
    file.setValue("address", address.toString());
    file.setValue("net", net);
    file.setValue("sources", sources == Sources::Latest ? "latest" : "lock");
    file.sync();
    return file.status() == QSettings::NoError;
}

ArtNetReceiver::ArtNetReceiver(QObject* parent)
    : QObject(parent)
{
}

ArtNetReceiver::~ArtNetReceiver()
{
    stop();
}

std::optional<QString> ArtNetReceiver::start(const ArtNetSettings& settings)
{
    stop();
    m_settings = settings;
    clearUniverses();
    m_thread = new QThread;
    m_thread->setObjectName("Art-Net");
    m_socket = new ArtNetSocket(*this);
    m_socket->moveToThread(m_thread);
    m_thread->start();
    std::optional<QString> error;
    QMetaObject::invokeMethod(
        m_socket, [&] { error = m_socket->bind(settings.address); }, Qt::BlockingQueuedConnection);
    if (error)
        stop();
    return error;
}

void ArtNetReceiver::stop()
{
    if (!m_thread)
        return;
    // The socket goes on its own thread, before the thread ends; nothing is read after.
    QMetaObject::invokeMethod(
        m_socket, [socket = m_socket] { delete socket; }, Qt::BlockingQueuedConnection);
    m_socket = nullptr;
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    const QMutexLocker lock(&m_mutex);
    m_queue.clear();
    m_aside.clear();
}

void ArtNetReceiver::clearUniverses()
{
    for (Universe& universe : m_universes)
        universe = Universe{};
}

void ArtNetReceiver::receive(const QByteArray& datagram, const QHostAddress& sender)
{
    ArtDmx packet;
    const ArtNetVerdict verdict = parseArtNet(datagram, packet);
    const auto count = [this](uint64_t ArtNetCounters::*counter) {
        const QMutexLocker lock(&m_mutex);
        ++(m_counters.*counter);
    };
    switch (verdict) {
    case ArtNetVerdict::Dmx:
        break;
    case ArtNetVerdict::TooShort:
        return count(&ArtNetCounters::tooShort);
    case ArtNetVerdict::NotArtNet:
        return count(&ArtNetCounters::notArtNet);
    case ArtNetVerdict::OtherOpCode:
        return count(&ArtNetCounters::otherOpCode);
    case ArtNetVerdict::OldProtocol:
        return count(&ArtNetCounters::oldProtocol);
    case ArtNetVerdict::BadLength:
        return count(&ArtNetCounters::badLength);
    }
    if (packet.net != m_settings.net)
        return count(&ArtNetCounters::otherNet);

    Universe& universe = m_universes[size_t(packet.subnet << 4 | packet.universe)];
    const Clock::time_point now = Clock::now();
    if (universe.owner != sender) {
        const bool locked = m_settings.sources == ArtNetSettings::Sources::LockFirst &&
                            !universe.owner.isNull() &&
                            now - universe.lastFrame < m_settings.lockRelease;
        if (locked)
            return count(&ArtNetCounters::otherSender);
        if (m_settings.sources == ArtNetSettings::Sources::LockFirst)
            universe.known.fill(false); // a new sender's first frame reports its channels
        universe.owner = sender;
    }
    universe.lastFrame = now;
    {
        const QMutexLocker lock(&m_mutex);
        ++m_counters.accepted;
        const QString address = sender.toString();
        if (m_counters.senders.size() < MaxSendersListed && !m_counters.senders.contains(address))
            m_counters.senders.append(address);
    }
    bool pushed = false;
    for (int i = 0; i < packet.length; ++i) {
        const uint8_t value = packet.values[i];
        if (universe.known[size_t(i)] && universe.values[size_t(i)] == value)
            continue;
        universe.known[size_t(i)] = true;
        universe.values[size_t(i)] = value;
        push({packet.subnet, packet.universe, i + 1, value});
        pushed = true;
    }
    if (pushed && !m_noticePending.exchange(true))
        emit valuesWaiting();
}

void ArtNetReceiver::push(const DmxValue& value)
{
    const QMutexLocker lock(&m_mutex);
    // Once values go aside, all do until the aside is taken: the aside holds the newest.
    if (m_aside.isEmpty() && int(m_queue.size()) < QueueCapacity) {
        m_queue.push_back(value);
        return;
    }
    ++m_counters.overflows;
    m_aside.insert((value.subnet << 4 | value.universe) * 512 + value.channel - 1, value);
}

QList<DmxValue> ArtNetReceiver::take(int most)
{
    m_noticePending = false;
    QList<DmxValue> values;
    const QMutexLocker lock(&m_mutex);
    while (values.size() < most && !m_queue.empty()) {
        values.append(m_queue.front());
        m_queue.pop_front();
    }
    for (auto it = m_aside.begin(); values.size() < most && it != m_aside.end();) {
        values.append(*it);
        it = m_aside.erase(it);
    }
    return values;
}

ArtNetCounters ArtNetReceiver::counters() const
{
    const QMutexLocker lock(&m_mutex);
    return m_counters;
}
