#include "core/main_window.h"
#include "library/video_loop_render.h"

#include "automation/connection_senders.h"
#include "automation/control_commands.h"
#include "automation/remote_command_server.h"
#include "automation/script_interpreter.h"
#include "channels/channel_mixer.h"
#include "channels/channel_panel.h"
#include "channels/filter_panel.h"
#include "channels/mixer_panel.h"
#include "channels/position_bar.h"
#include "channels/transport_bar.h"
#include "core/console_controls.h"
#include "core/console_keys.h"
#include "core/desktop_settings.h"
#include "core/dmx_control.h"
#include "core/main_menu.h"
#include "core/midi_control.h"
#include "core/preferences_page.h"
#include "data/database_error.h"
#include "library/clip_adding.h"
#include "library/clip_commands.h"
#include "library/clip_information_page.h"
#include "library/library_pages.h"
#include "library/playlist_buttons.h"
#include "media/ff_player.h"
#include "stage/live_video_page.h"
#include "stage/output_window.h"
#include "stage/stage_commands.h"
#include "stage/stage_controller.h"
#include "stage/stage_page.h"
#include "stage/test_pattern_page.h"
#include "stage/video_surface.h"
#include "ui/action_dialog.h"
#include "ui/action_pad.h"
#include "ui/console_dialogs.h"
#include "ui/control_mapper.h"
#include "ui/dataset_grid.h"
#include "ui/text_prompt.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QNetworkInterface>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

namespace {
QString localIPv4Address()
{
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    return {};
}

} // namespace

MainWindow::MainWindow(SettingsFiles settings, PlatformServices services)
    : m_settings(std::move(settings))
    , m_services(std::move(services))
    , m_write(m_database, {[this](bool on) { setLevelMeters(on); },
                           [this](const QString& error) { showError(error); }})
{
    setObjectName("main");
    setWindowTitle("main");
    if (!m_services.screens)
        m_services.screens = systemDisplayScreens();
    m_dialogs = std::make_unique<ConsoleDialogs>(this);
    buildConsole();
    wireMenus();
    m_keys = new ConsoleKeys({this,
                              m_transport,
                              {m_panels[0], m_panels[1]},
                              m_library->clipGrid(),
                              [this] { return state().selectedChannel; },
                              [this](int channel) { selectLayer(channel); }},
                             this);
    // Coming back to the console shows what other workstations changed meanwhile.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState to) {
        if (to == Qt::ApplicationActive)
            QTimer::singleShot(0, this, &MainWindow::readShowAgain);
    });
}

void MainWindow::readShowAgain()
{
    // Not in the middle of an operation: a dialog open, a change being written.
    if (!m_shown || m_closed || m_database.isWriteOpen() || QApplication::activeModalWidget())
        return;
    refreshLists();
}

void MainWindow::refreshLists(int clip, int action, int connection)
{
    const auto shown = [](int given, const ReadDataset& rows, const char* key) {
        return given != -1 ? given : int(rows.integer(key));
    };
    AggiornaElementi(shown(clip, m_database.playlist, "codice"), m_playlists->current(),
                     onAirStageName(), shown(action, m_database.dbAzioni, "id"),
                     shown(connection, m_database.dbConn, "id"));
}

MainWindow::~MainWindow()
{
    FormDestroy();
}

