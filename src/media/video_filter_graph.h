#pragma once

#include "media/ffmpeg_types.h"

#include <QString>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// The video filter graph of one opening. It is built on the first picture, and again for a
// picture of another size or format or for a new filter text, which takes effect from the
// next picture without re-opening. Each filter instance is named after its filter, so that
// commands can address it by that name.
//
// Threads: the video decoding thread builds it and puts pictures through it; the user-
// interface thread sends commands, asks for a new text and checks texts. All under one lock.
class VideoFilterGraph {
public:
    VideoFilterGraph(AVRational timeBase, QString filters, bool deinterlace,
                     std::function<void(const QString& line)> log);

    // Builds the current text on pictures like `frame` (the opening's check).
    bool build(const AVFrame* frame, QString& error);
    // Whether FFmpeg builds this text on pictures like `frame`; nothing changes.
    bool check(const AVFrame* frame, const QString& filters, bool deinterlace,
               QString& error) const;
    // Takes this text from the next picture on; false, with nothing changed, when the pictures
    // of `serial` are all decoded (nothing is left to filter).
    bool change(const QString& filters, bool deinterlace, int serial);
    // Sends a command to the graph in use, or, while a new text waits, to the new graph as
    // soon as it is built (true then).
    bool sendCommand(const QString& target, const QString& command, const QString& argument,
                     int flags);

    // Decoding thread. The pictures of `serial` are all decoded: true when a new text waits
    // (the last picture should go through it again).
    bool decodingEnded(int serial);
    // Rebuilds the graph when `frame` or the text asks for it; false when there is no graph to
    // filter with.
    bool prepare(const AVFrame* frame);
    bool add(AVFrame* frame);
    // The next filtered picture and its time base; false when none is ready.
    bool take(AVFrame* filtered, AVRational& timeBase);

private:
    struct Built {
        FilterGraphPtr graph;
        AVFilterContext* source = nullptr;
        AVFilterContext* sink = nullptr;
    };
    struct Command {
        QString target, command, argument;
        int flags = 0;
    };
    static QString description(const QString& filters, bool deinterlace);
    bool create(const AVFrame* frame, const QString& text, Built& built, QString& error) const;
    bool buildLocked(const AVFrame* frame, QString& error);
    bool sendLocked(const Command& command);

    const AVRational m_timeBase;
    std::function<void(const QString& line)> m_log;
    std::mutex m_mutex;
    QString m_filters;
    bool m_deinterlace;
    // A new text and the commands that wait for it; the serial whose pictures are all
    // decoded.
    std::optional<std::pair<QString, bool>> m_changed;
    std::vector<Command> m_waitingCommands;
    int m_decodingEndedSerial = -1;
    Built m_built;
    int m_width = 0, m_height = 0, m_format = -1;
};
