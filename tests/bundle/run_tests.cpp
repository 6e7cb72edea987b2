// Runs the test programs of the folder it lies in against that folder's
// convert.exe, wherever the folder was copied to:
//   run_tests [--results DIR] [--release DIR] [NAME|PATTERN...]
// The entries come from entries.txt beside it, which the build writes. Each
// runs alone, in a job that its timeout ends with every program it started,
// its output in DIR\NAME.log and a gtest program's report in DIR\NAME.xml;
// DIR\junit.xml merges the reports. Exit status 0 only when a test ran and
// none failed; 2 for a wrong call.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tests/bundle/test_results.h"

namespace {

struct Entry {
    std::wstring name, program;
    int timeout_seconds = 0;
    bool gtest = false;
    std::vector<std::wstring> args;
};

// Closes a handle when it goes out of use.
class Handle {
public:
    explicit Handle(HANDLE handle = nullptr) : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (handle_) CloseHandle(handle_);
    }
    HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    HANDLE handle_;
};

std::string Utf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(std::string_view text) {
    if (text.empty()) return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
    return out;
}

void Say(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    full.resize(written < size ? written : 0);
    while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return full;
}

std::wstring OwnFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/"));
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFile(const std::wstring& path) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// One line per entry, fields parted by tabs: name, program, timeout in
// seconds, "gtest" or "plain", then the arguments.
std::vector<Entry> ReadEntries(const std::wstring& path, std::string& error) {
    std::vector<Entry> entries;
    std::istringstream text(ReadFile(path));
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        std::vector<std::wstring> fields;
        for (std::size_t at = 0;;) {
            const std::size_t tab = line.find('\t', at);
            fields.push_back(Wide(line.substr(at, tab - at)));
            if (tab == std::string::npos) break;
            at = tab + 1;
        }
        const int timeout = fields.size() >= 4 ? _wtoi(fields[2].c_str()) : 0;
        if (fields.size() < 4 || timeout <= 0 || (fields[3] != L"gtest" && fields[3] != L"plain")) {
            error = "line " + std::to_string(number) + " is not NAME, PROGRAM, TIMEOUT, gtest|plain, ARGS...";
            return {};
        }
        entries.push_back({fields[0], fields[1], timeout, fields[3] == L"gtest", {fields.begin() + 4, fields.end()}});
    }
    if (entries.empty()) error = "it lists no entry";
    return entries;
}

// '*' any run of characters, '?' any one.
bool Matches(std::wstring_view pattern, std::wstring_view name) {
    if (pattern.empty()) return name.empty();
    if (pattern.front() == L'*') {
        for (std::size_t skip = 0; skip <= name.size(); ++skip) {
            if (Matches(pattern.substr(1), name.substr(skip))) return true;
        }
        return false;
    }
    return !name.empty() && (pattern.front() == L'?' || pattern.front() == name.front()) &&
           Matches(pattern.substr(1), name.substr(1));
}

// As CommandLineToArgvW and the C runtime split a command line.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    for (auto at = arg.begin();; ++at) {
        std::size_t backslashes = 0;
        for (; at != arg.end() && *at == L'\\'; ++at) ++backslashes;
        if (at == arg.end()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        out.append(*at == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        out.push_back(*at);
    }
    return out + L"\"";
}

std::string Tail(const std::string& log, std::size_t lines) {
    std::size_t at = log.size();
    while (at > 0 && (log[at - 1] == '\n' || log[at - 1] == '\r')) --at;
    const std::size_t end = at;
    for (std::size_t seen = 0; at > 0 && seen < lines; --at) {
        if (log[at - 1] == '\n' && ++seen == lines) break;
    }
    return log.substr(at, end - at);
}

// The checks a test said it could not make here, each with its test.
std::vector<std::string> NotChecked(const std::string& log) {
    std::vector<std::string> notes;
    std::istringstream lines(log);
    std::string line, test = "a test";
    constexpr std::string_view kRun = "[ RUN      ] ", kNote = "note: not checked: ";
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.starts_with(kRun)) test = line.substr(kRun.size());
        if (line.starts_with(kNote)) notes.push_back(test + ": not checked: " + line.substr(kNote.size()));
    }
    return notes;
}