void MainWindow::buildConsole()
{
    m_menu = new MainMenu(menuBar());
    m_playlists = new Playlists(m_database, m_write, *this, this);
    m_clipCommands = new ClipCommands(m_database, m_write, *this, *m_playlists, this);

    auto* central = new QWidget(this);
    setCentralWidget(central);

    m_panels[0] = new ChannelPanel(1, central);
    m_panels[1] = new ChannelPanel(2, central);
    auto* layers = new QButtonGroup(this);
    for (ChannelPanel* panel : m_panels)
        layers->addButton(panel->layerButton(), panel->channel());
    panel(2)->layerButton()->setChecked(true); // layer B is selected in a fresh console
    connect(layers, &QButtonGroup::idClicked, this, &MainWindow::selectLayer);
    for (ChannelPanel* panel : m_panels)
        connect(panel, &ChannelPanel::previewClicked, this, [this](int channel) {
            if (channel != state().selectedChannel)
                selectLayer(channel);
        });
    m_mixer = new MixerPanel(central);

    m_transport = new TransportBar(m_settings, m_menu->repeatPlaylist(), central);
    connect(m_transport, &TransportBar::settingsWriteFailed, this,
            [this](const QString& message) { showError(message); });
    m_playlistButtons = new PlaylistButtons(m_database, *m_playlists, central);
    m_library = new LibraryPages(m_database, central);

    m_pagina = new QTabWidget(central);
    m_pagina->setObjectName("Pagina");
    m_stagePage = new StagePage(m_database, m_pagina);
    m_liveVideo = new LiveVideoPage(m_settings, m_pagina);
    m_preferences = new PreferencesPage(m_pagina);
    m_clipInformation = new ClipInformationPage(m_pagina);
    // Pages scroll rather than make the console taller than the screen.
    const auto scrolling = [this](QWidget* page) {
        auto* area = new QScrollArea(m_pagina);
        area->setWidget(page);
        area->setWidgetResizable(true);
        area->setFrameShape(QFrame::NoFrame);
        return area;
    };
    m_pagina->addTab(m_stagePage, "Stage");
    m_pagina->addTab(scrolling(m_liveVideo), "Live Video");
    m_testPatterns = new TestPatternPage(m_pagina);
    TestPatternPage* testPatterns = m_testPatterns;
    m_pagina->addTab(scrolling(testPatterns), "Test Pattern");
    m_pagina->addTab(scrolling(m_preferences), "Preferences");
    m_pagina->addTab(scrolling(m_clipInformation), "Clip information");

    const StagePage::Controls& stage = m_stagePage->controls();
    m_stageController =
        new StageController(currentStage, m_database.layoutdb1,
                            {stage.changeBackground, stage.changeLayerA, stage.changeLayerB,
                             stage.stageActive, testPatterns->patternButtons()},
                            this);
    connect(stage.take, &QAbstractButton::clicked, m_stageController, &StageController::take);
    connect(m_stageController, &StageController::stageOnAir, m_mixer, &MixerPanel::showStageOnAir);
    m_stageCommands =
        new StageCommands(m_database, m_write, *this, *m_playlists, currentStage,
                          {stage.changeBackground, stage.changeLayerA, stage.changeLayerB}, this);
    connect(stage.moveUp, &QAbstractButton::clicked, m_stageCommands, &StageCommands::moveUp);
    connect(stage.moveDown, &QAbstractButton::clicked, m_stageCommands, &StageCommands::moveDown);
    nascondi = new QTimer(this);
    nascondi->setSingleShot(true);
    nascondi->setInterval(2000);
    connect(nascondi, &QTimer::timeout, this, [this] {
        for (ChannelPanel* panel : m_panels)
            panel->showSaved(false);
    });
    connect(stage.saveToClip, &QAbstractButton::clicked, this, [this] {
        if (m_stageCommands->saveToClip(state().codice(state().selectedChannel)))
            showSaved(state().selectedChannel);
    });

    m_clipAdding = new ClipAdding(m_database, m_write, central);

    DatasetGrid* clips = m_library->clipGrid();
    connect(clips, &DatasetGrid::cursorMoved, this,
            [this] { m_clipInformation->showClip(m_database.playlist); });
    connect(clips, &DatasetGrid::rowActivated, m_transport->load(), &QPushButton::click);
    connect(m_preferences, &PreferencesPage::handBackFocus, clips, [clips] { clips->setFocus(); });
    connect(m_mixer, &MixerPanel::handBackFocus, clips, [clips] { clips->setFocus(); });
    connect(m_playlists, &Playlists::currentChanged, this, &MainWindow::showClips);
    connect(m_playlists, &Playlists::destinationChanged, m_transport,
            &TransportBar::showDestination);
    connect(m_transport, &TransportBar::destinationCleared, m_playlists,
            &Playlists::clearDestination);

    const PreferencesPage::Checks& loads = m_preferences->checks();
    PlaybackChannels::Controls controls{
        m_library->clipGrid(),
        m_transport->load(),
        m_transport->play(),
        m_transport->stop(),
        m_transport->pause(),
        m_transport->playAfterLoad(),
        m_transport->repeatPlaylist(),
        m_transport->automaticPlay(),
        stage.stageActive,
        testPatterns->patternButtons().first(),
        m_mixer->setStartPoint(),
        m_mixer->resetStartPoint(),
        m_mixer->restart(),
        m_mixer->snapshot(),
        m_mixer->invert(),
        {{nullptr, nullptr, m_mixer->channel(1)}, {nullptr, nullptr, m_mixer->channel(2)}},
        loads.loadAspectRatio,
        loads.loadSpeedValue,
        loads.loadFilters,
        loads.loadVolumeValue};
    m_channels =
        new PlaybackChannels(m_database, m_write, *this, m_panels[0], m_panels[1], controls,
                             {{m_menu->action("Options/Render video/Default"),
                               m_menu->action("Options/Render video/Direct Draw"),
                               m_menu->action("Options/Render video/GDI")},
                              {m_menu->action("Options/Render audio/Default"),
                               m_menu->action("Options/Render audio/Direct SOUND"),
                               m_menu->action("Options/Render audio/wave Out")},
                              m_menu->action("Options/Support Audio 5.1")},
                             this);
    connect(m_clipCommands, &ClipCommands::clipRenamed, this,
            [this](int clip, const QString& title) {
                for (ChannelPanel* panel : m_panels)
                    if (state().codice(panel->channel()) == clip)
                        panel->showTitle(title);
            });
    connect(m_stageController, &StageController::layerMoved, this,
            [this](int channel) { m_channels->ThePlayer(channel)->UpdateScreenPosition(); });
    connect(m_stageController, &StageController::layersApplied, &m_channels->mixer(),
            &ChannelMixer::stageApplied);
    buildAutomation();

    auto* left = new QVBoxLayout;
    auto* transportRow = new QHBoxLayout;
    transportRow->addWidget(m_transport, 1);
    transportRow->addWidget(m_playlistButtons);
    left->addLayout(transportRow);
    left->addWidget(m_library, 1);

    auto* layout = new QGridLayout(central);
    layout->addWidget(m_panels[0], 0, 0);
    layout->addWidget(m_mixer, 0, 1, 2, 1);
    layout->addWidget(m_panels[1], 0, 2);
    layout->addLayout(left, 1, 0);
    layout->addWidget(m_pagina, 1, 2);
    layout->addWidget(m_clipAdding, 2, 0, 1, 3);
    layout->setRowStretch(1, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);
}

