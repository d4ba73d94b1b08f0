#include "channels/transport_bar.h"

#include "ui/named_widgets.h"

#include <QAction>
#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
QPushButton* button(const char* name, const QString& caption, bool toggle, QWidget* parent)
{
    auto* widget = namedButton(name, caption, parent, toggle);
    widget->setMinimumHeight(34);
    return widget;
}
} // namespace

TransportBar::TransportBar(const SettingsFiles& settings, QAction* repeatPlaylistEntry,
                           QWidget* parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_repeatEntry(repeatPlaylistEntry)
{
    setObjectName("transport");
    m_repeat = button("btnrepeatplaylist", "REPEAT PLAYLIST", true, this);
    m_autostart = button("autostart", "AUTOSTART", true, this);
    m_playAfterLoad = button("chkPlayAfterLoad", "PLAY AFTER LOAD", true, this);
    m_automatic = button("btnAutomatic", "AUTOMATIC PLAY", true, this);
    m_playlistName = namedLabel("nome", {}, this);
    m_clipCount = namedLabel("tot1", "0", this);

    connect(m_repeatEntry, &QAction::triggered, this, &TransportBar::setRepeatPlaylist);
    connect(m_repeat, &QPushButton::clicked, this, &TransportBar::setRepeatPlaylist);
    connect(m_autostart, &QPushButton::clicked, this,
            [this](bool down) { store(SettingsFile::Autostart, down); });
    connect(m_playAfterLoad, &QPushButton::clicked, this,
            [this](bool down) { store(SettingsFile::PlayAfterLoad, down); });
    connect(m_automatic, &QPushButton::clicked, this,
            [this](bool down) { store(SettingsFile::AutomaticPlay, down); });

    auto* layout = new QGridLayout(this);
    const char* transport[][2] = {
        {"btnPlayA", "LOAD"}, {"btnStopA", "STOP"}, {"btnResume", "PLAY"}, {"btnPauseA", "PAUSE"}};
    for (int i = 0; i < 4; ++i) {
        m_transport[i] = button(transport[i][0], transport[i][1], false, this);
        layout->addWidget(m_transport[i], 0, i);
    }
    layout->addWidget(m_playAfterLoad, 1, 0);
    layout->addWidget(m_repeat, 1, 1);
    layout->addWidget(m_autostart, 1, 2);
    layout->addWidget(m_automatic, 1, 3);
    layout->addWidget(new QLabel("PLAYLIST", this), 2, 0);
    layout->addWidget(m_playlistName, 2, 1);
    layout->addWidget(new QLabel("CLIPS", this), 2, 2);
    layout->addWidget(m_clipCount, 2, 3);
    layout->addWidget(new QLabel("DESTINATION PLAYLIST", this), 3, 0, 1, 2);
    m_destination = namedLabel("destinazione", "-", this);
    m_destination->installEventFilter(this);
    layout->addWidget(m_destination, 3, 2, 1, 2);
    for (QLabel* caption : {m_playlistName, m_clipCount, m_destination}) {
        caption->setStyleSheet("color: #ffd000; font-weight: bold;");
        // A long name is cut, never widens its column: the buttons stay under the mouse.
        caption->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    for (int column = 0; column < 4; ++column)
        layout->setColumnStretch(column, 1);
}

void TransportBar::setRepeatPlaylist(bool on)
{
    m_repeatEntry->setChecked(on);
    m_repeat->setChecked(on);
    store(SettingsFile::RepeatPlaylist, on);
}

void TransportBar::restoreSwitches(bool repeatPlaylist, bool autostart, bool playAfterLoad,
                                   bool automaticPlay)
{
    m_repeatEntry->setChecked(repeatPlaylist);
    m_repeat->setChecked(repeatPlaylist);
    m_autostart->setChecked(autostart);
    m_playAfterLoad->setChecked(playAfterLoad);
    m_automatic->setChecked(automaticPlay);
}

void TransportBar::showPlaylist(const QString& name, int clipCount)
{
    m_playlistName->setText(name);
    m_playlistName->setToolTip(name);
    m_clipCount->setText(QString::number(clipCount));
}

void TransportBar::showDestination(const QString& name)
{
    m_destination->setText(name);
    m_destination->setToolTip(name);
}

bool TransportBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_destination && event->type() == QEvent::MouseButtonDblClick)
        emit destinationCleared();
    return QWidget::eventFilter(watched, event);
}

void TransportBar::store(const QString& file, bool on)
{
    if (!m_settings.write(file, on ? "1" : "0"))
        emit settingsWriteFailed(QStringLiteral("Cannot write %1").arg(m_settings.path(file)));
}
