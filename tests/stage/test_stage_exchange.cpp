// The stage exchange file: the text written, every value back, and refusals that change nothing.
#include "stage/stage_exchange.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
// A stage with a different value in every field.
CurrentStage sample()
{
    CurrentStage s;
    s.nome = "Venue";
    s.schermi = {"/shows/back drop.jpg",
                 255,
                 1,
                 0,
                 10,
                 20,
                 1280,
                 720,
                 65280,
                 1,
                 30,
                 40,
                 640,
                 360,
                 16711680,
                 2,
                 5,
                 1,
                 3,
                 7,
                 1};
    s.sx = 3840;
    s.sy = 1080;
    s.offsetx = -1920;
    s.offsety = 0;
    return s;
}

const QByteArray sampleText =
    "<QuillonStage>\n"
    "    <stage sfondo=\"/shows/back drop.jpg\" colore=\"255\" picture=\"1\" fullscreen=\"0\" "
    "atop=\"10\" aleft=\"20\" awidth=\"1280\" aheigth=\"720\" acolor=\"65280\" battivo=\"1\" "
    "btop=\"30\" bleft=\"40\" bwidth=\"640\" bheigth=\"360\" bcolor=\"16711680\" ashape=\"2\" "
    "alati=\"5\" schermo=\"1\" bshape=\"3\" blati=\"7\" restart=\"1\" offsetX=\"-1920\" "
    "offsetY=\"0\" sx=\"3840\" sy=\"1080\"/>\n"
    "</QuillonStage>\n";

bool same(const CurrentStage& a, const CurrentStage& b)
{
    return stageExchangeText(a) == stageExchangeText(b) && a.schermi.sfondo == b.schermi.sfondo;
}
} // namespace

class TestStageExchange : public QObject {
    Q_OBJECT
private slots:
    void theTextIsWrittenInTheFixedOrder()
    {
        QCOMPARE(stageExchangeText(sample()), sampleText);
        // An empty background is an empty attribute.
        CurrentStage plain = sample();
        plain.schermi.sfondo.clear();
        QVERIFY(stageExchangeText(plain).contains("<stage sfondo=\"\" colore="));
    }

    void everyValueComesBack()
    {
        QString reason;
        const std::optional<CurrentStage> read = parseStageExchange(sampleText, reason);
        QVERIFY2(read, qPrintable(reason));
        QVERIFY(same(*read, sample()));
        QCOMPARE(read->offsetx, -1920);
        QCOMPARE(read->schermi.sfondo, QString("/shows/back drop.jpg"));
        QVERIFY(read->nome.isEmpty());

        // Through a file: the stage being edited keeps its name.
        QTemporaryDir dir;
        const QString path = dir.filePath("venue.xml");
        QVERIFY(writeStageExchange(path, sample(), reason));
        CurrentStage edited;
        edited.nome = "Main";
        QVERIFY2(readStageExchange(path, edited, reason), qPrintable(reason));
        QCOMPARE(edited.nome, QString("Main"));
        QVERIFY(same(edited, sample()));
    }

    void onlyStageElementsAreReadAndTheLastWins()
    {
        QByteArray text = sampleText;
        text.replace(
            "</QuillonStage>",
            "    <note sx=\"1\"/>\n    <stage " +
                sampleText.mid(sampleText.indexOf("sfondo")).replace("sx=\"3840\"", "sx=\"1280\""));
        QString reason;
        const std::optional<CurrentStage> read = parseStageExchange(text, reason);
        QVERIFY2(read, qPrintable(reason));
        QCOMPARE(read->sx, 1280);
        QCOMPARE(read->sy, 1080);
    }

    void refusedFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("reason");
        const auto with = [](const char* from, const char* to) {
            return QByteArray(sampleText).replace(from, to);
        };
        QTest::newRow("XML declaration")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + sampleText
            << "does not begin with the element";
        QTest::newRow("comment first")
            << "<!-- venue -->\n" + sampleText << "does not begin with the element";
        QTest::newRow("another root")
            << with("QuillonStage", "OtherStage") << "does not begin with the element";
        QTest::newRow("not well-formed") << sampleText.left(60) << "not well-formed";
        QTest::newRow("empty file") << QByteArray() << "not well-formed";
        QTest::newRow("no stage") << QByteArray("<QuillonStage/>") << "no element \"stage\"";
        QTest::newRow("missing attribute") << with(" alati=\"5\"", "") << "\"alati\" is missing";
        QTest::newRow("missing background")
            << with("sfondo=\"/shows/back drop.jpg\" ", "") << "\"sfondo\" is missing";
        QTest::newRow("not a number") << with("sx=\"3840\"", "sx=\"wide\"") << "\"sx\" is \"wide\"";
        QTest::newRow("empty number") << with("sy=\"1080\"", "sy=\"\"") << "\"sy\" is \"\"";
        QTest::newRow("flag of 2")
            << with("picture=\"1\"", "picture=\"2\"") << "\"picture\" is \"2\"";
        QTest::newRow("shape 4") << with("bshape=\"3\"", "bshape=\"4\"") << "\"bshape\" is \"4\"";
        QTest::newRow("too large for 32 bits")
            << with("awidth=\"1280\"", "awidth=\"4294967296\"") << "\"awidth\" is";
        QTest::newRow("decimal") << with("atop=\"10\"", "atop=\"10.5\"") << "\"atop\" is";
        QTest::newRow("first of two stages bad")
            << QByteArray(sampleText)
                   .replace("</QuillonStage>",
                            "    <stage" + sampleText.mid(sampleText.indexOf(" sfondo"))
                                               .replace("restart=\"1\"", "restart=\"x\""))
            << "\"restart\" is \"x\"";
    }
    void refusedFilesChangeNothing()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, reason);
        QString why;
        QVERIFY(!parseStageExchange(text, why));
        QVERIFY2(why.contains(reason), qPrintable(why));

        QTemporaryDir dir;
        QFile file(dir.filePath("bad.xml"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        CurrentStage edited = sample();
        edited.nome = "Main";
        QVERIFY(!readStageExchange(file.fileName(), edited, why));
        QVERIFY(same(edited, sample()));
        QCOMPARE(edited.nome, QString("Main"));
    }

    // A file that cannot be written whole leaves the one that was there.
    void aFailedExportLeavesTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("venue.xml");
        QString reason;
        QVERIFY(writeStageExchange(path, sample(), reason));
        QVERIFY(!writeStageExchange(dir.filePath("missing/venue.xml"), sample(), reason));
        QVERIFY(!reason.isEmpty());
        QFile written(path);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), sampleText);
        CurrentStage edited;
        QVERIFY(!readStageExchange(dir.filePath("absent.xml"), edited, reason));
    }
};

QTEST_MAIN(TestStageExchange)
#include "test_stage_exchange.moc"
