#include "media/video_filter_graph.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

VideoFilterGraph::VideoFilterGraph(AVRational timeBase, QString filters, bool deinterlace,
                                   std::function<void(const QString& line)> log)
    : m_timeBase(timeBase)
    , m_log(std::move(log))
    , m_filters(std::move(filters))
    , m_deinterlace(deinterlace)
{
}

QString VideoFilterGraph::description(const QString& filters, bool deinterlace)
{
    QString text = filters.trimmed();
    if (deinterlace)
        text = text.isEmpty() ? QStringLiteral("yadif") : QStringLiteral("yadif,") + text;
    return text;
}

bool VideoFilterGraph::create(const AVFrame* frame, const QString& text, Built& built,
                              QString& error) const
{
    FilterGraphPtr graph(avfilter_graph_alloc());
    const AVRational timeBase = m_timeBase;
    const AVRational sar =
        frame->sample_aspect_ratio.num ? frame->sample_aspect_ratio : AVRational{1, 1};
    const QByteArray arguments =
        QStringLiteral("video_size=%1x%2:pix_fmt=%3:time_base=%4/%5:pixel_aspect=%6/%7")
            .arg(frame->width)
            .arg(frame->height)
            .arg(frame->format)
            .arg(timeBase.num)
            .arg(timeBase.den)
            .arg(sar.num)
            .arg(sar.den)
            .toLatin1();
    AVFilterContext* source = nullptr;
    AVFilterContext* sink = nullptr;
    int result = avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in",
                                              arguments.constData(), nullptr, graph.get());
    if (result >= 0)
        result = avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out",
                                              nullptr, nullptr, graph.get());
    if (result < 0) {
        error = avCallError("avfilter_graph_create_filter()", result);
        return false;
    }
    if (text.isEmpty()) {
        result = avfilter_link(source, 0, sink, 0);
    } else {
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        outputs->name = av_strdup("in");
        outputs->filter_ctx = source;
        inputs->name = av_strdup("out");
        inputs->filter_ctx = sink;
        const QByteArray utf8 = text.toUtf8();
        result =
            avfilter_graph_parse_ptr(graph.get(), utf8.constData(), &inputs, &outputs, nullptr);
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        // Each instance is named after its filter, so commands can address it by that name.
        for (unsigned i = 0; result >= 0 && i < graph->nb_filters; ++i) {
            AVFilterContext* instance = graph->filters[i];
            if (instance == source || instance == sink)
                continue;
            av_free(instance->name);
            instance->name = av_strdup(instance->filter->name);
        }
    }
    if (result >= 0)
        result = avfilter_graph_config(graph.get(), nullptr);
    if (result < 0) {
        error = QStringLiteral("%1: %2").arg(text, avErrorText(result));
        return false;
    }
    built.graph = std::move(graph);
    built.source = source;
    built.sink = sink;
    return true;
}

bool VideoFilterGraph::build(const AVFrame* frame, QString& error)
{
    std::lock_guard lock(m_mutex);
    return buildLocked(frame, error);
}

bool VideoFilterGraph::buildLocked(const AVFrame* frame, QString& error)
{
    Built built;
    if (!create(frame, description(m_filters, m_deinterlace), built, error))
        return false;
    m_built = std::move(built);
    m_width = frame->width;
    m_height = frame->height;
    m_format = frame->format;
    return true;
}

bool VideoFilterGraph::check(const AVFrame* frame, const QString& filters, bool deinterlace,
                             QString& error) const
{
    Built built;
    return create(frame, description(filters, deinterlace), built, error);
}

bool VideoFilterGraph::change(const QString& filters, bool deinterlace, int serial)
{
    std::lock_guard lock(m_mutex);
    if (m_decodingEndedSerial == serial)
        return false;
    m_changed.emplace(filters, deinterlace);
    return true;
}

bool VideoFilterGraph::sendCommand(const QString& target, const QString& command,
                                   const QString& argument, int flags)
{
    m_log(QStringLiteral("Sending filter command target:%1 cmd:%2 arg:%3 flags:%4")
              .arg(target, command, argument)
              .arg(flags));
    std::lock_guard lock(m_mutex);
    if (m_changed) {
        m_waitingCommands.push_back({target, command, argument, flags});
        return true;
    }
    return sendLocked({target, command, argument, flags});
}

bool VideoFilterGraph::sendLocked(const Command& command)
{
    if (!m_built.graph) {
        m_log(QStringLiteral("avfilter_graph_send_command() failed"));
        return false;
    }
    char response[4096] = {};
    const int result = avfilter_graph_send_command(
        m_built.graph.get(), command.target.toUtf8().constData(),
        command.command.toUtf8().constData(), command.argument.toUtf8().constData(), response,
        sizeof response, command.flags);
    if (result < 0) {
        m_log(QStringLiteral("avfilter_graph_send_command() failed"));
        return false;
    }
    m_log(QStringLiteral("Command reply: ret:%1 response:%2")
              .arg(result)
              .arg(QString::fromUtf8(response)));
    return true;
}

bool VideoFilterGraph::decodingEnded(int serial)
{
    std::lock_guard lock(m_mutex);
    m_decodingEndedSerial = serial;
    return m_changed.has_value();
}

bool VideoFilterGraph::prepare(const AVFrame* frame)
{
    std::lock_guard lock(m_mutex);
    const bool sameInput = m_built.graph && frame->width == m_width && frame->height == m_height &&
                           frame->format == m_format;
    if (sameInput && !m_changed)
        return true;
    if (m_changed) {
        std::tie(m_filters, m_deinterlace) = *m_changed;
        m_changed.reset();
    }
    QString error;
    const bool built = buildLocked(frame, error);
    if (!built)
        m_log(error); // the graph in use stays
    for (const Command& command : m_waitingCommands)
        sendLocked(command);
    m_waitingCommands.clear();
    return built || sameInput;
}

bool VideoFilterGraph::add(AVFrame* frame)
{
    std::lock_guard lock(m_mutex);
    return av_buffersrc_add_frame(m_built.source, frame) >= 0;
}

bool VideoFilterGraph::take(AVFrame* filtered, AVRational& timeBase)
{
    std::lock_guard lock(m_mutex);
    if (av_buffersink_get_frame_flags(m_built.sink, filtered, 0) < 0)
        return false;
    timeBase = av_buffersink_get_time_base(m_built.sink);
    return true;
}
