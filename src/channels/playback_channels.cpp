#include "channels/playback_channels.h"

#include "channels/channel_hooks.h"
#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "channels/clip_columns.h"
#include "channels/colour_bars.h"
#include "channels/filter_panel.h"
#include "channels/position_bar.h"
#include "channels/video_filter_text.h"
#include "data/show_database.h"
#include "data/write_operation.h"
#include "media/ff_player.h"
#include "shared/bmp_file.h"
#include "shared/media_time.h"
#include "shared/player_wait.h"
#include "stage/output_window.h"
#include "stage/video_surface.h"
#include "ui/dataset_grid.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSlider>
#include <cmath>
#include <stdexcept>

namespace {
const QStringList aspectCaptions = {"Original", "Fit", "4:3", "16:9", "1.85:1", "2.35:1"};
const float aspectValues[6] = {0.0f, -1.0f, 1.3333334f, 1.7777778f, 1.85f, 2.35f};
} // namespace

QSize snapshotIconSize(const QSize& picture)
{
    const int w = picture.width();
    const int h = picture.height();
    if (h < w)
        return {127, std::max(1, h * 127 / w)};
    return {std::max(1, w * 77 / h), 77};
}

PlaybackChannels::PlaybackChannels(ShowDatabase& database, WriteOperation& write,
                                   ChannelsHost& host, ChannelPanel* panelA, ChannelPanel* panelB,
                                   Controls controls, RenderMenu menu, QObject* parent)
    : QObject(parent)
    , m_database(database)
    , m_write(write)
    , m_host(host)
    , m_panels{panelA, panelB}
    , m_controls(controls)
    , m_menu(menu)
    , m_players{new TFFPlayer(this), new TFFPlayer(this)}
{
    for (const int channel : {1, 2}) {
        ChannelMixer::Channel& mix = m_controls.mix[channel - 1];
        mix.player = ThePlayer(channel);
        mix.panel = panel(channel);
    }
    m_mixer = new ChannelMixer(
        m_controls.mix[0], m_controls.mix[1],
        {m_controls.stageActive, m_controls.invert, m_controls.automaticPlay},
        {[this] { btnResumeClick(); }, [this](int channel) { return nextClipTick(channel); }},
        m_state.clipSettings, m_state.handlersArmed, this);

    m_hooks = new ChannelHooks(
        [this](int channel, MeterLevels levels) {
            panel(channel)->showMeters(levels.left, levels.right);
        },
        this);
    for (const int channel : {1, 2})
        m_colourBars[channel - 1] = new ColourBars(
            panel(channel)->colourControls(), m_state.clipSettings[channel], m_state.handlersArmed,
            [this, channel] { return ThePlayer(channel); }, this);
    wirePlayer(m_players[0], 1);
    wirePlayer(m_players[1], 2);
    wireControls();
}

PlaybackChannels::~PlaybackChannels()
{
    detachPlayers();
}

void PlaybackChannels::detachPlayers()
{
    for (TFFPlayer* player : m_players) {
        player->OnFileOpen = nullptr;
        player->OnPosition = nullptr;
        player->OnState = nullptr;
        player->OnReadError = nullptr;
        player->Stop(true);
    }
}

void PlaybackChannels::wirePlayer(TFFPlayer* player, int channel)
{
    player->Tag = channel;
    player->setObjectName(channel == 1 ? "vA" : "vB");
    player->OnFileOpen = [this](TFFPlayer* sender, int64_t duration, int width, int height, int&,
                                int&) { vAFileOpen(sender, duration, width, height); };
    player->OnPosition = [this](TFFPlayer* sender, int64_t pts) { vAPosition(sender, pts); };
    player->OnState = [this](TFFPlayer* sender, TPlayState state) { vAState(sender, state); };
    player->OnReadError = [this](TFFPlayer* sender, int64_t reached) {
        vAReadError(sender, reached);
    };
    player->OnLog = [](TFFPlayer* sender, const QString& line) {
        qInfo().noquote() << (sender->Tag == 2 ? "Player B:" : "Player A:") << line;
    };
    m_hooks->attach(player);
}

