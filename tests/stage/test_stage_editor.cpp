// The stage editor on the real console, driven with mouse events; the desktop's screens are a
// fake with two monitors (one output with one mode is all this machine has).
#include "stage/stage_exchange.h"
#include "support/modal_answers.h"
#include "support/started_console.h"
#include "ui/dataset_grid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct FakeScreens : DisplayScreens {
    QList<Monitor> list = {{"HDMI-1", 1920, 1080, true}, {"HDMI-2", 1280, 720, false}};
    QList<std::tuple<QString, int, int>> changes;
    QList<Monitor> monitors() const override { return list; }
    bool canChangeMode() const override { return true; }
    bool changeMode(const QString& output, int width, int height) override
    {
        changes.append({output, width, height});
        return true;
    }
};

// The stage "Main" (1920 x 1080) with layer A at 100, 40, 1000 x 700 and layer B at 0, 0,
// 1280 x 720; a second stage "Side" on air when a test takes it.
void seedStages(const ShowFixture& fixture)
{
    fixture.exec(R"(update "layout" set "aleft" = 100, "atop" = 40, "awidth" = 1000,
        "aheigth" = 700, "bleft" = 0, "btop" = 0, "bwidth" = 1280, "bheigth" = 720)");
    fixture.insertStage({"Side", 5, 800, 600, 0,   0,        255, 0, 0, 0, 0, 400, 300,
                         65280,  0, 0,   200, 100, 16711680, 1,   0, 0, 3, 0, 3,   0});
}

struct Editor : StartedConsole {
    FakeScreens* screens;

    explicit Editor(std::unique_ptr<FakeScreens> fake = std::make_unique<FakeScreens>())
        : StartedConsole(seedStages, services(fake))
        , screens(fake.release())
    {
        child<QPushButton>("btnLayerSetup")->click(); // the first stage, "Main"
        QTRY_VERIFY(editor()->isVisible());
    }
    static PlatformServices services(std::unique_ptr<FakeScreens>& fake)
    {
        PlatformServices services;
        services.screens.reset(new ForwardingScreens(*fake));
        return services;
    }
    // The console owns its screens; the test keeps the fake they forward to.
    struct ForwardingScreens : DisplayScreens {
        FakeScreens& fake;
        explicit ForwardingScreens(FakeScreens& to)
            : fake(to)
        {
        }
        QList<Monitor> monitors() const override { return fake.monitors(); }
        bool canChangeMode() const override { return fake.canChangeMode(); }
        bool changeMode(const QString& o, int w, int h) override
        {
            return fake.changeMode(o, w, h);
        }
    };
    ~Editor() { delete screens; }

    StageEditor* editor() const { return static_cast<StageEditor*>(console->window("layersetup")); }
    template <class W> W* part(const char* name) const
    {
        auto* found = editor()->findChild<W*>(name);
        if (!found)
            qFatal("no editor widget %s", name);
        return found;
    }
    QWidget* widget(const char* name) const { return part<QWidget>(name); }
    int spinValue(const char* name) const { return part<QSpinBox>(name)->value(); }
    const StageRecord& stage() const { return main->currentStage.schermi; }
};

void drag(QWidget* widget, QPoint from, QPoint to)
{
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), widget->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, {});
    QApplication::sendEvent(widget, &move);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}
} // namespace

class TestStageEditor : public QObject {
    Q_OBJECT
private slots:
    void theWorkspaceDrawsTheStageToScale()
    {
        Editor e;
        QCOMPARE(e.part<QLabel>("nomelayout2")->text(), QString("Main"));
        QCOMPARE(e.part<QLabel>("ztesto")->text(), QString("1:4"));
        // sx 1920 at zoom 4 from dx 20: the outline is 480 wide at 20; aleft 100 → 45.
        QCOMPARE(e.widget("sfondo")->geometry(), QRect(20, 20, 480, 270));
        QCOMPARE(e.widget("pa")->geometry(), QRect(45, 30, 250, 175));
        QCOMPARE(e.widget("offset")->geometry(), QRect(20, 20, 480, 270));
        // A 1000 x 700 layer is no preset; 1280 x 720 is.
        QCOMPARE(e.part<QComboBox>("dsize")->currentIndex(), -1);
        QCOMPARE(e.part<QComboBox>("dSizeB")->currentText(), QString("1280x720"));
        // Zoom 2 draws it twice as large.
        e.part<QSlider>("zoom")->setValue(2);
        QCOMPARE(e.widget("sfondo")->size(), QSize(960, 540));
        QCOMPARE(e.widget("pa")->pos(), QPoint(70, 40));
    }

