#include "ui/connection_dialog.h"

#include "automation/connection_store.h"
#include "ui/named_widgets.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QLineEdit* field(const char* name, int maxLength, QWidget* parent)
{
    auto* edit = named<QLineEdit>(name, parent);
    edit->setMaxLength(maxLength);
    return edit;
}
} // namespace

ConnectionDialog::ConnectionDialog(QWidget* parent)
    : QDialog(parent)
{
    setObjectName("AddConnection");
    setWindowTitle("Connections");
    setModal(true);
    m_name = field("nome", 50, this);

    auto* types = new QGroupBox("  Connection type  ", this);
    types->setObjectName("tipo");
    m_type = new QButtonGroup(this);
    auto* typeRow = new QHBoxLayout(types);
    for (int type = 0; type < ConnectionStore::TypeNames.size(); ++type) {
        auto* button = new QRadioButton(ConnectionStore::TypeNames.at(type), types);
        m_type->addButton(button, type);
        typeRow->addWidget(button);
    }
    connect(m_type, &QButtonGroup::idClicked, this, &ConnectionDialog::chooseType);

    m_tcpUdp = new QGroupBox("  TCP/UDP Connection  ", this);
    m_tcpUdp->setObjectName("p0");
    m_host = field("host", 15, m_tcpUdp); // the stored column's width
    m_host->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9.]*"), m_host));
    m_port = field("port", 5, m_tcpUdp);
    m_port->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), m_port));
    auto* tcpUdp = new QFormLayout(m_tcpUdp);
    tcpUdp->addRow("Ip address", m_host);
    tcpUdp->addRow("Port", m_port);

    m_http = new QGroupBox("  HTTP Connection  ", this);
    m_http->setObjectName("p1");
    m_url = field("url", 50, m_http);
    m_username = field("username", 50, m_http);
    m_password = field("password", 50, m_http);
    m_password->setEchoMode(QLineEdit::Password);
    auto* http = new QFormLayout(m_http);
    http->addRow("Url", m_url);
    http->addRow("User name", m_username);
    http->addRow("Password", m_password);

    auto* layout = new QVBoxLayout(this);
    auto* name = new QFormLayout;
    name->addRow("Connection name", m_name);
    layout->addLayout(name);
    layout->addWidget(types);
    layout->addWidget(m_tcpUdp);
    layout->addWidget(m_http);
    layout->addLayout(saveCancelRow(this, &ConnectionDialog::save));
}

void ConnectionDialog::chooseType(int type)
{
    m_type->button(type)->setChecked(true);
    m_tcpUdp->setEnabled(type != 2);
    m_http->setEnabled(type == 2);
}

void ConnectionDialog::save()
{
    if (m_name->text().isEmpty()) {
        m_name->setFocus();
        return;
    }
    switch (m_type->checkedId()) {
    case 2: {
        // Only web addresses: a request never goes to a file or another scheme.
        const QUrl url(m_url->text());
        if (m_url->text().isEmpty() || (url.scheme() != "http" && url.scheme() != "https")) {
            m_url->setFocus();
            return;
        }
        break;
    }
    case 3: // another Quillon: address and port may wait, but a port is a port
        if (!m_port->text().isEmpty() &&
            (m_port->text().toInt() < 1 || m_port->text().toInt() > 65535)) {
            m_port->setFocus();
            return;
        }
        break;
    default:
        if (!isConnectionAddress(m_host->text())) {
            m_host->setFocus();
            return;
        }
        if (m_port->text().isEmpty() || m_port->text().toInt() < 1 ||
            m_port->text().toInt() > 65535) {
            m_port->setFocus();
            return;
        }
    }
    accept();
}

std::optional<std::pair<ConsoleControl::Connection, QString>>
ConnectionDialog::ask(const ConsoleControl::Connection& row, const QString& name)
{
    m_name->setText(name);
    chooseType(row.tipo >= 0 && row.tipo < 4 ? row.tipo : 0);
    m_host->setText(row.host);
    m_port->setText(row.port > 0 ? QString::number(row.port) : QString());
    m_url->setText(row.url);
    m_username->setText(row.username);
    m_password->setText(row.password);
    m_name->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    ConsoleControl::Connection saved{
        row.id,        m_type->checkedId(), m_host->text(),    m_port->text().toInt(),
        m_url->text(), m_username->text(),  m_password->text()};
    return std::pair{saved, m_name->text()};
}
