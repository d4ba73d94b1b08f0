#include "stage/output_window.h"
#include "stage/stage_mask.h"
#include "support/started_console.h"
#include "ui/dataset_grid.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {
// Two stages: "Side" first (a second screen at 1920,0) and "Main".
void seedStages(const ShowFixture& fixture)
{
    fixture.exec(R"(insert into "layout" ("nome", "ordine", "sx", "sy", "offsetx", "offsety",
        "colore", "picture", "fullscreen", "atop", "aleft", "awidth", "aheigth", "acolor",
        "btop", "bleft", "bwidth", "bheigth", "bcolor", "battivo", "ashape", "schermo",
        "alati", "bshape", "blati", "restart")
        values ('Side', 0, 1280, 720, 1920, 0, 255, 0, 0, 20, 20, 400, 300, 65280,
                 300, 500, 320, 180, 16711680, 1, 2, 0, 3, 3, 5, 0))");
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
        QVERIFY(background->isVisible() && a->isVisible() && b->isVisible());
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
