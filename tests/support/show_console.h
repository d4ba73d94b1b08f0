#pragma once

#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "media/ff_player.h"
#include "stage/output_window.h"
#include "support/started_console.h"
#include "ui/dataset_grid.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <memory>
#include <vector>

inline void seedPlaylist(const ShowFixture& fixture)
{
    fixture.exec(R"(insert into "liste" values ('Show', 1))");
}

// A started console on a show with one playlist, "Show", and the clips a test adds to it.
// `more` puts further rows into the show before the console starts.
struct Show : StartedConsole {
    explicit Show(const std::function<void(const ShowFixture&)>& more = {},
                  PlatformServices services = {})
        : StartedConsole(
              [more](const ShowFixture& fixture) {
                  seedPlaylist(fixture);
                  if (more)
                      more(fixture);
              },
              std::move(services))
    {
    }

    // Adds the files as clips, the way the operator does; returns their "codice" in order.
    QList<int> add(const QStringList& files)
    {
        main->addClips(files);
        QList<int> codes;
        for (const QString& file : files)
            codes.append(
                fixture.scalar(R"(select max("codice") from "playlist" where "file" = ?)", {file})
                    .toInt());
        return codes;
    }
    int add(const QString& file) { return add(QStringList{file}).first(); }

    // Changes stored columns of a clip, as the clip menus would, and shows them again.
    void set(int clip, const QString& assignments, const QVariantList& values = {})
    {
        QVariantList parameters = values;
        parameters.append(clip);
        fixture.exec(
            QStringLiteral(R"(update "playlist" set %1 where "codice" = ?)").arg(assignments),
            parameters);
        main->AggiornaElementi(clip, "Show", child<QLabel>("stageOnAir")->text(), 0, 1);
    }

    void select(int clip)
    {
        QVERIFY(main->database().playlist.locate("codice", clip));
        child<DatasetGrid>("elencoClip")->showCursor();
    }

    // "A" or "B", the clip in the grid, "LOAD".
    void load(int channel, int clip, bool playAfterLoad = false)
    {
        child<QPushButton>(channel == 1 ? "btnLayerA" : "btnLayerB")->click();
        child<QPushButton>("chkPlayAfterLoad")->setChecked(playAfterLoad);
        select(clip);
        child<QPushButton>("btnPlayA")->click();
    }

    TFFPlayer* player(int channel) const { return main->channels().ThePlayer(channel); }
    OutputWindow* layer(int channel) const
    {
        return static_cast<OutputWindow*>(console->window(channel == 1 ? "playout" : "playoutB"));
    }
    ChannelPanel* panel(int channel) const { return main->panel(channel); }
    ChannelMixer& mixer() const { return main->channels().mixer(); }
    QString label(const char* name) const { return child<QLabel>(name)->text(); }
    void click(const char* name) const { child<QPushButton>(name)->click(); }
    void stageActive() const { child<QPushButton>("btnScreen1")->click(); }

    // Every position the player reports from now on.
    QList<int64_t>* recordPositions(int channel)
    {
        auto positions = std::make_shared<QList<int64_t>>();
        TFFPlayer* p = player(channel);
        auto forward = p->OnPosition;
        p->OnPosition = [positions, forward](TFFPlayer* sender, int64_t pts) {
            positions->append(pts);
            forward(sender, pts);
        };
        m_recorded.push_back(positions);
        return positions.get();
    }

    // How many files the player opens from now on.
    const int* countOpenings(int channel)
    {
        auto opened = std::make_shared<int>(0);
        TFFPlayer* p = player(channel);
        auto forward = p->OnFileOpen;
        p->OnFileOpen = [opened, forward](TFFPlayer* sender, int64_t duration, int w, int h,
                                          int& sw, int& sh) {
            ++*opened;
            forward(sender, duration, w, h, sw, sh);
        };
        m_openings.push_back(opened);
        return opened.get();
    }

private:
    std::vector<std::shared_ptr<QList<int64_t>>> m_recorded;
    std::vector<std::shared_ptr<int>> m_openings;
};
