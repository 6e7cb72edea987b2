// What one test program of the bundle left behind (its exit, its gtest XML
// report), judged, and the JUnit report that merges them all. No Windows
// calls here, so that the unit tests check it on every build.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bundle {

struct SkippedTest {
    std::string test;    // Suite.Name
    std::string reason;  // on one line
    bool operator==(const SkippedTest&) const = default;
};

// The test cases of a gtest XML report.
struct GtestReport {
    int passed = 0;
    int failed = 0;
    int skipped = 0;
    std::vector<SkippedTest> skips;
    std::string suites;  // its <testsuite> elements, as they stand
};
// None when the text is no whole gtest report: a program that ended half-way
// leaves none, or a cut one.
std::optional<GtestReport> ReadGtestXml(std::string_view xml);

// How a program's run ended.
struct ProgramRun {
    enum Ended { kExited, kTimedOut, kNotStarted } ended = kExited;
    std::uint32_t exit_code = 0;
    bool gtest = false;
    std::optional<std::string> xml;  // the report it wrote, if any
    std::string why_not_started;
    int timeout_seconds = 0;
};

struct Verdict {
    enum State { kOk, kSkipped, kFailed } state = kFailed;
    int passed = 0;
    int failed = 0;
    int skipped = 0;
    std::vector<SkippedTest> skips;
    std::string problem;  // what failed the entry beyond its own tests, if anything
    std::string suites;   // the entry's part of the JUnit report, but for the problem
};
Verdict Judge(const ProgramRun& run);

// One entry's part of the merged report.
struct EntryResult {
    std::string name;
    Verdict verdict;
    double seconds = 0;
    std::string log_tail;  // told with a problem
};
// The gtest reports merged, plus a failing test case for each problem and a
// test case for each program that is no gtest program.
std::string JunitXml(const std::vector<EntryResult>& results);

// Text made safe for XML: what is not UTF-8, and controls XML 1.0 does not
// allow, become '?'.
std::string XmlSafe(std::string_view text);

}  // namespace bundle
