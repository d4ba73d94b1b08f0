#include "ui/artnet_dialog.h"

#include "ui/named_widgets.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

ArtNetDialog::ArtNetDialog(const ArtNetReceiver& receiver, QWidget* parent)
    : QDialog(parent)
    , m_receiver(receiver)
    , m_refresh(new QTimer(this))
{
    setObjectName("artNetConfiguration");
    setWindowTitle("ArtNet Configuration");
    setModal(true);
    m_address = named<QLineEdit>("txtAddress", this);
    m_address->setPlaceholderText("all addresses");
    m_net = named<QSpinBox>("spinNet", this);
    m_net->setRange(0, 127);
    m_sources = named<QComboBox>("cmbSources", this);
    m_sources->addItems({"Lock to the first sender (10 s)", "Take every sender"});
    m_counters = namedLabel("lblCounters", {}, this);
    m_counters->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_problem = namedLabel("lblProblem", {}, this);
    m_problem->setStyleSheet("color: #ff6060");
    auto* form = new QFormLayout;
    form->addRow("Listen on", m_address);
    form->addRow("Net", m_net);
    form->addRow("Two senders", m_sources);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_problem);
    layout->addWidget(m_counters, 1);
    layout->addLayout(saveCancelRow(this, &ArtNetDialog::save));
    m_refresh->setInterval(500);
    connect(m_refresh, &QTimer::timeout, this, &ArtNetDialog::showCounters);
    resize(420, 380);
}

std::optional<ArtNetSettings> ArtNetDialog::ask(const ArtNetSettings& current)
{
    const bool all = current.address == QHostAddress(QHostAddress::AnyIPv4);
    m_address->setText(all ? QString() : current.address.toString());
    m_net->setValue(current.net);
    m_sources->setCurrentIndex(current.sources == ArtNetSettings::Sources::Latest ? 1 : 0);
    m_problem->clear();
    showCounters();
    m_refresh->start();
    const int answer = exec();
    m_refresh->stop();
    if (answer != QDialog::Accepted)
        return std::nullopt;
    ArtNetSettings settings;
    const QString text = m_address->text().trimmed();
    if (!text.isEmpty())
        settings.address = QHostAddress(text);
    settings.net = m_net->value();
    settings.sources = m_sources->currentIndex() == 1 ? ArtNetSettings::Sources::Latest
                                                      : ArtNetSettings::Sources::LockFirst;
    return settings;
}

void ArtNetDialog::save()
{
    const QString text = m_address->text().trimmed();
    if (!text.isEmpty() && QHostAddress(text).protocol() != QAbstractSocket::IPv4Protocol) {
        m_problem->setText(QStringLiteral("'%1' is not an IPv4 address").arg(text));
        m_address->setFocus();
        return;
    }
    accept();
}

void ArtNetDialog::showCounters()
{
    const ArtNetCounters c = m_receiver.counters();
    m_counters->setText(
        QStringLiteral("Frames accepted: %1\n"
                       "Rejected: too short %2, not Art-Net %3, other packets %4,\n"
                       "  old protocol %5, bad length %6, other Net %7, locked universe %8\n"
                       "Values that found the queue full: %9\n"
                       "Senders seen: %10")
            .arg(c.accepted)
            .arg(c.tooShort)
            .arg(c.notArtNet)
            .arg(c.otherOpCode)
            .arg(c.oldProtocol)
            .arg(c.badLength)
            .arg(c.otherNet)
            .arg(c.otherSender)
            .arg(c.overflows)
            .arg(c.senders.isEmpty() ? QStringLiteral("none") : c.senders.join(", ")));
}
