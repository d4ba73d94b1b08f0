#include "automation/connection_commands.h"

#include "automation/connection_senders.h"
#include "automation/script_interpreter.h"
#include "data/show_database.h"
#include "shared/child_process.h"

#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>

ConnectionCommands::ConnectionCommands(ShowDatabase& database, ConnectionStore& store,
                                       ConnectionSenders& senders, SettingsFiles settings,
                                       ConnectionCommandsHost& host, QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_store(store)
    , m_senders(senders)
    , m_settings(std::move(settings))
    , m_host(host)
    , m_http(new QNetworkAccessManager(this))
{
}

std::optional<ConsoleControl::Connection> ConnectionCommands::current() const
{
    const ReadDataset& list = m_database.dbConn;
    if (list.isEmpty())
        return std::nullopt;
    return connectionAt(list, list.recNo());
}

void ConnectionCommands::create()
{
    ConsoleControl::Connection fresh;
    fresh.tipo = 0;
    if (const auto saved = m_host.askConnection(fresh, {}))
        m_store.add(saved->first, saved->second);
}

void ConnectionCommands::edit()
{
    const auto row = current();
    if (!row)
        return;
    // The id the dialog opened with, wherever the cursor goes meanwhile.
    const int id = row->id;
    if (const auto saved = m_host.askConnection(*row, m_database.dbConn.text("nome")))
        m_store.edit(id, saved->first, saved->second);
}

void ConnectionCommands::remove()
{
    const auto row = current();
    if (!row)
        return;
    const int id = row->id;
    if (m_host.askYesNo("Are you sure to delete connection: " + m_database.dbConn.text("nome")))
        m_store.remove(id);
}

void ConnectionCommands::report(const QString& type, bool ok)
{
    const QString text = QStringLiteral("Connection %1 %2").arg(type, ok ? "OK" : "fail");
    ok ? m_host.inform(text) : m_host.showError(text);
}

void ConnectionCommands::test()
{
    const auto row = current();
    if (!row || row->tipo < 0 || row->tipo >= ConnectionStore::TypeNames.size())
        return;
    const QString type = ConnectionStore::TypeNames.at(row->tipo);
    if (row->tipo == 2) {
        // From the first test on, every HTTP request says it is a browser.
        m_senders.setUserAgent(ConnectionSenders::TestUserAgent);
        QNetworkRequest request{QUrl(row->url)};
        request.setHeader(QNetworkRequest::UserAgentHeader, ConnectionSenders::TestUserAgent);
        request.setTransferTimeout(TestTimeoutMs);
        // The credentials of this row only, and none when it has none.
        if (!row->username.isEmpty() || !row->password.isEmpty())
            request.setRawHeader("Authorization",
                                 "Basic " +
                                     (row->username + ':' + row->password).toUtf8().toBase64());
        const QString scheme = request.url().scheme();
        if (scheme != "http" && scheme != "https") {
            report(type, false);
            return;
        }
        QNetworkReply* reply = m_http->get(request);
        connect(reply, &QNetworkReply::finished, this, [this, reply, type] {
            reply->deleteLater();
            const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
            report(type, reply->error() == QNetworkReply::NoError && status < 400);
        });
        return;
    }
    // TCP, UDP and another Quillon alike: can a TCP connection be made?
    auto* socket = new QTcpSocket(this);
    auto reported = std::make_shared<bool>(false);
    const auto finish = [this, socket, type, reported](bool ok) {
        if (*reported)
            return;
        *reported = true;
        socket->abort();
        socket->deleteLater();
        report(type, ok);
    };
    connect(socket, &QTcpSocket::connected, this, [finish] { finish(true); });
    connect(socket, &QTcpSocket::errorOccurred, this, [finish] { finish(false); });
    QTimer::singleShot(TestTimeoutMs, socket, [finish] { finish(false); });
    socket->connectToHost(row->host, quint16(row->port));
}

void ConnectionCommands::setViewer()
{
    const auto program = m_host.chooseProgram();
    if (program && !m_settings.write(SettingsFile::VncViewer, *program))
        m_host.showError(
            QStringLiteral("Cannot write %1").arg(m_settings.path(SettingsFile::VncViewer)));
}

void ConnectionCommands::vncConnect()
{
    const auto row = current();
    if (!row)
        return;
    const QString viewer = m_settings.readFirstLine(SettingsFile::VncViewer).value_or(QString());
    if (viewer.trimmed().isEmpty()) {
        m_host.showError("No remote desktop viewer is set: choose one with \"Set vnc viewer\".");
        return;
    }
    // A viewer that is gone: nothing, as before.
    if (!QFileInfo(viewer).isExecutable())
        return;
    // The address is one argument of the viewer, never part of a command line.
    if (!isConnectionAddress(row->host)) {
        m_host.showError(QStringLiteral("\"%1\" is not an address to connect to.").arg(row->host));
        return;
    }
    keepDescriptorsFromChildren();
    if (!QProcess::startDetached(viewer, {row->host}))
        qCWarning(automationLog).noquote() << "The viewer" << viewer << "did not start";
}
