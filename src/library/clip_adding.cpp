#include "library/clip_adding.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

ClipAdding::ClipAdding(ShowDatabase& database, WriteOperation& write, QWidget* parent)
    : QWidget(parent)
    , m_database(database)
    , m_write(write)
    , m_progress(new QProgressBar(this))
    , m_adding(new QLabel(this))
    , m_cancel(new QPushButton("Cancel", this))
{
    m_progress->setObjectName("progresso");
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(8);
    m_adding->setObjectName("adding");
    m_cancel->setObjectName("btnCancelAdding");
    m_adding->hide();
    m_cancel->hide();
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_cancelled = true; });
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_progress, 1);
    row->addWidget(m_adding);
    row->addWidget(m_cancel);
}

void ClipAdding::abandon()
{
    m_cancelled = true;
    m_abandoned = true;
}

void ClipAdding::add(const QStringList& files, const QString& playlist,
                     const ClipAdder::Defaults& defaults, const std::function<void()>& refresh)
{
    if (files.isEmpty() || m_busy || m_abandoned)
        return;
    m_busy = true;
    m_cancelled = false;
    const int total = int(files.size());
    m_progress->setRange(0, total);
    m_progress->setValue(0);
    m_adding->setText(QStringLiteral("Adding 1 of %1").arg(total));
    m_adding->show();
    m_cancel->show();

    QList<ClipAdder::Probed> probed;
    QEventLoop waiting;
    std::unique_ptr<QThread> prober(QThread::create([&] {
        for (const QString& file : files) {
            if (m_cancelled)
                break;
            ClipAdder::Probed clip = ClipAdder::probe(file);
            QMetaObject::invokeMethod(this, [&, clip] {
                probed.append(clip);
                m_progress->setValue(int(probed.size()));
                m_adding->setText(QStringLiteral("Adding %1 of %2")
                                      .arg(std::min(int(probed.size()) + 1, total))
                                      .arg(total));
            });
        }
    }));
    connect(prober.get(), &QThread::finished, &waiting, &QEventLoop::quit);
    prober->start();
    waiting.exec();
    prober->wait();
    QCoreApplication::sendPostedEvents(this); // the last files' results
    m_adding->hide();
    m_cancel->hide();

    ClipAdder::Result result;
    if (!m_abandoned)
        result = ClipAdder(m_database, m_write).write(probed, playlist, defaults, refresh);
    m_progress->setValue(0);
    m_busy = false;
    if (!result.skipped.isEmpty())
        QMessageBox::warning(
            window(), QCoreApplication::applicationName(),
            QStringLiteral("These files were not added:\n%1").arg(result.skipped.join('\n')));
}
