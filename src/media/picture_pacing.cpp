#include "media/picture_pacing.h"

#include <algorithm>
#include <cmath>

namespace PicturePacing {
Delay pictureDelay(double duration, double difference, double maxFrameDuration)
{
    if (std::isnan(difference) || std::fabs(difference) >= maxFrameDuration)
        return {duration, false};
    const double threshold = std::clamp(duration, SyncThresholdMin, SyncThresholdMax);
    if (difference <= -threshold) {
        if (-difference <= GentleCatchUpLimit)
            return {duration / 2, true};
        return {std::max(0.0, duration + difference), false};
    }
    if (difference >= threshold)
        return {duration > FrameDuplicationThreshold ? duration + difference : 2 * duration, false};
    return {duration, false};
}
} // namespace PicturePacing
