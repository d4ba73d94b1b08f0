#pragma once

#include <QWidget>

// A borderless output window of the stage: the background (`playout0`) or the video surface
// of layer A (`playout`) or B (`playoutB`). Placed by desktop position and size only; the
// pointer is invisible over it.
class OutputWindow : public QWidget {
    Q_OBJECT
public:
    enum class Role { Background, LayerA, LayerB };
    explicit OutputWindow(Role role);

    Role role() const { return m_role; }

private:
    Role m_role;
};
