#pragma once

#include "library/clip_adder.h"

#include <QWidget>
#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class ShowDatabase;
class WriteOperation;

// The row under the console while media files become clips: the progress bar, "Adding n of N"
// and "Cancel". The files are probed on a thread of their own, so that the show goes on
// meanwhile; what was probed, up to the end or to "Cancel", is written at once.
class ClipAdding : public QWidget {
    Q_OBJECT
public:
    ClipAdding(ShowDatabase& database, WriteOperation& write, QWidget* parent = nullptr);

    // Adds the files to the playlist, in order; files that are not media or cannot be opened
    // are skipped and named in one warning at the end. `refresh` shows the new clips. Returns
    // when they are written (the event loop runs meanwhile); refused while adding.
    void add(const QStringList& files, const QString& playlist, const ClipAdder::Defaults& defaults,
             const std::function<void()>& refresh);
    bool busy() const { return m_busy; }
    // The bar under the console ("progresso"), also shown by other long tasks (video loops).
    QProgressBar* progressBar() const { return m_progress; }
    // The console closes: probing stops and nothing is written.
    void abandon();

private:
    ShowDatabase& m_database;
    WriteOperation& m_write;
    QProgressBar* m_progress;
    QLabel* m_adding; // "Adding n of N"
    QPushButton* m_cancel;
    bool m_busy = false;
    bool m_abandoned = false;
    std::atomic<bool> m_cancelled = false; // read by the probing thread
};
