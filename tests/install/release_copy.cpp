#include "release_copy.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>

namespace install {
namespace {

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::filesystem::path> FilesOf(const std::filesystem::path& folder, const char* extension) {
    std::vector<std::filesystem::path> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.is_regular_file() && entry.path().extension() == extension) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The manifests' own keys for a download address and its hash: winget's
// YAML (every value double-quoted by tools/release/make-manifests.py) and Scoop's JSON.
const std::regex kAddressOrHash(R"re((InstallerUrl|InstallerSha256|"url"|"hash")\s*:\s*"([^"]*)")re");

bool IsAddressKey(const std::string& key) { return key == "InstallerUrl" || key == "\"url\""; }

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::filesystem::path NewTemporaryFolder() {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::filesystem::path folder = std::filesystem::path(temp) /
        (L"convert-install-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64()));
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

ReleaseCopy::ReleaseCopy(const std::filesystem::path& dist, const std::string& server_base)
    : server_base_(server_base) {
    const auto winget = FilesOf(dist / "winget", ".yaml");
    const auto scoop = FilesOf(dist / "scoop", ".json");
    if (winget.empty() || scoop.size() != 1) {
        throw std::runtime_error(dist.string() + " holds no winget manifests (winget/*.yaml) or not one Scoop manifest "
                                 "(scoop/*.json): a release made without --url?");
    }
    std::set<std::string> bases;
    for (const auto& path : winget) {
        const std::string text = ReadAll(path);
        for (std::sregex_iterator match(text.begin(), text.end(), kAddressOrHash), end; match != end; ++match) {
            const std::string url = (*match)[2];
            if (IsAddressKey((*match)[1]) && url.find('/') != std::string::npos) {
                bases.insert(url.substr(0, url.rfind('/') + 1));
            }
        }
    }
    if (bases.size() != 1) {
        throw std::runtime_error("winget's InstallerUrl values name " + std::to_string(bases.size()) +
                                 " download folders, not one");
    }
    release_base_ = *bases.begin();

    folder_ = NewTemporaryFolder();
    std::filesystem::create_directories(folder_ / "winget");
    std::filesystem::create_directories(folder_ / "scoop");
    auto copy = [&](const std::filesystem::path& from, const char* subfolder) {
        const std::filesystem::path to = folder_ / subfolder / from.filename();
        WriteAll(to, ReplaceAll(ReadAll(from), release_base_, server_base_));
        copied_.push_back(std::string(subfolder) + "/" + from.filename().string());
        return to;
    };
    for (const auto& path : winget) copy(path, "winget");
    scoop_manifest_ = copy(scoop.front(), "scoop");
}

ReleaseCopy::~ReleaseCopy() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::vector<Download> ReleaseCopy::Downloads() const {
    std::vector<Download> downloads;
    for (const std::string& name : copied_) {
        const std::string text = ReadAll(folder_ / name);
        std::vector<Download> addresses;
        for (std::sregex_iterator match(text.begin(), text.end(), kAddressOrHash), end; match != end; ++match) {
            const std::string key = (*match)[1], value = (*match)[2];
            if (IsAddressKey(key)) {
                if (value.find('$') == std::string::npos) addresses.push_back({name, value, ""});
            } else if (!addresses.empty() && addresses.back().sha256.empty()) {
                addresses.back().sha256 = Lower(value);
            }
        }
        // An address without a hash is a page to look at (Scoop's checkver),
        // unless it is one of the release's downloads.
        for (Download& download : addresses) {
            if (!download.sha256.empty() || download.url.rfind(server_base_, 0) == 0) {
                downloads.push_back(std::move(download));
            }
        }
    }
    return downloads;
}

}  // namespace install