void MainWindow::buildAutomation()
{
    // What commands press and move, handed over by the regions that own it.
    ConsoleControls::Controls controls;
    for (const int c : {1, 2}) {
        ChannelPanel* p = panel(c);
        const MixerPanel::ChannelMix& mix = m_mixer->channel(c);
        const QList<QSlider*> bars = {p->alphaSlider(), p->brightnessBar(), p->saturationBar(),
                                      p->hueBar(),      p->volumeSlider(),  p->positionBar()};
        const QList<QAbstractButton*> buttons = {mix.dissolve, mix.cut, p->resetAllButton(),
                                                 p->speedReset(), p->muteButton()};
        std::copy(bars.begin(), bars.end(), controls.bars[c - 1]);
        std::copy(buttons.begin(), buttons.end(), controls.channelButtons[c - 1]);
    }
    // "OFF", the bars, the grey scales, "GRID", "CIRCLE": as the pattern page lists them.
    const QList<QAbstractButton*>& patterns = m_testPatterns->patternButtons();
    const QList<QAbstractButton*> buttons = {m_transport->load(), patterns.at(0), patterns.at(1),
                                             patterns.at(2),      patterns.at(3), patterns.at(4),
                                             patterns.at(6),      patterns.at(5)};
    std::copy(buttons.begin(), buttons.end(), controls.buttons);
    controls.switches[0] = m_transport->playAfterLoad();
    controls.switches[1] = m_stagePage->controls().stageActive;
    controls.gridCounts[0] = m_testPatterns->gridColumns();
    controls.gridCounts[1] = m_testPatterns->gridRows();
    controls.actionsActivated = m_preferences->checks().actionActivated;
    m_controls = std::make_unique<ConsoleControls>(
        controls, state(), *m_channels, m_database,
        ConsoleControls::Hooks{[this](int channel) { ApplyClipStage(channel); },
                               [this](bool on) { setLevelMeters(on); }});
    m_senders = new ConnectionSenders(this);
    m_interpreter = std::make_unique<ScriptInterpreter>(
        *m_controls, [this](const ConsoleControl::Connection& connection, const QString& data) {
            m_senders->send(connection, data);
        });
    m_runner = new ActionRunner(*m_controls, *m_interpreter, this);
    connect(m_runner, &ActionRunner::failed, this, &MainWindow::showRunError);
    m_server = new RemoteCommandServer(
        [this](const QStringList& commands, const QString& peer) {
            m_runner->runLines(commands, ActionRunner::Source::Remote, "message from " + peer);
        },
        this);
    connect(m_preferences->serverActive(), &QCheckBox::clicked, this,
            &MainWindow::chkServerActiveClick);
    m_actionStore = std::make_unique<ActionStore>(
        m_database, m_write, [this](int clip, int action) { refreshLists(clip, action); });
    m_actionCommands = std::make_unique<ActionCommands>(m_database, *m_actionStore, state(), *this);
    wireActions();
    m_connectionStore = std::make_unique<ConnectionStore>(
        m_database, m_write, [this](int connection) { refreshLists(-1, -1, connection); });
    m_connectionCommands =
        new ConnectionCommands(m_database, *m_connectionStore, *m_senders, m_settings, *this, this);
    wireConnections();
    const auto refreshKeepingSelections = [this] { refreshLists(); };
    m_midiMap = std::make_unique<ControlMapStore>(ControlMapKind::Midi, m_database.sMIDI, m_write,
                                                  refreshKeepingSelections);
    m_dmxMap = std::make_unique<ControlMapStore>(ControlMapKind::Dmx, m_database.sDMX, m_write,
                                                 refreshKeepingSelections);
    const auto showErrorHook = [this](const QString& text) { showError(text); };
    const auto selectActionHook = [this](int id) { selectAction(id); };
    m_midi = new MidiControl(m_services.midi.get(), *m_menu, m_database.rMIDI, *m_runner,
                             *m_controls, {showErrorHook, selectActionHook}, this);
    m_dmx = new DmxControl(*m_menu, m_database.rDMX, *m_runner, *m_controls,
                           {showErrorHook, selectActionHook}, this);
}

void MainWindow::wireActions()
{
    const auto makeAction = [this] {
        if (!m_database.dbAzioni.isEmpty())
            m_runner->runAction(int(m_database.dbAzioni.integer("id")), ActionRunner::Source::Pad);
    };
    const auto onClick = [this](const char* button, auto handler) {
        connect(m_library->actionButton(QString::fromLatin1(button)), &QPushButton::clicked, this,
                handler);
    };
    const auto onEntry = [this](const char* entry, auto handler) {
        connect(m_library->actionMenu()->action(QString::fromLatin1(entry)), &QAction::triggered,
                this, handler);
    };
    ActionCommands* actions = m_actionCommands.get();
    onClick("btnAddAction", [actions] { actions->add(); });
    onClick("btnEditAction", [actions] { actions->edit(); });
    onClick("btnDeleteAction", [actions] { actions->remove(); });
    onClick("btnMakeAction", makeAction);
    onEntry("Add action", [actions] { actions->add(); });
    onEntry("Edit action", [actions] { actions->edit(); });
    onEntry("Delete action", [actions] { actions->remove(); });
    const char* clipActions[4][2] = {{"btnSetStartAction", "Set as start action"},
                                     {"btnSetEndAction", "Set as end action"},
                                     {"btnClearStartAction", "Clear start action"},
                                     {"btnClearEndAction", "Clear end action"}};
    for (int tag = 1; tag <= 4; ++tag) {
        const auto set = [actions, tag] { actions->setClipAction(tag); };
        onClick(clipActions[tag - 1][0], set);
        onEntry(clipActions[tag - 1][1], set);
    }
    connect(m_library->actionGrid(), &DatasetGrid::rowActivated, this, makeAction);
}

