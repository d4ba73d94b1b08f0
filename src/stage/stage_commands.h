#pragma once

#include <QObject>
#include <functional>

class PlaylistHost;
class Playlists;
class QAbstractButton;
class ShowDatabase;
class WriteOperation;
struct CurrentStage;

// The stage list's commands: "Add a Stage", "Delete Stage", "Move up" / "Move down" and
// "SAVE TO ACTIVE CLIP" (the selected stage becomes the autoload stage of the clip loaded
// in the selected channel).
class StageCommands : public QObject {
    Q_OBJECT
public:
    struct Controls {
        QAbstractButton* changeBackground;
        QAbstractButton* changeLayerA;
        QAbstractButton* changeLayerB;
    };
    StageCommands(ShowDatabase& database, WriteOperation& write, PlaylistHost& host,
                  Playlists& playlists, CurrentStage& stage, Controls controls,
                  QObject* parent = nullptr);

    void addStage();
    void deleteStage();
    void moveUp() { move(-1); }
    void moveDown() { move(+1); }
    // Writes into the clip of that "codice"; true when it was found and written.
    bool saveToClip(int clipCode);

private:
    void move(int step);
    void refresh(const QString& stage);

    ShowDatabase& m_database;
    WriteOperation& m_write;
    PlaylistHost& m_host;
    Playlists& m_playlists;
    CurrentStage& m_stage;
    Controls m_controls;
};
