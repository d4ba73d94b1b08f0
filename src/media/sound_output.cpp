#include "media/sound_output.h"

#include "media/frame_queue.h"
#include "media/media_clock.h"
#include "media/packet_queue.h"
#include "media/player_types.h"

#include <SDL2/SDL.h>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <soundtouch/SoundTouch.h>

namespace {
// SDL's sound subsystem is started once per process, under one lock for all players.
std::mutex sdlMutex;
} // namespace

SoundOutput::SoundOutput(Source source)
    : m_source(std::move(source))
{
}

SoundOutput::~SoundOutput()
{
    close();
}

bool SoundOutput::open(int sampleRate, int channels, QString& error)
{
    std::lock_guard lock(sdlMutex);
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error =
            QStringLiteral("Could not initialize SDL - %1").arg(QString::fromUtf8(SDL_GetError()));
        return false;
    }
    m_source.log(QStringLiteral("using audio driver: %1")
                     .arg(QString::fromUtf8(SDL_GetCurrentAudioDriver())));
    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate > 0 ? sampleRate : 48000;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = Uint8(channels);
    wanted.samples = 1024;
    wanted.callback = &SoundOutput::callback;
    wanted.userdata = this;
    m_device =
        SDL_OpenAudioDevice(nullptr, 0, &wanted, &m_spec,
                            SDL_AUDIO_ALLOW_FREQUENCY_CHANGE | SDL_AUDIO_ALLOW_CHANNELS_CHANGE);
    if (!m_device) {
        error = QStringLiteral("SDL_OpenAudio (%1 channels, %2 Hz): %3")
                    .arg(wanted.channels)
                    .arg(wanted.freq)
                    .arg(QString::fromUtf8(SDL_GetError()));
        return false;
    }
    return true;
}

void SoundOutput::setPaused(bool paused)
{
    if (m_device)
        SDL_PauseAudioDevice(m_device, paused ? 1 : 0);
}

void SoundOutput::close()
{
    if (m_device) {
        SDL_CloseAudioDevice(m_device);
        m_device = 0;
    }
}

void SoundOutput::callback(void* self, Uint8* stream, int length)
{
    static_cast<SoundOutput*>(self)->fill(stream, length);
}

