// The test bundle's runner: how it counts a gtest report and judges a run.
#include "tests/bundle/test_results.h"

#include <gtest/gtest.h>

namespace bundle {
namespace {

// As gtest 1.12 writes it: one test of each outcome.
constexpr char kReport[] = R"(<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="4" failures="1" disabled="1" errors="0" time="0.2" name="AllTests">
  <testsuite name="A" tests="4" failures="1" disabled="1" skipped="1" errors="0" time="0.2">
    <testcase name="Passes" file="a.cpp" line="3" status="run" result="completed" time="0." classname="A" />
    <testcase name="Fails" file="a.cpp" line="5" status="run" result="completed" time="0." classname="A">
      <failure message="a.cpp:6&#x0A;Expected equality" type=""><![CDATA[a.cpp:6
Expected equality]]></failure>
    </testcase>
    <testcase name="Skips" file="a.cpp" line="8" status="run" result="skipped" time="0." classname="A">
      <skipped message="a.cpp:9&#x0A;needs &lt;144&gt; DPI;&#x0A;this one &amp; &quot;96&quot;"><![CDATA[a.cpp:9
needs <144> DPI;
this one & "96"]]></skipped>
    </testcase>
    <testcase name="DISABLED_Off" file="a.cpp" line="11" status="notrun" result="suppressed" time="0." classname="A" />
  </testsuite>
</testsuites>
)";

constexpr char kPassing[] = R"(<testsuites><testsuite name="B">
    <testcase name="Passes" status="run" result="completed" classname="B" />
</testsuite></testsuites>)";
constexpr char kSkipping[] = R"(<testsuites><testsuite name="C">
    <testcase name="Skips" status="run" result="skipped" classname="C">
      <skipped message="c.cpp:1&#x0A;no screen"><![CDATA[]]></skipped>
    </testcase>
</testsuite></testsuites>)";
constexpr char kEmpty[] = R"(<testsuites tests="0"></testsuites>)";

TEST(TestResults, ReadsEachOutcomeOfAGtestReport) {
    const std::optional<GtestReport> report = ReadGtestXml(kReport);
    ASSERT_TRUE(report);
    EXPECT_EQ(report->passed, 1);
    EXPECT_EQ(report->failed, 1);
    EXPECT_EQ(report->skipped, 2);
    const std::vector<SkippedTest> skips = {{"A.Skips", "needs <144> DPI; this one & \"96\""},
                                            {"A.DISABLED_Off", "disabled"}};
    EXPECT_EQ(report->skips, skips);
    const std::string cut(kReport, sizeof kReport / 2);
    EXPECT_FALSE(ReadGtestXml(cut)) << "a report cut short is none";
}

TEST(TestResults, JudgesEveryWayARunEnds) {
    const auto exited = [](bool gtest, std::uint32_t code, std::optional<std::string> xml) {
        ProgramRun run;
        run.gtest = gtest;
        run.exit_code = code;
        run.xml = std::move(xml);
        return run;
    };
    ProgramRun timed_out;
    timed_out.ended = ProgramRun::kTimedOut;
    timed_out.timeout_seconds = 180;
    ProgramRun missing;
    missing.ended = ProgramRun::kNotStarted;
    missing.why_not_started = "its program is missing: X";
    const std::string cut = std::string(kPassing).substr(0, 40);
    struct Row {
        const char* what;
        ProgramRun run;
        Verdict::State state;
        int passed, failed, skipped;
        std::string problem;
    } rows[] = {
        {"plain, 0", exited(false, 0, std::nullopt), Verdict::kOk, 1, 0, 0, ""},
        {"plain, 1", exited(false, 1, std::nullopt), Verdict::kFailed, 0, 1, 0, "exit status 1"},
        {"gtest passed", exited(true, 0, kPassing), Verdict::kOk, 1, 0, 0, ""},
        {"gtest failed", exited(true, 1, kReport), Verdict::kFailed, 1, 1, 2, ""},
        {"gtest all skipped", exited(true, 0, kSkipping), Verdict::kSkipped, 0, 0, 1, ""},
        {"0 yet failures", exited(true, 0, kReport), Verdict::kFailed, 1, 2, 2,
         "exit status 0, yet its report holds 1 failed tests"},
        {"1 yet none failed", exited(true, 1, kPassing), Verdict::kFailed, 1, 1, 0,
         "exit status 1, yet its report holds no failed test"},
        {"crash after the report", exited(true, 0xC0000005, kPassing), Verdict::kFailed, 1, 1, 0,
         "crashed (exception 0xC0000005), yet its report holds no failed test"},
        {"crash, no report", exited(true, 0xC0000005, std::nullopt), Verdict::kFailed, 0, 1, 0,
         "crashed (exception 0xC0000005) and left no XML report"},
        {"abort, cut report", exited(true, 3, cut), Verdict::kFailed, 0, 1, 0, "exit status 3 (abort?) with a cut XML report"},
        {"no test matched", exited(true, 0, kEmpty), Verdict::kFailed, 0, 1, 0, "it ran no test (its filter matches none)"},
        {"timed out", timed_out, Verdict::kFailed, 0, 1, 0, "timed out after 180 s; it and every program it started were ended"},
        {"missing", missing, Verdict::kFailed, 0, 1, 0, "its program is missing: X"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const Verdict verdict = Judge(row.run);
        EXPECT_EQ(verdict.state, row.state);
        EXPECT_EQ(verdict.passed, row.passed);
        EXPECT_EQ(verdict.failed, row.failed);
        EXPECT_EQ(verdict.skipped, row.skipped);
        EXPECT_EQ(verdict.problem, row.problem);
    }
}

// The merged report reads back with the same counts, whatever the log held.
TEST(TestResults, MergedReportHoldsEveryEntry) {
    ProgramRun plain;
    ProgramRun crashed;
    crashed.gtest = true;
    crashed.exit_code = 0xC0000005;
    ProgramRun report;
    report.gtest = true;
    report.exit_code = 1;
    report.xml = kReport;
    const std::vector<EntryResult> results = {
        {"sweep", Judge(plain), 1.5, ""},
        {"e2e_X", Judge(crashed), 2.0, "]]> <tag> \x01 \xff \xed\xa0\x80 \xc0\xaf 尺"},
        {"unit", Judge(report), 0.2, ""},
    };
    const std::string junit = JunitXml(results);
    const std::optional<GtestReport> merged = ReadGtestXml(junit);
    ASSERT_TRUE(merged) << junit;
    EXPECT_EQ(merged->passed, 2);
    EXPECT_EQ(merged->failed, 2);
    EXPECT_EQ(merged->skipped, 2);
    EXPECT_NE(junit.find("<testsuites name=\"windows-tests\" tests=\"6\" failures=\"2\" skipped=\"2\""),
              std::string::npos);
    EXPECT_NE(junit.find("]]]]><![CDATA[> <tag> ? ? ??? ?? 尺]]>"), std::string::npos) << junit;
}

}  // namespace
}  // namespace bundle
