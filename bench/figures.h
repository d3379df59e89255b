// The figures of repeated measurements, in milliseconds: mean, median, 99th percentile and
// the worst; and the timing of something done again and again.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <vector>

namespace tallowick::bench {

inline double msSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

struct Figures {
  double mean = 0, median = 0, p99 = 0, worst = 0;
};

inline Figures figuresOf(std::vector<double> samples) {
  if (samples.empty()) return {};
  std::sort(samples.begin(), samples.end());
  const auto at = [&](double q) {
    return samples[std::min(samples.size() - 1,
                            static_cast<std::size_t>(q * static_cast<double>(samples.size())))];
  };
  double sum = 0;
  for (double s : samples)
    sum += s;
  return {sum / static_cast<double>(samples.size()), at(0.5), at(0.99), samples.back()};
}

// Something done `times` times, in milliseconds; fails the benchmark when it fails.
inline Figures timed(int times, const std::function<bool()>& body) {
  std::vector<double> samples;
  for (int i = 0; i < times; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (!body()) std::exit(1);
    samples.push_back(msSince(start));
  }
  return figuresOf(samples);
}

}  // namespace tallowick::bench
