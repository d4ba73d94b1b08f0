#pragma once

#include "media/ffmpeg_types.h"
#include "media/player_types.h"

#include <QImage>
#include <QString>
#include <functional>

struct TFileStreamInfo {
    int64_t StartTime = 0; // microseconds
    int64_t Duration = 0;  // microseconds
    int BitRate = 0;
};

struct TFrameInfo {
    int Width = 0;
    int Height = 0;
};

// Opens one media file at a time, reads its stream information and decodes its pictures one
// by one on the caller's thread (probing files for the library).
class TFFDecoder {
public:
    TFFDecoder() = default;
    ~TFFDecoder() { CloseFile(); }
    TFFDecoder(const TFFDecoder&) = delete;
    TFFDecoder& operator=(const TFFDecoder&) = delete;

    // The libraries are linked with the program: these succeed at once.
    static bool AVLibLoaded() { return true; }
    static bool LoadAVLib(const QString&) { return true; }

    // Opens the file and reads its stream information; an empty format name detects it.
    bool LoadFile(const QString& fileName, const QString& formatName = {});
    TFileStreamInfo FileStreamInfo() const;
    bool Seek(int64_t pts, TSeekFlags flags);
    // Reads on until one picture of the stream (-1: the first video stream) is decoded.
    bool Decode(int streamIndex = -1);
    TFrameInfo FrameInfo() const;
    // The last decoded picture in 32-bit RGB, at its own size.
    bool CopyToBitmap(QImage& bitmap);
    void CloseFile();

    QString FileName() const { return m_fileName; }
    QString FormatName() const;
    QString LastErrMsg() const { return m_lastError; }
    std::function<void(const QString& line)> OnLog;

private:
    bool openVideoDecoder(int streamIndex);
    void fail(const QString& message);

    FormatContextPtr m_format;
    CodecContextPtr m_codec;
    int m_stream = -1;
    FramePtr m_frame;
    bool m_pictureReady = false;
    bool m_still = false;
    QString m_fileName;
    QString m_lastError;
};
