#include "data/calculated_columns.h"

#include "shared/media_time.h"

#include <QFileInfo>

namespace {
QString yesNo(bool yes)
{
    return yes ? QStringLiteral("YES") : QStringLiteral("NO");
}

// An index into names when value is one of them; the value itself otherwise.
QVariant named(const QVariant& value, const QStringList& names)
{
    bool ok = false;
    const int index = value.toInt(&ok);
    return ok && index >= 0 && index < names.size() ? QVariant(names.at(index)) : value;
}
} // namespace

CalculatedColumns clipColumns()
{
    CalculatedColumns columns;
    columns.names = {"t1",
                     "t2",
                     "infoStart",
                     "infoMonitor",
                     "infoCrop",
                     "infoAzioneIniziale",
                     "infoAzioneFinale",
                     "infoColor",
                     "infoBlur",
                     "infoPerspective",
                     "infoRotation",
                     "infoFiltro",
                     "infoVFlip",
                     "infoDeinterlace"};
    columns.compute = [](const ReadDataset& clip) {
        const auto nonZero = [&](const char* column) { return clip.integer(column) != 0; };
        const QString file = clip.text("file").trimmed();
        return QVariantList{
            formatMediaTime(clip.integer("duratams")),
            !file.isEmpty() && QFileInfo::exists(file) ? "Linked" : "Not linked",
            yesNo(nonZero("start")),
            yesNo(nonZero("monitor")),
            yesNo(nonZero("crop")),
            yesNo(clip.integer("azione_iniziale") != -1),
            yesNo(clip.integer("azione_finale") != -1),
            yesNo(nonZero("color")),
            yesNo(nonZero("blur")),
            yesNo(nonZero("perspective")),
            yesNo(nonZero("rotation")),
            yesNo(!clip.text("filtro").isEmpty()),
            yesNo(nonZero("vflip")),
            yesNo(nonZero("deinterlace")),
        };
    };
    return columns;
}

CalculatedColumns presetColumns()
{
    CalculatedColumns columns;
    columns.names = {"NAzione", "NLive"};
    columns.compute = [](const ReadDataset& preset) {
        return QVariantList{
            named(preset.value("azione"), {"PAUSED", "PLAY", "USE FADE"}),
            named(preset.value("live"), {"NO LIVE", "BKG", "PLAYER A", "PLAYER B"}),
        };
    };
    return columns;
}
