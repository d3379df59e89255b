// The figures of repeated measurements, in milliseconds: mean, median, 99th percentile and
// the worst.
#pragma once

#include <algorithm>
#include <chrono>
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

}  // namespace tallowick::bench