void PlaybackChannels::wireControls()
{
    connect(m_controls.load, &QPushButton::clicked, this, &PlaybackChannels::btnPlayAClick);
    connect(m_controls.play, &QPushButton::clicked, this, &PlaybackChannels::btnResumeClick);
    connect(m_controls.stop, &QPushButton::clicked, this, &PlaybackChannels::btnStopAClick);
    connect(m_controls.pause, &QPushButton::clicked, this, &PlaybackChannels::btnPauseAClick);
    connect(m_controls.snapshot, &QAbstractButton::clicked, this,
            &PlaybackChannels::SpeedButton1Click);
    connect(m_controls.setStartPoint, &QAbstractButton::clicked, this,
            [this] { btnSetStartPointClick(1); });
    connect(m_controls.resetStartPoint, &QAbstractButton::clicked, this,
            [this] { btnSetStartPointClick(0); });
    // "RESTART": the selected channel back to the file's beginning (not the start point); a
    // paused player stays paused.
    connect(m_controls.restart, &QAbstractButton::clicked, this, [this] {
        livello(false);
        ThePlayer(m_state.selectedChannel)->Seek(0, sfBackward);
        livello(true);
    });

    for (const int channel : {1, 2}) {
        ChannelPanel* p = panel(channel);
        // "STEP FRAME": the next picture, and the player stays paused.
        connect(p->stepFrameButton(), &QPushButton::clicked, this, [this, channel] {
            ThePlayer(channel)->Pause();
            ThePlayer(channel)->StepToNextFrame();
        });
        connect(p->saveClipButton(), &QPushButton::clicked, this,
                [this, channel] { btnSaveClipClick(channel); });
        // The next picture shows the flip.
        for (const bool flip : {false, true})
            connect(flip ? p->verticalFlipOnButton() : p->verticalFlipOffButton(),
                    &QPushButton::clicked, this, [this, channel, flip] {
                        if (m_state.handlersArmed)
                            ThePlayer(channel)->setVerticalFlip(flip);
                    });
        PositionBar* bar = p->positionBar();
        connect(bar, &QSlider::valueChanged, this, [this, channel] { seekFromBar(channel); });
        connect(bar, &QSlider::sliderReleased, this, [this, channel] { seekFromBar(channel); });
        const QList<QPushButton*>& aspects = p->aspectButtons();
        for (int i = 0; i < aspects.size(); ++i)
            connect(aspects.at(i), &QPushButton::clicked, this, [this, channel, i] {
                if (m_state.handlersArmed)
                    ThePlayer(channel)->setAspectRatio(aspectValues[i]);
            });
    }

    // Direct Draw has no preview: choosing it turns both previews off, and a preview turned
    // on while it is chosen goes off again.
    connect(m_menu.video[1], &QAction::triggered, this, [this] {
        panel(1)->setPreview(false);
        panel(2)->setPreview(false);
    });
    for (const int channel : {1, 2}) {
        connect(panel(channel)->previewOnButton(), &QPushButton::clicked, this, [this, channel] {
            if (directDraw())
                panel(channel)->setPreview(false);
        });
        connect(panel(channel)->previewOffButton(), &QPushButton::clicked, this,
                [this, channel] { panel(channel)->clearPreview(); });
    }
    connect(m_menu.support51, &QAction::triggered, this, [this](bool checked) {
        if (checked)
            m_menu.video[1]->trigger();
    });
}

void PlaybackChannels::attachOutputs(OutputWindow* windowA, OutputWindow* windowB)
{
    m_windows[0] = windowA;
    m_windows[1] = windowB;
    m_mixer->attachWindows(windowA, windowB);
}

void PlaybackChannels::attachFilterPanel(FilterPanel* filterPanel)
{
    m_filterPanel = filterPanel;
}