void MainWindow::wireConnections()
{
    ConnectionCommands* connections = m_connectionCommands;
    MenuTree* menu = m_library->connectionMenu();
    const QList<std::pair<QAction*, void (ConnectionCommands::*)()>> entries = {
        {menu->action("Create a connection"), &ConnectionCommands::create},
        {m_menu->action("Communications/Create a connection"), &ConnectionCommands::create},
        {menu->action("Edit connection"), &ConnectionCommands::edit},
        {menu->action("Delete connection"), &ConnectionCommands::remove},
        {menu->action("Test connection"), &ConnectionCommands::test},
        {menu->action("Vnc connect"), &ConnectionCommands::vncConnect},
        {m_menu->action("File/Set vnc viewer"), &ConnectionCommands::setViewer}};
    for (const auto& [entry, command] : entries)
        connect(entry, &QAction::triggered, connections, command);
}

std::optional<std::pair<ConsoleControl::Connection, QString>>
MainWindow::askConnection(const ConsoleControl::Connection& row, const QString& name)
{
    return m_dialogs->askConnection(row, name);
}

void MainWindow::inform(const QString& text)
{
    m_dialogs->inform(text);
}

std::optional<QString> MainWindow::chooseProgram()
{
    return m_dialogs->chooseProgram();
}

void MainWindow::eseguiScript(const QString& testo)
{
    m_interpreter->eseguiScript(testo);
}

void MainWindow::showRunError(const QString& message, ActionRunner::Source source,
                              const QString& what)
{
    switch (source) {
    case ActionRunner::Source::Midi: // a key pressed in the wrong moment is not worth a box
        return;
    case ActionRunner::Source::Remote: // the network never stacks boxes on the console
        statusBar()->showMessage(QStringLiteral("%1: %2").arg(what, message), 15000);
        return;
    default:
        m_dialogs->errorWithoutWaiting(message);
    }
}

void MainWindow::chkServerActiveClick()
{
    QCheckBox* active = m_preferences->serverActive();
    const auto backToTheClips = qScopeGuard([this] { m_library->clipGrid()->setFocus(); });
    if (!active->isChecked()) {
        m_server->stop();
        return;
    }
    const QString text = m_preferences->serverPort()->text();
    bool isNumber = false;
    const int port = text.toInt(&isNumber);
    if (!isNumber || port < 1 || port > 65535) {
        active->setChecked(false);
        showError(QStringLiteral("'%1' is not a valid integer value").arg(text));
        return;
    }
    if (const auto error = m_server->start(quint16(port))) {
        active->setChecked(false); // shown as it is: not listening
        showError(*error);
    }
}

std::optional<std::pair<QString, QString>> MainWindow::askAction(const QString& name,
                                                                 const QString& script)
{
    return m_dialogs->askAction(name, script);
}

