#include "archive/PakExtractLanes.h"

#include "framework/System.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

namespace zorvak {

namespace {

// A copy abandoned as soon as the run stops, on any thread.
class TLaneObserver : public TCopyObserver {
public:
    TLaneObserver(const std::atomic<bool>& stop, const std::function<bool()>& going)
        : stop_(stop), going_(going) {}
    void Started(std::int32_t) override {}
    bool BeforeChunk() override { return Going(); }
    bool Going() const { return !stop_.load() && (!going_ || going_()); }

private:
    const std::atomic<bool>& stop_;
    const std::function<bool()>& going_;
};

// One thread's share: its rows of the plan, their entries planned again so
// that the copier reads ahead only over entries of this lane, and the
// target it writes through.
struct TLane {
    std::vector<std::size_t> Rows;
    std::vector<TPlannedEntry> Plan;
    std::unique_ptr<TExtractTarget> Own;
    TExtractTarget* Target = nullptr;
    bool Ended = false; // the thread made its last outcome
};

} // namespace

unsigned LanesFor(std::size_t entries) {
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 && entries >= 64 ? std::min(cores, 4u) : 1;
}

std::vector<unsigned> AssignLanes(const TPakEntries& entries,
                                  const std::vector<TPlannedEntry>& planned, unsigned lanes) {
    std::vector<unsigned> laneOf(planned.size(), 0);
    if (lanes <= 1)
        return laneOf;
    // Folders as this system compares names: one folder, one lane.
    std::unordered_map<std::string, unsigned> folders;
    unsigned next = 0;
    for (std::size_t k = 0; k < planned.size(); ++k) {
        const std::string_view name = entries[planned[k].Entry].Name;
        const std::size_t slash = name.find_last_of("/\\");
        const std::string folder = FileNameKey(
            slash == std::string_view::npos ? std::string_view() : name.substr(0, slash));
        const auto [at, added] = folders.try_emplace(folder, next);
        if (added)
            next = (next + 1) % lanes;
        laneOf[k] = at->second;
    }
    return laneOf;
}

bool ExtractInLanes(TExtractTarget& target, const TLockedFile& archive, const TPakEntries& entries,
                    const std::vector<TPlannedEntry>& planned, unsigned lanes,
                    const TLaneHooks& hooks) {
    lanes = std::max(lanes, 1u);
    const std::vector<unsigned> laneOf = AssignLanes(entries, planned, lanes);
    std::vector<TLane> lane(lanes);
    for (std::size_t k = 0; k < planned.size(); ++k)
        if (!planned[k].Kept) {
            lane[laneOf[k]].Rows.push_back(k);
            lane[laneOf[k]].Plan.push_back(planned[k]);
        }
    for (unsigned l = 0; l < lanes; ++l) {
        SetReadAheadEnds(entries, lane[l].Plan);
        if (l == 0) {
            lane[l].Target = &target;
            continue;
        }
        lane[l].Own = std::make_unique<TExtractTarget>(target.Path());
        lane[l].Own->KeepExisting(target.Mode() == TOutputMode::omKeep);
        lane[l].Own->FlushAtEnd(target.FlushingAtEnd());
        // Nothing is left of stopped runs by now: the first target put it
        // right. Done here, before any lane writes.
        lane[l].Own->Recover();
        lane[l].Target = lane[l].Own.get();
    }

    std::vector<TLaneOutcome> outcome(planned.size());
    std::vector<unsigned char> ready(planned.size(), 0);
    std::mutex mutex;
    std::condition_variable changed;
    bool waiting = false; // the caller's thread waits for an outcome
    std::atomic<bool> stop{false};

    // One entry of a lane, its outcome kept for the caller's thread, which
    // is woken only when it waits: a hand-over per entry would cost more
    // than many small entries do.
    const auto extract = [&](TLane& mine, std::size_t j, TEntryCopier& copier,
                             TLaneObserver& observer) {
        const auto held = [&archive]() -> const TLockedFile& { return archive; };
        TLaneOutcome o;
        try {
            copier.ReadAheadTo(mine.Plan[j].ReadAheadTo);
            if (!observer.Going() ||
                !ExtractEntry(*mine.Target, entries[mine.Plan[j].Entry], held, observer, copier))
                o.Kind = TLaneOutcome::okStopped;
        } catch (...) {
            o.Kind = TLaneOutcome::okFailed;
            o.Failure = std::current_exception();
        }
        const bool stopped = o.Kind == TLaneOutcome::okStopped;
        bool wake = false;
        {
            const std::lock_guard lock(mutex);
            outcome[mine.Rows[j]] = std::move(o);
            ready[mine.Rows[j]] = 1;
            if (stopped || j + 1 == mine.Rows.size())
                mine.Ended = true;
            wake = waiting;
        }
        if (wake)
            changed.notify_one();
        return !stopped;
    };
    const auto work = [&](TLane& mine) {
        TEntryCopier copier(true);
        TLaneObserver observer(stop, hooks.Going);
        for (std::size_t j = 0; j < mine.Rows.size() && !stop; ++j)
            if (!extract(mine, j, copier, observer))
                break;
        bool wake = false;
        {
            const std::lock_guard lock(mutex);
            mine.Ended = true;
            wake = waiting;
        }
        if (wake)
            changed.notify_one();
    };

    std::vector<std::thread> threads;
    // Whatever ends the caller's loop, a Told that throws included, the
    // threads stop and are waited for before anything they use goes.
    struct TJoin {
        std::atomic<bool>& Stop;
        std::vector<std::thread>& Threads;
        ~TJoin() {
            Stop = true;
            for (std::thread& t : Threads)
                if (t.joinable())
                    t.join();
        }
    } join{stop, threads};
    for (unsigned l = 1; l < lanes; ++l)
        threads.emplace_back(work, std::ref(lane[l]));

    // Tells the outcomes in the plan's order as far as they are there, or,
    // blocking, all of them. False once the run is to end.
    std::size_t next = 0;
    bool complete = true;
    const auto tell = [&](bool block) {
        for (; next < planned.size(); ++next) {
            if (planned[next].Kept)
                continue;
            {
                std::unique_lock lock(mutex);
                TLane& mine = lane[laneOf[next]];
                if (ready[next] == 0 && !block)
                    return true;
                waiting = true;
                changed.wait(lock, [&] { return ready[next] != 0 || mine.Ended; });
                waiting = false;
                if (ready[next] == 0)
                    return complete = false;
            }
            if (outcome[next].Kind == TLaneOutcome::okStopped ||
                !hooks.Told(planned[next], outcome[next]))
                return complete = false;
        }
        return true;
    };
    // The caller's thread is the first lane, and tells between its entries.
    {
        TEntryCopier copier(true);
        TLaneObserver observer(stop, hooks.Going);
        TLane& mine = lane[0];
        for (std::size_t j = 0; j < mine.Rows.size(); ++j)
            if (!extract(mine, j, copier, observer) || !tell(false))
                break;
        {
            const std::lock_guard lock(mutex);
            mine.Ended = true;
        }
    }
    if (complete)
        tell(true);
    stop = true;
    for (std::thread& t : threads)
        t.join();
    threads.clear();
    for (TLane& l : lane)
        if (l.Own)
            l.Own->Finish();
    return complete;
}

} // namespace zorvak