    void dragAndResizeWithTheMouse()
    {
        Editor e;
        QWidget* pa = e.widget("pa");
        // Its left edge from 45 to 33: aleft (33 - 20) x 4; its top from 30 to 40: atop 80.
        drag(pa, {10, 10}, {-2, 20});
        QCOMPARE(pa->pos(), QPoint(33, 40));
        QCOMPARE(e.stage().aleft, 52);
        QCOMPARE(e.stage().atop, 80);
        QCOMPARE(e.spinValue("ax"), 52);
        QCOMPARE(e.part<QTabWidget>("pagina")->currentIndex(), 1); // "Layer A"
        QVERIFY(e.widget("handle3")->isVisible());

        // The right-hand handle pulled onto the panel's second column: 2 pixels wide, which
        // is 8 on the stage, and a layer is at least 10 wide.
        QWidget* right = e.widget("handle3");
        const QPoint target =
            right->mapFrom(e.widget("workspace"), QPoint(pa->x() + 1, right->y() + 2));
        drag(right, {2, 2}, target);
        QCOMPARE(pa->width(), 2);
        QCOMPARE(e.stage().awidth, 10);
        QCOMPARE(e.spinValue("aw"), 10);
        QCOMPARE(e.stage().aleft, 52); // a resize moves no layer
    }

    void pagesPresetsLedAndOnePlayer()
    {
        Editor e;
        auto* presets = e.part<QComboBox>("dsize");
        emit presets->activated(presets->findText("1280x720"));
        QCOMPARE(e.stage().awidth, 1280);
        QCOMPARE(e.stage().aheigth, 720);
        QCOMPARE(e.widget("pa")->size(), QSize(320, 180));

        e.part<QSpinBox>("tileX")->setValue(128);
        e.part<QSpinBox>("tileY")->setValue(128);
        e.part<QSpinBox>("wallX")->setValue(4);
        e.part<QSpinBox>("wallY")->setValue(3);
        e.part<QPushButton>("btnLedLayerA")->click();
        QCOMPARE(QSize(e.stage().awidth, e.stage().aheigth), QSize(512, 384));
        e.part<QPushButton>("btnLedLayer")->click();
        QCOMPARE(QSize(e.stage().bwidth, e.stage().bheigth), QSize(512, 384));

        auto* pages = e.part<QTabWidget>("pagina");
        e.part<QCheckBox>("chkOnePlayer")->click();
        QCOMPARE(e.stage().fullscreen, 1);
        QVERIFY(!pages->isTabVisible(2));
        QCOMPARE(pages->tabText(1), QString("Layer A/B"));
        QVERIFY(!e.widget("pb")->isVisible());
        QVERIFY(!e.widget("btnLedLayer")->isVisible());
        QCOMPARE(e.part<QLabel>("pa")->text(), QString("LAYER A/B"));
        e.part<QCheckBox>("chkOnePlayer")->click();
        QVERIFY(pages->isTabVisible(2));
        QCOMPARE(pages->tabText(1), QString("Layer A"));
    }

