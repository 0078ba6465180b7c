// Ours beside a peer in one run: each round times our side, then the peer's, on the same
// input, so that both see the same machine. Times are the thread's CPU time (user and system),
// so that waiting for the core on a shared machine counts on neither side. The counters give
// the median round of each side and the speed-up (peer's median / ours): a few rounds that
// the machine slows move a median far less than a sum.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

namespace bench {

class SideBySide {
public:
    // Times are reported in `unit` ("ms", "us" or "ns"); the peer's counter is named after it.
    SideBySide(benchmark::State& state, std::string peer, std::string unit)
        : _state(state), _peer(std::move(peer)), _scale(unit == "ms"   ? 1e3
                                                        : unit == "us" ? 1e6
                                                                       : 1e9),
          _unit(std::move(unit)) {}
    SideBySide(const SideBySide&) = delete;
    SideBySide& operator=(const SideBySide&) = delete;

    // Our side of a round; its time is the benchmark's own (manual time). Work far shorter
    // than reading the clock is timed `repeat` times over and counted once.
    template <typename F>
    void Ours(F&& work, int repeat = 1) {
        const double seconds = Time(work, repeat);
        _ours.push_back(seconds);
        _state.SetIterationTime(seconds);
    }
    template <typename F>
    void Peer(F&& work, int repeat = 1) {
        _theirs.push_back(Time(work, repeat));
    }

    // The medians so far, in seconds.
    double OursMedian() { return Median(_ours); }
    double PeerMedian() { return Median(_theirs); }

    // Sets the counters; call after the last round.
    void Report() {
        const double ours = Median(_ours), theirs = Median(_theirs);
        _state.counters["ours_" + _unit] = ours * _scale;
        if (_theirs.empty())
            return; // no peer
        _state.counters[_peer + "_" + _unit] = theirs * _scale;
        _state.counters["speedup"] = ours > 0 ? theirs / ours : 0;
    }

private:
    static double Now() {
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
    template <typename F>
    static double Time(F& work, int repeat) {
        const double t0 = Now();
        for (int i = 0; i < repeat; ++i)
            work();
        return (Now() - t0) / repeat;
    }
    static double Median(std::vector<double>& v) {
        if (v.empty())
            return 0;
        const auto mid = v.begin() + std::ptrdiff_t(v.size() / 2);
        std::nth_element(v.begin(), mid, v.end());
        return *mid;
    }

    benchmark::State& _state;
    std::string _peer;
    double _scale;
    std::string _unit;
    std::vector<double> _ours, _theirs;
};

} // namespace bench
