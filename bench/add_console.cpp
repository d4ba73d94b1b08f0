// Adding clips the way the operator does: "Add clip" in the console's menu, the files typed
// into the file dialog, until the clip grid shows them. Prints the files per second, and
// the longest time the console's event loop went without answering meanwhile.
#include "bench_show.h"
#include "core/console.h"
#include "core/dark_style.h"
#include "core/main_menu.h"
#include "core/main_window.h"

#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    applyDarkStyle(app);
    const QStringList files = app.arguments().mid(1);
    QTemporaryDir dir;
    const std::unique_ptr<Console> console = startBenchConsole(dir);
    if (!console)
        return 1;
    MainWindow* main = console->main();

    // The operator's answer to the file dialog: every file of the folder picked, which the
    // dialog lists quoted in its name field, then Open.
    QString typed;
    for (const QString& file : files)
        typed += '"' + QFileInfo(file).fileName() + "\" ";
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        answer.stop();
        dialog->setDirectory(QFileInfo(files.first()).absolutePath());
        if (auto* field = dialog->findChild<QLineEdit*>("fileNameEdit"))
            field->setText(typed.trimmed());
        QMetaObject::invokeMethod(dialog, "accept");
    });
    answer.start(10);

    // The event loop's answer time from the moment the file dialog hands the files over (its
    // own handling of a long selection is Qt's): a 10 ms timer that notes its longest wait.
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    double probingBegan = -1;
    QElapsedTimer clock;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 gap = sinceTick.restart();
        if (probingBegan < 0 && main->addingClips())
            probingBegan = clock.elapsed() / 1000.0;
        else if (probingBegan >= 0)
            longestGap = std::max(longestGap, gap);
    });

    QAbstractItemModel* grid = main->findChild<QAbstractItemView*>("elencoClip")->model();
    QTimer::singleShot(0, [&] {
        clock.start();
        sinceTick.start();
        heartbeat.start(10);
        main->mainMenu()->action("Library/Add clip")->trigger();
    });
    QTimer done;
    int added = 0;
    double seconds = 0;
    QObject::connect(&done, &QTimer::timeout, [&] {
        if (grid->rowCount() == 0 || main->addingClips())
            return;
        seconds = clock.elapsed() / 1000.0;
        added = grid->rowCount();
        app.quit();
    });
    done.start(5);
    app.setQuitOnLastWindowClosed(false);
    app.exec();
    std::printf("console: %d of %d files added in %.2f s: %.1f files per second (the file "
                "dialog handed them over %.2f s in); meanwhile the console answered within "
                "%lld ms\n",
                added, int(files.size()), seconds, added / seconds, probingBegan, longestGap);
    return 0;
}
