#pragma once

// How long a picture stays on screen before the next, kept in step with the master clock
// (the sound, as a rule). The model is FFmpeg's reference player, with one difference: a
// picture a little behind the sound catches up by being shown for a shorter time, not by
// dropping pictures. Start-up, a busy moment of the machine or another clip's opening leave
// the picture some tens of milliseconds behind; the reference player would drop one or more
// pictures each time, which the audience sees as a jerk.
namespace PicturePacing {
// Below this difference from the master clock (seconds) the picture is not corrected; it is
// the picture's duration, within these bounds.
constexpr double SyncThresholdMin = 0.04;
constexpr double SyncThresholdMax = 0.1;
// A picture longer than this that is ahead waits for the master clock; a shorter one is
// shown twice as long.
constexpr double FrameDuplicationThreshold = 0.1;
// Behind by up to this (seconds), pictures are shown for half their time until the picture
// has caught up: a lag of this much is gone within as much time. Further behind, the picture
// is shown at once and late pictures are dropped, as when the machine cannot keep up.
constexpr double GentleCatchUpLimit = 0.2;

struct Delay {
    double seconds = 0;      // from the picture on screen to the next
    bool catchingUp = false; // shortened to catch up gently: no picture is dropped for it
};

// The delay for a picture of `duration` seconds when the picture clock is `difference`
// seconds ahead of the master clock (negative: behind; NaN: not known). Differences of
// `maxFrameDuration` or more are a jump in the timestamps, not a lag: not corrected.
Delay pictureDelay(double duration, double difference, double maxFrameDuration);
} // namespace PicturePacing
