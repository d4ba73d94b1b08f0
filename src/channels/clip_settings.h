#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

// The settings of the clip loaded in one channel, mirroring the clip columns of the same
// names. Filled by loading, edited by the filter panel, written back by "SAVE TO CLIP".
struct ClipSettings {
    qint64 FIn = 0; // start point, microseconds
    qint64 FOut = 0;
    qint64 FDuration = 0; // the file's length, microseconds
    double FBrightness = 0;
    double FSaturation = 1.0;
    double FHue = 0;
    int FCrop = 0, FCropX = 0, FCropY = 0, FCropW = 0, FCropH = 0;
    int FRuota = 4; // transpose direction 0..3; 4 = none
    int FColor = 0;
    double Frs = 0, Fgs = 0, Fbs = 0, Frm = 0, Fgm = 0, Fbm = 0, Frh = 0, Fgh = 0, Fbh = 0;
    int FBlur = 0, FCroma = 0, FCromaLR = 0;
    int FPerspective = 0;
    int Fx0 = 0, Fy0 = 0, Fx1 = 0, Fy1 = 0, Fx2 = 0, Fy2 = 0, Fx3 = 0, Fy3 = 0;
    int FRotation = 0;
    double FAngle = 0;
    QString FFiltro;
    int FAlpha = 255;
    int FWidth = 0, FHeight = 0;
    int FAzione1 = -1, FAzione2 = -1; // start and end action ids, -1 = none
    int FMonitor = 0;
    QString FNomeLayout;
    int FChangeA = 0, FChangeB = 0, FChangeBG = 0;

    // An empty channel's settings with the filters at their neutral values (see
    // clip_columns.h) for the picture's size. Keeps the start and end points, the picture size
    // and the length: the caller decides about those.
    void resetFilters();
};

// Indexed by channel: 1 = Player A, 2 = Player B; index 0 stays unused.
using ChannelClipSettings = std::array<ClipSettings, 3>;
