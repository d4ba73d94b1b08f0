#pragma once

#include "shared/bgr_colour.h"

#include <QColor>
#include <QString>
#include <atomic>
#include <cstdint>

enum TPlayState { psPlay, psPause, psResume, psStep, psStop, psEnd };
enum TAudioDriver { adDefault, adDirectSound, adWaveOut };
enum TVideoDriver { vdDefault, vdDirectDraw, vdGDI };
enum Tav_sync_type { stAudio, stVideo, stExternal };
// sfExact: decoding goes on from the key frame up to the time asked, so that the first
// picture and sound are those of that moment (slower by up to one group of pictures).
enum TSeekFlag { sfBackward = 1, sfByte = 2, sfAny = 4, sfFrame = 8, sfExact = 16 };
using TSeekFlags = int;

// Settings a running player reads while it plays: the user-interface thread writes them,
// the playback and sound threads read them at every picture or buffer.
struct LiveSettings {
    std::atomic<int> audioVolume{128}; // 0..128
    std::atomic<bool> mute{false};
    std::atomic<bool> audioHook{false};
    std::atomic<bool> videoHook{false};
    std::atomic<bool> verticalFlip{false};
    std::atomic<float> aspectRatio{0};
    std::atomic<unsigned> backColor{0}; // 0x00BBGGRR
    std::atomic<double> playbackSpeed{1.0};
    std::atomic<int> syncType{stAudio};
    std::atomic<bool> enableAudioSpeed{true};
    std::atomic<int64_t> positionInterval{30000};

    QColor background() const { return bgrColour(backColor); }
};

// Settings taken once, when a file is opened.
struct OpenSettings {
    bool paused = false;
    bool deinterlace = false;
    QString videoFilters;
    int64_t startTime = INT64_MIN; // microseconds; INT64_MIN = from the beginning
    int audioChannels = 2;         // 6 for a 5.1 output
    // Opened ahead of its turn: nothing is shown until the session is released.
    bool held = false;
};
