// The filter panel, the players' picture and sound hooks and saving a channel back to its
// clip: on a started console with real players and generated media, and the drawing and
// measuring rules on their own.
#include "channels/channel_hooks.h"
#include "channels/clip_columns.h"
#include "channels/filter_panel.h"
#include "channels/playback_channels.h"
#include "media/test_media.h"
#include "stage/video_surface.h"
#include "support/log_capture.h"
#include "support/modal_answers.h"
#include "support/show_console.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>

namespace {
bool near(const QColor& c, int r, int g, int b)
{
    return std::abs(c.red() - r) < 40 && std::abs(c.green() - g) < 40 &&
           std::abs(c.blue() - b) < 40;
}

// A picture of one colour.
QImage plain(QSize size, QColor colour)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

int countOf(const QImage& picture, const std::function<bool(const QColor&)>& matches)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            count += matches(picture.pixelColor(x, y));
    return count;
}

PictureMarks perspectiveMasks(QSize size, std::array<QPoint, 4> corners)
{
    PictureMarks marks;
    marks.masks = true;
    marks.size = size;
    marks.corners = corners;
    return marks;
}
} // namespace

Q_DECLARE_METATYPE(PictureMarks)

class TestFilterPanel : public QObject {
    Q_OBJECT
private slots:
    void meterLevels_data()
    {
        QTest::addColumn<QList<int>>("samples");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("full scale left, silent right")
            << QList<int>{-32768, 0, 100, 0} << 2 << 100 << 0;
        QTest::newRow("mono moves only the left meter") << QList<int>{16384, -200} << 1 << 50 << 0;
        QTest::newRow("six channels: even left, odd right")
            << QList<int>{0, 0, 3277, 0, 0, 9830, 0, 0, 0, 0, 0, 0} << 6 << 10 << 30;
        // 4096 is 12.5 and 12288 is 37.5 of 100: half goes to the even neighbour.
        QTest::newRow("halves to even") << QList<int>{4096, 12288} << 2 << 12 << 38;
        QTest::newRow("nothing") << QList<int>{} << 2 << 0 << 0;
    }
    void meterLevels()
    {
        QFETCH(QList<int>, samples);
        QFETCH(int, channels);
        QFETCH(int, left);
        QFETCH(int, right);
        std::vector<int16_t> buffer(samples.begin(), samples.end());
        const MeterLevels levels =
            ::meterLevels(buffer.data(), int(buffer.size()) / channels, channels);
        QCOMPARE(levels, (MeterLevels{left, right}));
    }