void PlaybackChannels::holdPicture(int channel, bool holds)
{
    OutputWindow* window = m_windows[channel == 2 ? 1 : 0];
    if (!window)
        return;
    window->setHoldsPicture(holds);
    // Layer B lies above layer A, also when A's window appears after B's.
    if (channel == 1 && m_windows[1] && m_windows[1]->isVisible())
        m_windows[1]->raise();
}

TFFPlayer* PlaybackChannels::ThePlayer(int channel) const
{
    return m_players[channel == 2 ? 1 : 0];
}

VideoSink* PlaybackChannels::TheHandle(int channel) const
{
    const OutputWindow* window = m_windows[channel == 2 ? 1 : 0];
    return window ? window->surface() : nullptr;
}

QSlider* PlaybackChannels::TheTrackBar(int channel) const
{
    return panel(channel)->positionBar();
}

QSlider* PlaybackChannels::TheSpeed(int channel) const
{
    return panel(channel)->speedSlider();
}

QSlider* PlaybackChannels::TheVolume(int channel) const
{
    return panel(channel)->volumeSlider();
}

void PlaybackChannels::livello(bool on)
{
    for (TFFPlayer* player : m_players)
        player->setAudioHook(on);
}

bool PlaybackChannels::directDraw() const
{
    return m_menu.video[1]->isChecked();
}

void PlaybackChannels::btnPlayAClick()
{
    ReadDataset& clip = m_database.playlist;
    if (clip.isEmpty())
        return;
    const int c = m_state.selectedChannel;
    ChannelPanel* p = panel(c);
    TFFPlayer* player = ThePlayer(c);
    livello(false);
    const auto hooksOn = qScopeGuard([this] { livello(true); });

    if (directDraw() && !m_controls.stageActive->isChecked()) {
        m_host.showError("Stage not active.");
        return;
    }
    if (m_mixer->dissolving(1) && m_state.nextClipChannel == 0)
        return;
    const QString file = clip.text("file");
    if (!QFileInfo::exists(file)) {
        m_host.showError("Media not linked.\n" + file);
        return;
    }
    reset_info(c);
    m_controls.patternOff->click();
    m_controls.patternOff->setChecked(true);
    if (m_controls.loadSpeedValue->isChecked()) {
        QSlider* speed = TheSpeed(c);
        const QSignalBlocker quiet(speed); // applied once, just below
        speed->setValue(int(clip.integer("speed")));
    }
    m_mixer->applySpeed(c, false);
    p->clearPreview();
    p->setEndStatus(clip.text("status"));
    m_state.codice(c) = int(clip.integer("codice"));
    ClipSettings& s = m_state.clipSettings[c];
    if (m_controls.loadVolumeValue->isChecked())
        TheVolume(c)->setValue(TheVolume(c)->maximum() - int(clip.integer("volume")));
    const bool loadFilters = m_controls.loadFilters->isChecked();
    readClipSettings(clip, s, loadFilters);
    if (directDraw()) {
        panel(1)->setPreview(false);
        panel(2)->setPreview(false);
    } else {
        p->setPreview(clip.integer("preview") == 1);
    }
    p->showStartPoint(s.FIn);
    if (!m_host.selectStage(s.FNomeLayout) && s.FMonitor == 1)
        m_host.showWarning("Stage " + s.FNomeLayout + " not found");
    const bool flip = clip.integer("vflip") == 1;
    p->setVerticalFlip(flip);
    player->setVerticalFlip(flip);
    p->deinterlaceButton()->setChecked(clip.integer("deinterlace") == 1);
    p->transitionTime()->setValue(int(clip.integer("trxtime")));
    if (loadFilters)
        ImpostaFiltri(c);
    holdPicture(c, true);
    videoclip(file, c);
}

