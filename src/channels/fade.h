#pragma once

#include <algorithm>

// One channel's dissolve in steps: the running opacity and volume, which way each goes and
// how far per tick. A dissolve of transition position p runs N = p * 30 steps plus a last
// tick that ends it; at 60 ticks a second that is p / 2 seconds.
struct Fade {
    static constexpr int TicksPerSecond = 60;

    bool FadeVideoOut = false;
    bool FadeAudioOut = false;
    double FadeAlpha = 0;
    double FadeVolume = 0;
    double FadeAlphaStep = 0;
    double FadeVolumeStep = 0;
    int FadeTicksLeft = 0;

    // A window above half of its target opacity fades out, any other fades in; sound that
    // is heard fades out. `video` and `audio` are the channel's mix boxes.
    void start(int opacity, int volume, int targetOpacity, int targetVolume, bool video, bool audio,
               int transitionPosition)
    {
        FadeVideoOut = video && targetOpacity / 2 < opacity;
        FadeAudioOut = audio && volume > 0;
        FadeAlpha = opacity;
        FadeVolume = volume;
        const int steps = transitionPosition * 30;
        FadeTicksLeft = steps;
        FadeAlphaStep = double(targetOpacity) / steps;
        FadeVolumeStep = double(targetVolume) / steps;
    }

    // Moves one step; true when this tick was the last one of the dissolve.
    bool tick()
    {
        FadeAlpha += FadeVideoOut ? -FadeAlphaStep : FadeAlphaStep;
        FadeVolume += FadeAudioOut ? -FadeVolumeStep : FadeVolumeStep;
        return FadeTicksLeft-- <= 0;
    }

    // The running values as the window and the player take them: truncated, and kept in
    // their ranges (the last step goes one step beyond the end).
    int opacity() const { return std::clamp(int(FadeAlpha), 0, 255); }
    int volume() const { return std::clamp(int(FadeVolume), 0, 128); }
};
