#include "stage/output_window.h"

#include "shared/bgr_colour.h"
#include "stage/stage_mask.h"
#include "stage/video_surface.h"

#include <QPainter>
#include <QVBoxLayout>

OutputWindow::OutputWindow(Role role)
    : QWidget(nullptr)
    , m_role(role)
{
    Qt::WindowFlags flags = Qt::Window | Qt::FramelessWindowHint;
    switch (role) {
    case Role::Background:
        setObjectName("playout0");
        setWindowTitle("PlayOut");
        break;
    case Role::LayerA:
        setObjectName("playout");
        setWindowTitle("playout");
        flags |= Qt::WindowStaysOnTopHint;
        break;
    case Role::LayerB:
        setObjectName("playoutB");
        setWindowTitle("Playout B");
        flags |= Qt::WindowStaysOnTopHint;
        break;
    }
    setWindowFlags(flags);
    setCursor(Qt::BlankCursor);
    if (role != Role::Background) {
        m_surface = new VideoSurface(this);
        m_surface->setCursor(Qt::BlankCursor);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_surface);
    }
}

void OutputWindow::setColour(unsigned colour)
{
    m_colour = bgrColour(colour);
    // A test pattern stays until "TAKE" draws it again in the new geometry: the layer is
    // not taken off the screen in between.
    if (showsPattern())
        update();
    else
        showOwnColour();
}

void OutputWindow::showOwnColour()
{
    if (m_surface)
        m_surface->clear(m_colour);
    if (m_holdsPattern) {
        m_holdsPattern = false;
        updateVisibility();
    }
    update();
}

void OutputWindow::showPattern(const QImage& pattern)
{
    if (!m_surface)
        return;
    m_surface->present(pattern, pattern.rect(), m_colour);
    m_patternKey = pattern.cacheKey();
    m_holdsPattern = true;
    updateVisibility();
}

bool OutputWindow::showsPattern() const
{
    return m_holdsPattern && m_surface->picture().cacheKey() == m_patternKey;
}

void OutputWindow::setPicture(const QImage& picture)
{
    m_picture = picture;
    update();
}

void OutputWindow::applyMask(int shape, int sides)
{
    setMask(maskRegion(size(), shape, sides));
    update();
}

void OutputWindow::setOnStage(bool shown)
{
    m_onStage = shown;
    updateVisibility();
}

void OutputWindow::setHoldsPicture(bool holds)
{
    m_holdsPicture = holds;
    updateVisibility();
}

void OutputWindow::setShowsLiveInput(int input, bool shows)
{
    m_liveInputs = shows ? m_liveInputs | input : m_liveInputs & ~input;
    updateVisibility();
}

void OutputWindow::updateVisibility()
{
    setVisible(m_onStage && (m_role == Role::Background || m_holdsPicture || m_holdsPattern ||
                             m_liveInputs != 0));
}

void OutputWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(rect(), m_colour);
    else
        painter.drawImage(rect(), m_picture);
}
