#pragma once

// How long a picture stays on screen before the next, kept in step with the master clock
// (the sound, as a rule), and when a late picture is dropped. The model is FFmpeg's reference
// player, with one difference: a picture a little behind the sound catches up by being shown
// for a shorter time, or at once, never by dropping pictures. Start-up, a busy moment of the
// machine or another clip's opening leave the picture some tens of milliseconds behind; the
// reference player would drop one or more pictures each time, which the audience sees as a
// jerk.
namespace PicturePacing {
// Below this difference from the master clock (seconds) the picture is not corrected; it is
// the picture's duration, within these bounds.
constexpr double SyncThresholdMin = 0.04;
constexpr double SyncThresholdMax = 0.1;
// A picture longer than this that is ahead waits for the master clock; a shorter one is
// shown twice as long.
constexpr double FrameDuplicationThreshold = 0.1;
// Behind by up to this (seconds), pictures are shown for half their time, or at once when
// their time has passed, until the picture has caught up. Further behind, as when the machine
// cannot keep up, the picture is shown at once and late pictures are dropped.
constexpr double GentleCatchUpLimit = 0.2;

// The delay for a picture of `duration` seconds when the picture clock is `difference`
// seconds ahead of the master clock (negative: behind; NaN: not known). Differences of
// `maxFrameDuration` or more are a jump in the timestamps, not a lag: not corrected.
double pictureDelay(double duration, double difference, double maxFrameDuration);

// Whether a picture whose time has passed may be dropped when it is `behind` seconds behind
// the master clock (NaN: not known, the time alone decides).
bool mayDropLatePicture(double behind);
} // namespace PicturePacing
