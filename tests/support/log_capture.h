#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects what the program logs while it lives (and still prints it).
class LogCapture {
public:
    LogCapture()
    {
        s_lines = &lines;
        m_previous = qInstallMessageHandler(&LogCapture::handle);
        s_previous = m_previous;
    }
    ~LogCapture()
    {
        qInstallMessageHandler(m_previous);
        s_lines = nullptr;
    }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines that contain this text.
    QStringList containing(const QString& text) const { return lines.filter(text); }

    QStringList lines;

private:
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message)
    {
        if (s_lines)
            s_lines->append(message);
        if (s_previous)
            s_previous(type, context, message);
    }
    static inline QStringList* s_lines = nullptr;
    static inline QtMessageHandler s_previous = nullptr;
    QtMessageHandler m_previous;
};
