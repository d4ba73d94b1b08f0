// The two channels on a started console: real players on generated media, the real show
// database, the output windows of the console.
#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "channels/dissolve_timer.h"
#include "channels/fade.h"
#include "channels/mixer_panel.h"
#include "channels/position_bar.h"
#include "channels/video_filter_text.h"
#include "core/main_menu.h"
#include "media/ff_player.h"
#include "media/numbered_frames.h"
#include "media/test_media.h"
#include "shared/media_time.h"
#include "shared/player_wait.h"
#include "stage/output_window.h"
#include "stage/video_surface.h"
#include "support/log_capture.h"
#include "support/modal_answers.h"
#include "support/show_console.h"
#include "ui/dataset_grid.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

namespace {
ClipSettings neutral()
{
    return ClipSettings{};
}
} // namespace

Q_DECLARE_METATYPE(ClipSettings)

class TestChannels : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Numbers in filter texts use "." whatever the operator's language.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void filterText_data()
    {
        QTest::addColumn<ClipSettings>("clip");
        QTest::addColumn<QString>("text");
        ClipSettings clip = neutral();
        QTest::newRow("neutral") << clip << "hue=b=0.00:s=1.00:H=0.00";
        clip.FRuota = 0;
        QTest::newRow("ruota 0") << clip << "hue=b=0.00:s=1.00:H=0.00,transpose=dir=0";
        clip = neutral();
        clip.FCrop = 1;
        clip.FCropX = 10;
        clip.FCropY = 20;
        clip.FCropW = 330;
        clip.FCropH = 260;
        clip.FBrightness = -0.25;
        QTest::newRow("crop edges")
            << clip << "hue=b=-0.25:s=1.00:H=0.00,crop=w=320:h=240:x=10:y=20";
        clip = neutral();
        clip.FPerspective = 1;
        clip.Fx1 = 320;
        clip.Fy2 = 240;
        clip.Fx3 = 320;
        clip.Fy3 = 240;
        clip.FBlur = 1;
        clip.FCroma = 2;
        clip.FCromaLR = 5;
        QTest::newRow("perspective, blur")
            << clip
            << "hue=b=0.00:s=1.00:H=0.00,perspective=0:0:320:0:0:240:320:240:sense=1,"
               "boxblur=lr=5:lp=2";
        clip = neutral();
        clip.FColor = 1;
        clip.Frs = 0.1;
        clip.Fbh = -0.5;
        clip.FRotation = 1;
        clip.FAngle = 0.5;
        clip.FRuota = 1;
        clip.FFiltro = ",hflip";
        QTest::newRow("everything in order")
            << clip
            << "hue=b=0.00:s=1.00:H=0.00,colorbalance=rs=0.10:gs=0.00:bs=0.00:rm=0.00:gm=0.00:"
               "bm=0.00:rh=0.00:gh=0.00:bh=-0.50,rotate=0.50*PI*t:bilinear=0,transpose=dir=1,"
               "hflip";
    }
    void filterText()
    {
        QFETCH(ClipSettings, clip);
        QFETCH(QString, text);
        QCOMPARE(videoFilterText(clip), text);
    }

    void fadeSteps_data()
    {
        QTest::addColumn<int>("opacity");
        QTest::addColumn<int>("target");
        QTest::addColumn<bool>("fadesOut");
        QTest::addColumn<int>("ends");
        QTest::newRow("in from 0") << 0 << 255 << false << 255;
        QTest::newRow("out from 255") << 255 << 255 << true << 0;
        QTest::newRow("128 is above half of 255") << 128 << 255 << true << 0;
        QTest::newRow("127 is not") << 127 << 255 << false << 255;
        QTest::newRow("100 is not") << 100 << 255 << false << 255;
        QTest::newRow("above half of 100") << 51 << 100 << true << 0;
    }
    void fadeSteps()
    {
        QFETCH(int, opacity);
        QFETCH(int, target);
        QFETCH(bool, fadesOut);
        QFETCH(int, ends);
        Fade fade;
        fade.start(opacity, 0, target, 100, true, true, 2);
        QCOMPARE(fade.FadeVideoOut, fadesOut);
        QCOMPARE(fade.FadeAudioOut, false); // silent sound comes in
        QCOMPARE(fade.FadeAlphaStep, target / 60.0);
        int ticks = 1;
        while (!fade.tick())
            ++ticks;
        QCOMPARE(ticks, 61);
        // The last tick goes one step beyond the end; the opacity stays in its range.
        QCOMPARE(fade.opacity(), std::clamp(ends + (fadesOut ? -1 : 1) * target / 60, 0, 255));
    }

    void countdownAndPositionBar_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<qint64>("duration");
        QTest::addColumn<qint64>("pts");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("colour");
        QTest::newRow("remaining, far") << 1 << 100000000LL << 10000000LL << "00:01:30.000"
                                        << "#ffffff";
        QTest::newRow("remaining 29.9 s") << 1 << 40000000LL << 10100000LL << "00:00:29.900"
                                          << "#ff8042";
        QTest::newRow("remaining 9.9 s") << 1 << 40000000LL << 30100000LL << "00:00:09.900"
                                         << "#ff0000";
        QTest::newRow("elapsed, near the end") << 2 << 40000000LL << 30100000LL << "00:00:30.100"
                                               << "#ff0000";
        QTest::newRow("no length: elapsed in white") << 1 << 0LL << 3000000LL << "00:00:03.000"
                                                     << "#ffffff";
    }
    void countdownAndPositionBar()
    {
        QFETCH(int, mode);
        QFETCH(qint64, duration);
        QFETCH(qint64, pts);
        QFETCH(QString, text);
        QFETCH(QString, colour);
        ChannelPanel panel(1);
        if (mode == 2)
            QTest::mouseClick(panel.findChild<QLabel*>("CountDownA"), Qt::LeftButton);
        QCOMPARE(panel.countdownMode(), mode);
        panel.positionBar()->setRange(0, 400);
        panel.showPosition(pts, duration);
        const QLabel* countdown = panel.findChild<QLabel*>("CountDownA");
        QCOMPARE(countdown->text(), text);
        QVERIFY2(countdown->styleSheet().contains(colour), qPrintable(countdown->styleSheet()));
        const int expected = duration > 0 ? int(400 * pts / duration) : 0;
        QCOMPARE(panel.positionBar()->value(), expected);
        QCOMPARE(panel.positionBar()->selectionEnd(), expected);
    }

    void draggingTheBarMovesOnlyTheSelection()
    {
        ChannelPanel panel(2);
        PositionBar* bar = panel.positionBar();
        bar->setRange(0, 100);
        panel.showPosition(1000000, 10000000);
        QCOMPARE(bar->value(), 10);
        bar->setSliderDown(true); // the operator holds the thumb
        panel.showPosition(5000000, 10000000);
        QCOMPARE(bar->value(), 10);
        QCOMPARE(bar->selectionEnd(), 50);
    }

    void endStatusButtonCycles()
    {
        ChannelPanel panel(1);
        auto* status = panel.findChild<QPushButton*>("status");
        panel.setEndStatus("LOOP");
        QStringList seen;
        for (int i = 0; i < 4; ++i) {
            status->click();
            seen.append(panel.endStatus());
        }
        QCOMPARE(seen, QStringList({"LAST FRAME", "BLACK", "NEXT CLIP", "LOOP"}));
        panel.setEndStatus({});
        status->click();
        QCOMPARE(panel.endStatus(), QString());
    }

    void loadOpensTheClipPausedAtItsStartPoint()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.set(clip, R"("start" = 2000000, "status" = 'LOOP', "trxtime" = 4, "vflip" = 1)");
        show.load(1, clip);
        TFFPlayer* vA = show.player(1);
        QCOMPARE(vA->FileName(), media("clip_6s.mp4"));
        QCOMPARE(show.main->state().codiceA, clip);
        QCOMPARE(show.label("titolo"), QString("clip_6s"));
        QVERIFY(show.label("tipo").contains("mp4"));
        QCOMPARE(show.label("ris"), QString("160x120"));
        QCOMPARE(show.label("aratio"), QString("Original")); // "Load aspect ratio" is ticked
        QVERIFY(show.child<QPushButton>("btnOriginal")->isChecked());
        QCOMPARE(show.label("txtStartA"), QString("00:00:02.000"));
        QCOMPARE(show.child<QPushButton>("status")->text(), QString("LOOP"));
        QCOMPARE(show.panel(1)->transitionTime()->value(), 4);
        QVERIFY(vA->VerticalFlip());
        QVERIFY(show.child<QPushButton>("verticalFlipOn")->isChecked());
        QCOMPARE(vA->VideoFilters(), QString("hue=b=0.00:s=1.00:H=0.00"));
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        QTRY_VERIFY(vA->CurrentPTS() >= 1900000);
        QVERIFY(vA->CurrentPTS() < 2500000);
        // The cued clip can be checked before it goes on air: its picture in the preview, the
        // time from the start point to the end in the countdown.
        QVERIFY(!show.child<QLabel>("splittedA")->pixmap().isNull());
        QCOMPARE(show.label("CountDownA"),
                 formatMediaTime(show.main->state().clipSettings[1].FDuration - vA->CurrentPTS()));
        // The thumb stands at a third of the bar.
        PositionBar* bar = show.panel(1)->positionBar();
        QVERIFY(std::abs(bar->value() - bar->maximum() / 3) <= 1);
        QCOMPARE(show.main->state().codiceB, -1); // Player B was not touched

        show.click("btnResume");
        QTRY_COMPARE(show.label("pausedA"), QString("PLAYING"));
        QTRY_VERIFY(vA->CurrentPTS() > 2300000);
        QVERIFY(show.label("CountDownA") < QString("00:00:04.000")); // remaining time
        // The preview shows the picture at its own size; "PREVIEW OFF" clears it.
        auto* preview = show.child<QLabel>("splittedA");
        QTRY_VERIFY(!preview->pixmap().isNull());
        QCOMPARE(preview->pixmap().size(), preview->size());
        show.click("previewAoff");
        QVERIFY(preview->pixmap().isNull());
        show.click("btnStopA");
        QCOMPARE(show.label("pausedA"), QString("STOPPED"));
        QCOMPARE(show.label("titolo"), QString("Add a clip"));
        QCOMPARE(show.main->state().codiceA, -1);
        QVERIFY(vA->FileName().isEmpty());

        // Without "Load aspect ratio" the stream's own aspect shows, with two decimals.
        show.child<QCheckBox>("chkLoadAspectRatio")->setChecked(false);
        show.set(clip, R"("aspectratio" = '16:9')");
        show.load(1, clip);
        QCOMPARE(show.label("aratio"), QString("1.33"));
    }

    void refusedLoadsLeaveTheChannelAsItWas()
    {
        Show show;
        QTemporaryDir dir;
        const QString gone = dir.filePath("gone.mp4");
        QVERIFY(QFile::copy(media("clip_h264.mp4"), gone));
        const QList<int> clips = show.add({media("clip_vp9.webm"), gone});
        QFile::remove(gone);
        show.load(2, clips[0]);
        QCOMPARE(show.main->state().codiceB, clips[0]);

        ModalAnswers answers;
        answers.button("OK");
        show.load(2, clips[1]);
        QCOMPARE(answers.seen, QStringList{"Media not linked.\n" + gone}); // which file
        QCOMPARE(show.main->state().codiceB, clips[0]);
        QCOMPARE(show.label("titoloB"), QString("clip_vp9"));
        QCOMPARE(show.player(2)->FileName(), media("clip_vp9.webm"));

        // Direct Draw needs the stage on air.
        show.main->mainMenu()->action("Options/Render video/Direct Draw")->trigger();
        answers.button("OK");
        show.load(2, clips[0]);
        QCOMPARE(answers.seen.last(), QString("Stage not active."));
        QCOMPARE(show.main->state().codiceB, clips[0]);
    }

    void theClipsStageIsLookedUp()
    {
        Show show;
        show.fixture.exec(R"(insert into "layout" ("nome", "ordine") values ('Side', 2))");
        const QList<int> clips =
            show.add({media("clip_vp9.webm"), media("clip_mpeg4.avi"), media("clip_h264.mp4")});
        show.set(clips[0], R"("nomelayout" = 'Gone', "monitor" = 1)");
        show.set(clips[1], R"("nomelayout" = 'Gone', "monitor" = 0)");
        show.set(clips[2], R"("nomelayout" = 'Side', "monitor" = 0)");
        ModalAnswers answers;
        answers.button("OK");
        show.load(1, clips[0]);
        show.load(1, clips[1]);
        QCOMPARE(answers.seen, QStringList{"Stage Gone not found"});
        QCOMPARE(show.main->state().codiceA, clips[1]); // both loaded

        // A stage that exists is selected in the stage list, where "TAKE" finds it.
        auto* stages = show.child<DatasetGrid>("sceltalayout");
        QCOMPARE(stages->currentIndex().row(), 0);
        show.load(1, clips[2]);
        QCOMPARE(stages->currentIndex().row(), 1);
        QCOMPARE(show.main->database().layoutdb1.text("nome"), QString("Side"));
    }

    void filtersFollowLoadFiltersAndFilterOn()
    {
        Show show;
        const QList<int> clips = show.add({media("clip_vp9.webm"), media("clip_mpeg4.avi")});
        show.set(clips[0], R"("crop" = 1, "cropx" = 10, "cropy" = 20, "cropw" = 310,
            "croph" = 230, "opacity" = 200, "ruota" = 0, "brightness" = 0.5)");
        show.load(1, clips[0]);
        const QString cropped = "hue=b=0.50:s=1.00:H=0.00,crop=w=300:h=210:x=10:y=20,"
                                "transpose=dir=0";
        QCOMPARE(show.player(1)->VideoFilters(), cropped);
        QCOMPARE(show.panel(1)->alphaSlider()->value(), 55);
        QCOMPARE(show.child<QSlider>("b")->value(), -5);

        show.child<QCheckBox>("chkLoadFilters")->setChecked(false);
        show.load(1, clips[1]);
        QCOMPARE(show.main->state().codiceA, clips[1]);
        QCOMPARE(show.player(1)->VideoFilters(), cropped);
        QCOMPARE(show.main->state().clipSettings[1].FAlpha, 200);

        show.click("btnFilterAoff");
        show.load(1, clips[1]);
        QCOMPARE(show.player(1)->VideoFilters(), QString());

        // An extra filter text typed without its leading "," spoils the graph: the player
        // reports the failure; the channel keeps what loading set.
        show.click("btnFilterAon");
        show.child<QCheckBox>("chkLoadFilters")->setChecked(true);
        show.set(clips[1], R"("filtro" = 'hflip', "status" = 'BLACK')");
        show.load(1, clips[1]);
        QVERIFY(show.player(1)->VideoFilters().endsWith("H=0.00hflip"));
        QTRY_VERIFY(!show.player(1)->LastError().isEmpty());
        QCOMPARE(show.main->state().codiceA, clips[1]);
        QCOMPARE(show.child<QPushButton>("status")->text(), QString("BLACK"));
    }

    void colourBarsComeBackWhereTheyWereSet()
    {
        Show show;
        ChannelPanel* panel = show.panel(1);
        ClipSettings& settings = show.main->state().clipSettings[1];
        QVERIFY(show.main->state().handlersArmed);
        // Every position of each bar survives selecting the layer (which loads the bars from
        // the values) unchanged.
        const QList<std::tuple<QSlider*, int, int>> bars = {{panel->brightnessBar(), -100, 100},
                                                            {panel->saturationBar(), 0, 100},
                                                            {panel->hueBar(), -100, 100}};
        for (const auto& [bar, lowest, highest] : bars) {
            QStringList moved;
            for (int position = lowest; position <= highest; ++position) {
                bar->setValue(position);
                show.click("btnLayerA");
                if (bar->value() != position)
                    moved.append(QStringLiteral("%1 → %2").arg(position).arg(bar->value()));
            }
            QVERIFY2(moved.isEmpty(), qPrintable(bar->objectName() + ": " + moved.join(", ")));
        }
        // The Part's figures: b at 25 is −2.5 with −25 shown; s at 100 is grey; h at −50 is π/2.
        panel->brightnessBar()->setValue(25);
        QCOMPARE(settings.FBrightness, -2.5);
        QCOMPARE(show.child<QSpinBox>("bt")->value(), -25);
        panel->saturationBar()->setValue(100);
        QCOMPARE(settings.FSaturation, 0.0);
        panel->hueBar()->setValue(-50);
        QCOMPARE(settings.FHue, M_PI / 2);
        // "RESET ALL": B, S and H back to neutral.
        panel->resetAllButton()->click();
        QCOMPARE(QList<int>({panel->brightnessBar()->value(), panel->saturationBar()->value(),
                             panel->hueBar()->value()}),
                 QList<int>({0, 90, 0}));
        QCOMPARE(settings.FSaturation, 1.0);
        // A number typed in moves its bar.
        auto* hueNumber = show.child<QSpinBox>("ht");
        QApplication::setActiveWindow(show.main);
        hueNumber->setFocus();
        QTRY_VERIFY(hueNumber->hasFocus());
        hueNumber->setValue(40);
        QCOMPARE(panel->hueBar()->value(), -40);
    }

    void aLiveColourChangeReachesThePicture()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.load(1, clip, true);
        // Pixels whose colour channels differ: none in a grey picture.
        const auto coloured = [&] {
            const QImage picture = show.player(1)->CurrentFrame(QSize(64, 48));
            int count = 0;
            for (int y = 0; y < picture.height(); ++y)
                for (int x = 0; x < picture.width(); ++x) {
                    const QColor c = picture.pixelColor(x, y);
                    count += std::max({c.red(), c.green(), c.blue()}) -
                                 std::min({c.red(), c.green(), c.blue()}) >
                             24;
                }
            return count;
        };
        QTRY_VERIFY(coloured() > 500);
        const QString graph = show.player(1)->VideoFilters();
        show.panel(1)->saturationBar()->setValue(100);
        QTRY_COMPARE(coloured(), 0);
        QCOMPARE(show.player(1)->VideoFilters(), graph); // live: the clip was not opened again
        QVERIFY(show.player(1)->LastError().isEmpty());
    }

    void stopWithoutAClipResetsThePanel()
    {
        Show show;
        show.child<QPushButton>("status")->setText("LOOP");
        show.click("btnLayerA");
        show.click("btnStopA");
        QCOMPARE(show.child<QPushButton>("status")->text(), QString());
        QCOMPARE(show.label("titolo"), QString("Add a clip"));
        QCOMPARE(show.label("pausedA"), QString("STOPPED"));
    }

    void speedFromTheClip_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<double>("playbackSpeed");
        QTest::addColumn<int>("sync");
        QTest::newRow("slowest") << -100 << 0.0625 << int(stExternal);
        QTest::newRow("fastest") << 100 << 16.0 << int(stExternal);
        QTest::newRow("normal") << 0 << 1.0 << int(stAudio);
    }
    void speedFromTheClip()
    {
        QFETCH(int, speed);
        QFETCH(double, playbackSpeed);
        QFETCH(int, sync);
        Show show;
        const int clip = show.add(media("clip_vp9.webm"));
        show.set(clip, R"("speed" = ?)", {speed});
        show.child<QCheckBox>("chkLoadSpeedValue")->setChecked(true);
        show.load(2, clip);
        QCOMPARE(show.player(2)->PlaybackSpeed(), playbackSpeed);
        QCOMPARE(int(show.player(2)->SyncType()), sync);
        QCOMPARE(show.label("txtSpeedB"), QString::number(speed));
        QCOMPARE(show.player(1)->PlaybackSpeed(), 1.0);
    }

    void aspectButtonsActOnTheirOwnPlayer()
    {
        Show show;
        show.click("btn169B");
        QCOMPARE(show.player(2)->AspectRatio(), 1.7777778f);
        QCOMPARE(show.player(1)->AspectRatio(), 0.0f);
        show.click("btnFit");
        QCOMPARE(show.player(1)->AspectRatio(), -1.0f);
        QCOMPARE(show.player(2)->AspectRatio(), 1.7777778f);
    }

    void stepFrameAndRestart()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.load(1, clip, true);
        TFFPlayer* player = show.player(1);
        QTRY_VERIFY(player->CurrentPTS() > 1000000);
        // "STEP FRAME" pauses and shows one picture after another.
        show.click("btnTrimModeA");
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        QTest::qWait(200);
        const int64_t before = player->CurrentPTS();
        show.click("btnTrimModeA");
        QTRY_VERIFY(player->CurrentPTS() > before);
        QVERIFY(player->CurrentPTS() - before < 100000); // one picture, not a run
        QTest::qWait(300);
        const int64_t stepped = player->CurrentPTS();
        QTest::qWait(300);
        QCOMPARE(player->CurrentPTS(), stepped); // still paused
        // "RESTART": the selected channel back to the file's beginning, still paused.
        show.click("btnLayerA");
        show.click("btnRestart");
        QTRY_VERIFY(player->CurrentPTS() < 100000);
        QCOMPARE(show.label("pausedA"), QString("PAUSED"));
    }

    void seekingWithTheBar()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.load(1, clip);
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        PositionBar* bar = show.panel(1)->positionBar();
        // A keyboard step seeks at once: the paused player shows the new place (the key
        // picture nearest to 3 s).
        bar->setValue(bar->maximum() / 2);
        QTRY_VERIFY(show.player(1)->CurrentPTS() >= 1900000);
        const int64_t sought = show.player(1)->CurrentPTS();
        QVERIFY(sought <= 4000000);
        // While the thumb is held nothing seeks; the release seeks once.
        bar->setSliderDown(true);
        bar->setValue(bar->maximum() / 6);
        QTest::qWait(300);
        QCOMPARE(show.player(1)->CurrentPTS(), sought);
        bar->setSliderDown(false);
        QTRY_VERIFY(show.player(1)->CurrentPTS() < 1500000);
    }

    void previewClickSelectsItsChannel()
    {
        Show show;
        QTest::mouseClick(show.child<QLabel>("splittedA"), Qt::LeftButton);
        QCOMPARE(show.main->state().selectedChannel, 1);
        QVERIFY(show.child<QPushButton>("btnLayerA")->isChecked());
        QTest::mouseClick(show.child<QLabel>("SplittedB"), Qt::LeftButton);
        QCOMPARE(show.main->state().selectedChannel, 2);
    }

    void startPointIsStoredAndLoopsComeBackToIt()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.set(clip, R"("status" = 'LOOP')");
        show.load(1, clip);
        show.player(1)->Seek(5000000);
        QTRY_VERIFY(show.player(1)->CurrentPTS() >= 4900000);
        show.click("btnSetStartPoint");
        const qint64 start = show.fixture.scalar(R"(select "start" from "playlist")").toLongLong();
        QVERIFY2(start >= 4900000 && start < 5500000, qPrintable(QString::number(start)));
        QCOMPARE(show.main->state().clipSettings[1].FIn, start);
        QVERIFY(show.child<QLabel>("savedA")->isVisible() || !show.main->isVisible());

        // The loop goes back to the start point, not to the beginning.
        QList<int64_t>* positions = show.recordPositions(1);
        show.click("btnResume");
        const qint64 length = show.main->state().clipSettings[1].FDuration;
        QTRY_VERIFY_WITH_TIMEOUT(positions->contains(length), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(
            positions->last() < start + 500000 && positions->last() >= start - 100000, 3000);
        QTRY_COMPARE(show.label("pausedA"), QString("PLAYING"));

        show.click("btnResetStartPoint");
        QCOMPARE(show.fixture.scalar(R"(select "start" from "playlist")").toLongLong(), 0);
        QCOMPARE(show.label("txtStartA"), QString("00:00:00.000"));
    }

    void endStatuses()
    {
        Show show;
        const QList<int> clips = show.add({media("clip_vp9.webm"), media("clip_mpeg4.avi")});
        // A file replaced by one of another length never reports the stored length: no loop.
        show.set(clips[0], R"("status" = 'LOOP', "duratams" = 1500000)");
        show.set(clips[1], R"("status" = 'BLACK')");
        QList<int64_t>* positions = show.recordPositions(1);
        show.load(1, clips[0], true);
        QTRY_VERIFY_WITH_TIMEOUT(show.player(1)->PlayState() == psEnd, 5000);
        QTest::qWait(300);
        QCOMPARE(show.player(1)->PlayState(), psEnd);
        QVERIFY(!positions->isEmpty() && positions->last() > 900000);

        // "PLAY" at the end starts from the file's beginning.
        show.set(clips[0], R"("start" = 500000)");
        show.load(1, clips[0], true);
        QTRY_VERIFY_WITH_TIMEOUT(show.player(1)->PlayState() == psEnd, 5000);
        positions->clear();
        show.click("btnResume");
        QTRY_VERIFY_WITH_TIMEOUT(!positions->isEmpty(), 3000);
        QVERIFY2(positions->first() < 400000, qPrintable(QString::number(positions->first())));

        // "BLACK" stops the player at the end; its layer stays on the stage, showing black.
        show.stageActive();
        show.load(1, clips[1], true);
        QTRY_COMPARE_WITH_TIMEOUT(show.label("pausedA"), QString("STOPPED"), 5000);
        QVERIFY(show.player(1)->FileName().isEmpty());
        QVERIFY(show.layer(1)->isVisible());
        QCOMPARE(show.layer(1)->colour(), QColor(Qt::black));
        // "STOP" empties the channel: its layer no longer hides what lies beneath.
        show.click("btnLayerA");
        show.click("btnStopA");
        QVERIFY(!show.layer(1)->isVisible());
        QVERIFY(show.layer(1)->onStage());
    }

    void aClipThatBreaksOffIsNamedAndTheShowGoesOn_data()
    {
        QTest::addColumn<QString>("status");
        QTest::newRow("STOP: the last picture stays") << "STOP";
        QTest::newRow("BLACK: the layer's colour") << "BLACK";
        QTest::newRow("NEXT CLIP: the next one plays") << "NEXT CLIP";
    }
    void aClipThatBreaksOffIsNamedAndTheShowGoesOn()
    {
        QFETCH(QString, status);
        // 6 s declared, about 2.5 s of data.
        QTemporaryDir folder;
        const QString broken = folder.filePath("broken.mp4");
        QVERIFY(QFile::copy(media("clip_6s_index_first.mp4"), broken));
        QVERIFY(QFile::resize(broken, 150000));
        Show show;
        show.stageActive();
        const QList<int> clips = show.add({broken, media("clip_vp9.webm"), media("clip_6s.mp4")});
        show.set(clips[0], R"("status" = ?, "titolo" = 'Opening titles')", {status});
        QList<int64_t>* otherPositions = show.recordPositions(2);
        show.load(2, clips[2], true);
        ModalAnswers answers;
        answers.button("OK");
        show.load(1, clips[0], true);

        QTRY_COMPARE_WITH_TIMEOUT(answers.seen.size(), 1, 6000);
        QVERIFY2(answers.seen[0].startsWith("Player A: the clip \"Opening titles\" cannot be read "
                                            "past 00:00:02.") &&
                     answers.seen[0].contains("of 00:00:06.0") && answers.seen[0].contains(broken),
                 qPrintable(answers.seen[0]));
        if (status == "STOP") {
            QTRY_COMPARE(show.player(1)->PlayState(), psEnd);
            QVERIFY(!show.player(1)->CurrentFrame().isNull());
            QVERIFY(show.layer(1)->isVisible());
        } else if (status == "BLACK") {
            QTRY_COMPARE(show.label("pausedA"), QString("STOPPED"));
            QVERIFY(show.layer(1)->isVisible());
            QCOMPARE(show.layer(1)->colour(), QColor(Qt::black));
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(show.main->state().codiceA, clips[1], 5000);
            QTRY_COMPARE(show.label("pausedA"), QString("PLAYING"));
        }
        // Player B was not touched, and a new "LOAD" on A works.
        const int64_t otherAt = otherPositions->last();
        QTRY_VERIFY(otherPositions->last() > otherAt);
        QCOMPARE(show.label("pausedB"), QString("PLAYING"));
        show.load(1, clips[1], true);
        QTRY_COMPARE(show.player(1)->PlayState(), psEnd);
        QCOMPARE(answers.seen.size(), 1);
    }

    void nextClip_data()
    {
        QTest::addColumn<bool>("repeat");
        QTest::newRow("repeat playlist") << true;
        QTest::newRow("no repeat: the last clip again") << false;
    }
    void nextClip()
    {
        QFETCH(bool, repeat);
        Show show;
        const QList<int> clips = show.add({media("clip_vp9.webm"), media("clip_mpeg4.avi")});
        show.set(clips[1], R"("status" = 'NEXT CLIP')");
        if (repeat)
            show.click("btnrepeatplaylist");
        const int* opened = show.countOpenings(2);
        show.load(2, clips[1]);
        show.click("btnResume");
        QTRY_VERIFY_WITH_TIMEOUT(*opened == 2, 5000);
        QCOMPARE(show.main->state().codiceB, repeat ? clips[0] : clips[1]);
        QCOMPARE(show.main->state().nextClipChannel, 0);
        QTRY_COMPARE(show.label("pausedB"), QString("PLAYING")); // "PLAY AFTER LOAD" pressed
        // ... for that load only: the switch, and so the operator's next "LOAD", are as left.
        QVERIFY(!show.child<QPushButton>("chkPlayAfterLoad")->isChecked());
        QCOMPARE(show.fixture.settings().readFirstLine(SettingsFile::PlayAfterLoad).value_or("0"),
                 QString("0"));
        show.load(2, clips[0]);
        QTRY_COMPARE(show.label("pausedB"), QString("PAUSED"));
    }

    void aChainGoesFromTheLastPictureToTheNextClipsFirst_data()
    {
        QTest::addColumn<QString>("next");
        QTest::newRow("the next clip opens") << "opens";
        QTest::newRow("the order changes while the first clip plays") << "order changes";
        QTest::newRow("the next clip cannot be opened: a message, the layer's colour") << "broken";
    }
    void aChainGoesFromTheLastPictureToTheNextClipsFirst()
    {
        QFETCH(QString, next);
        QTemporaryDir folder;
        const QString second = folder.filePath("second.mp4");
        QVERIFY(QFile::copy(media("numbered_2.mp4"), second));
        LogCapture log;
        Show show;
        show.stageActive();
        QStringList files = {media("numbered_1.mp4"), second};
        if (next == "order changes")
            files.insert(1, media("clip_mpeg4.avi")); // first after the first, until moved
        const QList<int> clips = show.add(files);
        show.set(clips[0], R"("status" = 'NEXT CLIP')");
        if (next == "broken") { // damaged after it was added
            QFile file(second);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(QByteArray(4096, 'x'));
        }
        // What the audience sees on layer A at each of its paints: a numbered picture, another
        // picture, or the layer's colour.
        VideoSurface* surface = show.layer(1)->surface();
        struct Paints : QObject {
            VideoSurface* surface = nullptr;
            QStringList seen;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() != QEvent::Paint)
                    return false;
                const auto number = readPictureNumber(surface->picture());
                seen.append(!surface->showsPicture() ? QString("colour")
                            : number ? QString("%1:%2").arg(number->clip).arg(number->number)
                                     : QString("other"));
                return false;
            }
        } paints;
        paints.surface = surface;
        surface->installEventFilter(&paints);
        show.load(1, clips[0], true);
        QTRY_VERIFY(paints.seen.contains("1:0"));
        if (next == "order changes") {
            QTest::qWait(300); // the clip after it is being opened ahead
            show.set(clips[1], R"("ordine" = 1000)");
        }

        if (next == "broken") {
            QTRY_VERIFY_WITH_TIMEOUT(show.player(1)->FileName().isEmpty() &&
                                         show.main->state().nextClipChannel == 0,
                                     5000);
            QVERIFY(!log.containing("the next clip \"second").isEmpty());
            QTRY_COMPARE(paints.seen.last(), QString("colour"));
            QVERIFY(!surface->showsPicture());
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(paints.seen.contains("2:24"), 5000);
        QCOMPARE(show.main->state().codiceA, clips.last());
        QVERIFY(!log.containing(second + " was opened ahead").isEmpty());
        // The pictures painted from the first clip's first on: numbered ones only, the first
        // clip's last straight before the next clip's first.
        const QStringList seen = paints.seen.mid(paints.seen.indexOf("1:0"));
        QVERIFY2(!seen.contains("colour") && !seen.contains("other"), qPrintable(seen.join(' ')));
        const qsizetype first = seen.indexOf("2:0");
        QVERIFY2(first > 0 && seen.at(first - 1) == "1:24", qPrintable(seen.join(' ')));
    }

    void theNextClipLoadsWhileAIsDissolvingOrAPlayerOpens_data()
    {
        QTest::addColumn<QString>("during");
        QTest::newRow("a dissolve of Player A") << "dissolve";
        QTest::newRow("an opening of a player") << "opening";
    }
    void theNextClipLoadsWhileAIsDissolvingOrAPlayerOpens()
    {
        QFETCH(QString, during);
        Show show;
        show.stageActive();
        const QList<int> clips = show.add({media("clip_vp9.webm"), media("clip_mpeg4.avi")});
        show.set(clips[0], R"("status" = 'NEXT CLIP')");
        const int* opened = show.countOpenings(2);
        show.load(2, clips[0]);
        std::optional<PlayerWait> wait;
        if (during == "dissolve") {
            show.panel(1)->transitionTime()->setValue(20); // 10 s: all the while B plays
            show.click("btnCutA");
            show.click("btnLayerA");
            show.click("btnDissolve");
            QVERIFY(show.mixer().dissolving(1));
            show.click("btnLayerB");
        } else {
            wait.emplace();
        }
        show.click("btnResume");
        QTRY_COMPARE_WITH_TIMEOUT(show.player(2)->PlayState(), psEnd, 5000);
        if (wait) {
            QTest::qWait(100); // the next-clip tick waits for the player
            QCOMPARE(*opened, 1);
            QCOMPARE(show.main->state().nextClipChannel, 2);
            wait.reset();
        }
        QTRY_COMPARE_WITH_TIMEOUT(*opened, 2, 5000);
        QCOMPARE(show.main->state().codiceB, clips[1]);
        QCOMPARE(show.main->state().nextClipChannel, 0);
        QTRY_COMPARE(show.label("pausedB"), QString("PLAYING"));
    }

    void cutTakesAChannelOffAndBackOnAir()
    {
        Show show;
        auto* cut = show.child<QPushButton>("btnCutA");
        cut->click(); // no stage on air: refused
        QVERIFY(!cut->isChecked());
        QCOMPARE(show.mixer().opacity(1), 255);

        show.stageActive();
        show.panel(1)->alphaSlider()->setValue(55); // target opacity 200
        QCOMPARE(show.mixer().opacity(1), 200);
        QCOMPARE(show.player(1)->AudioVolume(), 100);
        cut->click();
        QCOMPARE(show.mixer().opacity(1), 0);
        QCOMPARE(show.player(1)->AudioVolume(), 0);
        QVERIFY(cut->isChecked());
        QVERIFY(show.child<QPushButton>("btnDissolve")->isChecked());
        QVERIFY(show.child<QPushButton>("btnMuteA")->isVisibleTo(show.main));

        // While off air the opacity slider changes the stored value and the number only.
        show.panel(1)->alphaSlider()->setValue(0);
        QCOMPARE(show.main->state().clipSettings[1].FAlpha, 255);
        QCOMPARE(show.panel(1)->alphaNumber()->value(), 255);
        QCOMPARE(show.mixer().opacity(1), 0);

        cut->click();
        QCOMPARE(show.mixer().opacity(1), 255);
        QCOMPARE(show.player(1)->AudioVolume(), 100);
        QVERIFY(!cut->isChecked());
        QVERIFY(show.child<QPushButton>("btnVolumeMaxA")->isVisibleTo(show.main));
    }

    void dissolves()
    {
        Show show;
        show.stageActive();
        for (const int channel : {1, 2})
            show.panel(channel)->transitionTime()->setValue(1); // half a second
        ChannelMixer& mixer = show.mixer();

        // A fades out: window and sound.
        show.click("btnDissolve");
        QVERIFY(mixer.dissolving(1));
        QTRY_VERIFY_WITH_TIMEOUT(!mixer.dissolving(1), 3000);
        QCOMPARE(mixer.opacity(1), 0);
        QCOMPARE(show.player(1)->AudioVolume(), 0);
        QVERIFY(show.child<QPushButton>("btnCutA")->isChecked());
        QVERIFY(show.layer(1)->onStage()); // A's window stays on the stage

        // Right click: A fades in, B fades out, together.
        emit show.child<QPushButton>("btnDissolveB")->customContextMenuRequested({});
        QVERIFY(mixer.dissolving(1) && mixer.dissolving(2));
        QTRY_VERIFY_WITH_TIMEOUT(!mixer.dissolving(1) && !mixer.dissolving(2), 3000);
        QCOMPARE(mixer.opacity(1), 255);
        QCOMPARE(show.player(1)->AudioVolume(), 100);
        QCOMPARE(mixer.opacity(2), 0);
        QVERIFY(!show.layer(2)->onStage()); // B is hidden when out

        // "CUT" brings B's opacity back but not its window; the next dissolve shows it.
        show.click("btnCutB");
        QCOMPARE(mixer.opacity(2), 255);
        QVERIFY(!show.layer(2)->onStage());
        show.click("btnCutB");
        QCOMPARE(mixer.opacity(2), 0);
        show.click("btnDissolveB");
        QTRY_VERIFY(show.layer(2)->onStage());
        QTRY_VERIFY_WITH_TIMEOUT(!mixer.dissolving(2), 3000);
        QCOMPARE(mixer.opacity(2), 255);

        // A transition time of 0 does nothing.
        show.panel(2)->transitionTime()->setValue(0);
        show.click("btnDissolveB");
        QVERIFY(!mixer.dissolving(2));
        QCOMPARE(mixer.opacity(2), 255);
    }

    void ticksThatCameDueWhileTheThreadWasHeldRunTogether()
    {
        // Tick 5 comes at 67 ms and holds the thread for 120 ms: ticks 6 to 11 (83 to 167 ms)
        // are due when it returns, and run before anything else waiting in the loop (a
        // window's paint), so that the dissolve still ends on time.
        DissolveTimer timer;
        int ticks = 0;
        int ticksBeforeTheNextEvent = -1;
        QElapsedTimer clock;
        connect(&timer, &DissolveTimer::timeout, this, [&] {
            ++ticks;
            if (ticks == 5) {
                QTimer::singleShot(0, this, [&] { ticksBeforeTheNextEvent = ticks; });
                QThread::msleep(120);
            }
            if (ticks == 61)
                timer.stop();
        });
        clock.start();
        timer.start();
        QTRY_VERIFY_WITH_TIMEOUT(!timer.isActive(), 3000);
        QVERIFY2(ticksBeforeTheNextEvent >= 11,
                 qPrintable(QString::number(ticksBeforeTheNextEvent)));
        QCOMPARE(ticks, 61);
        QVERIFY2(clock.elapsed() >= 1000,
                 qPrintable(QString::number(clock.elapsed()))); // never early
    }

    void theFaderGaugesPaintWithTheNextPaintNotAtEachStep()
    {
        // A dissolve moves the gauges 60 times a second: a paint (and its hand-over to the
        // window system) at each step held the steps.
        Show show;
        show.stageActive();
        show.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(show.main));
        auto* gauge = show.child<MixerGauge>("faderA");
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        gauge->installEventFilter(&counter);
        QTRY_COMPARE(gauge->value(), gauge->maximum());
        QTest::qWait(50);
        counter.paints = 0;
        gauge->setValue(gauge->maximum() / 2);
        QCOMPARE(counter.paints, 0);
        QTRY_VERIFY(counter.paints > 0);
        QCOMPARE(gauge->value(), gauge->maximum() / 2);

        // A's dissolve moves its gauge down, painted as it goes.
        counter.paints = 0;
        show.panel(1)->transitionTime()->setValue(1);
        show.click("btnDissolve");
        QTRY_VERIFY_WITH_TIMEOUT(!show.mixer().dissolving(1), 3000);
        QCOMPARE(gauge->value(), 0);
        QTRY_VERIFY(counter.paints > 1);
    }

    void automaticPlayStartsTheSelectedChannel()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.load(2, clip);
        QTRY_COMPARE(show.label("pausedB"), QString("PAUSED"));
        show.stageActive();
        show.click("btnAutomatic");
        show.click("btnDissolve"); // Player A's dissolve, Player B selected
        QTRY_COMPARE(show.label("pausedB"), QString("PLAYING"));
    }

    void dissolveWithoutVideoFadesOnlyTheSound()
    {
        Show show;
        show.stageActive();
        show.panel(1)->transitionTime()->setValue(1);
        show.child<QCheckBox>("mixVideoA")->setChecked(false);
        show.mixer().setOpacity(1, 100);
        show.click("btnDissolve");
        QTRY_VERIFY_WITH_TIMEOUT(!show.mixer().dissolving(1), 3000);
        QCOMPARE(show.mixer().opacity(1), 100);
        QCOMPARE(show.player(1)->AudioVolume(), 0);
    }

    void closingWhileClipsAreOnAir_data()
    {
        QTest::addColumn<QString>("onAir");  // what Player B shows: "", "paused", "looping"
        QTest::addColumn<QString>("answer"); // to the question, if asked
        QTest::addColumn<bool>("bySignal");
        QTest::addColumn<bool>("closed");
        QTest::newRow("nothing on air: at once") << ""
                                                 << "" << false << true;
        QTest::newRow("paused, kept open") << "paused"
                                           << "No" << false << false;
        QTest::newRow("paused, closed") << "paused"
                                        << "Yes" << false << true;
        // After its first end a looping clip reports no new state: it is on air all the same.
        QTest::newRow("looping, kept open") << "looping"
                                            << "No" << false << false;
        QTest::newRow("paused, a signal: at once") << "paused"
                                                   << "" << true << true;
    }

    void closingWhileClipsAreOnAir()
    {
        QFETCH(QString, onAir);
        QFETCH(QString, answer);
        QFETCH(bool, bySignal);
        QFETCH(bool, closed);
        Show show;
        if (onAir == "paused") {
            show.load(2, show.add(media("clip_6s.mp4")));
            QTRY_COMPARE(show.label("pausedB"), QString("PAUSED"));
        } else if (onAir == "looping") {
            const int clip = show.add(media("clip_vp9.webm"));
            show.set(clip, R"("status" = 'LOOP')");
            show.load(2, clip, true);
            QTRY_COMPARE_WITH_TIMEOUT(show.player(2)->PlayState(), psEnd, 5000);
        }
        ModalAnswers answers;
        if (!answer.isEmpty())
            answers.button(answer);
        if (bySignal)
            show.main->closeWithoutAsking();
        else
            show.main->mainMenu()->closeQuillon()->trigger();
        QCOMPARE(answers.seen, answer.isEmpty() ? QStringList()
                                                : QStringList{"Clips are on air. Close Quillon?"});
        QCOMPARE(show.main->isVisible(), !closed);
        if (!onAir.isEmpty())
            QCOMPARE(show.player(2)->PlayState() == psStop, closed);
    }

    void renamingTheClipOnAirRenamesTheChannel()
    {
        Show show;
        const int clip = show.add(media("clip_h264.mp4"));
        show.load(1, clip);
        ModalAnswers answers;
        answers.text("Opening act");
        show.main->mainMenu()->action("Library/Rename clip")->trigger();
        QCOMPARE(show.label("titolo"), QString("Opening act"));
        QCOMPARE(show.label("titoloB"), QString("Add a clip"));
    }

    void fadeDirectionFromTheWindowsOpacity_data()
    {
        QTest::addColumn<int>("opacity");
        QTest::addColumn<int>("ends");
        QTest::newRow("128 fades out") << 128 << 0;
        QTest::newRow("127 fades in") << 127 << 255;
    }
    void fadeDirectionFromTheWindowsOpacity()
    {
        QFETCH(int, opacity);
        QFETCH(int, ends);
        Show show;
        show.stageActive();
        show.panel(1)->transitionTime()->setValue(1);
        show.mixer().setOpacity(1, opacity);
        show.click("btnDissolve");
        QTRY_VERIFY_WITH_TIMEOUT(!show.mixer().dissolving(1), 3000);
        QCOMPARE(show.mixer().opacity(1), ends);
    }

    void aStopEndsBothDissolves()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.load(2, clip, true);
        show.stageActive();
        show.panel(1)->transitionTime()->setValue(20); // ten seconds
        show.click("btnDissolve");
        QVERIFY(show.mixer().dissolving(1));
        QTest::qWait(200);
        show.click("btnStopA"); // Player B is the selected channel
        QVERIFY(!show.mixer().dissolving(1));
        const int opacity = show.mixer().opacity(1);
        QVERIFY(opacity < 255 && opacity > 0);
        QTest::qWait(100);
        QCOMPARE(show.mixer().opacity(1), opacity); // left where the last tick put it
    }

    void volumeControls()
    {
        Show show;
        QSlider* volA = show.panel(1)->volumeSlider();
        show.click("btnAutoAudio"); // "INVERT"
        volA->setValue(70);         // A at 30 %
        QCOMPARE(show.player(1)->AudioVolume(), 30);
        QCOMPARE(show.label("vo1"), QString("30%"));
        QCOMPARE(show.player(2)->AudioVolume(), 70);
        QCOMPARE(show.label("vo2"), QString("70%"));

        show.click("SpeedButton29"); // "SINGLE"
        show.click("btnVolumeMaxA");
        QCOMPARE(volA->value(), 100);
        QCOMPARE(show.player(1)->AudioVolume(), 0);
        QVERIFY(show.child<QPushButton>("btnMuteA")->isVisibleTo(show.main));
        QVERIFY(!show.child<QPushButton>("btnVolumeMaxA")->isVisibleTo(show.main));
        QCOMPARE(show.player(2)->AudioVolume(), 70);
        show.click("btnMuteA");
        QCOMPARE(show.player(1)->AudioVolume(), 100);

        show.click("btnMuteB1");
        QVERIFY(show.player(2)->Mute());
        show.click("btnMuteB1");
        QVERIFY(!show.player(2)->Mute());
    }

    void speedSliderAndReset()
    {
        Show show;
        QSlider* speed = show.panel(1)->speedSlider();
        speed->setValue(20);
        QCOMPARE(show.player(1)->PlaybackSpeed(), 4.0);
        QCOMPARE(int(show.player(1)->SyncType()), int(stExternal));
        show.click("btnSpeedA");
        QCOMPARE(speed->value(), 0);
        QCOMPARE(show.player(1)->PlaybackSpeed(), 1.0);
        QCOMPARE(int(show.player(1)->SyncType()), int(stAudio));
        QCOMPARE(show.label("txtSpeedA"), QString("0"));
    }
};

QTEST_MAIN(TestChannels)
#include "test_channels.moc"