void MainWindow::wireMenus()
{
    connect(m_menu->closeQuillon(), &QAction::triggered, this, &QWidget::close);
    // Console modes: each ignores a click on the mode already chosen.
    // Full screen, the playlist buttons fill the height of the lower-right pages.
    connect(m_menu->action("Options/Interface/Fullscreen mode"), &QAction::triggered, this, [this] {
        if (!isFullScreen()) {
            showFullScreen();
            m_playlistButtons->setVisibleRows(m_pagina->height() / PlaylistButtons::RowHeight);
        }
        m_library->clipGrid()->setFocus();
    });
    connect(m_menu->action("Options/Interface/Windowed mode"), &QAction::triggered, this, [this] {
        if (isFullScreen()) {
            showNormal();
            m_playlistButtons->setVisibleRows(PlaylistButtons::VisibleRows);
        }
        m_library->clipGrid()->setFocus();
    });
    connect(m_menu->action("Stage/Add a Stage"), &QAction::triggered, m_stageCommands,
            &StageCommands::addStage);
    connect(m_menu->action("Stage/Delete Stage"), &QAction::triggered, m_stageCommands,
            &StageCommands::deleteStage);
    const QList<std::pair<const char*, void (Playlists::*)()>> playlistEntries = {
        {"Library/Playlists/Create new", &Playlists::create},
        {"Library/Playlists/Rename", &Playlists::rename},
        {"Library/Playlists/Delete", &Playlists::remove},
        {"Library/Change Playlist", &Playlists::moveClipToDestination}};
    for (const auto& [path, operation] : playlistEntries)
        connect(m_menu->action(path), &QAction::triggered, m_playlists, operation);
    connect(m_library->clipMenu()->action("Change playlist"), &QAction::triggered, m_playlists,
            &Playlists::moveClipToDestination);
    for (QAction* add :
         {m_menu->action("Library/Add clip"), m_library->clipMenu()->action("Add clips")})
        connect(add, &QAction::triggered, this, &MainWindow::addClipsFromDialog);
    connect(m_menu->action("Library/Explorer cache video"), &QAction::triggered, this,
            &MainWindow::openCacheVideoFolder);
    connect(m_menu->action("Library/Set Cache Video Directory"), &QAction::triggered, this, [this] {
        // The folder of the file the operator picks, with its trailing separator.
        const auto file = chooseMediaFile();
        if (file &&
            !m_settings.write(SettingsFile::CacheVideo, QFileInfo(*file).absolutePath() + '/'))
            showError(
                QStringLiteral("Cannot write %1").arg(m_settings.path(SettingsFile::CacheVideo)));
    });

    ClipCommands* clips = m_clipCommands;
    MenuTree* clipMenu = m_library->clipMenu();
    m_loopRender = new VideoLoopRender(
        m_clipAdding->progressBar(), [this](const QString& text) { showError(text); }, this);
    for (const auto& [entry, frames] :
         {std::pair{"Convert/3s video loop", 90}, std::pair{"Convert/5s video loop", 150},
          std::pair{"Convert/10s video loop", 300}}) {
        connect(clipMenu->action(entry), &QAction::triggered, this, [this, frames = frames] {
            const ReadDataset& clip = m_database.playlist;
            m_loopRender->start({clip.text("file"), clip.text("titolo"), int(clip.integer("w")),
                                 int(clip.integer("h"))},
                                frames,
                                m_settings.readFirstLine(SettingsFile::CacheVideo).value_or(""),
                                m_preferences->convertResolution());
        });
    }
    const auto wire = [](QAction* entry, ClipCommands* receiver, auto operation) {
        connect(entry, &QAction::triggered, receiver, operation);
    };
    wire(m_menu->action("Library/Rename clip"), clips, &ClipCommands::rename);
    wire(m_menu->action("Library/Delete clip"), clips, &ClipCommands::deleteClip);
    wire(clipMenu->action("Rename"), clips, &ClipCommands::rename);
    wire(clipMenu->action("Delete clip"), clips, &ClipCommands::deleteClip);
    wire(clipMenu->action("Move up"), clips, &ClipCommands::moveUp);
    wire(clipMenu->action("Move down"), clips, &ClipCommands::moveDown);
    wire(clipMenu->action("Make duplicated"), clips, [clips] { clips->duplicate(true); });
    wire(clipMenu->action("Make duplicated without filters"), clips,
         [clips] { clips->duplicate(false); });
    wire(clipMenu->action("Relink clip file"), clips, &ClipCommands::relink);
    wire(clipMenu->action("Reset all filters"), clips, &ClipCommands::resetFilters);
    wire(clipMenu->action("Autoload stage/Active"), clips,
         [clips] { clips->setAutoloadStage(true); });
    wire(clipMenu->action("Autoload stage/Remove"), clips,
         [clips] { clips->setAutoloadStage(false); });
    for (const QString& aspect : QStringList{"Original", "Fit", "4:3", "16:9", "1.85:1", "2.35:1"})
        wire(clipMenu->action("Set aspect ratio/" + aspect), clips,
             [clips, aspect] { clips->setAspect(aspect); });
    const QStringList clipEnds = {"Last frame", "Loop", "Black", "Next clip"};
    const QStringList playlistEnds = {"Last frame ", "Loop", "Black", "Next Clip"};
    const QStringList buttonEnds = {"Last Frame", "Loop", "Black", "Next clip"};
    for (int tag = 1; tag <= 4; ++tag) {
        wire(clipMenu->action("End action/" + clipEnds.at(tag - 1)), clips,
             [clips, tag] { clips->setEndStatus(tag); });
        wire(m_menu->action("Library/Playlist end action /" + playlistEnds.at(tag - 1)), clips,
             [clips, tag] { clips->setPlaylistEndStatus(tag); });
        wire(m_playlistButtons->menu()->action(buttonEnds.at(tag - 1)), clips,
             [clips, tag] { clips->setPlaylistEndStatus(tag); });
    }

    const QList<std::pair<const char*, DesktopSettings::Kind>> settingsEntries = {
        {"Stage/Screen preferences", DesktopSettings::Kind::Display},
        {"Communications/Network preferences", DesktopSettings::Kind::Network},
        {"Options/Audio Preferences", DesktopSettings::Kind::Sound}};
    for (const auto& [path, kind] : settingsEntries) {
        QAction* entry = m_menu->action(path);
        entry->setEnabled(DesktopSettings::command(kind).has_value());
        connect(entry, &QAction::triggered, this, [kind] { DesktopSettings::open(kind); });
    }
}

void MainWindow::ApplyClipStage(int channel)
{
    const ClipSettings& clip = state().clipSettings[channel];
    const bool loadStage = m_preferences->checks().loadStage->isChecked();
    m_stageController->ApplyClipStage(clip.FMonitor, clip.FNomeLayout, clip.FChangeA, clip.FChangeB,
                                      clip.FChangeBG, loadStage);
    m_library->clipGrid()->viewport()->update();
    m_library->connectionGrid()->viewport()->update();
}

void MainWindow::addClipsFromDialog()
{
    addClips(m_dialogs->chooseMediaFiles(
        m_settings.readFirstLine(SettingsFile::CacheVideo).value_or(QString())));
}

void MainWindow::addClips(const QStringList& files)
{
    const QString playlist = m_playlists->current();
    m_clipAdding->add(files, playlist,
                      {m_preferences->defaultAspect(), m_preferences->defaultStatus()},
                      [this, playlist] { AggiornaElementi(1, playlist, onAirStageName(), 0, 1); });
}

bool MainWindow::addingClips() const
{
    return m_clipAdding->busy();
}

