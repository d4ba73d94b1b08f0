#include "media/notification_ring.h"

#include <QTest>

namespace {
using Kind = NotificationRing::Kind;
QList<std::pair<Kind, int64_t>> drain(NotificationRing& ring)
{
    QList<std::pair<Kind, int64_t>> taken;
    while (const auto entry = ring.take(std::chrono::milliseconds(0)))
        taken.append({entry->kind, entry->value});
    return taken;
}
} // namespace

class TestNotificationRing : public QObject {
    Q_OBJECT
private slots:
    void onlyTheLatestPositionWaitsButEveryStateDoes()
    {
        NotificationRing ring;
        ring.push(Kind::State, 0); // psPlay
        ring.push(Kind::State, 1); // psPause
        ring.push(Kind::Position, 100);
        ring.push(Kind::Position, 200);
        ring.push(Kind::State, 5); // psEnd
        ring.push(Kind::State, 4); // psStop
        const QList<std::pair<Kind, int64_t>> expected = {{Kind::State, 0},
                                                          {Kind::State, 1},
                                                          {Kind::Position, 200},
                                                          {Kind::State, 5},
                                                          {Kind::State, 4}};
        QCOMPARE(drain(ring), expected);
        QVERIFY(!ring.take(std::chrono::milliseconds(1)));
    }

    void aFullRingDropsTheOldest()
    {
        NotificationRing ring;
        for (int i = 0; i < NotificationRing::Slots + 2; ++i)
            ring.push(i % 2 ? Kind::State : Kind::Position, i);
        const auto taken = drain(ring);
        QCOMPARE(taken.size(), NotificationRing::Slots);
        QCOMPARE(taken.first().second, 2);
        QCOMPARE(taken.last().second, NotificationRing::Slots + 1);
    }
};

QTEST_GUILESS_MAIN(TestNotificationRing)
#include "test_notification_ring.moc"
