#include "bench/conversion/ratio_table.h"

#include <algorithm>
#include <cstdio>

namespace convert::bench {
namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred) continue;
        // CPU time: the machine may be shared, and each benchmark runs on one thread.
        const double ns = run.GetAdjustedCPUTime() / items_per_iteration_;
        if (run.run_type == Run::RT_Iteration) {
            times_[run.run_name.function_name].push_back(ns);
        } else if (run.aggregate_name == "median") {
            medians_[run.run_name.function_name] = ns;
        }
    }
    ConsoleReporter::ReportRuns(runs);
}

bool RatioReporter::MedianOf(const std::string& name, double& ns) const {
    if (const auto m = medians_.find(name); m != medians_.end()) {
        ns = m->second;
        return true;
    }
    if (const auto t = times_.find(name); t != times_.end() && !t->second.empty()) {
        ns = Median(t->second);
        return true;
    }
    return false;
}

bool RatioReporter::WriteTable(const std::vector<Comparison>& comparisons, std::string& table) const {
    table = "| comparison | CPU ns per item | baseline CPU ns per item | ratio | aim |\n|---|---:|---:|---:|---|\n";
    bool complete = true;
    for (const Comparison& c : comparisons) {
        double m, b;
        if (!MedianOf(c.measured, m) || !MedianOf(c.baseline, b)) {
            complete = false;
            continue;
        }
        const double ratio = m / b;
        char row[400];
        std::snprintf(row, sizeof row, "| %s | %.2f | %.2f | **%.2f** | <= %.1f%s |\n", c.what.c_str(), m, b,
                      ratio, c.aim, ratio <= c.aim ? "" : " (not met)");
        table += row;
    }
    return complete;
}

}  // namespace convert::bench
