#pragma once

#include "automation/action_commands.h"
#include "automation/action_runner.h"
#include "automation/connection_commands.h"
#include "channels/channel_state.h"
#include "channels/playback_channels.h"
#include "control/control_map_store.h"
#include "core/platform_services.h"
#include "data/show_database.h"
#include "data/write_operation.h"
#include "library/playlists.h"
#include "shared/settings_files.h"
#include "stage/current_stage.h"
#include "stage/stage_editor.h"

#include <QMainWindow>
#include <memory>

class ActionDialog;
class ActionPad;
class ChannelPanel;
class ClipAdding;
class ConsoleKeys;
class ControlMapper;
class MidiControl;
class DmxControl;
class FilterPanel;
class ConnectionDialog;
class ConnectionSenders;
class ConsoleControls;
class ConsoleDialogs;
class RemoteCommandServer;
class ScriptInterpreter;
class ClipCommands;
class ClipInformationPage;
class LibraryPages;
class LiveVideoPage;
class MainMenu;
class MixerPanel;
class OutputWindow;
class StageCommands;
class StageController;
class QTimer;
class PlaylistButtons;
class PreferencesPage;
class QFileDialog;
class QTabWidget;
class StagePage;
class StageEditor;
class VideoLoopRender;
class TestPatternPage;
class TextPrompt;
class TransportBar;

// The windows the console works with once they exist (they are created after it).
struct ConsoleWindows {
    FilterPanel* filtri = nullptr;
    StageEditor* layersetup = nullptr;
    ActionPad* fAzioni = nullptr;
    ActionDialog* addAction = nullptr;
    ConnectionDialog* addConnection = nullptr;
    TextPrompt* nuovoTesto = nullptr;
    ControlMapper* elencoMIDI = nullptr;
    ControlMapper* elencoDMX = nullptr;
    OutputWindow* playout0 = nullptr;
    OutputWindow* playout = nullptr;
    OutputWindow* playoutB = nullptr;
};

