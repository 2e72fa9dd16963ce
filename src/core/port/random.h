#pragma once

#include <cstdint>
#include <random>

namespace varneth::port {

// A uniform pseudo-random source; the product seeds it from the clock, tests with a constant.
class Random {
public:
    explicit Random(std::uint64_t seed) : engine_(seed) {}
    double uniform() { return dist_(engine_); }  // in [0, 1)
    void reseed(std::uint64_t seed) { engine_.seed(seed); }

private:
    std::mt19937_64 engine_;
    std::uniform_real_distribution<double> dist_{0.0, 1.0};
};

}  // namespace varneth::port