void PlaybackChannels::reset_info(int channel)
{
    panel(channel)->resetInfo();
    m_state.codice(channel) = -1;
    ClipSettings& clip = m_state.clipSettings[channel];
    clip.FIn = 0;
    clip.FOut = 0;
    if (m_controls.loadFilters->isChecked())
        clip.resetFilters();
    // The colour bars show the channel's values: neutral, or those kept when filters are not
    // loaded with clips (moving the bars to neutral would write neutral values back).
    m_colourBars[channel - 1]->show();
    if (m_filterPanel)
        m_filterPanel->publishMarks();
}

void PlaybackChannels::ImpostaFiltri(int channel)
{
    const ClipSettings& s = m_state.clipSettings[channel];
    m_colourBars[channel - 1]->show();
    panel(channel)->alphaSlider()->setValue(255 - s.FAlpha);
    if (m_filterPanel)
        m_filterPanel->showChannel(channel);
}

bool PlaybackChannels::applyFilterSettings(int c, const ClipSettings& wanted, bool armedOff)
{
    TFFPlayer* player = ThePlayer(c);
    const QString file = player->FileName();
    ChannelPanel* p = panel(c);
    const QString filters = p->filterOnButton()->isChecked() ? videoFilterText(wanted) : QString();
    if (!file.isEmpty() && !filters.isEmpty()) {
        // The check an opening makes, before the clip on air is touched.
        player->setDeinterlace(p->deinterlaceButton()->isChecked());
        QString error;
        if (!player->CheckVideoFilters(filters, error)) {
            m_host.showError(QStringLiteral("The filters were not applied: the clip plays on as "
                                            "it was.\n%1")
                                 .arg(error));
            return false;
        }
    }
    m_state.clipSettings[c] = wanted;
    if (file.isEmpty() || player->ChangeVideoFilters(filters))
        return true;
    const int64_t at = std::max<int64_t>(player->CurrentPTS(), 0); // -1 before a first picture
    livello(false);
    if (armedOff)
        m_state.handlersArmed = false;
    m_reopening[c - 1] = true;
    const auto done = qScopeGuard([this, c] {
        m_reopening[c - 1] = false;
        m_state.handlersArmed = true;
        livello(true);
    });
    videoclip(file, c);
    player->Seek(at, sfBackward | sfExact);
    return true;
}

ClipSettings PlaybackChannels::loadedSettings(int channel) const
{
    ClipSettings s = m_state.clipSettings[channel];
    s.FIn = 0;
    s.FOut = 0;
    const bool withFilters = m_controls.loadFilters->isChecked();
    if (withFilters)
        s.resetFilters();
    readClipSettings(m_database.playlist, s, withFilters);
    return s;
}

OpenSettings PlaybackChannels::openSettings(int channel, const ClipSettings& clip,
                                            bool deinterlace) const
{
    OpenSettings settings;
    settings.deinterlace = deinterlace;
    settings.videoFilters =
        panel(channel)->filterOnButton()->isChecked() ? videoFilterText(clip) : QString();
    settings.audioChannels = m_menu.support51->isChecked() ? 6 : 2;
    settings.startTime = clip.FIn;
    return settings;
}

void PlaybackChannels::videoclip(const QString& file, int channel)
{
    TFFPlayer* player = ThePlayer(channel);
    const OpenSettings settings = openSettings(channel, m_state.clipSettings[channel],
                                               panel(channel)->deinterlaceButton()->isChecked());
    player->setDeinterlace(settings.deinterlace);
    player->setVideoFilters(settings.videoFilters);
    player->setAudioChannels(settings.audioChannels);
    // Every renderer entry draws on the same surface and plays through SDL's default output;
    // the choice is kept on the player, and Direct Draw keeps its console rules.
    const TVideoDriver videoDrivers[3] = {vdDefault, vdDirectDraw, vdGDI};
    const TAudioDriver audioDrivers[3] = {adDefault, adDirectSound, adWaveOut};
    player->VideoDriver = vdDefault;
    player->AudioDriver = adDefault;
    for (int i = 0; i < 3; ++i) {
        if (m_menu.video[i]->isChecked())
            player->VideoDriver = videoDrivers[i];
        if (m_menu.audio[i]->isChecked())
            player->AudioDriver = audioDrivers[i];
    }
    player->Open(file, TheHandle(channel), !m_controls.playAfterLoad->isChecked());
}