    void pictureMarks_data()
    {
        QTest::addColumn<PictureMarks>("marks");
        QTest::addColumn<QList<QPoint>>("red");   // still the picture
        QTest::addColumn<QList<QPoint>>("black"); // masked
        QTest::addColumn<QList<QPoint>>("white"); // outline
        const QSize size(320, 240);
        QTest::newRow("corners at the picture's corners mask nothing")
            << perspectiveMasks(size,
                                {QPoint(0, 0), QPoint(320, 0), QPoint(0, 240), QPoint(320, 240)})
            << QList<QPoint>{{0, 0}, {319, 0}, {0, 239}, {319, 239}, {160, 120}} << QList<QPoint>{}
            << QList<QPoint>{};
        QTest::newRow("pulled-in corners mask the edges")
            << perspectiveMasks(
                   size, {QPoint(40, 30), QPoint(280, 30), QPoint(40, 210), QPoint(280, 210)})
            << QList<QPoint>{{160, 120}, {45, 35}, {275, 205}}
            << QList<QPoint>{{5, 120}, {160, 5}, {315, 120}, {160, 235}, {0, 0}, {319, 239}}
            << QList<QPoint>{};
        QTest::newRow("a turned or scaled picture gets no masks")
            << perspectiveMasks(QSize(240, 320), {QPoint(40, 30), QPoint(200, 30), QPoint(40, 290),
                                                  QPoint(200, 290)})
            << QList<QPoint>{{5, 5}, {160, 120}} << QList<QPoint>{} << QList<QPoint>{};
        PictureMarks editing = perspectiveMasks(
            size, {QPoint(40, 30), QPoint(280, 30), QPoint(40, 210), QPoint(280, 210)});
        editing.perspectiveEdit = true;
        editing.outline = {QPoint(40, 30), QPoint(280, 30), QPoint(40, 210), QPoint(280, 210)};
        QTest::newRow("perspective edit: the outline and no masks")
            << editing << QList<QPoint>{{5, 120}, {160, 120}} << QList<QPoint>{}
            << QList<QPoint>{{41, 30}, {280, 31}};
        PictureMarks crop;
        crop.cropEdit = true;
        crop.cropLeft = 20;
        crop.cropTop = 20;
        crop.cropRight = 300;
        crop.cropBottom = 220;
        QTest::newRow("crop edit: an outline with the picture inside")
            << crop << QList<QPoint>{{160, 120}, {5, 5}} << QList<QPoint>{}
            << QList<QPoint>{{20, 21}, {21, 20}};
    }
    void pictureMarks()
    {
        QFETCH(PictureMarks, marks);
        QFETCH(QList<QPoint>, red);
        QFETCH(QList<QPoint>, black);
        QFETCH(QList<QPoint>, white);
        QImage picture = plain(QSize(320, 240), Qt::red);
        drawPictureMarks(picture, marks, Qt::black);
        for (const QPoint& at : red)
            QVERIFY2(picture.pixelColor(at) == QColor(Qt::red),
                     qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
        for (const QPoint& at : black)
            QVERIFY2(picture.pixelColor(at) == QColor(Qt::black),
                     qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
        for (const QPoint& at : white)
            QVERIFY2(picture.pixelColor(at) == QColor(Qt::white),
                     qPrintable(QString("%1,%2").arg(at.x()).arg(at.y())));
    }

    void iconSizes_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("icon");
        QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(127, 71);
        QTest::newRow("640x480") << QSize(640, 480) << QSize(127, 95);
        QTest::newRow("720x1280 upright") << QSize(720, 1280) << QSize(43, 77);
        QTest::newRow("square is upright") << QSize(500, 500) << QSize(77, 77);
        QTest::newRow("a thin strip keeps a pixel") << QSize(10000, 10) << QSize(127, 1);
        QTest::newRow("a thin column keeps a pixel") << QSize(10, 10000) << QSize(1, 77);
    }
    void iconSizes()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, icon);
        QCOMPARE(snapshotIconSize(picture), icon);
    }

    void scriptMemo_data()
    {
        QTest::addColumn<QString>("memo");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("two filters") << "scale=160:120\neq=contrast=2"
                                     << ",scale=160:120,eq=contrast=2"
                                     << "scale=160:120\neq=contrast=2";
        QTest::newRow("blank lines are skipped") << "hflip\n\n   \nvflip\n"
                                                 << ",hflip,vflip"
                                                 << "hflip\nvflip";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }
    void scriptMemo()
    {
        QFETCH(QString, memo);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QCOMPARE(scriptFilterText(memo), stored);
        QCOMPARE(scriptMemoText(stored), shown);
        // A text stored without the leading "," loses nothing.
        QCOMPARE(scriptMemoText("hflip,vflip"), QString("hflip\nvflip"));
    }

    // Every picture and sound setting the operator can give a channel comes back from its
    // clip: the table covers every filter column the channel holds.
    void savedSettingsComeBack()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4")); // 160x120
        const QList<std::pair<const char*, QVariant>> values = {{"crop", 1},
                                                                {"cropx", 8},
                                                                {"cropy", 6},
                                                                {"cropw", 150},
                                                                {"croph", 110},
                                                                {"brightness", -0.3},
                                                                {"saturation", 2.7},
                                                                {"hue", -0.3 * M_PI},
                                                                {"ruota", 2},
                                                                {"color", 1},
                                                                {"rs", 0.11},
                                                                {"gs", -0.29},
                                                                {"bs", 0.57},
                                                                {"rm", -0.58},
                                                                {"gm", 0.03},
                                                                {"bm", -1.0},
                                                                {"rh", 1.0},
                                                                {"gh", 0.07},
                                                                {"bh", -0.14},
                                                                {"blur", 1},
                                                                {"croma", 3},
                                                                {"cromaLR", 7},
                                                                {"perspective", 0},
                                                                {"x0", 5},
                                                                {"y0", 4},
                                                                {"x1", 155},
                                                                {"y1", 3},
                                                                {"x2", 2},
                                                                {"y2", 117},
                                                                {"x3", 158},
                                                                {"y3", 119},
                                                                {"rotation", 1},
                                                                {"angle", 89 * M_PI / 180},
                                                                {"filtro", ",hflip,eq=gamma=1.2"},
                                                                {"opacity", 201}};
        QStringList covered;
        for (const auto& [column, value] : values)
            covered.append(column);
        for (const ClipColumn& column : clipTableColumns())
            if (column.group == ClipColumn::Group::Filter &&
                !std::holds_alternative<std::monostate>(column.member))
                QVERIFY2(covered.contains(column.name), column.name);

        QStringList assignments;
        QVariantList parameters;
        for (const auto& [column, value] : values) {
            assignments.append(QStringLiteral(R"("%1" = ?)").arg(column));
            parameters.append(value);
        }
        show.set(clip, assignments.join(", "), parameters);
        show.load(1, clip);
        const ClipSettings loaded = show.main->state().clipSettings[1];
        // Loading shows them in the panel, whose bars must not move them.
        show.click("btnLayerB");
        show.click("btnLayerA");
        const ClipSettings reloaded = show.main->state().clipSettings[1];

        // Stored elsewhere meanwhile; "SAVE TO CLIP" writes the channel's values back.
        show.set(clip, R"("crop" = 0, "cropx" = 0, "hue" = 0, "angle" = 0, "filtro" = NULL,
            "bm" = 0, "opacity" = 255)");
        show.click("btnSaveClipA");
        QTRY_VERIFY(show.child<QLabel>("savedA")->isVisible());
        for (const auto& [column, value] : values) {
            const QVariant stored = show.fixture.scalar(
                QStringLiteral(R"(select "%1" from "playlist" where "codice" = ?)").arg(column),
                {clip});
            if (value.typeId() == QMetaType::Double)
                QVERIFY2(std::abs(stored.toDouble() - value.toDouble()) < 1e-9,
                         qPrintable(QString("%1: %2").arg(column, stored.toString())));
            else
                QVERIFY2(stored.toString() == value.toString(),
                         qPrintable(QString("%1: %2").arg(column, stored.toString())));
        }
        show.load(1, clip);
        const ClipSettings again = show.main->state().clipSettings[1];
        for (const ClipSettings* settings : {&reloaded, &again}) {
            QCOMPARE(settings->FHue, loaded.FHue);
            QCOMPARE(settings->FBrightness, loaded.FBrightness);
            QCOMPARE(settings->FSaturation, loaded.FSaturation);
            QCOMPARE(settings->FAngle, loaded.FAngle);
            QCOMPARE(settings->Fbs, loaded.Fbs);
            QCOMPARE(settings->FCropW, loaded.FCropW);
            QCOMPARE(settings->Fx3, loaded.Fx3);
            QCOMPARE(settings->FFiltro, loaded.FFiltro);
            QCOMPARE(settings->FAlpha, 201);
        }
        QCOMPARE(show.child<QSpinBox>("rotateValue")->value(), 89);
        QCOMPARE(show.child<QSlider>("h")->value(), 30);
        QCOMPARE(show.child<QPlainTextEdit>("mFiltro")->toPlainText(),
                 QString("hflip\neq=gamma=1.2"));
    }

    void saveToClipStoresTheChannelsSwitches()
    {
        Show show;
        const QList<int> clips = show.add({media("clip_6s.mp4"), media("clip_vp9.webm")});
        show.load(2, clips[1]);
        show.load(1, clips[0]);
        // Player A is selected; B's button saves B's clip.
        show.click("btn169B");
        show.panel(2)->volumeSlider()->setValue(30);
        show.panel(2)->speedSlider()->setValue(-20);
        show.click("previewBoff");
        show.click("verticalFlipBon");
        QVERIFY(show.player(2)->VerticalFlip());
        show.click("chkDeinterlaceB");
        show.panel(2)->transitionTime()->setValue(7);
        show.click("btnSaveClipB");
        const auto stored = [&](const char* column, int clip) {
            return show.fixture
                .scalar(
                    QStringLiteral(R"(select "%1" from "playlist" where "codice" = ?)").arg(column),
                    {clip})
                .toString()
                .trimmed(); // a fixed-width text column comes back padded
        };
        QCOMPARE(stored("aspectratio", clips[1]), QString("16:9"));
        QCOMPARE(stored("volume", clips[1]), QString("70"));
        QCOMPARE(stored("speed", clips[1]), QString("-20"));
        QCOMPARE(stored("preview", clips[1]), QString("0"));
        QCOMPARE(stored("vflip", clips[1]), QString("1"));
        QCOMPARE(stored("deinterlace", clips[1]), QString("1"));
        QCOMPARE(stored("trxtime", clips[1]), QString("7"));
        QCOMPARE(stored("vflip", clips[0]), QString("0"));
        QVERIFY(show.child<QLabel>("savedB")->isVisible());
        QVERIFY(!show.child<QLabel>("savedA")->isVisible());

        // The clip deleted meanwhile: nothing is written, nothing is said to be saved.
        QTRY_VERIFY_WITH_TIMEOUT(!show.child<QLabel>("savedB")->isVisible(), 3000);
        show.fixture.exec(R"(delete from "playlist" where "codice" = ?)", {clips[1]});
        show.click("btnSaveClipB");
        QVERIFY(!show.child<QLabel>("savedB")->isVisible());
        QVERIFY(show.main->levelMetersOn());
    }

    void snapshotStoresTheIcon()
    {
        Show show;
        const QList<int> clips = show.add({media("clip_h264.mp4"), media("tone.wav")});
        show.load(1, clips[0]);
        QTRY_VERIFY(!show.player(1)->CurrentFrame().isNull());
        show.fixture.exec(R"(update "playlist" set "frame" = NULL where "codice" = ?)", {clips[0]});
        show.click("SpeedButton1");
        QImage icon;
        QVERIFY(icon.loadFromData(
            show.fixture.scalar(R"(select "frame" from "playlist" where "codice" = ?)", {clips[0]})
                .toByteArray(),
            "BMP"));
        QCOMPARE(icon.size(), QSize(127, 95));
        QVERIFY(show.child<QLabel>("savedA")->isVisible());

        // Sound alone: no picture, the stored icon stays as it was.
        show.load(2, clips[1]);
        QTRY_COMPARE(show.label("pausedB"), QString("PAUSED"));
        show.fixture.exec(R"(update "playlist" set "frame" = 'kept' where "codice" = ?)",
                          {clips[1]});
        show.click("SpeedButton1");
        QCOMPARE(
            show.fixture.scalar(R"(select "frame" from "playlist" where "codice" = ?)", {clips[1]})
                .toByteArray(),
            QByteArray("kept"));
        QVERIFY(!show.child<QLabel>("savedB")->isVisible());
    }

    void cropAndPerspectiveNeverBothOn()
    {
        Show show;
        const int clip = show.add(media("clip_h264.mp4"));
        show.load(1, clip);
        const ClipSettings& s = show.main->state().clipSettings[1];
        show.click("btnPerspective");
        QCOMPARE(s.FPerspective, 1);
        QVERIFY(show.player(1)->VideoHook());
        show.click("btnCrop");
        QVERIFY(!show.child<QPushButton>("btnCrop")->isChecked());
        QCOMPARE(s.FCrop, 0);
        show.click("btnPerspective");
        QCOMPARE(s.FPerspective, 0);
        QVERIFY(!show.player(1)->VideoHook());
        show.click("btnCrop");
        QCOMPARE(s.FCrop, 1);
        show.click("btnPerspective");
        QVERIFY(!show.child<QPushButton>("btnPerspective")->isChecked());
        QCOMPARE(s.FPerspective, 0);
        QVERIFY(show.player(1)->VideoFilters().contains("crop=w=320:h=240:x=0:y=0"));
    }

    void applyingKeepsThePositionAndTurnsThePicture()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4")); // 160x120, 25 pictures a second
        show.stageActive();
        show.load(1, clip, true);
        TFFPlayer* player = show.player(1);
        // Halfway between two key frames (one a second): the position is not one of theirs.
        QTRY_VERIFY(player->CurrentPTS() > 2500000);
        const int* openings = show.countOpenings(1);
        show.child<QPushButton>("chkPlayAfterLoad")->setChecked(false);

        // Playing: turned from the next picture on, neither stopped nor moved.
        int64_t before = player->CurrentPTS();
        QElapsedTimer clock;
        clock.start();
        show.click("btnRuota1"); // 90°
        QTRY_COMPARE(player->CurrentFrame().size(), QSize(120, 160));
        const int64_t moved = player->CurrentPTS() - before;
        QVERIFY2(moved >= 0 && moved <= clock.elapsed() * 1000 + 80000,
                 qPrintable(QString::number(moved)));
        QCOMPARE(*openings, 0);
        QCOMPARE(player->PlayState(), psPlay);
        QCOMPARE(show.main->state().clipSettings[1].FRuota, 1);

        // Paused: opened again at the same picture, still paused ("PLAY AFTER LOAD" released),
        // and the layer keeps its picture meanwhile.
        show.click("btnPauseA");
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        before = player->CurrentPTS();
        VideoSurface* surface = show.layer(1)->surface();
        bool darkened = false;
        const auto forward = player->OnState;
        player->OnState = [&](TFFPlayer* sender, TPlayState state) {
            forward(sender, state);
            darkened = darkened || !surface->showsPicture();
        };
        show.click("btnRuota0");
        QCOMPARE(*openings, 1);
        QTRY_COMPARE(player->CurrentFrame().size(), QSize(160, 120));
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        QTRY_VERIFY(std::abs(player->CurrentPTS() - before) <= 80000);
        QVERIFY(!darkened);
        QCOMPARE(show.main->state().clipSettings[1].FRuota, 4);
        QVERIFY(show.main->state().handlersArmed);
        player->OnState = forward;

        // The panel's numbers do not reach the console's keys: Space types, loads nothing.
        show.click("btnCrop");
        QCOMPARE(*openings, 2);
        auto* cx = show.child<QSpinBox>("cx");
        QApplication::setActiveWindow(show.main);
        cx->setFocus();
        QTRY_VERIFY(cx->hasFocus());
        QTest::keyClick(cx, Qt::Key_Space);
        QCOMPARE(*openings, 2);
    }

    // At the end of a clip there is no picture at or after the position: the last one shows.
    void reopeningAtTheEndShowsTheLastPicture()
    {
        Show show;
        const int clip = show.add(media("clip_h264.mp4"));
        show.load(1, clip, true);
        QTRY_COMPARE_WITH_TIMEOUT(show.player(1)->PlayState(), psEnd, 5000);
        show.child<QPushButton>("chkPlayAfterLoad")->setChecked(false);
        show.click("btnColor");
        QCOMPARE(show.main->state().clipSettings[1].FColor, 1);
        QTRY_COMPARE(show.label("pausedA"), QString("PAUSED"));
        QVERIFY(!show.player(1)->CurrentFrame().isNull());
        QVERIFY(show.player(1)->CurrentPTS() > 1800000);
    }

    void aRefusedFilterTextKeepsTheClipOnAir()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.stageActive();
        show.load(1, clip, true);
        TFFPlayer* player = show.player(1);
        QTRY_VERIFY(player->CurrentPTS() > 500000);
        const QString graph = player->VideoFilters();
        const int* openings = show.countOpenings(1);
        auto* memo = show.child<QPlainTextEdit>("mFiltro");
        memo->setPlainText("hflip\nnosuchfilter=1");
        ModalAnswers answers;
        answers.button("OK");
        show.click("btnScriptApply");
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY2(answers.seen.first().contains("nosuchfilter"), qPrintable(answers.seen.first()));
        QCOMPARE(*openings, 0);
        QCOMPARE(player->VideoFilters(), graph);
        QCOMPARE(show.main->state().clipSettings[1].FFiltro, QString());
        QCOMPARE(memo->toPlainText(), QString("hflip\nnosuchfilter=1")); // to be corrected
        const int64_t playing = player->CurrentPTS();
        QTRY_VERIFY(player->CurrentPTS() > playing + 200000);

        // Corrected, with a blank line between: applied as the clip plays.
        memo->setPlainText("hflip\n\nvflip");
        show.click("btnScriptApply");
        QCOMPARE(*openings, 0);
        QCOMPARE(show.main->state().clipSettings[1].FFiltro, QString(",hflip,vflip"));
        QVERIFY(player->VideoFilters().endsWith(",hflip,vflip"));
        QVERIFY(player->LastError().isEmpty());
        // A real "STOP" still shows the layer's own colour.
        VideoSurface* surface = show.layer(1)->surface();
        QVERIFY(surface->showsPicture());
        show.click("btnStopA");
        QVERIFY(!surface->showsPicture());
    }

    void liveRotationTurnsLikeAnOpening()
    {
        Show show;
        const int clip = show.add(media("clip_6s.mp4"));
        show.load(1, clip, true);
        QTRY_VERIFY(show.player(1)->CurrentPTS() > 300000);
        show.click("btnRotation");
        QVERIFY(show.player(1)->VideoFilters().contains(",rotate=0.00*PI*t:bilinear=0"));
        const int* openings = show.countOpenings(1);
        LogCapture log;
        show.child<QSpinBox>("rotateValue")->setValue(45);
        QCOMPARE(show.child<QSlider>("changeRotation")->value(), 720 - 45);
        QCOMPARE(show.main->state().clipSettings[1].FAngle, 45 * M_PI / 180);
        QVERIFY(!log.containing("target:rotate cmd:a arg:0.79*PI*t").isEmpty());
        QVERIFY(log.containing("failed").isEmpty());
        // "RESET": the angle back to 0.
        show.click("btnRotationReset");
        QCOMPARE(show.main->state().clipSettings[1].FAngle, 0.0);
        QVERIFY(show.player(1)->VideoFilters().contains(",rotate=0.00*PI*t:bilinear=0"));
        QCOMPARE(*openings, 0);
    }

    void perspectiveMasksReachTheLayer()
    {
        Show show;
        const int clip = show.add(media("red.png"));
        show.stageActive();
        show.load(1, clip, true);
        OutputWindow* layer = show.layer(1);
        VideoSurface* surface = layer->surface();
        QTRY_VERIFY(surface->presentedCount() > 0);
        const auto redPixels = [&] {
            return countOf(surface->grab().toImage().scaled(160, 120),
                           [](const QColor& c) { return near(c, 255, 0, 0); });
        };
        QTRY_VERIFY(redPixels() > 1000);
        const int whole = redPixels();

        // Corners pulled in by a quarter each way: a quarter of the picture is left.
        show.click("btnPerspective");
        const int corners[8] = {80, 60, 240, 60, 80, 180, 240, 180};
        const char* numbers[8] = {"tx0", "ty0", "tx1", "ty1", "tx2", "ty2", "tx3", "ty3"};
        for (int i = 0; i < 8; ++i)
            show.child<QSpinBox>(numbers[i])->setValue(corners[i]);
        show.click("btnPerspectiveApply");
        QVERIFY(show.player(1)->VideoHook());
        QTRY_VERIFY2(std::abs(redPixels() - whole / 4) < whole / 20,
                     qPrintable(QString("%1 of %2").arg(redPixels()).arg(whole)));

        // Editing shows the outline over the whole warped picture, without masks.
        show.click("btnPerspectivePreview");
        QTRY_VERIFY(redPixels() > whole / 2);

        // Back at the picture's corners: the picture is whole again.
        show.click("btnPerspectivePreview");
        show.click("btnPerspectiveReset");
        QTRY_VERIFY(std::abs(redPixels() - whole) < whole / 20);
    }

    void cropEditShowsTheWholePictureWithItsOutline()
    {
        Show show;
        const int clip = show.add(media("red.png")); // 320x240
        show.stageActive();
        show.load(1, clip, true);
        VideoSurface* surface = show.layer(1)->surface();
        QTRY_VERIFY(surface->presentedCount() > 0);
        const auto white = [&] {
            return countOf(surface->grab().toImage(),
                           [](const QColor& c) { return near(c, 255, 255, 255); });
        };
        show.click("btnCrop");
        const char* numbers[4] = {"cx", "cy", "cw", "ch"};
        const int edges[4] = {40, 30, 280, 210};
        for (int i = 0; i < 4; ++i)
            show.child<QSpinBox>(numbers[i])->setValue(edges[i]);
        const ClipSettings& s = show.main->state().clipSettings[1];
        QCOMPARE(QList<int>({s.FCropX, s.FCropY, s.FCropW, s.FCropH}),
                 QList<int>({40, 30, 280, 210}));
        QCOMPARE(white(), 0);

        // "EDIT": the whole picture, the outline drawn over it on this channel only.
        show.click("btnBox");
        QCOMPARE(s.FCrop, 0);
        QVERIFY(!show.player(1)->VideoFilters().contains("crop"));
        QVERIFY(show.player(1)->VideoHook());
        QVERIFY(!show.player(2)->VideoHook());
        QTRY_VERIFY(white() > 100);

        // "APPLY": cropped, the outline gone.
        show.click("btnCropApply");
        QCOMPARE(s.FCrop, 1);
        QVERIFY(!show.child<QPushButton>("btnBox")->isChecked());
        QVERIFY(show.player(1)->VideoFilters().contains("crop=w=240:h=180:x=40:y=30"));
        QTRY_COMPARE(show.player(1)->CurrentFrame().size(), QSize(240, 180));
        QTRY_COMPARE(white(), 0);
    }

    void metersFollowTheSound_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("half scale both sides") << "dc.wav" << 50 << 50;
        QTest::newRow("left only") << "dc_left.wav" << 50 << 0;
    }
    void metersFollowTheSound()
    {
        QFETCH(QString, file);
        QFETCH(int, left);
        QFETCH(int, right);
        Show show;
        const int clip = show.add(media(file));
        show.load(2, clip, true);
        auto* meterLeft = show.child<QProgressBar>("bL");
        auto* meterRight = show.child<QProgressBar>("bR");
        QTRY_COMPARE(meterLeft->value(), left);
        QCOMPARE(meterRight->value(), right);
        QCOMPARE(show.child<QProgressBar>("aL")->value(), 0);
    }
};

QTEST_MAIN(TestFilterPanel)
#include "test_filter_panel.moc"
