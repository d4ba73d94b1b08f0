// A live input routed to layer A on the real console while Player B plays 1080p H.264: the
// test camera stamps the wall clock into each picture when it makes it; each picture painted
// on layer A's surface is read back, giving the pictures per second on the layer and the time
// from the camera to the layer (glass to layer).
//   bench_live_video CLIP [SECONDS] [WIDTHxHEIGHT] [RATE]
#include "core/main_window.h"
#include "media/ff_encoder.h"
#include "media/ff_player.h"
#include "stage/live_video_page.h"
#include "stage/output_window.h"
#include "stage/video_surface.h"
#include "support/test_cameras.h"

#include "bench_measure.h"
#include "bench_show.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>

namespace {
// Every picture painted on a surface: its time stamp's age when it is painted.
class PaintedPictures : public QObject {
public:
    explicit PaintedPictures(VideoSurface* surface)
        : m_surface(surface)
    {
        surface->installEventFilter(this);
    }
    QList<double> ages;
    int pictures = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        const QImage picture = m_surface->picture();
        if (picture.isNull() || picture.cacheKey() == m_last)
            return false;
        m_last = picture.cacheKey();
        ++pictures;
        ages.append(double(TimeStampStrip::age(TimeStampStrip::read(picture),
                                               QDateTime::currentMSecsSinceEpoch())));
        return false;
    }

private:
    VideoSurface* m_surface;
    qint64 m_last = 0;
};
} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_live_video CLIP [SECONDS] [WIDTHxHEIGHT] [RATE]\n");
        return 2;
    }
    const QString clip = QString::fromLocal8Bit(argv[1]);
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
    const QStringList size = QString(argc > 3 ? argv[3] : "1280x720").split('x');
    const int rate = argc > 4 ? std::atoi(argv[4]) : 30;
    const QSize pictureSize(size.value(0).toInt(), size.value(1).toInt());

    QTemporaryDir dir;
    PlatformServices services;
    services.capture = std::make_unique<TestCameras>(
        QList<TestCameras::Camera>{{"Clock camera", TimeStampStrip::source(pictureSize, rate)}});
    const std::unique_ptr<Console> console = startBenchConsole(dir, {}, std::move(services));
    if (!console)
        return 1;
    MainWindow* main = console->main();

    // Player B loops the clip on the stage on air.
    main->findChild<QComboBox*>("chkDefaultStatus")->setCurrentText("LOOP");
    main->addClips({clip});
    benchButton(main, "btnScreen1")->click();
    benchButton(main, "chkPlayAfterLoad")->setChecked(true);
    benchButton(main, "btnLayerB")->click();
    main->database().playlist.moveTo(0);
    benchButton(main, "btnPlayA")->click();
    pause(2000);

    // The camera on layer A.
    LiveInput* live = main->liveVideo().input(1);
    benchButton(main, "btnLive2")->click();
    benchButton(main, "t_live")->click();
    if (!live->isOn()) {
        std::fprintf(stderr, "the live input did not start\n");
        return 1;
    }
    pause(3000); // the encoder settles
    auto* layerA = static_cast<OutputWindow*>(console->window("playout"));
    TFFPlayer* playerB = main->channels().ThePlayer(2);
    const int droppedBefore = playerB->FramesDropped();
    PaintedPictures painted(layerA->surface());
    const auto start = Clock::now();
    pause(seconds * 1000);
    const double elapsed = msBetween(start, Clock::now()) / 1000.0;

    std::printf("camera %dx%d at %d pictures a second, layer A %dx%d, %d s\n", pictureSize.width(),
                pictureSize.height(), rate, layerA->width(), layerA->height(), seconds);
    std::printf("pictures painted on layer A: %d, %.2f a second\n", painted.pictures,
                painted.pictures / elapsed);
    report("camera to layer A (glass to layer)", painted.ages);
    std::printf("Player B: %d pictures dropped while the camera ran\n",
                playerB->FramesDropped() - droppedBefore);
    benchButton(main, "btnLiveStop")->click();
    return 0;
}