void PlaybackChannels::vAFileOpen(TFFPlayer* sender, int64_t duration, int frameWidth,
                                  int frameHeight)
{
    if (!m_state.handlersArmed)
        return;
    const int c = sender->Tag;
    ChannelPanel* p = panel(c);
    const ClipSettings& s = m_state.clipSettings[c];
    livello(false);
    const ReadDataset& clip = m_database.playlist;
    p->showTitle(clip.text("titolo"));
    p->showFormat(sender->FormatName());
    if (frameWidth > 0) {
        if (!m_controls.loadAspectRatio->isChecked()) {
            p->showAspect(QString::number(sender->VideoAspect(), 'f', 2));
        } else {
            const QString stored = clip.text("aspectratio");
            const auto at = aspectCaptions.indexOf(stored);
            if (at >= 0)
                p->aspectButtons().at(at)->setChecked(true);
            p->showAspect(stored);
        }
    }
    p->showDuration(s.FDuration);
    p->showResolution(frameWidth, frameHeight);
    sender->setStartTime(s.FIn);
    p->preparePositionBar(s.FIn, s.FDuration, duration > 0);
    livello(true);
}

void PlaybackChannels::btnResumeClick()
{
    const int c = m_state.selectedChannel;
    TFFPlayer* player = ThePlayer(c);
    livello(false);
    if (player->PlayState() == psEnd)
        player->Seek(0, sfBackward); // the file's beginning, not the start point
    player->Resume();
    m_host.ApplyClipStage(c);
    if (m_state.clipSettings[c].FAzione1 != -1)
        m_host.runClipAction(m_state.clipSettings[c].FAzione1, true);
    livello(true);
}

void PlaybackChannels::btnStopAClick()
{
    livello(false);
    stopChannel(m_state.selectedChannel);
    livello(true);
}

void PlaybackChannels::stopChannel(int channel)
{
    ThePlayer(channel)->Stop(true);
    reset_info(channel);
    holdPicture(channel, false); // "Add a clip": nothing of this channel hides the other layer
}

void PlaybackChannels::btnPauseAClick()
{
    livello(false);
    ThePlayer(m_state.selectedChannel)->TogglePause();
    livello(true);
}

void PlaybackChannels::btnSetStartPointClick(int tag)
{
    const int c = m_state.selectedChannel;
    writeClip(c, [&](WriteDataset& clip) {
        ClipSettings& s = m_state.clipSettings[c];
        s.FIn = tag == 1 ? ThePlayer(c)->CurrentPTS() : 0;
        clip.setValue("start", QVariant::fromValue(s.FIn));
        panel(c)->showStartPoint(s.FIn);
    });
}

void PlaybackChannels::writeClip(int c, const std::function<void(WriteDataset&)>& edit)
{
    const int k = m_state.codice(c);
    if (k == -1)
        return;
    livello(false);
    const auto hooksOn = qScopeGuard([this] { livello(true); });
    WriteDataset& clips = m_database.p;
    clips.setFilter(R"("codice" = ?)", {k});
    bool found = false;
    const bool written = m_write.run(
        {&clips},
        [&] {
            // The clip may have gone from another workstation meanwhile: nothing is written.
            found = clips.locate("codice", k);
            if (found)
                edit(clips);
        },
        [&] {
            if (found)
                m_host.refreshAfterWrite(k);
        });
    if (written && found)
        m_host.showSaved(c);
}