    // An empty field or a lone "-" keeps the value; a stage drawn 0 wide keeps the layer's size.
    void emptyFieldsAndAStageOfNoSize()
    {
        Editor e;
        auto* width = e.part<QLineEdit>("sfondow");
        for (const char* text : {"", "-"}) {
            width->setText(text);
            emit width->editingFinished();
            QCOMPARE(e.main->currentStage.sx, 1920);
            QCOMPARE(width->text(), QString("1920"));
        }
        width->setText("0");
        emit width->editingFinished();
        QCOMPARE(e.main->currentStage.sx, 0);
        QCOMPARE(e.widget("sfondo")->width(), 0);
        QWidget* pa = e.widget("pa");
        QTest::mouseClick(pa, Qt::LeftButton, {}, {5, 5});
        QWidget* right = e.widget("handle3");
        drag(right, {2, 2}, {40, 2});
        QCOMPARE(e.stage().awidth, 1000); // no scale to take a size from
    }

    void saveStageWritesItsRowOrSaysWhyNot()
    {
        Editor e;
        e.part<QSpinBox>("bx")->setValue(300);
        e.part<QSpinBox>("latiA")->setValue(6);
        auto* width = e.part<QLineEdit>("sfondow");
        width->setText("2560");
        emit width->editingFinished();
        ModalAnswers answers;
        answers.button("OK");
        e.part<QPushButton>("btnSaveStage")->click();
        QCOMPARE(answers.seen, QStringList{"Stage saved."});
        const auto column = [&](const char* name) {
            return e.fixture
                .scalar(
                    QStringLiteral(R"(select "%1" from "layout" where "nome" = 'Main')").arg(name))
                .toInt();
        };
        QCOMPARE(column("bleft"), 300);
        QCOMPARE(column("alati"), 6);
        QCOMPARE(column("sx"), 2560);
        QCOMPARE(column("ordine"), 1); // name and order stay
        QCOMPARE(e.main->database().layoutdb1.text("nome"), QString("Main"));

        // Gone from another workstation: no success reported.
        e.fixture.exec(R"(delete from "layout" where "nome" = 'Main')");
        answers.seen.clear();
        answers.button("OK");
        e.part<QPushButton>("btnSaveStage")->click();
        QCOMPARE(answers.seen.size(), 1);
        QVERIFY2(answers.seen.first().contains("no longer in the stage list"),
                 qPrintable(answers.seen.first()));
    }

    void realTimeModeOnlyForTheStageOnAir()
    {
        Editor e;
        auto* realTime = e.part<QPushButton>("btnRealTime");
        realTime->click(); // the stage is not on air
        QVERIFY(!realTime->isChecked());

        // "Side" on air, "Main" in the editor.
        e.editor()->reject();
        auto* stages = e.child<DatasetGrid>("sceltalayout");
        stages->setCurrentIndex(stages->model()->index(1, 0));
        e.child<QPushButton>("btnScreen1")->click();
        QCOMPARE(e.child<QLabel>("stageOnAir")->text(), QString("Side"));
        stages->setCurrentIndex(stages->model()->index(0, 0));
        e.child<QPushButton>("btnLayerSetup")->click();
        ModalAnswers answers;
        answers.button("OK");
        realTime->click();
        QCOMPARE(answers.seen, QStringList{"Not applicable with another stage on air!"});
        QVERIFY(!realTime->isChecked());

        // Its own stage on air: every change reaches the output window.
        e.editor()->reject();
        e.child<QPushButton>("btnStageTake")->click();
        e.child<QPushButton>("btnLayerSetup")->click();
        realTime->click();
        QVERIFY(realTime->isChecked());
        e.part<QSpinBox>("ax")->setValue(500);
        QCOMPARE(e.console->window("playout")->x(), 500);
    }

