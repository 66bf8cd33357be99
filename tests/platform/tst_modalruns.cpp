#include <optional>

#include <QTest>

#include "platform/modalruns.h"
#include "platform/sim/simrunloop.h"

using platform::ModalRuns;
using platform::sim::SimRunLoop;

class TestModalRuns : public QObject
{
    Q_OBJECT
private slots:
    void heldBackWorkWaitsForTheLastRunAndItsCaller();
    void endingClosesRunsInnermostFirstAndRefusesNewOnes();
    void onlyTheOwnersRunsAreEnded();
};

// The fault this guards against: work done as the run ends would still run
// under the run's caller, which then touches what that work freed.
void TestModalRuns::heldBackWorkWaitsForTheLastRunAndItsCaller()
{
    SimRunLoop loop;
    ModalRuns runs(&loop);
    QStringList order;
    runs.deliver([&] { order << "outside"; });
    QCOMPARE(order, QStringList { "outside" });
    {
        const ModalRuns::Scope outer(&runs);
        runs.deliver([&] { order << "removal"; });
        {
            const ModalRuns::Scope inner(&runs);
            runs.deliver([&] { order << "report"; });
        }
        loop.drain();
        QCOMPARE(runs.depth(), 1);
        QCOMPARE(order, QStringList { "outside" });
    }
    // The caller of the last run goes on first.
    order << "caller";
    // Delivered with work still waiting: behind it, never before.
    runs.deliver([&] { order << "later"; });
    QCOMPARE(runs.heldBack(), 3);
    loop.drain();
    QCOMPARE(order, (QStringList { "outside", "caller", "removal", "report", "later" }));
    QCOMPARE(runs.heldBack(), 0);

    // Held-back work that opens a run stops the rest until that run ends.
    std::optional<ModalRuns::Scope> opened;
    order.clear();
    {
        const ModalRuns::Scope run(&runs);
        runs.deliver([&] {
            opened.emplace(&runs);
            order << "opens";
        });
        runs.deliver([&] { order << "after it"; });
    }
    loop.drain();
    QCOMPARE(order, QStringList { "opens" });
    opened.reset();
    loop.drain();
    QCOMPARE(order, (QStringList { "opens", "after it" }));
}

void TestModalRuns::endingClosesRunsInnermostFirstAndRefusesNewOnes()
{
    SimRunLoop loop;
    ModalRuns runs(&loop);
    QStringList closed;
    const ModalRuns::Scope outer(&runs, [&] { closed << "outer"; });
    const ModalRuns::Scope inner(&runs, [&] { closed << "inner"; });
    QVERIFY(!inner.endedFromOutside());
    runs.beginEnding();
    runs.beginEnding(); // a second request closes nothing twice
    QCOMPARE(closed, (QStringList { "inner", "outer" }));
    QVERIFY(outer.endedFromOutside());
    QVERIFY(inner.endedFromOutside());
    QVERIFY(runs.isEnding());
    const ModalRuns::Scope late(&runs, [&] { closed << "late"; });
    QVERIFY(late.endedFromOutside());
    QCOMPARE(closed.size(), 2);
}

void TestModalRuns::onlyTheOwnersRunsAreEnded()
{
    ModalRuns runs;
    int window = 0;
    int other = 0;
    QStringList closed;
    std::optional<ModalRuns::Scope> mine;
    std::optional<ModalRuns::Scope> theirs;
    {
        const ModalRuns::Owner owner(&runs, &window);
        mine.emplace(&runs, [&] { closed << "mine"; });
        {
            const ModalRuns::Owner nested(&runs, &other);
            theirs.emplace(&runs, [&] { closed << "theirs"; });
        }
    }
    const ModalRuns::Scope unowned(&runs, [&] { closed << "unowned"; });
    runs.endRunsOf(&window);
    QCOMPARE(closed, QStringList { "mine" });
    QVERIFY(mine->endedFromOutside());
    QVERIFY(!theirs->endedFromOutside());
    QVERIFY(!unowned.endedFromOutside());
    QVERIFY(!runs.isEnding());
    theirs.reset();
    mine.reset();
}

QTEST_GUILESS_MAIN(TestModalRuns)
#include "tst_modalruns.moc"