void MainWindow::openCacheVideoFolder()
{
    const QString folder = m_settings.readFirstLine(SettingsFile::CacheVideo).value_or(QString());
    if (!folder.isEmpty())
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    QStringList files;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            files.append(url.toLocalFile());
    event->acceptProposedAction();
    addClips(files);
}

void MainWindow::selectLayer(int channel)
{
    state().selectedChannel = channel;
    m_channels->ImpostaFiltri(channel);
    panel(channel)->layerButton()->setChecked(true);
    for (ChannelPanel* panel : m_panels)
        panel->setSelected(panel->channel() == channel);
}

void MainWindow::showClips()
{
    m_transport->showPlaylist(m_playlists->current(), m_database.playlist.count());
    // The buttons keep their rows, so a double click on one still reaches it.
    m_playlistButtons->grid()->showCursor();
    m_library->clipGrid()->reload();
    m_clipInformation->showClip(m_database.playlist);
}

bool MainWindow::askYesNo(const QString& question)
{
    return m_dialogs->askYesNo(question);
}

std::optional<QString> MainWindow::askText(const QString& caption, const QString& text,
                                           int maxLength)
{
    return m_dialogs->askText(caption, text, maxLength);
}

QString MainWindow::onAirStageName() const
{
    return currentStage.nome;
}

void MainWindow::showWarning(const QString& text)
{
    m_dialogs->warning(text);
}

void MainWindow::showFault(const QString& text)
{
    qWarning().noquote() << text;
    m_dialogs->warningWithoutWaiting(text);
}

std::optional<QString> MainWindow::chooseMediaFile()
{
    return m_dialogs->chooseMediaFile();
}

void MainWindow::setLevelMeters(bool on)
{
    m_levelMeters = on;
    m_channels->livello(on);
}

void MainWindow::runClipAction(int id, bool atStart)
{
    m_runner->runAction(id,
                        atStart ? ActionRunner::Source::ClipStart : ActionRunner::Source::ClipEnd);
}

void MainWindow::refreshAfterWrite(int clip)
{
    AggiornaElementi(clip, m_playlists->current(), onAirStageName(), 1, 1);
    m_library->clipGrid()->setRowHeight(30);
    m_library->connectionGrid()->setRowHeight(30);
}

void MainWindow::selectAction(int id)
{
    if (m_database.dbAzioni.locate("id", id))
        m_library->actionGrid()->showCursor();
}

bool MainWindow::selectStage(const QString& name)
{
    if (!m_database.layoutdb1.locate("nome", name))
        return false;
    m_stagePage->grid()->showCursor(); // "TAKE" takes what is shown
    return true;
}

void MainWindow::showSaved(int channel)
{
    panel(channel)->showSaved(true);
    nascondi->start();
}

void MainWindow::showError(const QString& text)
{
    m_dialogs->error(text);
}

void MainWindow::reloadLists()
{
    // The playlist buttons are rebuilt only when the playlists changed: a rebuild between the
    // two clicks of a double click would swallow the second.
    QStringList playlists;
    for (int row = 0; row < m_database.lista.count(); ++row)
        playlists.append(m_database.lista.textAt(row, "lista"));
    if (playlists != m_playlistsShown) {
        m_playlistsShown = playlists;
        m_playlistButtons->grid()->reload();
    } else {
        m_playlistButtons->grid()->showCursor();
    }
    for (DatasetGrid* grid :
         {m_stagePage->grid(), m_library->connectionGrid(), m_library->actionGrid()})
        grid->reload();
    if (m_pad)
        m_pad->reload();
    for (ControlMapper* mapper : {m_midiMapper, m_dmxMapper})
        if (mapper)
            mapper->reload();
    if (m_midi)
        m_midi->reloadMap();
    if (m_dmx)
        m_dmx->reloadMap();
}

bool MainWindow::AggiornaElementi(int xPlaylist, const QString& xLista, const QString& xLayout,
                                  int xPreset, int Xconn)
{
    bool read = true;
    try {
        m_database.refresh(xPlaylist, xLista, xLayout, xPreset, Xconn);
    } catch (const DatabaseError& error) {
        // What is on air plays on: the players need no database. The next operation
        // connects again.
        read = false;
        showError("The show database cannot be read:\n" + error.message());
    }
    reloadLists();
    showClips();
    return read;
}

std::optional<QString> MainWindow::readSetting(const QString& name, const QString& fallback)
{
    const auto value = m_settings.readFirstLine(name);
    if (!value)
        qWarning().noquote() << "Settings file" << m_settings.path(name)
                             << "is missing or unreadable; using"
                             << (fallback.isEmpty() ? "\"\"" : fallback);
    return value;
}

