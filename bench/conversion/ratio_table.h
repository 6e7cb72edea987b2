// Collects the timings of a benchmark run and states them as ratios of
// pairs measured in the same run.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace convert::bench {

struct Comparison {
    std::string what;       // a row of the table
    std::string measured;   // benchmark name of the code under test
    std::string baseline;   // benchmark name of what it is compared with
    double aim;             // the ratio it should not exceed
};

// Prints as the console reporter does and keeps every repetition's time.
// Every benchmark handles the same number of items per iteration, and
// reports in nanoseconds; the times kept are CPU times.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(int items_per_iteration) : items_per_iteration_(items_per_iteration) {}
    void ReportRuns(const std::vector<Run>& runs) override;

    // Markdown table: what, median times, ratio, aim. Returns false
    // when a benchmark of a comparison did not run.
    bool WriteTable(const std::vector<Comparison>& comparisons, std::string& table) const;

private:
    bool MedianOf(const std::string& name, double& ns) const;

    int items_per_iteration_;
    // CPU ns per item: every repetition's, or the median when only aggregates are reported.
    std::map<std::string, std::vector<double>> times_;
    std::map<std::string, double> medians_;
};

}  // namespace convert::bench
