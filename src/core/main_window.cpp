#include "core/main_window.h"

#include "channels/channel_panel.h"
#include "channels/transport_bar.h"
#include "core/main_menu.h"
#include "core/preferences_page.h"
#include "data/database_error.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QNetworkInterface>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

const QString MainWindow::MediaFilter = QStringLiteral(
    "Video/Audio/Picture "
    "Files|*.3GP;*.ASF;*.AVI;*.AVM;*.AVS;*.DAT;*.FLV;*.MKV;*.MOV;*.M2V;*.MP4;*.MPEG;*.MPG;*.NSV;"
    "*.OGM;*.RM;*.RMVB;*.TP;*.TS;*.VOB;*.WMV;*.H264;*.WEBM;*.AAC;*.AC3;*.APE;*.DTS;*.FLAC;*.M4A;"
    "*.MKA;*.MP2;*.MP3;*.MPA;*.MPC;*.OFR;*.OGG;*.RA;*.TTA;*.WAV;*.WMA;*.BMP;*.GIF;*.JPEG;*.JPG;*."
    "PNG;|Video "
    "Files|*.3GP;*.ASF;*.AVI;*.AVM;*.AVS;*.DAT;*.FLV;*.MKV;*.MOV;*.M2V;*.MP4;*.MPEG;*.MPG;*.NSV;"
    "*.OGM;*.RM;*.RMVB;*.TP;*.TS;*.VOB;*.WMV;*.H264;*.WEBM;|Audio "
    "Files|*.AAC;*.AC3;*.APE;*.DTS;*.FLAC;*.M4A;*.MKA;*.MP2;*.MP3;*.MPA;*.MPC;*.OFR;*.OGG;*.RA;*."
    "TTA;*.WAV;*.WMA;|Picture Files|*.BMP;*.GIF;*.JPEG;*.JPG;*.PNG;|All Files|*.*");

namespace {
// "Caption|*.A;*.B|..." pairs as Qt name filters. Patterns are given in both cases, since
// file names on this system are case-sensitive.
QStringList nameFilters(const QString& filter)
{
    const QStringList parts = filter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(';', Qt::SkipEmptyParts)) {
            patterns.append(pattern.toLower());
            if (pattern.toUpper() != pattern.toLower())
                patterns.append(pattern.toUpper());
        }
        filters.append(QStringLiteral("%1 (%2)").arg(parts.at(i), patterns.join(' ')));
    }
    return filters;
}

QString localIPv4Address()
{
    for (const QHostAddress& address : QNetworkInterface::allAddresses())
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    return {};
}

QTableView* grid(const char* name, QWidget* parent)
{
    auto* view = new QTableView(parent);
    view->setObjectName(QString::fromLatin1(name));
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    return view;
}
} // namespace

MainWindow::MainWindow(SettingsFiles settings, PlatformServices services)
    : m_settings(std::move(settings))
    , m_services(std::move(services))
{
    setObjectName("main");
    setWindowTitle("main");
    buildConsole();
}

MainWindow::~MainWindow()
{
    FormDestroy();
}

