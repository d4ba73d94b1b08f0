#pragma once

// A player's threads in two ranks. The playback thread, the sound device's thread, the sound
// decoding and the reading must run when a picture or a buffer of sound is due. Opening a file
// (its probe and first pictures) and decoding and filtering pictures work ahead into queues
// and can wait a few milliseconds. On a machine with few cores, an opening's burst or two busy
// picture decoders would otherwise delay the picture on air until it is late.
//
// The rank is the thread's nice value, which the threads it starts inherit, as does their name:
// FFmpeg's decoding and filtering workers belong to the thread that opened the codec or built
// the graph. An ordinary user may lower a thread's rank but never raise it again, so only
// threads that never become time-critical are lowered.

// How much lower (in nice steps) the work ahead runs.
constexpr int WorkAheadNiceness = 10;

// Names the calling thread (at most 15 characters; `top -H` and /proc show it) and lowers it
// to the rank of work that runs ahead. Each such thread calls it once, as it starts.
void runAsWorkAhead(const char* name);
// Names the calling thread, keeping its rank.
void nameThisThread(const char* name);