    void exportAndImport()
    {
        Editor e;
        QTemporaryDir dir;
        QString chosen = dir.filePath("venue");
        e.editor()->chooseStageFile = [&](bool) { return chosen; };
        ModalAnswers answers;
        answers.button("OK");
        e.part<QPushButton>("btnExportStage")->click();
        QCOMPARE(answers.seen, QStringList{"Stage exported!"});
        QFile written(chosen);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), stageExchangeText(e.main->currentStage));

        // A refused file changes nothing.
        QFile bad(dir.filePath("bad.xml"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(
            QByteArray(stageExchangeText(e.main->currentStage)).replace("sx=\"1920\"", "sx=\"x\""));
        bad.close();
        chosen = bad.fileName();
        e.part<QSpinBox>("ax")->setValue(77);
        answers.seen.clear();
        answers.button("OK");
        e.part<QPushButton>("btnImportLayout")->click();
        QCOMPARE(answers.seen, QStringList{"Incorrect Stage"});
        QCOMPARE(e.stage().aleft, 77);

        // The exported stage back: its values, shown, under the name being edited.
        chosen = written.fileName();
        answers.seen.clear();
        answers.button("OK");
        e.part<QPushButton>("btnImportLayout")->click();
        QCOMPARE(answers.seen, QStringList{"Stage imported!"});
        QCOMPARE(e.stage().aleft, 100);
        QCOMPARE(e.spinValue("ax"), 100);
        QCOMPARE(e.part<QLabel>("nomelayout2")->text(), QString("Main"));
    }

    void menusColoursMasksAndTheBackground()
    {
        Editor e;
        auto* menu = e.part<QMenu>("popupA");
        const auto item = [menu](const QString& text) {
            for (QAction* action : menu->actions())
                if (action->text() == text)
                    return action;
            qFatal("no menu item %s", qPrintable(text));
            return static_cast<QAction*>(nullptr);
        };
        item("Top - Right")->trigger();
        QCOMPARE(QPoint(e.stage().aleft, e.stage().atop), QPoint(920, 0));
        item("Center Ver")->trigger();
        QCOMPARE(QPoint(e.stage().aleft, e.stage().atop), QPoint(920, 190));
        item("Copy Player B")->trigger();
        QCOMPARE(QRect(e.stage().aleft, e.stage().atop, e.stage().awidth, e.stage().aheigth),
                 QRect(0, 0, 1280, 720));
        QCOMPARE(e.widget("pa")->geometry(), QRect(20, 20, 320, 180));

        auto* colour = e.part<QComboBox>("ColorBox1");
        emit colour->activated(colour->findText("Red"));
        QCOMPARE(e.stage().acolor, 0x0000FFu);
        QCOMPARE(e.widget("pa")->palette().color(QPalette::Window), QColor(Qt::red));

        e.part<QGroupBox>("cShapeA")->findChildren<QRadioButton*>().at(2)->click(); // Circular
        QCOMPARE(e.stage().ashape, 2);
        QVERIFY(!e.widget("pa")->mask().contains(QPoint(0, 0)));
        QVERIFY(e.widget("pa")->mask().contains(QPoint(160, 90)));

        // The background: a colour, a picture chosen when none is there, "CLEAR".
        auto* background = e.part<QComboBox>("l2");
        emit background->activated(background->findText("Blue"));
        QCOMPARE(e.stage().colore, 0xFF0000u);
        QTemporaryDir dir;
        const QString picture = dir.filePath("backdrop.jpg");
        QImage(64, 36, QImage::Format_RGB32).save(picture);
        int asked = 0;
        e.editor()->choosePicture = [&] {
            ++asked;
            return picture;
        };
        e.part<QCheckBox>("l3")->click();
        QCOMPARE(asked, 1);
        QCOMPARE(e.stage().picture, 1);
        QCOMPARE(e.stage().sfondo, picture);
        QVERIFY(e.widget("sfondoimg")->isVisible());
        e.part<QPushButton>("l4")->click();
        QCOMPARE(e.stage().picture, 0);
        QVERIFY(e.stage().sfondo.isEmpty());
        QVERIFY(!e.part<QCheckBox>("l3")->isChecked());
        QVERIFY(!e.widget("sfondoimg")->isVisible());
        QTest::mouseDClick(e.widget("sfondo"), Qt::LeftButton, {}, {300, 200});
        QCOMPARE(asked, 2);
        QCOMPARE(e.stage().picture, 1);
        QVERIFY(e.part<QCheckBox>("l3")->isChecked());
    }

    // A background picture whose file is gone shows black, unticked; the stage keeps it.
    void aMissingBackgroundPictureOnlyShowsBlack()
    {
        Editor e;
        e.editor()->reject();
        StageRecord& s = e.main->currentStage.schermi;
        s.picture = 1;
        s.sfondo = "/no/such/backdrop.jpg";
        s.colore = 255;
        e.editor()->edit("Main", 96);
        QVERIFY(!e.part<QCheckBox>("l3")->isChecked());
        QCOMPARE(e.part<QComboBox>("l2")->currentText(), QString("Black"));
        QVERIFY(!e.widget("sfondoimg")->isVisible());
        QCOMPARE(s.picture, 1);
        QCOMPARE(s.sfondo, QString("/no/such/backdrop.jpg"));
        QCOMPARE(s.colore, 255u);
    }

    void theScreensOfTheDesktop()
    {
        Editor e;
        auto* list = e.part<QListWidget>("tiposchermo");
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QString("Screen n.1 - 1920x1080 (primary)"));
        QCOMPARE(list->item(1)->text(), QString("Screen n.2 - 1280x720"));
        // Nothing selected: the buttons do nothing.
        e.part<QPushButton>("btnAddW")->click();
        QCOMPARE(e.main->currentStage.sx, 1920);

        list->setCurrentRow(0);
        e.part<QPushButton>("btnGetScreen")->click();
        e.part<QPushButton>("btnAddW")->click();
        QCOMPARE(QSize(e.main->currentStage.sx, e.main->currentStage.sy), QSize(3840, 1080));
        QCOMPARE(e.part<QLineEdit>("sfondow")->text(), QString("3840"));
        e.part<QPushButton>("btnScreenLeft")->click();
        QCOMPARE(e.main->currentStage.offsetx, 1920);
        list->setCurrentRow(1);
        e.part<QPushButton>("btnScreenRight")->click();
        QCOMPARE(e.main->currentStage.offsetx, -1280);
        QCOMPARE(e.main->currentStage.offsety, 0);
        e.part<QPushButton>("btnScreenBottom")->click();
        QCOMPARE(e.main->currentStage.offsety, -720);

        // SET: asked first; "No" changes nothing, "Yes" the second output by its name.
        e.part<QLineEdit>("sfondow")->setText("1920");
        e.part<QLineEdit>("sfondoh")->setText("1080");
        ModalAnswers answers;
        answers.button("No");
        e.part<QPushButton>("SpeedButton1")->click();
        QCOMPARE(answers.seen, QStringList{"Are you sure to want to change resolution of screen n. "
                                           "2 with the new 1920x1080px ?"});
        QVERIFY(e.screens->changes.isEmpty());
        answers.button("Yes");
        answers.button("OK");
        e.part<QPushButton>("SpeedButton1")->click();
        QCOMPARE(e.screens->changes.size(), 1);
        QCOMPARE(e.screens->changes.first(), std::make_tuple(QString("HDMI-2"), 1920, 1080));
        QCOMPARE(answers.seen.last(), QString("Resolution changed!"));
        // Not a size: nothing asked of the screens.
        e.part<QLineEdit>("sfondoh")->setText("-");
        answers.button("Yes");
        e.part<QPushButton>("SpeedButton1")->click();
        QCOMPARE(e.screens->changes.size(), 1);
    }

    void screenSizesScaledByTheDpiSettingUntilRedetected()
    {
        auto fake = std::make_unique<FakeScreens>();
        fake->list = {{"DP-1", 1536, 864, true}};
        Editor e(std::move(fake));
        e.editor()->reject();
        e.main->screenDpi = 120;
        e.child<QPushButton>("btnLayerSetup")->click();
        auto* list = e.part<QListWidget>("tiposchermo");
        QCOMPARE(list->item(0)->text(), QString("Screen n.1 - 1920x1080 (primary)"));
        e.part<QPushButton>("btnRedetect")->click();
        QCOMPARE(list->item(0)->text(), QString("Screen n.1 - 1536x864 (primary)"));
    }
};

QTEST_MAIN(TestStageEditor)
#include "test_stage_editor.moc"