void MainWindow::buildConsole()
{
    m_menu = new MainMenu(menuBar());
    connect(m_menu->closeQuillon(), &QAction::triggered, this, &QWidget::close);

    auto* central = new QWidget(this);
    setCentralWidget(central);

    m_panels[0] = new ChannelPanel(1, central);
    m_panels[1] = new ChannelPanel(2, central);
    auto* layers = new QButtonGroup(this);
    layers->setExclusive(true);
    for (ChannelPanel* panel : m_panels)
        layers->addButton(panel->layerButton(), panel->channel());
    panel(2)->layerButton()->setChecked(true); // layer B is selected in a fresh console
    connect(layers, &QButtonGroup::idClicked, this, &MainWindow::selectLayer);

    m_transport = new TransportBar(m_settings, m_menu->repeatPlaylist(), central);
    connect(m_transport, &TransportBar::settingsWriteFailed, this,
            [this](const QString& message) { showError(this, message); });

    m_pagina2 = new QTabWidget(central);
    m_pagina2->setObjectName("pagina2");
    m_elencoClip = grid("elencoClip", m_pagina2);
    m_elencoConn = grid("ElencoConn", m_pagina2);
    m_pagina2->addTab(m_elencoClip, "LIBRARY");
    m_pagina2->addTab(m_elencoConn, "CONNECTIONS");
    m_pagina2->addTab(grid("elencoAction", m_pagina2), "ACTIONS");

    m_pagina = new QTabWidget(central);
    m_pagina->setObjectName("Pagina");
    m_preferences = new PreferencesPage(m_pagina);
    m_pagina->addTab(buildStagePage(), "Stage");
    m_pagina->addTab(buildLiveVideoPage(), "Live Video");
    m_pagina->addTab(new QWidget(m_pagina), "Test Pattern");
    m_pagina->addTab(m_preferences, "Preferences");
    m_pagina->addTab(new QWidget(m_pagina), "Clip information");

    auto* progress = new QProgressBar(central);
    progress->setObjectName("progresso");
    progress->setTextVisible(false);
    progress->setMaximumHeight(8);

    auto* layout = new QGridLayout(central);
    layout->addWidget(m_panels[0], 0, 0);
    layout->addWidget(buildMixingArea(), 0, 1);
    layout->addWidget(m_panels[1], 0, 2);
    layout->addWidget(m_transport, 1, 0);
    layout->addWidget(m_pagina2, 2, 0, 1, 2);
    layout->addWidget(m_pagina, 1, 2, 2, 1);
    layout->addWidget(progress, 3, 0, 1, 3);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(2, 1);
}

QWidget* MainWindow::buildMixingArea()
{
    auto* area = new QWidget(this);
    area->setObjectName("mixer");
    auto* layout = new QVBoxLayout(area);
    const char* buttons[][2] = {{"btnCutA", "CUT"},
                                {"btnDissolve", "DISSOLVE"},
                                {"btnCutB", "CUT"},
                                {"btnDissolveB", "DISSOLVE"}};
    auto* mix = new QGridLayout;
    for (int i = 0; i < 4; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(buttons[i][1]), area);
        button->setObjectName(QString::fromLatin1(buttons[i][0]));
        button->setMinimumHeight(44);
        mix->addWidget(button, i % 2, i / 2);
    }
    layout->addLayout(mix);
    layout->addStretch();
    layout->addWidget(new QLabel("STAGE ON AIR", area), 0, Qt::AlignHCenter);
    m_stageOnAir = new QLabel(area);
    m_stageOnAir->setObjectName("stageOnAir");
    m_stageOnAir->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_stageOnAir);
    return area;
}

QWidget* MainWindow::buildStagePage()
{
    auto* page = new QWidget(m_pagina);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(grid("sceltalayout", page));
    return page;
}

QWidget* MainWindow::buildLiveVideoPage()
{
    auto* page = new QWidget(m_pagina);
    m_captureA = new QComboBox(page);
    m_captureA->setObjectName("caDevice");
    m_captureB = new QComboBox(page);
    m_captureB->setObjectName("cbDevice");
    auto* layout = new QFormLayout(page);
    layout->addRow("LIVE VIDEO 1", m_captureA);
    layout->addRow("LIVE VIDEO 2", m_captureB);
    return page;
}

void MainWindow::selectLayer(int channel)
{
    selectedChannel = channel;
    for (ChannelPanel* panel : m_panels)
        panel->setSelected(panel->channel() == channel);
}