bool MainWindow::FormCreate()
{
    const QString product = QStringLiteral("Quillon %1").arg(Version);
    QCoreApplication::setApplicationName(product);
    setWindowTitle("  " + product);

    bool dpiOk = false;
    const int dpi =
        readSetting(SettingsFile::ScreenDpi, "96").value_or("96").trimmed().toInt(&dpiOk);
    if (dpiOk && dpi > 0)
        screenDpi = dpi;
    else
        qWarning().noquote() << "screenDPI is not a whole number; using 96";

    setAcceptDrops(true);

    // The database name is the line followed directly by the file name: no separator is
    // added, so a line without its trailing separator names another file.
    const QString directory =
        readSetting(SettingsFile::Setting, m_settings.cacheDir()).value_or(m_settings.cacheDir());
    m_database.setDatabaseName(directory + ShowDatabase::FileName);
    try {
        m_database.openRead();
    } catch (const DatabaseError& error) {
        // An embedded engine keeps the file to its own process.
        const QString reason =
            error.message().contains("Database already opened with engine instance")
                ? QStringLiteral("The show database is in use by another copy of the program.")
                : error.message();
        qWarning().noquote() << "Cannot open" << m_database.databaseName() << ":" << reason;
        showError("Database Error\n\n" + reason);
        return false;
    }

    m_database.layoutdb1.first();
    if (!m_database.layoutdb1.isEmpty())
        currentStage.copiaLayout(m_database.layoutdb1);
    reloadLists();
    m_playlists->showFirst();

    const bool repeat = SettingsFiles::onUnlessZero(readSetting(SettingsFile::RepeatPlaylist, "0"));

    DLL = m_services.loadArtNet ? m_services.loadArtNet() : nullptr;
    m_dmx->setLibrary(DLL.get()); // without it there is nothing to activate

    m_transport->restoreSwitches(
        repeat, SettingsFiles::onUnlessZero(readSetting(SettingsFile::Autostart, "0")),
        SettingsFiles::onOnlyIfOne(readSetting(SettingsFile::PlayAfterLoad, "0")),
        SettingsFiles::onOnlyIfOne(readSetting(SettingsFile::AutomaticPlay, "0")));

    const QString address = localIPv4Address();
    if (!address.isEmpty())
        m_preferences->showLocalAddress(address);

    reset_info(1);
    reset_info(2);
    panel(1)->originalAspectButton()->setChecked(true);

    m_tempDirectory = QDir::tempPath() + '/';

    m_midi->fillDevices();

    for (ChannelPanel* panel : m_panels) {
        panel->volumeSlider()->setRange(0, 100);
        panel->volumeSlider()->setValue(0);
        m_channels->mixer().volumeSliderChanged(panel->channel());
        panel->transitionTime()->setValue(2);
    }
    state().selectedChannel = 2;
    m_mixer->showStageOnAir("NO ACTIVE");
    state().codiceA = state().codiceB = -1;
    state().handlersArmed = true;
    for (const char* menu : {"Options/Render video/Default", "Options/Render audio/Default"})
        m_menu->action(menu)->setChecked(true);

    m_liveVideo->setCaptureDevices(m_services.capture ? m_services.capture->videoDevices()
                                                      : QStringList());
    m_pagina->setCurrentIndex(0);
    m_library->setCurrentIndex(0);
    return true;
}

void MainWindow::openStageEditor()
{
    if (!m_stageEditor)
        return;
    currentStage.copiaLayout(m_database.layoutdb1);
    m_stageEditor->edit(m_database.layoutdb1.text("nome"), screenDpi);
    m_stageEditor->move(geometry().center() - m_stageEditor->rect().center());
}

StageEditor::Host MainWindow::stageEditorHost()
{
    StageEditor::Host host;
    host.apply = [this] {
        m_stageController->CreaLayout(m_stagePage->controls().stageActive->isChecked());
    };
    host.stageActive = [this] { return m_stagePage->controls().stageActive->isChecked(); };
    host.stageOnAir = [this] { return onAirStageName(); };
    host.save = [this](const QString& name) { return saveStage(name); };
    host.showError = [this](const QString& text) { showError(text); };
    host.showInformation = [this](const QString& text) { m_dialogs->inform(text); };
    host.askYesNo = [this](const QString& question) { return askYesNo(question); };
    host.levelMeters = [this](bool on) { setLevelMeters(on); };
    return host;
}

bool MainWindow::saveStage(const QString& name)
{
    WriteDataset& stages = m_database.layoutdb;
    stages.setFilter(R"("nome" = ?)", {name});
    bool found = false;
    const StageRecord& s = currentStage.schermi;
    const bool written = m_write.run(
        {&stages},
        [&] {
            // The stage may have gone from another workstation meanwhile.
            found = stages.locate("nome", name);
            if (!found)
                return;
            const QList<std::pair<const char*, QVariant>> values = {
                {"sfondo", s.sfondo},
                {"colore", qint64(s.colore)},
                {"picture", int(s.picture)},
                {"fullscreen", int(s.fullscreen)},
                {"atop", s.atop},
                {"aleft", s.aleft},
                {"awidth", s.awidth},
                {"aheigth", s.aheigth},
                {"acolor", qint64(s.acolor)},
                {"btop", s.btop},
                {"bleft", s.bleft},
                {"bwidth", s.bwidth},
                {"bheigth", s.bheigth},
                {"battivo", int(s.battivo)},
                {"bcolor", qint64(s.bcolor)},
                {"ashape", s.ashape},
                {"bshape", s.bshape},
                {"alati", s.alati},
                {"blati", s.blati},
                {"schermo", s.schermo},
                {"restart", s.restart},
                {"sx", currentStage.sx},
                {"sy", currentStage.sy},
                {"offsetx", currentStage.offsetx},
                {"offsety", currentStage.offsety}};
            for (const auto& [column, value] : values)
                stages.setValue(column, value);
        },
        [&] {
            AggiornaElementi(int(m_database.playlist.integer("codice")), m_playlists->current(),
                             name, 1, 1);
        });
    if (written && !found)
        showError(QStringLiteral("The stage \"%1\" is no longer in the stage list: nothing "
                                 "was saved.")
                      .arg(name));
    return written && found;
}

