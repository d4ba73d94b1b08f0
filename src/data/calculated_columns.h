#pragma once

#include "data/read_dataset.h"

// Columns the clip query adds to each clip: "t1" (duration), "t2" (whether the file is
// there) and the "info..." columns that say YES or NO for each stored setting.
CalculatedColumns clipColumns();
// Columns the live preset query adds: "NAzione" and "NLive".
CalculatedColumns presetColumns();
