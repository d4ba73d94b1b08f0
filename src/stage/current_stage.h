#pragma once

#include <QString>

class ReadDataset;

// The stage on air, as one in-memory copy of a "layout" row (without its name and order).
// The stage editor edits it directly, so it may differ from the stored row until saved.
struct StageRecord {
    QString sfondo;
    quint32 colore = 0;
    qint8 picture = 0;
    qint8 fullscreen = 0;
    int atop = 0, aleft = 0, awidth = 0, aheigth = 0;
    quint32 acolor = 0;
    qint8 battivo = 0;
    int btop = 0, bleft = 0, bwidth = 0, bheigth = 0;
    quint32 bcolor = 0;
    int ashape = 0, alati = 0, schermo = 0, bshape = 0, blati = 0, restart = 0;
};

struct CurrentStage {
    // The name of the stage on air; empty until one is taken.
    QString nome;
    StageRecord schermi;
    int sx = 0, sy = 0, offsetx = 0, offsety = 0;

    // Copies the stage row under the cursor of the stage list.
    void copiaLayout(const ReadDataset& stages);
};
