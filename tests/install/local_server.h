// A release's download folder served over plain HTTP on 127.0.0.1, so that a
// package manager installs the release's own bytes without the network.
#pragma once

#include <winsock2.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace install {

class LocalServer {
public:
    // Serves the regular files directly in `folder` (not its subfolders) on a
    // port the system picks; throws when no socket can be had.
    explicit LocalServer(std::filesystem::path folder);
    LocalServer(const LocalServer&) = delete;
    LocalServer& operator=(const LocalServer&) = delete;
    ~LocalServer();

    // http://127.0.0.1:PORT/
    std::wstring BaseUrl() const;
    // Every request so far, as "GET /name 200".
    std::vector<std::string> Requests() const;

private:
    void Serve();
    void Answer(SOCKET client);

    std::filesystem::path folder_;
    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex requests_mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

}  // namespace install