void PlaybackChannels::btnSaveClipClick(int c)
{
    ChannelPanel* p = panel(c);
    writeClip(c, [&](WriteDataset& clip) {
        const QList<QPushButton*>& aspects = p->aspectButtons();
        for (int i = 0; i < aspects.size(); ++i)
            if (aspects.at(i)->isChecked())
                clip.setValue("aspectratio", aspectCaptions.at(i));
        clip.setValue("volume", p->volume());
        writeFilterColumns(clip, m_state.clipSettings[c]);
        clip.setValue("speed", TheSpeed(c)->value());
        clip.setValue("preview", p->previewOn() ? 1 : 0);
        clip.setValue("vflip", p->verticalFlipOn() ? 1 : 0);
        clip.setValue("deinterlace", p->deinterlaceButton()->isChecked() ? 1 : 0);
        clip.setValue("trxtime", p->transitionTime()->value());
    });
}

void PlaybackChannels::SpeedButton1Click()
{
    const int c = m_state.selectedChannel;
    if (m_state.codice(c) == -1)
        return;
    // Nothing on screen, nothing to keep: the stored icon stays.
    const QImage picture = ThePlayer(c)->CurrentFrame();
    if (picture.isNull())
        return;
    const QByteArray icon = bmpFile(picture.scaled(
        snapshotIconSize(picture.size()), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    writeClip(c, [&](WriteDataset& clip) { clip.setValue("frame", icon); });
}

void PlaybackChannels::seekFromBar(int channel)
{
    ChannelPanel* p = panel(channel);
    PositionBar* bar = p->positionBar();
    const Qt::MouseButtons held = QGuiApplication::mouseButtons();
    if (p->FTrackChanging || bar->isSliderDown() || (held & (Qt::LeftButton | Qt::RightButton)))
        return;
    if (bar->maximum() <= 0)
        return;
    const qint64 duration = m_state.clipSettings[channel].FDuration;
    ThePlayer(channel)->Seek(duration * bar->value() / bar->maximum());
}

void PlaybackChannels::vAPosition(TFFPlayer* sender, int64_t pts)
{
    const int c = sender->Tag;
    const ClipSettings& s = m_state.clipSettings[c];
    ChannelPanel* p = panel(c);
    // The exact length comes once, at the end of the stream.
    if (pts == s.FDuration && p->endStatus() == "LOOP")
        sender->Seek(s.FIn, sfBackward);
    p->showPosition(pts, s.FDuration);
    if (p->previewOn())
        p->showPreview(sender->CurrentFrame(p->previewSize()));
    keepNextClipPrepared(c, pts);
}

void PlaybackChannels::keepNextClipPrepared(int c, int64_t pts)
{
    TFFPlayer* player = ThePlayer(c);
    ReadDataset& clips = m_database.playlist;
    if (panel(c)->endStatus() != "NEXT CLIP" || clips.isEmpty() || m_state.selectedChannel != c) {
        player->DropPrepared();
        return;
    }
    // In the clip's last ten seconds; not in its own first second, unless it ends soon: its
    // start comes first.
    const ClipSettings& s = m_state.clipSettings[c];
    const int64_t left = s.FDuration - pts;
    if (left > 10000000 || (pts - s.FIn < 1000000 && left > 2000000))
        return;
    QString file, title;
    OpenSettings settings;
    {
        const auto back = qScopeGuard([&clips, cursor = clips.recNo()] { clips.moveTo(cursor); });
        clips.moveTo(nextClipRow(c));
        file = clips.text("file");
        title = clips.text("titolo");
        settings = openSettings(c, loadedSettings(c), clips.integer("deinterlace") == 1);
    }
    QString error;
    if (player->Prepare(file, TheHandle(c), settings, error) != TFFPlayer::Preparation::Failed) {
        m_toldUnprepared[c - 1].clear();
        return;
    }
    if (std::exchange(m_toldUnprepared[c - 1], file) == file)
        return;
    m_host.showFault(QStringLiteral("Player %1: the next clip \"%2\" cannot be opened; it is "
                                    "tried again when this clip ends.\n%3")
                         .arg(c == 2 ? 'B' : 'A')
                         .arg(title, error));
}

void PlaybackChannels::vAState(TFFPlayer* sender, TPlayState state)
{
    const int c = sender->Tag;
    panel(c)->showState(state);
    if (state == psStop) {
        panel(c)->clearPreview();
        OutputWindow* window = m_windows[c == 2 ? 1 : 0];
        // Its own colour, not the last picture; a re-opening or a next clip keeps the picture.
        if (window && m_controls.stageActive->isChecked() && !m_reopening[c - 1])
            window->showOwnColour();
        m_mixer->stopDissolves();
    } else if (state == psEnd) {
        endReached(c);
    } else if (state == psPause) {
        showCued(c);
    }
}

void PlaybackChannels::vAReadError(TFFPlayer* sender, int64_t reached)
{
    const int c = sender->Tag;
    m_host.showFault(QStringLiteral("Player %1: the clip \"%2\" cannot be read past %3 of %4 "
                                    "and ends there.\n%5")
                         .arg(c == 2 ? 'B' : 'A')
                         .arg(panel(c)->title(), formatMediaTime(reached),
                              formatMediaTime(m_state.clipSettings[c].FDuration),
                              sender->FileName()));
}

void PlaybackChannels::showCued(int c)
{
    // A clip loaded paused reports no position: the operator still checks what goes on air.
    TFFPlayer* player = ThePlayer(c);
    ChannelPanel* p = panel(c);
    const ClipSettings& s = m_state.clipSettings[c];
    const int64_t at = player->CurrentPTS() >= 0 ? player->CurrentPTS() : s.FIn;
    p->showCountdown(at, s.FDuration);
    if (p->previewOn())
        p->showPreview(player->CurrentFrame(p->previewSize()));
}

void PlaybackChannels::endReached(int c)
{
    const ClipSettings& s = m_state.clipSettings[c];
    if (s.FAzione2 != -1)
        m_host.runClipAction(s.FAzione2, false);
    const QString status = panel(c)->endStatus();
    if (status == "BLACK") {
        ThePlayer(c)->Stop(false);
        return;
    }
    ReadDataset& clips = m_database.playlist;
    if (status != "NEXT CLIP" || clips.isEmpty())
        return;
    clips.moveTo(nextClipRow(c));
    m_controls.clipGrid->showCursor();
    m_state.nextClipChannel = c;
    m_mixer->startTimer(c);
}

int PlaybackChannels::nextClipRow(int c)
{
    ReadDataset& clips = m_database.playlist;
    const int cursor = clips.recNo();
    int row = 0;
    if (clips.locate("codice", m_state.codice(c))) {
        if (clips.next() || !m_controls.repeatPlaylist->isChecked())
            row = clips.recNo();
    }
    clips.moveTo(cursor);
    return row;
}

bool PlaybackChannels::nextClipTick(int channel)
{
    if (m_state.nextClipChannel != channel)
        return false;
    if (PlayerWait::active()) // inside a player's opening: the next tick loads
        return true;
    m_mixer->stopTimer(channel);
    // Pressed for this load only: the operator's next "LOAD" follows the switch as stored.
    const bool playAfterLoad = m_controls.playAfterLoad->isChecked();
    m_controls.playAfterLoad->setChecked(true);
    // The marker stays set during the load, so that a dissolve of Player A running now does
    // not refuse it; an end of the other channel reported meanwhile keeps its own marker.
    // The layer of the channel that loads holds its last picture until the next clip's first
    // one: no flash of its colour between two clips of a chain.
    const int loading = m_state.selectedChannel;
    m_reopening[loading - 1] = true;
    m_controls.load->click();
    m_reopening[loading - 1] = false;
    if (m_state.nextClipChannel == channel)
        m_state.nextClipChannel = 0;
    m_controls.playAfterLoad->setChecked(playAfterLoad);
    // A next clip that did not open leaves the channel stopped: its layer in its colour.
    OutputWindow* window = m_windows[loading - 1];
    if (ThePlayer(loading)->FileName().isEmpty() && window && m_controls.stageActive->isChecked())
        window->showOwnColour();
    return true;
}
