#pragma once

#include "channels/clip_settings.h"

// What the console knows of its two channels between events: which one the transport acts
// on, which clip each holds, the loaded clips' settings and the pending next clip.
struct ChannelState {
    int selectedChannel = 2;
    int codiceA = -1; // "codice" of the clip in Player A, -1 = none
    int codiceB = -1;
    // False while the filter panel reopens a clip: the open and slider handlers stand still.
    bool handlersArmed = true;
    // 0, or the channel whose end scheduled loading the next clip.
    int nextClipChannel = 0;
    ChannelClipSettings clipSettings;

    int& codice(int channel) { return channel == 2 ? codiceB : codiceA; }
    int codice(int channel) const { return channel == 2 ? codiceB : codiceA; }
};
