#include "media/picture_pacing.h"

#include <algorithm>
#include <cmath>

namespace PicturePacing {
double pictureDelay(double duration, double difference, double maxFrameDuration)
{
    if (std::isnan(difference) || std::fabs(difference) >= maxFrameDuration)
        return duration;
    const double threshold = std::clamp(duration, SyncThresholdMin, SyncThresholdMax);
    if (difference <= -threshold)
        return -difference <= GentleCatchUpLimit ? duration / 2
                                                 : std::max(0.0, duration + difference);
    if (difference >= threshold)
        return duration > FrameDuplicationThreshold ? duration + difference : 2 * duration;
    return duration;
}

bool mayDropLatePicture(double behind)
{
    return std::isnan(behind) || behind > GentleCatchUpLimit;
}
} // namespace PicturePacing
