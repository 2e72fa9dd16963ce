#pragma once

#include <cstdint>
#include <random>

namespace varneth::port {

// The pseudo-random source of the game; the product seeds it from the clock, tests and replays with
// a constant. The generator is fixed by the standard, so a seed replays the same on every machine.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    std::uint64_t next() { return engine_(); }
    int coin() { return static_cast<int>(next() >> 63) + 1; }  // 1 or 2
    void reseed(std::uint64_t seed) { engine_.seed(seed); }

private:
    std::mt19937_64 engine_;
};

}  // namespace varneth::port