// The operator console and the composition root: it owns the show database, the per-channel
// state and the regions of the console, and wires them together.
class MainWindow : public QMainWindow,
                   public PlaylistHost,
                   public ChannelsHost,
                   public ActionCommandsHost,
                   public ConnectionCommandsHost {
    Q_OBJECT
public:
    static inline const QString Version = QStringLiteral("2.0");

    MainWindow(SettingsFiles settings, PlatformServices services);
    ~MainWindow() override;

    // The start-up sequence. Returns false when the console cannot run (the database did not
    // open); the operator has been told by then.
    bool FormCreate();
    // The first showing: docks the filter panel and the action pad into the lower-right
    // pages, shows the console and sends it behind the output windows.
    void FormShow(const ConsoleWindows& windows);
    // Empties one channel's panel and stored clip settings (1 = Player A, 2 = Player B).
    void reset_info(int channel);

    // Refreshes the read side and every grid, selecting the given clip, playlist, stage,
    // action and connection again.
    bool AggiornaElementi(int xPlaylist, const QString& xLista, const QString& xLayout, int xPreset,
                          int Xconn) override;

    int screenDpi = 96;
    CurrentStage currentStage;

    ShowDatabase& database() { return m_database; }
    WriteOperation& writeOperation() { return m_write; }
    Playlists& playlists() { return *m_playlists; }
    ClipCommands& clipCommands() { return *m_clipCommands; }
    StageController& stages() { return *m_stageController; }
    PlaybackChannels& channels() { return *m_channels; }
    LiveVideoPage& liveVideo() { return *m_liveVideo; }
    // What the console knows of its two channels.
    ChannelState& state() { return m_channels->state(); }
    const ChannelState& state() const { return m_channels->state(); }
    ChannelPanel* panel(int channel) const { return m_panels[channel - 1]; }
    MainMenu* mainMenu() const { return m_menu; }
    const QString& tempDirectory() const { return m_tempDirectory; }
    // The level meters of both players run (`livello`); write operations pause them.
    bool levelMetersOn() const { return m_levelMeters; }

    // The autoload stage of the clip starting on channel c (1 = Player A, 2 = Player B).
    void ApplyClipStage(int channel) override;

    // Automation: the console as commands see it, the one script interpreter and the one
    // runner of script lines, the senders of CONNSEND.
    ConsoleControls& controls() { return *m_controls; }
    ScriptInterpreter& interpreter() { return *m_interpreter; }
    ActionRunner& runner() { return *m_runner; }
    ConnectionSenders& senders() { return *m_senders; }
    RemoteCommandServer& commandServer() { return *m_server; }
    ActionCommands& actionCommands() { return *m_actionCommands; }
    ConnectionCommands& connectionCommands() { return *m_connectionCommands; }
    ControlMapStore& controlMap(ControlMapKind kind)
    {
        return kind == ControlMapKind::Midi ? *m_midiMap : *m_dmxMap;
    }
    // What the stage editor works with: the current stage, the settings, the screens and the
    // operations it asks for.
    StageEditor::Host stageEditorHost();
    const SettingsFiles& settings() const { return m_settings; }
    DisplayScreens& displayScreens() { return *m_services.screens; }
    // "STAGE SETUP": the selected stage into the current stage, and the editor on it.
    void openStageEditor();
    VideoLoopRender& loopRender() { return *m_loopRender; }
    // "SAVE STAGE": the current stage into the row of this name; false when none was written.
    bool saveStage(const QString& name);
    // The console's script line (`eseguiScript`): runs at once, throws ScriptError.
    void eseguiScript(const QString& testo);
    // The default error display: a message box.
    void showError(const QString& text) override;

    // Adds media files to the current playlist as clips, in order; files that are not media
    // or cannot be opened are skipped and named in one message at the end.
    void addClips(const QStringList& files);
    bool addingClips() const;

    // Closes the program without asking, as a signal from the system asks.
    void closeWithoutAsking();
    // A channel shows a clip: playing, paused, or holding its last picture.
    bool clipsOnAir() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // PlaylistHost
    QString onAirStageName() const override;
    bool askYesNo(const QString& question) override;
    std::optional<QString> askText(const QString& caption, const QString& text,
                                   int maxLength) override;
    void setLevelMeters(bool on) override;
    void showWarning(const QString& text) override;
    std::optional<QString> chooseMediaFile() override;
    // ChannelsHost
    void runClipAction(int id, bool atStart) override;
    void refreshAfterWrite(int clip) override;
    bool selectStage(const QString& name) override;
    void showSaved(int channel) override;
    void showFault(const QString& text) override;
    // ActionCommandsHost
    std::optional<std::pair<QString, QString>> askAction(const QString& name,
                                                         const QString& script) override;
    // ConnectionCommandsHost
    std::optional<std::pair<ConsoleControl::Connection, QString>>
    askConnection(const ConsoleControl::Connection& row, const QString& name) override;
    void inform(const QString& text) override;
    std::optional<QString> chooseProgram() override;
    void wireConnections();

    void buildAutomation();
    void wireActions();
    // The mappers' menu entries and the action page's "Set ... control" entries and buttons.
    void attachMappers(ControlMapper* midi, ControlMapper* dmx);
    // The action of this id becomes the current one in the action grid (when it exists).
    void selectAction(int id);
    // An error of a script run, shown without holding the runs that follow.
    void showRunError(const QString& message, ActionRunner::Source source, const QString& what);
    // "Server active": the command server listens on "Port", or stops.
    void chkServerActiveClick();

    void buildConsole();
    void addClipsFromDialog();
    void openCacheVideoFolder();
    void wireMenus();
    void selectLayer(int channel);
    void showClips();
    // Shows the reopened playlists, stages, connections and actions.
    void reloadLists();
    // The lists read again, every cursor where it was.
    void readShowAgain();
    // The lists read again with this clip, action and connection current; -1 keeps the one
    // shown (the playlist and the stage on air are always kept).
    void refreshLists(int clip = -1, int action = -1, int connection = -1);
    std::optional<QString> readSetting(const QString& name, const QString& fallback);
    void FormCloseQuery();
    void FormClose();
    void FormDestroy();

    SettingsFiles m_settings;
    PlatformServices m_services;
    ShowDatabase m_database;
    WriteOperation m_write;
    std::unique_ptr<ArtNetLibrary> DLL;
    QString m_tempDirectory;
    bool m_levelMeters = true;
    bool m_shown = false; // started and shown
    bool m_closed = false;
    bool m_askBeforeClosing = true;
    QStringList m_playlistsShown; // what the playlist buttons show
    std::unique_ptr<ConsoleDialogs> m_dialogs;
    ActionPad* m_pad = nullptr;

    std::unique_ptr<ConsoleControls> m_controls;
    std::unique_ptr<ScriptInterpreter> m_interpreter;
    ConnectionSenders* m_senders = nullptr;
    ActionRunner* m_runner = nullptr;
    RemoteCommandServer* m_server = nullptr;
    std::unique_ptr<ActionStore> m_actionStore;
    std::unique_ptr<ActionCommands> m_actionCommands;
    std::unique_ptr<ConnectionStore> m_connectionStore;
    ConnectionCommands* m_connectionCommands = nullptr;
    std::unique_ptr<ControlMapStore> m_midiMap;
    std::unique_ptr<ControlMapStore> m_dmxMap;
    ControlMapper* m_midiMapper = nullptr;
    ControlMapper* m_dmxMapper = nullptr;
    MidiControl* m_midi = nullptr;
    DmxControl* m_dmx = nullptr;

    MainMenu* m_menu = nullptr;
    Playlists* m_playlists = nullptr;
    ClipCommands* m_clipCommands = nullptr;
    StageController* m_stageController = nullptr;
    StageCommands* m_stageCommands = nullptr;
    PlaybackChannels* m_channels = nullptr;
    QTimer* nascondi = nullptr; // hides the SAVED labels
    ChannelPanel* m_panels[2] = {};
    MixerPanel* m_mixer = nullptr;
    TransportBar* m_transport = nullptr;
    PlaylistButtons* m_playlistButtons = nullptr;
    LibraryPages* m_library = nullptr;
    QTabWidget* m_pagina = nullptr; // lower right: Stage, Live Video, ...
    StagePage* m_stagePage = nullptr;
    TestPatternPage* m_testPatterns = nullptr;
    StageEditor* m_stageEditor = nullptr;
    VideoLoopRender* m_loopRender = nullptr;
    LiveVideoPage* m_liveVideo = nullptr;
    PreferencesPage* m_preferences = nullptr;
    ClipInformationPage* m_clipInformation = nullptr;
    ClipAdding* m_clipAdding = nullptr;
    ConsoleKeys* m_keys = nullptr;
};
