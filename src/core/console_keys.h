#pragma once

#include <QObject>
#include <functional>

class ChannelPanel;
class QKeyEvent;
class TransportBar;

// The console's keys, whatever control of the console has the focus (except text and number
// fields): Space "LOAD", L "PLAY", P "PAUSE", End "STOP", A and B select the layer, keypad + and
// − lengthen or shorten the selected channel's transition. After a key the keyboard goes back
// to the clip grid.
class ConsoleKeys : public QObject {
public:
    struct Targets {
        QWidget* console;
        TransportBar* transport;
        ChannelPanel* panels[2];
        QWidget* clipGrid;
        std::function<int()> selectedChannel;
        std::function<void(int channel)> selectLayer;
    };

    // Listens to the application's key presses until stop() or its end.
    explicit ConsoleKeys(Targets targets, QObject* parent = nullptr);
    ~ConsoleKeys() override;
    void stop();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // True when the key was one of the console's.
    bool press(QKeyEvent* key);

    Targets m_targets;
};
