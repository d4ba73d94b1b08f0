#pragma once

#include "channels/channel_hooks.h"
#include "channels/clip_settings.h"

#include <QWidget>

class PlaybackChannels;
class QAbstractButton;
class QButtonGroup;
class QHBoxLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSlider;
class QSpinBox;

// The filter panel ("  Filter"): crop, four-corner perspective, the standard and the turning
// rotation on the page "Geometry", colour balance on "Colors", blur on "Advanced", free filter
// text on "Script". It shows and edits one channel's settings, the selected channel's:
// choosing a channel loads them (showChannel).
//
// Every bar is inverted: a value is its bar's maximum minus its position. Rotation angle and
// blur radius go live into the running filters; every other change takes effect when a
// button applies it at the clip's position, and a filter text FFmpeg refuses is not applied:
// the clip plays on as it was and the operator reads why.
class FilterPanel : public QWidget {
    Q_OBJECT
public:
    explicit FilterPanel(PlaybackChannels& channels, QWidget* parent = nullptr);

    // Loads the channel's settings into the panel, with the channel's picture hook on exactly
    // when its perspective is (`ImpostaFiltri`).
    void showChannel(int channel);
    int channel() const { return m_channel; }
    // What the picture hooks of both channels draw now, handed to the players.
    void publishMarks();

private:
    // A bar and its number; the value is `maximum - position` of the bar.
    struct Axis {
        QSlider* bar;
        QSpinBox* number;
    };
    // A group's switch and buttons and the controls its "ACTIVE" enables.
    struct Group {
        QPushButton* active;
        QPushButton* edit = nullptr;
        QPushButton* reset = nullptr;
        QPushButton* apply = nullptr;
        QList<QWidget*> controls;
        void enable(bool on) const;
    };

    // A vertical inverted bar and its number over the same range.
    static Axis makeAxis(QWidget* parent, const char* barName, const char* numberName, int lowest,
                         int highest);
    // The group's "ACTIVE" and those of "EDIT", "RESET", "APPLY" that have a name, in a row.
    static QHBoxLayout* makeButtons(Group& group, QWidget* parent, const char* active,
                                    const char* edit, const char* reset, const char* apply);
    QWidget* buildGeometry();
    QWidget* buildColors();
    QWidget* buildAdvanced();
    QWidget* buildScript();
    // A crop edge or a corner coordinate in pixels: its number writes the value while the
    // group is on (or `always`) and moves the bar; the bar sets the number while the group is on.
    void wirePixelAxis(const Axis& axis, int ClipSettings::*member, const Group& group,
                       bool always);
    void wireCrop();
    void wirePerspective();
    void wireRotation();
    void wireColourBalance();
    void wireBlur();
    void wireScript();

    ClipSettings& settings();
    TFFPlayer* player() const;
    // The live command, not while the panel is loading.
    void send(const char* target, const char* command, const QString& argument);
    // "ACTIVE" acts only with the players' libraries and while the handlers are armed;
    // otherwise it goes back.
    bool activeMayAct(QAbstractButton* active);
    // Puts these settings on the channel's clip at its position; false, with the settings
    // kept, when FFmpeg refuses the filters.
    bool applySettings(const ClipSettings& wanted, bool armedOff);
    bool applySettings(bool armedOff) { return applySettings(settings(), armedOff); }
    // Turns a group on or off from its "ACTIVE"; on refusal the button goes back.
    void switchGroup(const Group& group, int ClipSettings::*flag, bool on);
    void paintSwatches();
    PictureMarks marksOf(int channel) const;
    void setMaximum(const Axis& axis, int maximum);

    PlaybackChannels& m_channels;
    int m_channel = 2;
    bool m_loading = false;

    Group m_crop;
    Axis m_cropAxes[4]; // left, top, right, bottom
    Group m_perspective;
    Axis m_corners[8]; // x0, y0, x1, y1, x2, y2, x3, y3
    QButtonGroup* m_standardRotation;
    Group m_rotation;
    Axis m_angle;
    Group m_colour;
    Axis m_balance[9]; // rs gs bs, rm gm bm, rh gh bh
    QLabel* m_swatches[3];
    Group m_blur;
    Axis m_chroma; // power
    Axis m_luma;   // radius
    QPlainTextEdit* m_script;
    QPushButton* m_scriptClear;
    QPushButton* m_scriptApply;
};

// The filter text of the script memo: "," and the line for every line that is not blank.
QString scriptFilterText(const QString& memo);
// The memo's lines of a stored filter text: its pieces after the leading ",".
QString scriptMemoText(const QString& filters);
