#pragma once

#include "channels/clip_settings.h"
#include "core/platform_services.h"
#include "core/settings_files.h"
#include "data/show_database.h"
#include "stage/current_stage.h"

#include <QMainWindow>
#include <functional>
#include <memory>

class ChannelPanel;
class MainMenu;
class PreferencesPage;
class QComboBox;
class QFileDialog;
class QLabel;
class QTabWidget;
class QTableView;
class TransportBar;

// The operator console and the composition root: it owns the show database, the per-channel
// state and the regions of the console, and wires them together.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    static inline const QString Version = QStringLiteral("2.0");
    // The media file filter of the file dialog, in caption|patterns pairs.
    static const QString MediaFilter;

    MainWindow(SettingsFiles settings, PlatformServices services);
    ~MainWindow() override;

    // The start-up sequence. Returns false when the console cannot run (the database did not
    // open); the operator has been told by then.
    bool FormCreate();
    // The first showing: docks the filter panel and the action pad into the lower-right
    // pages, shows the console and sends it behind the output windows.
    void FormShow(QWidget* filtri, QWidget* fAzioni);
    // Empties one channel's panel and stored clip settings (1 = Player A, 2 = Player B).
    void reset_info(int channel);

    int selectedChannel = 2;
    int codiceA = -1;
    int codiceB = -1;
    bool handlersArmed = true;
    int screenDpi = 96;
    ChannelClipSettings clipSettings;
    CurrentStage currentStage;

    ShowDatabase& database() { return m_database; }
    ChannelPanel* panel(int channel) const { return m_panels[channel - 1]; }
    MainMenu* mainMenu() const { return m_menu; }
    QFileDialog* fileDialog() const { return m_apri; }
    const QString& tempDirectory() const { return m_tempDirectory; }

    // Shows an error box with one OK button.
    static void showError(QWidget* parent, const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildConsole();
    QWidget* buildMixingArea();
    QWidget* buildStagePage();
    QWidget* buildLiveVideoPage();
    void selectLayer(int channel);
    std::optional<QString> readSetting(const QString& name, const QString& fallback);
    void openShowDatabase(const QString& directory);
    void fillMidiDevices();
    void FormCloseQuery();
    void FormClose();
    void FormDestroy();

    SettingsFiles m_settings;
    PlatformServices m_services;
    ShowDatabase m_database;
    std::unique_ptr<ArtNetLibrary> DLL;
    QString m_tempDirectory;
    bool m_closed = false;

    MainMenu* m_menu = nullptr;
    ChannelPanel* m_panels[2] = {};
    TransportBar* m_transport = nullptr;
    PreferencesPage* m_preferences = nullptr;
    QTabWidget* m_pagina = nullptr;  // lower right: Stage, Live Video, ...
    QTabWidget* m_pagina2 = nullptr; // lower left: LIBRARY, CONNECTIONS, ACTIONS
    QTableView* m_elencoClip = nullptr;
    QTableView* m_elencoConn = nullptr;
    QLabel* m_stageOnAir = nullptr;
    QComboBox* m_captureA = nullptr;
    QComboBox* m_captureB = nullptr;
    QFileDialog* m_apri = nullptr;
};
