#pragma once

#include "channels/channel_mixer.h"
#include "channels/channel_state.h"
#include "channels/clip_settings.h"
#include "media/player_types.h"

#include <QObject>
#include <QSize>
#include <functional>

class ChannelHooks;
class ChannelPanel;
class ColourBars;
class FilterPanel;
class DatasetGrid;
class OutputWindow;
class QAbstractButton;
class QAction;
class QPushButton;
class QScrollBar;
class QSlider;
class ShowDatabase;
class TFFPlayer;
class VideoSink;
class WriteDataset;
class WriteOperation;

// What the channels ask of the rest of the console.
class ChannelsHost {
public:
    virtual ~ChannelsHost() = default;
    // The starting clip's own stage.
    virtual void ApplyClipStage(int channel) = 0;
    // Runs a clip's start or end action; an id without an action runs nothing.
    virtual void runClipAction(int id, bool atStart) = 0;
    // After a clip was written: the lists again, with that clip selected.
    virtual void refreshAfterWrite(int clip) = 0;
    // Puts the stage list's cursor, as shown, on the stage of this name; false when there is
    // none.
    virtual bool selectStage(const QString& name) = 0;
    // The channel's "SAVED" label, for a moment.
    virtual void showSaved(int channel) = 0;
    virtual void showError(const QString& text) = 0;
    virtual void showWarning(const QString& text) = 0;
    // A fault during the show: logged, and told to the operator without waiting for an
    // answer, while both channels play on.
    virtual void showFault(const QString& text) = 0;
};

// The size of a clip's icon taken from a picture of this size: 127 pixels wide for a wide
// picture, 77 high for an upright or square one, each side at least 1 pixel.
QSize snapshotIconSize(const QSize& picture);

// The two playback channels, Player A (1) and Player B (2): loading a clip with its stored
// settings, starting, stopping and pausing, the start point and aspect buttons, the
// position and state reports with the end of each clip, and the mix (ChannelMixer).
//
// Owns both players; everything runs on the user-interface thread, where the players
// deliver their reports.
class PlaybackChannels : public QObject {
    Q_OBJECT
public:
    // The menu entries the players' outputs follow.
    struct RenderMenu {
        QAction* video[3]; // "Default", "Direct Draw", "GDI"
        QAction* audio[3]; // "Default", "Direct SOUND", "wave Out"
        QAction* support51;
    };

    // The controls of other regions that the channels follow or press.
    struct Controls {
        DatasetGrid* clipGrid;
        QPushButton* load; // "LOAD"
        QPushButton* play;
        QPushButton* stop;
        QPushButton* pause;
        QAbstractButton* playAfterLoad;
        QAbstractButton* repeatPlaylist;
        QAbstractButton* automaticPlay;
        QAbstractButton* stageActive;
        QAbstractButton* patternOff;
        QAbstractButton* setStartPoint;
        QAbstractButton* resetStartPoint;
        QAbstractButton* restart;  // "RESTART"
        QAbstractButton* snapshot; // "SET SNAPSHOT"
        QAbstractButton* invert;
        // The mixer's columns of Player A and Player B.
        ChannelMixer::Channel mix[2];
        // What loading copies from the clip ("Preferences").
        QAbstractButton* loadAspectRatio;
        QAbstractButton* loadSpeedValue;
        QAbstractButton* loadFilters;
        QAbstractButton* loadVolumeValue;
    };

    PlaybackChannels(ShowDatabase& database, WriteOperation& write, ChannelsHost& host,
                     ChannelPanel* panelA, ChannelPanel* panelB, Controls controls, RenderMenu menu,
                     QObject* parent = nullptr);
    ~PlaybackChannels() override;

    // The layer windows the players draw on from now on.
    void attachOutputs(OutputWindow* windowA, OutputWindow* windowB);
    // The filter panel that loading a channel's filters loads too.
    void attachFilterPanel(FilterPanel* panel);

    ChannelState& state() { return m_state; }
    const ChannelState& state() const { return m_state; }

    TFFPlayer* ThePlayer(int channel) const;
    VideoSink* TheHandle(int channel) const;
    QSlider* TheTrackBar(int channel) const;
    QSlider* TheSpeed(int channel) const;
    QSlider* TheVolume(int channel) const;
    ChannelPanel* panel(int channel) const { return m_panels[channel == 2 ? 1 : 0]; }
    ChannelMixer& mixer() const { return *m_mixer; }
    // The players' picture and sound hooks: the panel's marks and the level meters.
    ChannelHooks& hooks() const { return *m_hooks; }