struct Folders {
    std::wstring bundle, results;
};

bundle::ProgramRun RunEntry(const Entry& entry, const Folders& folders, const std::wstring& log_path,
                     const std::wstring& xml_path) {
    bundle::ProgramRun run;
    run.gtest = entry.gtest;
    run.timeout_seconds = entry.timeout_seconds;
    run.ended = bundle::ProgramRun::kNotStarted;
    const std::wstring program = folders.bundle + L"\\" + entry.program;
    // Nothing of an earlier run may pass for this one's.
    DeleteFileW(xml_path.c_str());
    DeleteFileW(log_path.c_str());
    if (!Exists(program)) {
        run.why_not_started = "its program is missing: " + Utf8(program);
        return run;
    }
    std::wstring command = Quote(program);
    for (const std::wstring& arg : entry.args) command += L" " + Quote(arg);
    if (entry.gtest) command += L" " + Quote(L"--gtest_output=xml:" + xml_path);

    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    Handle log(CreateFileW(log_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    Handle input(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    // Every program the test starts is in the job and ends with it, and an
    // exception ends a program at once instead of showing a box nobody sees.
    Handle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    if (!log || !input || !job ||
        !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        run.why_not_started = "cannot make its log file, input or job (error " + std::to_string(GetLastError()) + ")";
        return run;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = log.get();
    startup.hStdError = log.get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        folders.results.c_str(), &startup, &started)) {
        run.why_not_started = "cannot start " + Utf8(program) + " (error " + std::to_string(GetLastError()) + ")";
        return run;
    }
    Handle process(started.hProcess), thread(started.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get())) {
        run.why_not_started = "cannot put it into a job (error " + std::to_string(GetLastError()) + ")";
        TerminateProcess(process.get(), 1);
        return run;
    }
    ResumeThread(thread.get());
    run.ended = bundle::ProgramRun::kExited;
    const DWORD timeout_ms = static_cast<DWORD>(entry.timeout_seconds) * 1000u;
    if (WaitForSingleObject(process.get(), timeout_ms) == WAIT_TIMEOUT) {
        run.ended = bundle::ProgramRun::kTimedOut;
        TerminateJobObject(job.get(), 1);
        WaitForSingleObject(process.get(), 10000);
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    run.exit_code = code;
    // What it left running would disturb the next entry.
    TerminateJobObject(job.get(), 1);
    if (entry.gtest && Exists(xml_path)) run.xml = ReadFile(xml_path);
    return run;
}

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

int Usage(const std::string& problem) {
    std::fprintf(stderr,
                 "run-tests: %s\n"
                 "usage: run-tests [--results DIR] [--release DIR] [NAME|PATTERN...]\n"
                 "  --results DIR  where logs and reports go (default: the folder results beside it)\n"
                 "  --release DIR  a release folder, given to the tests as CONVERT_TEST_RELEASE\n"
                 "  NAME|PATTERN   the entries to run (* and ? match), default all\n",
                 problem.c_str());
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    SetConsoleOutputCP(CP_UTF8);
    // Inherited by every test program: no system box that waits for a click.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    // Under Wine the first program that asks for the desktop starts the
    // process that holds it; asked here, that process is not in a test's
    // job, which would end it with the test and leave the next without one.
    GetDesktopWindow();
    Folders folders{OwnFolder(), L""};
    std::wstring release;
    std::vector<std::wstring> patterns;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if ((arg == L"--results" || arg == L"--release") && i + 1 < argc) {
            (arg == L"--results" ? folders.results : release) = FullPath(argv[++i]);
        } else if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
            return Usage("runs the test programs of its folder");
        } else if (arg.starts_with(L"-")) {
            return Usage("unknown option, or one without its value: " + Utf8(arg));
        } else {
            patterns.push_back(arg);
        }
    }
    if (folders.results.empty()) folders.results = folders.bundle + L"\\results";

    const std::wstring list = folders.bundle + L"\\entries.txt";
    std::string error;
    std::vector<Entry> entries = ReadEntries(list, error);
    if (!error.empty()) return Usage(Utf8(list) + ": " + error);
    for (const std::wstring& pattern : patterns) {
        if (std::none_of(entries.begin(), entries.end(), [&](const Entry& e) { return Matches(pattern, e.name); })) {
            std::string names;
            for (const Entry& e : entries) names += " " + Utf8(e.name);
            return Usage("no entry is " + Utf8(pattern) + "; the entries:" + names);
        }
    }
    if (!patterns.empty()) {
        std::erase_if(entries, [&](const Entry& e) {
            return std::none_of(patterns.begin(), patterns.end(), [&](const std::wstring& p) { return Matches(p, e.name); });
        });
    }
    std::error_code made;
    std::filesystem::create_directories(std::filesystem::path(folders.results), made);
    if (made) return Usage("cannot make the results folder " + Utf8(folders.results) + ": " + made.message());

    // The tests drive the programs of this folder, not those of the build
    // that made them; the release folder only when it is given.
    const std::wstring convert = folders.bundle + L"\\convert.exe";
    SetEnvironmentVariableW(L"CONVERT_E2E_PROGRAM", convert.c_str());
    SetEnvironmentVariableW(L"CONVERT_E2E_URL_RECORDER", (folders.bundle + L"\\url_recorder.exe").c_str());
    SetEnvironmentVariableW(L"CONVERT_E2E_PLANTED_DLL", (folders.bundle + L"\\planted_dll.dll").c_str());
    SetEnvironmentVariableW(L"CONVERT_TEST_RESULTS", folders.results.c_str());
    SetEnvironmentVariableW(L"CONVERT_TEST_RELEASE", release.empty() ? nullptr : release.c_str());
    Say("run-tests: " + std::to_string(entries.size()) + (entries.size() == 1 ? " entry" : " entries") + ", driving " + Utf8(convert) + "; results in " +
        Utf8(folders.results));

    std::vector<bundle::EntryResult> results;
    int passed = 0, failed = 0, skipped = 0;
    for (const Entry& entry : entries) {
        const std::wstring log_path = folders.results + L"\\" + entry.name + L".log";
        const ULONGLONG start = GetTickCount64();
        const bundle::ProgramRun run = RunEntry(entry, folders, log_path, folders.results + L"\\" + entry.name + L".xml");
        bundle::EntryResult result{Utf8(entry.name), bundle::Judge(run),
                                   static_cast<double>(GetTickCount64() - start) / 1000.0, ""};
        const bundle::Verdict& verdict = result.verdict;
        passed += verdict.passed;
        failed += verdict.failed;
        skipped += verdict.skipped;
        static constexpr const char* kState[] = {"ok", "skipped", "FAIL"};
        char figures[160];
        std::snprintf(figures, sizeof figures, "%4d passed, %2d skipped, %2d failed  %7.1f s", verdict.passed,
                      verdict.skipped, verdict.failed, result.seconds);
        Say(Padded(kState[verdict.state], 8) + Padded(result.name, 24) + figures);
        const std::string log = ReadFile(log_path);
        for (const bundle::SkippedTest& skip : verdict.skips) Say("        " + skip.test + ": skipped: " + skip.reason);
        for (const std::string& note : NotChecked(log)) Say("        " + note);
        if (verdict.state == bundle::Verdict::kFailed) {
            if (!verdict.problem.empty()) Say("        " + verdict.problem);
            result.log_tail = bundle::XmlSafe(Tail(log, 40));
            if (!result.log_tail.empty()) Say("        the end of " + Utf8(log_path) + ":");
            std::istringstream lines(result.log_tail);
            for (std::string line; std::getline(lines, line);) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                Say("          | " + line);
            }
        }
        results.push_back(std::move(result));
    }

    const std::wstring junit = folders.results + L"\\junit.xml";
    std::ofstream(std::filesystem::path(junit), std::ios::binary) << bundle::JunitXml(results);
    Say(std::to_string(passed) + " passed, " + std::to_string(failed) + " failed, " + std::to_string(skipped) +
        " skipped");
    return passed > 0 && failed == 0 ? 0 : 1;
}
