#pragma once

#include <QImage>
#include <QObject>
#include <QSize>
#include <functional>

struct TInputFrameInfo {
    int64_t TimeStamp = 0; // microseconds
    int64_t LastTimeStamp = 0;
    int FrameNumber = 0;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
    int BytesPerLine = 0;
    int BytesPerFrame = 0;
    QString PixelFormat;
};

// A source of pictures drawn by the program for encoder tasks: a task whose input options
// are "-f frameinput -input_type canvas -pix_fmt bgr24 -r 30 -s 1280x720" and whose input
// name is the adapter's Identity() asks OnReadFrameCanvas for each picture. A negative
// result means there are no more pictures. Lives on the user-interface thread.
class TFrameInputAdapter : public QObject {
    Q_OBJECT
public:
    explicit TFrameInputAdapter(QObject* parent = nullptr);
    ~TFrameInputAdapter() override;

    // The name a task gives as its input: this adapter's identity as a decimal number.
    QString Identity() const;
    // The adapter of that identity, or null.
    static TFrameInputAdapter* find(const QString& identity);

    std::function<int(TFrameInputAdapter* sender, QImage& canvas, TInputFrameInfo* info)>
        OnReadFrameCanvas;
};

// Makes the "frameinput" input format known to the encoder (there is nothing to do in this
// build: the encoder recognises it itself).
inline void RegisterFrameInput()
{
}
