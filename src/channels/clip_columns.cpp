#include "channels/clip_columns.h"

#include "data/database_error.h"
#include "data/read_dataset.h"
#include "data/write_dataset.h"

namespace {
using G = ClipColumn::Group;
using N = ClipColumn::Neutral;
using S = ClipSettings;
} // namespace

const QList<ClipColumn>& clipTableColumns()
{
    static const QList<ClipColumn> columns = {
        {"codice", G::Key},
        {"ordine", G::Key},
        {"titolo", G::Clip},
        {"file", G::Clip},
        {"tipo", G::Clip},
        {"duratams", G::Clip, &S::FDuration},
        {"start", G::Clip, &S::FIn},
        {"end", G::Clip, &S::FOut},
        {"aspectratio", G::Clip},
        {"status", G::Clip},
        {"risoluzione", G::Clip},
        {"volume", G::Clip},
        {"frame", G::Clip},
        {"monitor", G::Clip, &S::FMonitor},
        {"player", G::Clip},
        {"gruppo", G::Clip},
        {"lista", G::Clip},
        {"aratio", G::Clip},
        {"cropw", G::Filter, &S::FCropW, {}, N::Width},
        {"croph", G::Filter, &S::FCropH, {}, N::Height},
        {"cropx", G::Filter, &S::FCropX, 0},
        {"cropy", G::Filter, &S::FCropY, 0},
        {"crop", G::Filter, &S::FCrop, 0},
        {"azione_iniziale", G::Clip, &S::FAzione1},
        {"azione_finale", G::Clip, &S::FAzione2},
        {"w", G::Clip, &S::FWidth},
        {"h", G::Clip, &S::FHeight},
        {"brightness", G::Filter, &S::FBrightness, 0.0},
        {"saturation", G::Filter, &S::FSaturation, 1.0},
        {"hue", G::Filter, &S::FHue, 0.0},
        {"ruota", G::Filter, &S::FRuota, 4},
        {"color", G::Filter, &S::FColor, 0},
        {"rs", G::Filter, &S::Frs, 0.0},
        {"gs", G::Filter, &S::Fgs, 0.0},
        {"bs", G::Filter, &S::Fbs, 0.0},
        {"rm", G::Filter, &S::Frm, 0.0},
        {"gm", G::Filter, &S::Fgm, 0.0},
        {"bm", G::Filter, &S::Fbm, 0.0},
        {"rh", G::Filter, &S::Frh, 0.0},
        {"gh", G::Filter, &S::Fgh, 0.0},
        {"bh", G::Filter, &S::Fbh, 0.0},
        {"blur", G::Filter, &S::FBlur, 0},
        {"croma", G::Filter, &S::FCroma, 0},
        {"cromaLR", G::Filter, &S::FCromaLR, 0},
        {"perspective", G::Filter, &S::FPerspective, 0},
        {"x0", G::Filter, &S::Fx0, 0},
        {"y0", G::Filter, &S::Fy0, 0},
        {"x1", G::Filter, &S::Fx1, {}, N::Width},
        {"y1", G::Filter, &S::Fy1, 0},
        {"x2", G::Filter, &S::Fx2, 0},
        {"y2", G::Filter, &S::Fy2, {}, N::Height},
        {"x3", G::Filter, &S::Fx3, {}, N::Width},
        {"y3", G::Filter, &S::Fy3, {}, N::Height},
        {"rotation", G::Filter, &S::FRotation, 0},
        {"angle", G::Filter, &S::FAngle, 0.0},
        {"filtro", G::Filter, &S::FFiltro, QVariant()},
        {"opacity", G::Filter, &S::FAlpha, 255},
        {"speed", G::Filter, {}, 0},
        {"preview", G::Clip},
        {"vflip", G::Filter, {}, 0},
        {"deinterlace", G::Clip},
        {"trxtime", G::Clip},
        {"nomelayout", G::Clip, &S::FNomeLayout},
        {"changeA", G::Clip, &S::FChangeA},
        {"changeB", G::Clip, &S::FChangeB},
        {"changeBG", G::Clip, &S::FChangeBG},
    };
    return columns;
}

QVariant ClipColumn::neutralValue(int width, int height) const
{
    switch (neutralSize) {
    case Neutral::Width:
        return width;
    case Neutral::Height:
        return height;
    case Neutral::Value:
        break;
    }
    return neutral;
}

QList<std::pair<const char*, QVariant>> neutralFilterValues(int width, int height)
{
    QList<std::pair<const char*, QVariant>> values;
    for (const ClipColumn& column : clipTableColumns())
        if (column.group == ClipColumn::Group::Filter)
            values.append({column.name, column.neutralValue(width, height)});
    return values;
}

namespace {
// Sets the member to the value, converted to the member's type.
void assign(ClipSettings& settings, const ClipColumn::Member& member, const QVariant& value)
{
    std::visit(
        [&](auto pointer) {
            using P = decltype(pointer);
            if constexpr (std::is_same_v<P, int ClipSettings::*>)
                settings.*pointer = value.toInt();
            else if constexpr (std::is_same_v<P, double ClipSettings::*>)
                settings.*pointer = value.toDouble();
            else if constexpr (std::is_same_v<P, qint64 ClipSettings::*>)
                settings.*pointer = value.toLongLong();
            else if constexpr (std::is_same_v<P, QString ClipSettings::*>)
                settings.*pointer = variantText(value);
        },
        member);
}

QVariant valueOf(const ClipSettings& settings, const ClipColumn::Member& member)
{
    return std::visit(
        [&](auto pointer) -> QVariant {
            if constexpr (std::is_same_v<decltype(pointer), std::monostate>)
                return {};
            else
                return QVariant::fromValue(settings.*pointer);
        },
        member);
}
} // namespace

void writeFilterColumns(WriteDataset& clip, const ClipSettings& settings)
{
    for (const ClipColumn& column : clipTableColumns())
        if (column.group == ClipColumn::Group::Filter &&
            !std::holds_alternative<std::monostate>(column.member))
            clip.setValue(column.name, valueOf(settings, column.member));
}

void readClipSettings(const ReadDataset& clip, ClipSettings& settings, bool withFilters)
{
    for (const ClipColumn& column : clipTableColumns()) {
        if (std::holds_alternative<std::monostate>(column.member))
            continue;
        if (column.group == ClipColumn::Group::Filter && !withFilters)
            continue;
        if (!clip.hasColumn(column.name))
            throw DatabaseError(QStringLiteral("Field '%1' not found").arg(column.name));
        assign(settings, column.member, clip.value(column.name));
    }
}

void ClipSettings::resetFilters()
{
    ClipSettings neutral; // an empty channel's
    neutral.FIn = FIn;
    neutral.FOut = FOut;
    neutral.FDuration = FDuration;
    neutral.FWidth = FWidth;
    neutral.FHeight = FHeight;
    for (const ClipColumn& column : clipTableColumns())
        if (column.group == ClipColumn::Group::Filter)
            assign(neutral, column.member, column.neutralValue(FWidth, FHeight));
    *this = neutral;
}
