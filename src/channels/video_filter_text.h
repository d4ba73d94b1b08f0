#pragma once

#include "channels/clip_settings.h"

#include <QString>

// The player's filter graph text for a channel's settings, as "FILTER ON" builds it: the
// colour correction always, then crop, perspective, blur, colour balance, rotation,
// transpose and the clip's own extra text. Numbers use "." whatever the locale.
QString videoFilterText(const ClipSettings& clip);

// The turning rotation's angle expression (the angle in radians per second times π), the
// same in an opening's text and in a live command.
QString rotationExpression(double angle);