    void btnPlayAClick();  // "LOAD"
    void btnResumeClick(); // "PLAY"
    void btnStopAClick();  // "STOP"
    void btnPauseAClick(); // "PAUSE"
    // Stops the player, waiting for it, and empties the channel and its layer.
    void stopChannel(int channel);
    void videoclip(const QString& file, int channel);
    // The channel reset: empty panel, no clip, start point 0, neutral filters when "Load
    // filters" is ticked.
    void reset_info(int channel);
    // "SET START POINT" (tag 1) and "RESET START POINT" (tag 0).
    void btnSetStartPointClick(int tag);
    // "SAVE TO CLIP": the channel's settings and switches into its clip's row.
    void btnSaveClipClick(int channel);
    // "SET SNAPSHOT": the selected channel's picture on screen as its clip's icon.
    void SpeedButton1Click();
    // Takes these settings for the channel. A clip that plays takes the new filters from its
    // next picture on, without a gap; one paused or ended is opened again at its position,
    // paused unless "PLAY AFTER LOAD" is pressed (`armedOff` keeps the open handler from
    // running). When FFmpeg refuses the new filters the operator is told why, the clip plays on
    // as it was and the settings stay: false. Without a file open the settings wait for the
    // next opening.
    bool applyFilterSettings(int channel, const ClipSettings& wanted, bool armedOff);
    // The level meters' audio hooks of both players (`livello`).
    void livello(bool on);
    // Stops both players and forgets their handlers (shutdown).
    void detachPlayers();

    // Reports of the players.
    void vAFileOpen(TFFPlayer* sender, int64_t duration, int frameWidth, int frameHeight);
    // Loads the channel's filter values into its colour bars and opacity slider.
    void ImpostaFiltri(int channel);
    void vAPosition(TFFPlayer* sender, int64_t pts);
    void vAState(TFFPlayer* sender, TPlayState state);
    // The clip on air broke off; its end follows as at the file's end.
    void vAReadError(TFFPlayer* sender, int64_t reached);

private:
    void wirePlayer(TFFPlayer* player, int channel);
    void wireControls();
    void endReached(int channel);
    // The paused channel's picture in the preview and its place in the countdown.
    void showCued(int channel);
    void seekFromBar(int channel);
    bool directDraw() const;
    bool nextClipTick(int channel);
    // The playlist row that a "NEXT CLIP" end of the channel moves the cursor to: the clip
    // after the channel's, the first when "REPEAT PLAYLIST" wraps or the channel's clip is not
    // in the list, the channel's own at the end of the list.
    int nextClipRow(int channel);
    // What loading the clip under the playlist's cursor gives the channel: its settings, and
    // the player's opening of it.
    ClipSettings loadedSettings(int channel) const;
    OpenSettings openSettings(int channel, const ClipSettings& clip, bool deinterlace) const;
    // While the channel plays a "NEXT CLIP" clip and is the selected one (where its end loads),
    // the clip its end loads is kept opened ahead in its player; the operator is told once
    // when that clip cannot be opened.
    void keepNextClipPrepared(int channel, int64_t pts);
    // The channel's layer holds a clip (shown on the stage) or nothing (kept hidden).
    void holdPicture(int channel, bool holds);
    // Edits the row of the channel's clip in one write operation, the meters paused; the
    // channel shows "SAVED" when it was written. Nothing without a clip or its row.
    void writeClip(int channel, const std::function<void(WriteDataset&)>& edit);

    ShowDatabase& m_database;
    WriteOperation& m_write;
    ChannelsHost& m_host;
    ChannelState m_state;
    ChannelPanel* m_panels[2];
    Controls m_controls;
    RenderMenu m_menu;
    TFFPlayer* m_players[2];
    ColourBars* m_colourBars[2] = {};
    ChannelHooks* m_hooks;
    FilterPanel* m_filterPanel = nullptr;
    // While the filter panel re-opens a channel, or a next clip loads into it: its layer keeps
    // the last picture until the new first one (a stop in between shows no colour).
    bool m_reopening[2] = {};
    // The next clip each channel could not open ahead, as told to the operator.
    QString m_toldUnprepared[2];
    ChannelMixer* m_mixer;
    OutputWindow* m_windows[2] = {};
};
