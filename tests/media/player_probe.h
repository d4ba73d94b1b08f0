#pragma once

#include "media/ff_player.h"

#include <QMutex>
#include <QStringList>

// Records what a player reports: states and positions in order, on the user-interface
// thread, and its log lines from any thread.
struct PlayerProbe {
    QList<TPlayState> states;
    QList<int64_t> positions;
    QList<int64_t> readErrors; // where the file could not be read further
    QStringList events;        // "state:N" and "position:N" in order
    QMutex logMutex;
    QStringList logLines;
    int64_t duration = -1;
    TFFPlayer& m_player;

    explicit PlayerProbe(TFFPlayer& player)
        : m_player(player)
    {
        player.OnState = [this](TFFPlayer*, TPlayState state) {
            states.append(state);
            events.append(QStringLiteral("state:%1").arg(int(state)));
        };
        player.OnPosition = [this](TFFPlayer*, int64_t pts) {
            positions.append(pts);
            events.append(QStringLiteral("position:%1").arg(pts));
        };
        player.OnReadError = [this](TFFPlayer*, int64_t reached) {
            readErrors.append(reached);
            events.append(QStringLiteral("read error:%1").arg(reached));
        };
        player.OnFileOpen = [this](TFFPlayer*, int64_t length, int, int, int&, int&) {
            duration = length;
        };
        player.OnLog = [this](TFFPlayer*, const QString& line) {
            QMutexLocker lock(&logMutex);
            logLines.append(line);
        };
    }
    // Stops the player first: its threads may still be logging.
    ~PlayerProbe()
    {
        m_player.Stop(true);
        m_player.OnState = nullptr;
        m_player.OnPosition = nullptr;
        m_player.OnFileOpen = nullptr;
        m_player.OnReadError = nullptr;
        m_player.OnLog = nullptr;
    }
    PlayerProbe(const PlayerProbe&) = delete;
    PlayerProbe& operator=(const PlayerProbe&) = delete;

    bool logged(const QString& text)
    {
        QMutexLocker lock(&logMutex);
        for (const QString& line : logLines)
            if (line.contains(text))
                return true;
        return false;
    }
};
