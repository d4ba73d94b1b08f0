#include "ui/console_dialogs.h"

#include "ui/action_dialog.h"
#include "ui/connection_dialog.h"
#include "ui/text_prompt.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

const QString ConsoleDialogs::MediaFilter = QStringLiteral(
    "Video/Audio/Picture "
    "Files|*.3GP;*.ASF;*.AVI;*.AVM;*.AVS;*.DAT;*.FLV;*.MKV;*.MOV;*.M2V;*.MP4;*.MPEG;*.MPG;*.NSV;"
    "*.OGM;*.RM;*.RMVB;*.TP;*.TS;*.VOB;*.WMV;*.H264;*.WEBM;*.AAC;*.AC3;*.APE;*.DTS;*.FLAC;*.M4A;"
    "*.MKA;*.MP2;*.MP3;*.MPA;*.MPC;*.OFR;*.OGG;*.RA;*.TTA;*.WAV;*.WMA;*.BMP;*.GIF;*.JPEG;*.JPG;*."
    "PNG;|Video "
    "Files|*.3GP;*.ASF;*.AVI;*.AVM;*.AVS;*.DAT;*.FLV;*.MKV;*.MOV;*.M2V;*.MP4;*.MPEG;*.MPG;*.NSV;"
    "*.OGM;*.RM;*.RMVB;*.TP;*.TS;*.VOB;*.WMV;*.H264;*.WEBM;|Audio "
    "Files|*.AAC;*.AC3;*.APE;*.DTS;*.FLAC;*.M4A;*.MKA;*.MP2;*.MP3;*.MPA;*.MPC;*.OFR;*.OGG;*.RA;*."
    "TTA;*.WAV;*.WMA;|Picture Files|*.BMP;*.GIF;*.JPEG;*.JPG;*.PNG;|All Files|*.*");

namespace {
// "Caption|*.A;*.B|..." pairs as Qt name filters. Patterns are given in both cases, since
// file names on this system are case-sensitive.
QStringList nameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(';', Qt::SkipEmptyParts)) {
            patterns.append(pattern.toLower());
            if (pattern.toUpper() != pattern.toLower())
                patterns.append(pattern.toUpper());
        }
        filters.append(QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.join(' ')));
    }
    return filters;
}

QString caption()
{
    return QCoreApplication::applicationName();
}
} // namespace

ConsoleDialogs::ConsoleDialogs(QWidget* console)
    : m_console(console)
    , m_apri(new QFileDialog(console))
{
    m_apri->setObjectName("apri");
    m_apri->setFileMode(QFileDialog::ExistingFile);
    m_apri->setOption(QFileDialog::ReadOnly, false);
    m_apri->setSizeGripEnabled(true);
    m_apri->setNameFilters(nameFilters(MediaFilter));
    m_apri->selectNameFilter(m_apri->nameFilters().first());
}

void ConsoleDialogs::attach(TextPrompt* prompt, ActionDialog* action, ConnectionDialog* connection)
{
    m_prompt = prompt;
    m_action = action;
    m_connection = connection;
}

bool ConsoleDialogs::askYesNo(const QString& question)
{
    return QMessageBox::question(m_console, caption(), question,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void ConsoleDialogs::warning(const QString& text)
{
    QMessageBox::warning(m_console, caption(), text);
}

void ConsoleDialogs::inform(const QString& text)
{
    QMessageBox::information(m_console, caption(), text);
}

void ConsoleDialogs::error(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, caption(), text, QMessageBox::Ok, m_console);
    box.exec();
}

void ConsoleDialogs::errorWithoutWaiting(const QString& text)
{
    openWithoutWaiting(QMessageBox::Critical, text);
}

void ConsoleDialogs::warningWithoutWaiting(const QString& text)
{
    openWithoutWaiting(QMessageBox::Warning, text);
}

void ConsoleDialogs::openWithoutWaiting(QMessageBox::Icon icon, const QString& text)
{
    auto* box = new QMessageBox(icon, caption(), text, QMessageBox::Ok, m_console);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

std::optional<QString> ConsoleDialogs::askText(const QString& caption, const QString& text,
                                               int maxLength)
{
    if (!m_prompt)
        return std::nullopt;
    return m_prompt->ask(caption, text, maxLength);
}

std::optional<std::pair<QString, QString>> ConsoleDialogs::askAction(const QString& name,
                                                                     const QString& script)
{
    if (!m_action)
        return std::nullopt;
    return m_action->ask(name, script);
}

std::optional<std::pair<ConsoleControl::Connection, QString>>
ConsoleDialogs::askConnection(const ConsoleControl::Connection& row, const QString& name)
{
    if (!m_connection)
        return std::nullopt;
    return m_connection->ask(row, name);
}

std::optional<QString> ConsoleDialogs::chooseProgram()
{
    // The file dialog of the media files, for once with every file.
    m_apri->setNameFilters({"Programs (*)"});
    const bool chosen = m_apri->exec() == QDialog::Accepted && !m_apri->selectedFiles().isEmpty();
    m_apri->setNameFilters(nameFilters(MediaFilter));
    m_apri->selectNameFilter(m_apri->nameFilters().first());
    if (!chosen)
        return std::nullopt;
    return m_apri->selectedFiles().first();
}

std::optional<QString> ConsoleDialogs::chooseMediaFile()
{
    if (m_apri->exec() != QDialog::Accepted || m_apri->selectedFiles().isEmpty())
        return std::nullopt;
    return m_apri->selectedFiles().first();
}

QStringList ConsoleDialogs::chooseMediaFiles(const QString& folder)
{
    if (!folder.isEmpty())
        m_apri->setDirectory(folder);
    m_apri->setFileMode(QFileDialog::ExistingFiles);
    const bool chosen = m_apri->exec() == QDialog::Accepted;
    m_apri->setFileMode(QFileDialog::ExistingFile);
    return chosen ? m_apri->selectedFiles() : QStringList();
}
