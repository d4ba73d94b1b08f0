#include "shared/settings_files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettingsFiles : public QObject {
    Q_OBJECT

    static void writeRaw(const SettingsFiles& settings, const QString& name,
                         const QByteArray& bytes)
    {
        QFile file(settings.path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private slots:
    void togglesReadByTheirOwnRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("missing");
        QTest::addColumn<bool>("unlessZero"); // rp_ini, as_ini
        QTest::addColumn<bool>("onlyIfOne");  // al_ini, ap_ini
        QTest::newRow("0") << QByteArray("0\r\n") << false << false << false;
        QTest::newRow("1") << QByteArray("1\r\n") << false << true << true;
        QTest::newRow("1, LF alone") << QByteArray("1\n") << false << true << true;
        QTest::newRow("empty line") << QByteArray("\r\n") << false << true << false;
        QTest::newRow("empty file") << QByteArray() << false << true << false;
        QTest::newRow("other text") << QByteArray("yes\r\n") << false << true << false;
        QTest::newRow("1 then more lines") << QByteArray("1\r\n0\r\n") << false << true << true;
        QTest::newRow("missing file") << QByteArray() << true << false << false;
    }
    void togglesReadByTheirOwnRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, missing);
        QFETCH(bool, unlessZero);
        QFETCH(bool, onlyIfOne);
        QTemporaryDir dir;
        const SettingsFiles settings(dir.path());
        if (!missing)
            writeRaw(settings, "rp_ini", content);
        const auto value = settings.readFirstLine("rp_ini");
        QCOMPARE(value.has_value(), !missing);
        QCOMPARE(SettingsFiles::onUnlessZero(value), unlessZero);
        QCOMPARE(SettingsFiles::onOnlyIfOne(value), onlyIfOne);
    }

    void writeReplacesTheWholeFileWithOneCrLfLine()
    {
        QTemporaryDir dir;
        const SettingsFiles settings(dir.path() + "/cache"); // created on first write
        QVERIFY(!QFile::exists(settings.cacheDir()));
        QVERIFY(settings.write("vnc_ini", "/usr/bin/first-viewer --with options"));
        QVERIFY(settings.write("vnc_ini", "/opt/Überwachung/viewer"));
        QFile file(settings.path("vnc_ini"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QString("/opt/Überwachung/viewer\r\n").toUtf8());
        QCOMPARE(settings.readFirstLine("vnc_ini"), QString("/opt/Überwachung/viewer"));
    }

    void missingFileReadsAsNothingAndAWriteRecreatesIt()
    {
        QTemporaryDir dir;
        const SettingsFiles settings(dir.path());
        QVERIFY(!settings.readFirstLine("as_ini"));
        QVERIFY(!settings.readLines("ledtype"));
        QVERIFY(!settings.ledTileTypes());
        QVERIFY(settings.write("as_ini", "1"));
        QCOMPARE(settings.readFirstLine("as_ini"), QString("1"));
    }

    void ledTypesComeInGroupsOfThreeLines()
    {
        QTemporaryDir dir;
        const SettingsFiles settings(dir.path());
        writeRaw(settings, "ledtype", "Indoor P2.6\r\n192\r\n192\r\nOutdoor P5.9\r\n84\n168\r\n");
        const auto types = settings.ledTileTypes();
        QVERIFY(types);
        QCOMPARE(types->size(), 2);
        QCOMPARE(types->at(0).name, QString("Indoor P2.6"));
        QCOMPARE(types->at(1).name, QString("Outdoor P5.9"));
        QCOMPARE(types->at(1).width, 84);   // line 5
        QCOMPARE(types->at(1).height, 168); // line 6

        writeRaw(settings, "ledtype", "Tile\r\nwide\r\n128\r\n");
        QVERIFY2(!settings.ledTileTypes(), "a size that is not a number is an error");
    }

    void installedValuesFillOnlyWhatIsMissing()
    {
        QTemporaryDir dir;
        const SettingsFiles settings(dir.path() + "/cache/");
        QVERIFY(settings.write("rp_ini", "1"));
        settings.installDefaults();

        const QStringList files = QDir(settings.cacheDir()).entryList(QDir::Files);
        QCOMPARE(files.size(), 13);
        QCOMPARE(settings.readFirstLine("rp_ini"), QString("1")); // left as it was
        QCOMPARE(settings.readFirstLine("setting"), settings.cacheDir());
        QCOMPARE(settings.readFirstLine("screenDPI"), QString("96"));
        for (const char* toggle : {"as_ini", "al_ini", "ap_ini"})
            QCOMPARE(settings.readFirstLine(toggle), QString("0"));
        const QString videoDir = *settings.readFirstLine("cv_ini");
        QVERIFY(videoDir.endsWith("/video/"));
        QVERIFY(QDir(videoDir).exists());
        QCOMPARE(settings.readFirstLine("vnc_ini"), QString());
        for (const char* live : {"live1Input", "live2Input", "live1Output", "live2Output"})
            QCOMPARE(settings.readFirstLine(live), QString());
        const auto types = settings.ledTileTypes();
        QVERIFY(types && types->size() >= 2);
        for (const auto& type : *types)
            QVERIFY(type.width > 0 && type.height > 0);
    }
};

QTEST_GUILESS_MAIN(TestSettingsFiles)
#include "test_settings_files.moc"