void MainWindow::showError(QWidget* parent, const QString& text)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
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
        qWarning().noquote() << "Cannot open" << m_database.databaseName() << ":"
                             << error.message();
        showError(this, "Database Error");
        return false;
    }

    m_database.layoutdb1.first();
    if (!m_database.layoutdb1.isEmpty())
        currentStage.copiaLayout(m_database.layoutdb1);

    m_database.lista.first();
    m_transport->showPlaylist(m_database.lista.text("lista"), m_database.playlist.count());

    const bool repeat = SettingsFiles::onUnlessZero(readSetting(SettingsFile::RepeatPlaylist, "0"));

    DLL = m_services.loadArtNet ? m_services.loadArtNet() : nullptr;
    // Without the library there is nothing to activate.
    m_menu->artNetActive()->setEnabled(DLL != nullptr);
    m_menu->artNetConfiguration()->setEnabled(false);

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

    m_apri = new QFileDialog(this);
    m_apri->setObjectName("apri");
    m_apri->setFileMode(QFileDialog::ExistingFile);
    m_apri->setOption(QFileDialog::ReadOnly, false);
    m_apri->setSizeGripEnabled(true);
    m_apri->setNameFilters(nameFilters(MediaFilter));
    m_apri->selectNameFilter(m_apri->nameFilters().first());

    m_tempDirectory = QDir::tempPath() + '/';

    fillMidiDevices();

    for (ChannelPanel* panel : m_panels) {
        panel->volumeSlider()->setRange(0, 100);
        panel->volumeSlider()->setValue(0);
        panel->volumeSliderChanged();
        panel->transitionTime()->setValue(2);
    }
    selectedChannel = 2;
    m_stageOnAir->setText("NO ACTIVE");
    codiceA = codiceB = -1;
    handlersArmed = true;
    for (const char* menu : {"Options/Render video/Default", "Options/Render audio/Default"})
        m_menu->action(menu)->setChecked(true);

    const QStringList captureDevices =
        m_services.capture ? m_services.capture->videoDevices() : QStringList();
    for (QComboBox* list : {m_captureA, m_captureB}) {
        list->clear();
        list->addItems(captureDevices);
        list->setCurrentIndex(captureDevices.isEmpty() ? -1 : 0);
    }

    m_pagina->setCurrentIndex(0);
    m_pagina2->setCurrentIndex(0);
    return true;
}

void MainWindow::fillMidiDevices()
{
    QMenu* devices = m_menu->midiDevice();
    devices->clear();
    m_menu->midiActive()->setChecked(false);
    const QStringList names = m_services.midi ? m_services.midi->productNames() : QStringList();
    const bool any = !names.isEmpty();
    devices->menuAction()->setEnabled(any);
    m_menu->midiActive()->setEnabled(any);
    m_menu->midiMapper()->setEnabled(any);
    if (!any)
        return;
    auto* group = new QActionGroup(devices);
    for (int i = 0; i < names.size(); ++i) {
        QAction* entry = devices->addAction(QStringLiteral("%1 (ID %2)").arg(names.at(i)).arg(i));
        entry->setData(i);
        entry->setCheckable(true);
        group->addAction(entry);
    }
    devices->actions().last()->setChecked(true);
    m_menu->midiActive()->setData(int(names.size() - 1));
}

void MainWindow::FormShow(QWidget* filtri, QWidget* fAzioni)
{
    for (QTableView* view : {m_elencoClip, m_elencoConn})
        view->verticalHeader()->setDefaultSectionSize(30);
    for (QWidget* window : {filtri, fAzioni}) {
        if (!window)
            continue;
        m_pagina->addTab(window, window->windowTitle());
        window->show();
    }
    // Centred on the primary screen, as large as a console wants to be.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    resize(std::min(1680, screen.width()), std::min(980, screen.height()));
    move(screen.center() - rect().center());
    show();
    lower();
}

void MainWindow::reset_info(int channel)
{
    panel(channel)->resetInfo();
    (channel == 1 ? codiceA : codiceB) = -1;
    ClipSettings& clip = clipSettings[channel];
    clip.FIn = 0;
    clip.FOut = 0;
    if (m_preferences->loadFilters())
        clip.resetFilters();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
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
    if (DLL)
        DLL.reset();
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
