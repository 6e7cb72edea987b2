#include "tests/bundle/test_results.h"

#include <cstdio>

namespace bundle {
namespace {

// The value of attribute `name` in the tag text `tag`, still escaped.
std::optional<std::string_view> Attribute(std::string_view tag, std::string_view name) {
    std::string key(1, ' ');
    key.append(name).append("=\"");
    const std::size_t at = tag.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    const std::size_t start = at + key.size();
    const std::size_t end = tag.find('"', start);
    if (end == std::string_view::npos) return std::nullopt;
    return tag.substr(start, end - start);
}

// gtest escapes the five XML entities and writes other characters as &#xHH;.
std::string Unescape(std::string_view text) {
    static constexpr struct {
        std::string_view entity;
        char character;
    } kNamed[] = {{"&lt;", '<'}, {"&gt;", '>'}, {"&amp;", '&'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& named : kNamed) {
                if (text.substr(i, named.entity.size()) == named.entity) {
                    out += named.character;
                    i += named.entity.size();
                    replaced = true;
                    break;
                }
            }
            const std::size_t semicolon = text.find(';', i);
            if (!replaced && text.substr(i, 2) == "&#" && semicolon != std::string_view::npos && semicolon - i <= 8) {
                const bool hex = text.substr(i, 3) == "&#x";
                unsigned long code = 0;
                for (char c : text.substr(i + (hex ? 3 : 2), semicolon - i - (hex ? 3 : 2))) {
                    const int digit = c >= '0' && c <= '9'   ? c - '0'
                                      : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                    : -1;
                    if (digit < 0) break;
                    code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
                }
                // gtest writes only whitespace so; anything else is kept as a mark.
                out += code < 0x80 ? static_cast<char>(code) : '?';
                i = semicolon + 1;
                replaced = true;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

std::string OneLine(std::string text) {
    std::string out;
    for (char c : text) {
        const bool space = c == '\n' || c == '\r' || c == '\t' || c == ' ';
        if (space && (out.empty() || out.back() == ' ')) continue;
        out += space ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string Escape(std::string_view text) {
    std::string out;
    for (char c : XmlSafe(text)) {
        switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += "&quot;"; break;
            case '\n': out += "&#x0A;"; break;
            default: out += c;
        }
    }
    return out;
}

std::string CData(std::string_view text) {
    std::string safe = XmlSafe(text), out = "<![CDATA[";
    for (std::size_t at = 0;;) {
        const std::size_t end = safe.find("]]>", at);
        if (end == std::string::npos) {
            out += safe.substr(at);
            break;
        }
        out += safe.substr(at, end + 2 - at) + "]]><![CDATA[";
        at = end + 2;
    }
    return out + "]]>";
}

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
}

std::string Hex(std::uint32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(code));
    return text;
}

// Windows ends a process that an exception killed with the exception's code,
// an NTSTATUS error; the C runtime's abort() exits with 3.
std::string Exit(std::uint32_t code) {
    if (code >= 0xC0000000u) return "crashed (exception " + Hex(code) + ")";
    return "exit status " + std::to_string(code) + (code == 3 ? " (abort?)" : "");
}

}  // namespace

std::optional<GtestReport> ReadGtestXml(std::string_view xml) {
    const std::size_t root = xml.find("<testsuites");
    const std::size_t open_end = root == std::string_view::npos ? root : xml.find('>', root);
    const std::size_t close = xml.rfind("</testsuites>");
    if (open_end == std::string_view::npos || close == std::string_view::npos || close < open_end) {
        return std::nullopt;
    }
    GtestReport report;
    report.suites = std::string(xml.substr(open_end + 1, close - open_end - 1));
    const std::string_view body = xml.substr(open_end + 1, close - open_end - 1);
    for (std::size_t at = body.find("<testcase "); at != std::string_view::npos;
         at = body.find("<testcase ", at + 1)) {
        const std::size_t tag_end = body.find('>', at);
        if (tag_end == std::string_view::npos) return std::nullopt;
        const std::string_view tag = body.substr(at, tag_end - at);
        std::string_view inside;
        if (tag.back() != '/') {
            const std::size_t end = body.find("</testcase>", tag_end);
            if (end == std::string_view::npos) return std::nullopt;
            inside = body.substr(tag_end, end - tag_end);
        }
        const std::string test = Unescape(Attribute(tag, "classname").value_or("?")) + "." +
                                 Unescape(Attribute(tag, "name").value_or("?"));
        const std::size_t skip = inside.find("<skipped");
        if (inside.find("<failure") != std::string_view::npos) {
            ++report.failed;
        } else if (Attribute(tag, "status") == "notrun") {
            ++report.skipped;
            report.skips.push_back({test, "disabled"});
        } else if (skip != std::string_view::npos || Attribute(tag, "result") == "skipped") {
            ++report.skipped;
            // "file:line", then the message.
            std::string message =
                skip == std::string_view::npos ? "" : Unescape(Attribute(inside.substr(skip), "message").value_or(""));
            const std::size_t newline = message.find('\n');
            message = newline == std::string::npos ? "" : OneLine(message.substr(newline + 1));
            report.skips.push_back({test, message.empty() ? "no reason given" : message});
        } else {
            ++report.passed;
        }
    }
    return report;
}

Verdict Judge(const ProgramRun& run) {
    Verdict verdict;
    if (run.ended == ProgramRun::kNotStarted) {
        verdict.problem = run.why_not_started;
    } else if (run.ended == ProgramRun::kTimedOut) {
        verdict.problem = "timed out after " + std::to_string(run.timeout_seconds) +
                          " s; it and every program it started were ended";
    } else if (!run.gtest) {
        if (run.exit_code == 0) verdict.passed = 1;
        else verdict.problem = Exit(run.exit_code);
    } else if (const std::optional<GtestReport> report = run.xml ? ReadGtestXml(*run.xml) : std::nullopt) {
        verdict.passed = report->passed;
        verdict.failed = report->failed;
        verdict.skipped = report->skipped;
        verdict.skips = report->skips;
        verdict.suites = report->suites;
        if (report->passed + report->failed + report->skipped == 0) {
            verdict.problem = "it ran no test (its filter matches none)";
        } else if (run.exit_code == 0 && report->failed > 0) {
            verdict.problem = "exit status 0, yet its report holds " + std::to_string(report->failed) + " failed tests";
        } else if (run.exit_code != 0 && report->failed == 0) {
            verdict.problem = Exit(run.exit_code) + ", yet its report holds no failed test";
        }
    } else {
        verdict.problem = Exit(run.exit_code) + (run.xml ? " with a cut XML report" : " and left no XML report");
    }
    // What failed the entry beyond its tests counts as one failed test, as
    // it is one failing test case in the report.
    if (!verdict.problem.empty()) ++verdict.failed;
    verdict.state = verdict.failed > 0   ? Verdict::kFailed
                    : verdict.passed > 0 ? Verdict::kOk
                                         : Verdict::kSkipped;
    return verdict;
}

std::string JunitXml(const std::vector<EntryResult>& results) {
    int tests = 0, failures = 0, skipped = 0;
    double seconds = 0;
    std::string body;
    for (const EntryResult& result : results) {
        const Verdict& verdict = result.verdict;
        tests += verdict.passed + verdict.failed + verdict.skipped;
        failures += verdict.failed;
        skipped += verdict.skipped;
        seconds += result.seconds;
        body += verdict.suites;
        // A program that is no gtest program and passed is one test case;
        // a problem is one failing case.
        if (!verdict.suites.empty() && verdict.problem.empty()) continue;
        const bool failing = !verdict.problem.empty();
        body += "  <testsuite name=\"" + Escape(result.name) + "\" tests=\"1\" failures=\"" + (failing ? "1" : "0") +
                "\" skipped=\"0\" errors=\"0\" time=\"" + Seconds(result.seconds) + "\">\n    <testcase name=\"" +
                Escape(result.name) + "\" classname=\"run-tests\" time=\"" + Seconds(result.seconds) + "\"";
        if (failing) {
            body += ">\n      <failure message=\"" + Escape(verdict.problem) + "\" type=\"\">" +
                    CData(verdict.problem + "\n" + result.log_tail) + "</failure>\n    </testcase>\n";
        } else {
            body += "/>\n";
        }
        body += "  </testsuite>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites name=\"windows-tests\" tests=\"" +
           std::to_string(tests) + "\" failures=\"" + std::to_string(failures) + "\" skipped=\"" +
           std::to_string(skipped) + "\" errors=\"0\" time=\"" + Seconds(seconds) + "\">\n" + body +
           "</testsuites>\n";
}

std::string XmlSafe(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = byte < 0x80 ? 1 : (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3
                                           : (byte & 0xF8) == 0xF0   ? 4
                                                                     : 0;
        if (length > 1 && i + length <= text.size()) {
            // Continuation bytes, and neither an overlong form nor a surrogate.
            std::uint32_t code = byte & (0x7Fu >> length);
            for (std::size_t k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    length = 0;
                    break;
                }
                code = (code << 6) | (next & 0x3Fu);
            }
            static constexpr std::uint32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
            if (length && (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
                           code == 0xFFFE || code == 0xFFFF)) {
                length = 0;
            }
        } else if (length > 1) {
            length = 0;
        }
        if (length == 1 && byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') length = 0;
        if (length == 0) {
            out += '?';
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}

}  // namespace bundle
