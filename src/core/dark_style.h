#pragma once

class QApplication;

// The console's look: Fusion with a dark palette and white text, readable from a step back.
void applyDarkStyle(QApplication& app);
