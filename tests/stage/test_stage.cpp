#include "core/main_menu.h"
#include "stage/output_window.h"
#include "stage/stage_mask.h"
#include "support/modal_answers.h"
#include "support/started_console.h"
#include "ui/dataset_grid.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTest>

namespace {
// Two stages: "Side" first (a second screen at 1920,0) and "Main".
void seedStages(const ShowFixture& fixture)
{
    fixture.insertStage({"Side", 0,   1280, 720, 1920, 0,        255, 0, 0, 20, 20, 400, 300,
                         65280,  300, 500,  320, 180,  16711680, 1,   2, 0, 3,  3,  5,   0});
}

struct Stages : StartedConsole {
    Stages()
        : StartedConsole(seedStages)
    {
    }
    OutputWindow* window(const char* name) const
    {
        return static_cast<OutputWindow*>(console->window(name));
    }
    void selectStage(int row)
    {
        auto* grid = child<DatasetGrid>("sceltalayout");
        grid->setCurrentIndex(grid->model()->index(row, 0));
    }
    void exec(const QString& sql) const { fixture.exec(sql); }
};
} // namespace

class TestStage : public QObject {
    Q_OBJECT
private slots:
    void polygonVertices_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("sides");
        QTest::addColumn<QPolygon>("vertices");
        QTest::newRow("diamond") << QSize(400, 200) << 4
                                 << QPolygon({{200, 0}, {100, 100}, {200, 200}, {300, 100}});
        QTest::newRow("triangle") << QSize(200, 200) << 3
                                  << QPolygon({{100, 0}, {13, 150}, {187, 150}});
    }
    void polygonVertices()
    {
        QFETCH(QSize, size);
        QFETCH(int, sides);
        QFETCH(QPolygon, vertices);
        QCOMPARE(polygonMask(size, sides), vertices);
    }

    void sideCountsAreKeptInTheTable()
    {
        QCOMPARE(polygonMask({100, 100}, 0).size(), 1);
        QCOMPARE(polygonMask({100, 100}, 500).size(), MaxPolygonSides);
        QVERIFY(maskRegion({200, 100}, 2, 0).contains(QPoint(100, 50)));
        QVERIFY(!maskRegion({200, 100}, 2, 0).contains(QPoint(2, 2))); // outside the ellipse
        QVERIFY(maskRegion({200, 100}, 0, 0).contains(QPoint(2, 2)));
        QVERIFY(!maskRegion({200, 100}, 1, 0).contains(QPoint(1, 1))); // a rounded corner
    }

    void stageActivePlacesEveryWindow()
    {
        Stages stages;
        auto* active = stages.child<QPushButton>("btnScreen1");
        active->click();
        QCOMPARE(stages.child<QLabel>("stageOnAir")->text(), QString("Side"));
        OutputWindow* background = stages.window("playout0");
        OutputWindow* a = stages.window("playout");
        OutputWindow* b = stages.window("playoutB");
        QCOMPARE(background->geometry(), QRect(1920, 0, 1280, 720));
        QCOMPARE(a->geometry(), QRect(1940, 20, 400, 300));
        QCOMPARE(b->geometry(), QRect(2420, 300, 320, 180));
        QCOMPARE(background->colour(), QColor(255, 0, 0)); // 0x0000FF is red
        QCOMPARE(a->colour(), QColor(0, 255, 0));
        QCOMPARE(b->colour(), QColor(0, 0, 255));
        QVERIFY(background->isVisible() && a->onStage() && b->onStage());
        // An empty channel hides nothing: its layer shows once it holds a picture.
        QVERIFY(!a->isVisible() && !b->isVisible());
        a->setHoldsPicture(true);
        QVERIFY(a->isVisible() && !b->isVisible());
        b->setHoldsPicture(true);
        QVERIFY(b->isVisible());
        QVERIFY(!a->mask().contains(QPoint(1, 1))); // circular
        QVERIFY(a->mask().contains(QPoint(200, 150)));
        QCOMPARE(b->mask(), QRegion(polygonMask({320, 180}, 5), Qt::WindingFill));

        active->click(); // released: the windows go, the name stays
        QVERIFY(!background->isVisible() && !a->isVisible() && !b->isVisible());
        QCOMPARE(stages.child<QLabel>("stageOnAir")->text(), QString("Side"));
    }

    void anUntickedLayerStaysWhereItWas()
    {
        Stages stages;
        stages.child<QPushButton>("btnScreen1")->click();
        const QRect before = stages.window("playoutB")->geometry();
        stages.child<QAbstractButton>("chkChangeLayerB")->setChecked(false);
        stages.selectStage(1); // Main
        stages.child<QPushButton>("btnStageTake")->click();
        QCOMPARE(stages.child<QLabel>("stageOnAir")->text(), QString("Main"));
        QCOMPARE(stages.window("playout")->geometry(), QRect(0, 0, 1920, 1080));
        QCOMPARE(stages.window("playoutB")->geometry(), before);
    }

    void takeWorksOnlyOnAir()
    {
        Stages stages;
        stages.selectStage(1);
        stages.child<QPushButton>("btnStageTake")->click();
        QCOMPARE(stages.child<QLabel>("stageOnAir")->text(), QString("NO ACTIVE"));
        QVERIFY(!stages.window("playout")->isVisible());
    }

    void takeRedrawsAShowingPattern()
    {
        Stages stages;
        stages.child<QPushButton>("btnScreen1")->click();
        auto* grid = stages.child<QPushButton>("btnGrid");
        QSignalSpy redrawn(grid, &QAbstractButton::clicked);
        stages.child<QPushButton>("btnPatternOff")->click(); // no pattern: nothing to redraw
        stages.child<QPushButton>("btnStageTake")->click();
        QCOMPARE(redrawn.size(), 0);
        grid->click();
        stages.selectStage(1);
        stages.child<QPushButton>("btnStageTake")->click();
        QCOMPARE(redrawn.size(), 2); // the operator's click and the redraw
        QVERIFY(grid->isChecked());
    }

    void consoleModesSizeThePlaylistButtons()
    {
        Stages stages;
        auto* buttons = stages.child<DatasetGrid>("sceltalista");
        const int frame = 2 * buttons->frameWidth();
        QCOMPARE(buttons->height(), 240 + frame);
        stages.main->mainMenu()->action("Options/Interface/Fullscreen mode")->trigger();
        QTRY_VERIFY(stages.main->isFullScreen());
        const int pages = stages.child<QTabWidget>("Pagina")->height();
        QCOMPARE(buttons->maximumHeight(), pages / 40 * 40 + frame);
        stages.main->mainMenu()->action("Options/Interface/Windowed mode")->trigger();
        QCOMPARE(buttons->maximumHeight(), 240 + frame);
        QVERIFY(!stages.main->isFullScreen());
    }

    void addingAStage()
    {
        Stages stages;
        ModalAnswers answers;
        answers.text("Main"); // stored padded, typed without the blanks
        answers.button("OK");
        stages.main->mainMenu()->action("Stage/Add a Stage")->trigger();
        QCOMPARE(answers.seen, QStringList({"Make a new stage", "The stage already exits."}));
        QCOMPARE(stages.fixture.scalar(R"(select count(*) from "layout")").toInt(), 2);

        answers.text("Encore");
        stages.main->mainMenu()->action("Stage/Add a Stage")->trigger();
        const auto column = [&](const char* name) {
            return stages.fixture.scalar(
                QStringLiteral(R"(select "%1" from "layout" where "nome" = 'Encore')").arg(name));
        };
        // The current stage (the first, "Side", at start) gives the size.
        QCOMPARE(column("sx").toInt(), 1280);
        QCOMPARE(column("awidth").toInt(), 640);
        QCOMPARE(column("bheigth").toInt(), 360);
        QCOMPARE(column("atop").toInt(), 20);
        QCOMPARE(column("btop").toInt(), 5);
        QCOMPARE(column("alati").toInt(), 3);
        QCOMPARE(column("battivo").toInt(), 1);
        QCOMPARE(column("ordine").toInt(), 2);
        QVERIFY(column("fullscreen").isNull());
        QCOMPARE(stages.main->database().layoutdb1.count(), 3);
        QVERIFY(stages.main->levelMetersOn());
    }

    void deletingAStageLeavesTheWindowsOnAir()
    {
        Stages stages;
        stages.child<QPushButton>("btnScreen1")->click(); // Side on air
        const QRect onAir = stages.window("playout")->geometry();
        ModalAnswers answers;
        answers.button("Yes");
        stages.main->mainMenu()->action("Stage/Delete Stage")->trigger();
        QCOMPARE(answers.seen, QStringList({"Do you want delete layout \"Side\" ?"}));
        QCOMPARE(stages.fixture.scalar(R"(select count(*) from "layout")").toInt(), 1);
        QCOMPARE(stages.child<QLabel>("stageOnAir")->text(), QString("Side"));
        QCOMPARE(stages.window("playout")->geometry(), onAir);
        QCOMPARE(stages.main->currentStage.sx, 1920); // the first remaining stage

        answers.button("OK");
        stages.main->mainMenu()->action("Stage/Delete Stage")->trigger();
        QCOMPARE(answers.seen.last(), QString("One layout must be exist"));
    }

    void movingStages()
    {
        Stages stages;
        stages.child<QPushButton>("btnLayoutMoveUp")->click(); // the first: nothing
        QCOMPARE(stages.main->database().layoutdb1.textAt(0, "nome"), QString("Side"));
        stages.child<QPushButton>("btnLayoutMoveDown")->click();
        QCOMPARE(stages.main->database().layoutdb1.textAt(0, "nome"), QString("Main"));
        QCOMPARE(stages.main->database().layoutdb1.text("nome"), QString("Side")); // still on it
    }

    void saveToActiveClipAndAClipsOwnStage()
    {
        Stages stages;
        stages.exec(R"(insert into "liste" values ('Show', 1))");
        stages.exec(
            R"(insert into "playlist" ("codice", "titolo", "lista", "ordine") values (7, 'Intro', 'Show', 1))");
        stages.main->AggiornaElementi(7, "Show", "", 1, 1);
        stages.main->state().codiceB = 7; // the clip loaded in Player B, the selected channel
        stages.selectStage(1);            // Main
        stages.child<QAbstractButton>("chkChangeLayerA")->setChecked(false);
        stages.child<QPushButton>("btnStageSave")->click();
        const auto column = [&](const char* name) {
            return stages.fixture.scalar(
                QStringLiteral(R"(select "%1" from "playlist" where "codice" = 7)").arg(name));
        };
        QCOMPARE(column("nomelayout").toString().trimmed(), QString("Main"));
        QCOMPARE(column("changeA").toInt(), 0);
        QCOMPARE(column("changeB").toInt(), 1);
        QCOMPARE(column("changeBG").toInt(), 1);
        QCOMPARE(column("monitor").toInt(), 1);
        QVERIFY(stages.child<QLabel>("savedB")->isVisibleTo(stages.main));
        QTRY_VERIFY_WITH_TIMEOUT(!stages.child<QLabel>("savedB")->isVisibleTo(stages.main), 4000);

        // The clip starts on channel 2 while Side is on air: its stage is taken.
        stages.child<QAbstractButton>("chkChangeLayerA")->setChecked(true);
        stages.selectStage(0);
        stages.child<QPushButton>("btnScreen1")->click();
        ClipSettings& clip = stages.main->state().clipSettings[2];
        clip.FMonitor = 1;
        clip.FNomeLayout = "Main";
        clip.FChangeA = 1;
        clip.FChangeB = 0;
        clip.FChangeBG = 1;
        const QRect layerB = stages.window("playoutB")->geometry();
        stages.main->ApplyClipStage(2);
        QCOMPARE(stages.child<QLabel>("stageOnAir")->text(), QString("Main"));
        QVERIFY(!stages.child<QAbstractButton>("chkChangeLayerB")->isChecked());
        QCOMPARE(stages.window("playout")->geometry(), QRect(0, 0, 1920, 1080));
        QCOMPARE(stages.window("playoutB")->geometry(), layerB);
    }

    void fadeGaugesOfTheChangedLayers()
    {
        Stages stages;
        stages.child<QCheckBox>("mixAudioB")->setChecked(false);
        stages.child<QAbstractButton>("chkChangeLayerA")->setChecked(false);
        stages.child<QPushButton>("btnScreen1")->click();
        QCOMPARE(stages.child<QProgressBar>("faderA")->value(), 0); // layer A not changed
        QCOMPARE(stages.child<QProgressBar>("faderB")->value(), 255);
        QCOMPARE(stages.child<QProgressBar>("faderAudioB")->value(), 0); // AUDIO unticked

        // "RESET FADE SLIDERS": the changed layer's opacity slider goes to 255.
        stages.exec(R"(update "layout" set "restart" = 1 where "nome" = 'Main')");
        stages.main->AggiornaElementi(-1, "", "Main", 1, 1);
        stages.child<QPushButton>("btnStageTake")->click();
        QCOMPARE(stages.child<QSlider>("AlphaTrack2")->value(), 255);
        QCOMPARE(stages.child<QSlider>("AlphaTrack1")->value(), 0);
    }

    void aHiddenBackgroundAndOnePlayerMode()
    {
        Stages stages;
        stages.exec(R"(update "layout" set "schermo" = 1, "fullscreen" = 1 where "nome" = 'Side')");
        stages.main->AggiornaElementi(-1, "", "Side", 1, 1);
        stages.child<QPushButton>("btnScreen1")->click();
        OutputWindow* a = stages.window("playout");
        OutputWindow* b = stages.window("playoutB");
        QVERIFY(!stages.window("playout0")->isVisible());
        QCOMPARE(b->geometry(), a->geometry());
        QCOMPARE(b->colour(), a->colour());
        QCOMPARE(b->mask(), a->mask());
    }
};

QTEST_MAIN(TestStage)
#include "test_stage.moc"
