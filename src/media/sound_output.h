#pragma once

#include "media/ffmpeg_types.h"

#include <QString>
#include <SDL2/SDL_audio.h>
#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class FrameQueue;
class MediaClock;
class PacketQueue;
struct LiveSettings;
namespace soundtouch {
class SoundTouch;
}

// The sound of one opening on an SDL device of its own. On SDL's sound thread it takes the
// decoded sound from its queue, converts it to the device's format, stretches it to the
// playback speed, applies volume and mute, and sets the audio clock from what the device
// has still to play. While paused, or with nothing decoded yet, the device plays silence.
//
// Threads: open, setPaused and close on the thread that owns the session; the rest of the
// state belongs to the sound thread.
class SoundOutput {
public:
    struct Source {
        FrameQueue& sounds;
        const PacketQueue& packets; // sound of another serial is dropped
        MediaClock& audioClock;
        MediaClock& externalClock; // follows the audio clock
        const LiveSettings& live;
        const std::atomic<bool>& paused;
        const std::atomic<bool>& abort;
        int64_t startTime = 0; // the file's start, microseconds (for the hook's times)
        std::function<void(int64_t pts, uint8_t* samples, int bytes, int rate, int channels)> hook;
        std::function<void(const QString& line)> log;
    };

    explicit SoundOutput(Source source);
    ~SoundOutput();
    SoundOutput(const SoundOutput&) = delete;
    SoundOutput& operator=(const SoundOutput&) = delete;

    // Opens a device for this rate and channel count (it may take others), paused.
    bool open(int sampleRate, int channels, QString& error);
    void setPaused(bool paused);
    // Ends the sound thread's use of the queue; waits for its current callback.
    void close();

private:
    static void callback(void* self, Uint8* stream, int length);
    void fill(Uint8* stream, int length);
    // The next sound frame converted into the buffer: its size in bytes, -1 when none.
    int decodeNext();

    Source m_source;
    SDL_AudioDeviceID m_device = 0;
    SDL_AudioSpec m_spec{};
    SwrContextPtr m_resampler;
    int m_resamplerFormat = -1, m_resamplerRate = 0, m_resamplerChannels = 0;
    std::vector<uint8_t> m_buffer;
    int m_bufferIndex = 0;
    double m_bufferPts = NAN; // end of the buffered sound, seconds
    int m_bufferSerial = -1;
    std::unique_ptr<soundtouch::SoundTouch> m_stretch;
    std::vector<float> m_stretchIn, m_stretchOut;
};