void MainWindow::FormShow(const ConsoleWindows& windows)
{
    m_shown = true;
    m_dialogs->attach(windows.nuovoTesto, windows.addAction, windows.addConnection);
    m_pad = windows.fAzioni;
    if (m_pad) {
        m_pad->reload();
        connect(m_pad, &ActionPad::tileClicked, this, [this](int id) {
            selectAction(id); // the tile's action becomes the current one, then runs
            m_runner->runAction(id, ActionRunner::Source::Pad);
        });
    }
    attachMappers(windows.elencoMIDI, windows.elencoDMX);
    m_stageController->attachWindows(windows.playout0, windows.playout, windows.playoutB);
    if (windows.playout && windows.playoutB)
        m_channels->attachOutputs(windows.playout, windows.playoutB);
    m_stageEditor = windows.layersetup;
    connect(m_stagePage->controls().setup, &QAbstractButton::clicked, this,
            &MainWindow::openStageEditor);
    connect(m_menu->action("Stage/Stage Setup"), &QAction::triggered, this,
            &MainWindow::openStageEditor);
    m_liveVideo->attach(
        {[windows](int channel) { return channel == 2 ? windows.playoutB : windows.playout; },
         nullptr,
         [this](const QString& caption, const QString& text) {
             return m_dialogs->askText(caption, text, 0);
         },
         [this](const QString& text) { m_dialogs->error(text); },
         [this](const QString& text) { m_dialogs->warningWithoutWaiting(text); }},
        m_services.capture.get());
    m_testPatterns->attach(
        {[this] { return state().selectedChannel; },
         [windows](int channel) { return channel == 2 ? windows.playoutB : windows.playout; },
         [this] {
             for (const int channel : {1, 2}) {
                 const TPlayState played = m_channels->ThePlayer(channel)->PlayState();
                 if (played == psPlay || played == psPause || played == psResume)
                     return true;
             }
             return false;
         },
         m_stagePage->controls().stageActive, [this](bool on) { setLevelMeters(on); }});
    m_library->clipGrid()->setRowHeight(30);
    m_library->connectionGrid()->setRowHeight(30);
    m_channels->attachFilterPanel(windows.filtri);
    for (QWidget* window :
         {static_cast<QWidget*>(windows.filtri), static_cast<QWidget*>(windows.fAzioni)}) {
        if (!window)
            continue;
        m_pagina->addTab(window, window->windowTitle().trimmed());
        window->show();
    }
    // Centred on the primary screen, as large as a console wants to be.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1800, screen.width()), std::min(1000, screen.height()));
    move(screen.center() - rect().center());
    show();
    lower();
}

void MainWindow::attachMappers(ControlMapper* midi, ControlMapper* dmx)
{
    m_midiMapper = midi;
    m_dmxMapper = dmx;
    m_midi->setMapper(midi);
    m_dmx->setMapper(dmx);
    const QList<std::tuple<ControlMapper*, const char*, const char*, const char*>> mappers = {
        {midi, "Communications/Midi Mapper", "Set MIDI control", "btnGetMidiAction"},
        {dmx, "Communications/DMX Mapper", "Set DMX control", "btnGetDmxAction"}};
    for (const auto& [mapper, opening, entry, button] : mappers) {
        if (!mapper)
            continue;
        connect(m_menu->action(QString::fromLatin1(opening)), &QAction::triggered, mapper,
                &ControlMapper::open);
        // The current action, mapped while the mapper shows.
        const auto mapAction = [this, mapper] {
            const ReadDataset& actions = m_database.dbAzioni;
            if (!actions.isEmpty())
                mapper->mapAction(int(actions.integer("id")), actions.text("nome"));
        };
        connect(m_library->actionMenu()->action(QString::fromLatin1(entry)), &QAction::triggered,
                this, mapAction);
        connect(m_library->actionButton(QString::fromLatin1(button)), &QPushButton::clicked, this,
                mapAction);
    }
}

void MainWindow::reset_info(int channel)
{
    m_channels->reset_info(channel);
}

void MainWindow::closeWithoutAsking()
{
    m_askBeforeClosing = false;
    close();
}

bool MainWindow::clipsOnAir() const
{
    for (const int channel : {1, 2}) {
        // Playing, paused, or holding the last picture of its end.
        if (state().codice(channel) != -1 && m_channels->ThePlayer(channel)->PlayState() != psStop)
            return true;
    }
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // Ctrl+X is everyone's "cut": closing by accident must not end the show on air.
    if (!m_closed && m_askBeforeClosing && clipsOnAir() &&
        !askYesNo("Clips are on air. Close Quillon?")) {
        event->ignore();
        return;
    }
    m_clipAdding->abandon();
    if (!m_closed) {
        FormCloseQuery();
        FormClose();
        m_closed = true;
    }
    event->accept();
    // The output windows are top-level windows too: closing the console ends the program.
    QCoreApplication::quit();
}

void MainWindow::FormCloseQuery()
{
    m_keys->stop();
    m_server->stop();
    // The receiver closes its socket and ends its thread before the players and windows go.
    m_dmx->setLibrary(nullptr);
    DLL.reset();
    m_channels->detachPlayers();
}

void MainWindow::FormClose()
{
    m_services.midi.reset();
    m_database.closeRead();
    m_database.closeWrite();
}

void MainWindow::FormDestroy()
{
    setAcceptDrops(false);
}
