#include "stage/current_stage.h"

#include "data/read_dataset.h"

void CurrentStage::copiaLayout(const ReadDataset& stages)
{
    const auto integer = [&](const char* column) { return int(stages.integer(column)); };
    schermi.sfondo = stages.text("sfondo");
    schermi.colore = quint32(integer("colore"));
    schermi.picture = qint8(integer("picture"));
    schermi.fullscreen = qint8(integer("fullscreen"));
    schermi.atop = integer("atop");
    schermi.aleft = integer("aleft");
    schermi.awidth = integer("awidth");
    schermi.aheigth = integer("aheigth");
    schermi.acolor = quint32(integer("acolor"));
    schermi.battivo = qint8(integer("battivo"));
    schermi.btop = integer("btop");
    schermi.bleft = integer("bleft");
    schermi.bwidth = integer("bwidth");
    schermi.bheigth = integer("bheigth");
    schermi.bcolor = quint32(integer("bcolor"));
    schermi.ashape = integer("ashape");
    schermi.alati = integer("alati");
    schermi.schermo = integer("schermo");
    schermi.bshape = integer("bshape");
    schermi.blati = integer("blati");
    schermi.restart = integer("restart");
    sx = integer("sx");
    sy = integer("sy");
    offsetx = integer("offsetx");
    offsety = integer("offsety");
}
