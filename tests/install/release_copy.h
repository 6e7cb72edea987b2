// A copy of a release's winget and Scoop manifests whose download addresses
// point at another server: the package managers then fetch the release's own
// zips from this machine, and check them against the manifests' hashes.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace install {

// A download a manifest names: the address and the SHA-256 beside it.
struct Download {
    std::string manifest;  // e.g. "scoop/chicun.json"
    std::string url;
    std::string sha256;  // lower case; empty when the manifest gives none
};

class ReleaseCopy {
public:
    // Copies DIST/winget/*.yaml and DIST/scoop/*.json into a new temporary
    // folder, every address under the release's download folder (that of
    // winget's InstallerUrl) moved to `server_base` (ending in "/"). Throws
    // when the release has no such manifests.
    ReleaseCopy(const std::filesystem::path& dist, const std::string& server_base);
    ReleaseCopy(const ReleaseCopy&) = delete;
    ReleaseCopy& operator=(const ReleaseCopy&) = delete;
    ~ReleaseCopy();

    std::filesystem::path WingetFolder() const { return folder_ / "winget"; }
    std::filesystem::path ScoopManifest() const { return scoop_manifest_; }
    // The folder the release was made to be downloaded from.
    const std::string& ReleaseBase() const { return release_base_; }
    // What the copied manifests download: every address with a SHA-256
    // beside it, and every address on the server (templates with $version
    // are not downloads).
    std::vector<Download> Downloads() const;

private:
    std::filesystem::path folder_;
    std::filesystem::path scoop_manifest_;
    std::string release_base_;
    std::string server_base_;
    std::vector<std::string> copied_;  // "winget/....yaml", relative to folder_
};

}  // namespace install