int SoundOutput::decodeNext()
{
    FrameQueue& sounds = m_source.sounds;
    DecodedFrame* sound = nullptr;
    for (;;) {
        if (m_source.abort || m_source.paused || sounds.remaining() == 0)
            return -1;
        sound = sounds.peekReadable();
        if (!sound)
            return -1;
        if (sound->serial == m_source.packets.serial())
            break;
        sounds.next();
    }
    AVFrame* frame = sound->frame;
    const int channels = m_spec.channels;
    const int rate = m_spec.freq;
    if (!m_resampler || frame->format != m_resamplerFormat ||
        frame->sample_rate != m_resamplerRate ||
        frame->ch_layout.nb_channels != m_resamplerChannels) {
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, channels);
        SwrContext* resampler = nullptr;
        swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_S16, rate, &frame->ch_layout,
                            AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        if (!resampler || swr_init(resampler) < 0) {
            swr_free(&resampler);
            sounds.next();
            return -1;
        }
        m_resampler.reset(resampler);
        m_resamplerFormat = frame->format;
        m_resamplerRate = frame->sample_rate;
        m_resamplerChannels = frame->ch_layout.nb_channels;
    }
    const int capacity = int(int64_t(frame->nb_samples) * rate / frame->sample_rate) + 256;
    m_buffer.resize(size_t(capacity * channels * 2));
    uint8_t* out = m_buffer.data();
    int samples = swr_convert(m_resampler.get(), &out, capacity,
                              const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
    if (samples < 0) {
        sounds.next();
        return -1;
    }
    const double pts = sound->pts;
    m_bufferPts = std::isnan(pts) ? NAN : pts + double(frame->nb_samples) / frame->sample_rate;
    m_bufferSerial = sound->serial;
    sounds.next();

    // At another speed the buffer is shortened to its length divided by the speed: time-
    // stretched when it can be (pitch kept), silent otherwise.
    const LiveSettings& live = m_source.live;
    const double speed = live.playbackSpeed;
    if (speed > 0 && speed != 1.0 && live.syncType == stExternal) {
        const int shortened = int(samples / speed);
        // Slower than normal the buffer grows: room for the longer sound first.
        if (m_buffer.size() < size_t(shortened * channels * 2))
            m_buffer.resize(size_t(shortened * channels * 2));
        if (live.enableAudioSpeed && channels <= 2) {
            if (!m_stretch) {
                m_stretch = std::make_unique<soundtouch::SoundTouch>();
                m_stretch->setChannels(uint(channels));
                m_stretch->setSampleRate(uint(rate));
            }
            m_stretch->setTempo(speed);
            m_stretchIn.resize(size_t(samples * channels));
            const auto* pcm = reinterpret_cast<const int16_t*>(m_buffer.data());
            for (size_t i = 0; i < m_stretchIn.size(); ++i)
                m_stretchIn[i] = pcm[i] / 32768.0f;
            m_stretch->putSamples(m_stretchIn.data(), uint(samples));
            m_stretchOut.resize(size_t(shortened * channels));
            const int received =
                int(m_stretch->receiveSamples(m_stretchOut.data(), uint(shortened)));
            auto* target = reinterpret_cast<int16_t*>(m_buffer.data());
            for (size_t i = 0; i < size_t(received * channels); ++i)
                target[i] = int16_t(std::clamp(m_stretchOut[i] * 32768.0f, -32768.0f, 32767.0f));
            samples = received;
        } else {
            std::fill_n(m_buffer.begin(), size_t(shortened * channels * 2), uint8_t(0));
            samples = shortened;
        }
    } else if (m_stretch) {
        m_stretch->clear();
    }
    const int bytes = samples * channels * 2;
    m_buffer.resize(size_t(bytes));
    if (live.audioHook && m_source.hook && bytes > 0)
        m_source.hook(std::isnan(pts) ? -1 : int64_t(pts * 1e6) - m_source.startTime,
                      m_buffer.data(), bytes, rate, channels);
    return bytes;
}

void SoundOutput::fill(Uint8* stream, int length)
{
    const double callbackTime = MediaClock::now();
    const int frameBytes = m_spec.channels * 2;
    const LiveSettings& live = m_source.live;
    while (length > 0) {
        if (m_bufferIndex >= int(m_buffer.size())) {
            if (decodeNext() < 0)
                m_buffer.assign(size_t(512 * frameBytes), 0); // nothing ready: silence
            m_bufferIndex = 0;
        }
        const int chunk = std::min(length, int(m_buffer.size()) - m_bufferIndex);
        const uint8_t* source = m_buffer.data() + m_bufferIndex;
        const int volume = live.audioVolume;
        if (live.mute || volume <= 0) {
            std::memset(stream, 0, size_t(chunk));
        } else if (volume >= 128) {
            std::memcpy(stream, source, size_t(chunk));
        } else {
            const auto* in = reinterpret_cast<const int16_t*>(source);
            auto* out = reinterpret_cast<int16_t*>(stream);
            for (int i = 0; i < chunk / 2; ++i)
                out[i] = int16_t(in[i] * volume / 128);
        }
        length -= chunk;
        stream += chunk;
        m_bufferIndex += chunk;
    }
    if (!std::isnan(m_bufferPts)) {
        const double bytesPerSecond = double(m_spec.freq) * frameBytes;
        const int pending = int(m_buffer.size()) - m_bufferIndex;
        m_source.audioClock.setAt(m_bufferPts - (2.0 * m_spec.size + pending) / bytesPerSecond,
                                  m_bufferSerial, callbackTime);
        m_source.externalClock.syncTo(m_source.audioClock, MediaClock::NoSyncThreshold);
    }
}
