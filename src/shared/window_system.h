#pragma once

// Sends what the program has asked of the X server (a window's opacity, say) now, rather than
// with the next picture painted: a layer showing a still picture may not paint for minutes.
// Does nothing on other platforms.
void flushWindowSystem();
