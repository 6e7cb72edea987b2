#include "local_server.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace install {
namespace {

bool SendAll(SOCKET client, const char* data, std::size_t size) {
    while (size > 0) {
        const int sent = send(client, data, static_cast<int>(std::min<std::size_t>(size, 1 << 16)), 0);
        if (sent <= 0) return false;
        data += sent;
        size -= static_cast<std::size_t>(sent);
    }
    return true;
}

// A release's files are plain names (convert-1.0.0-win32.zip, SHA256SUMS):
// anything else, a path above all, names no file here.
bool PlainName(std::string_view name) {
    if (name.empty() || name.front() == '.') return false;
    for (const char c : name) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                             c == '.' || c == '-' || c == '_';
        if (!allowed) return false;
    }
    return true;
}

// Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on "..." + std::string.
std::string Status(int code, std::string_view reason, std::uintmax_t length, std::string_view type) {
    std::string head = "HTTP/1.1 ";
    head += std::to_string(code);
    head += ' ';
    head += reason;
    head += "\r\nContent-Length: ";
    head += std::to_string(length);
    head += "\r\nContent-Type: ";
    head += type;
    head += "\r\nConnection: close\r\n\r\n";
    return head;
}

}  // namespace

LocalServer::LocalServer(std::filesystem::path folder) : folder_(std::move(folder)) {
    WSADATA wsa{};
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) throw std::runtime_error("WSAStartup failed");
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;  // a free port, chosen by the system
    int length = sizeof address;
    if (listener_ == INVALID_SOCKET ||
        bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(listener_, SOMAXCONN) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        const int error = WSAGetLastError();
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        WSACleanup();
        throw std::runtime_error("no listening socket on 127.0.0.1 (WSA error " + std::to_string(error) + ")");
    }
    // The installers this test starts must not inherit the socket: one still
    // running would keep the port.
    SetHandleInformation(reinterpret_cast<HANDLE>(listener_), HANDLE_FLAG_INHERIT, 0);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

LocalServer::~LocalServer() {
    stopping_ = true;
    thread_.join();
    closesocket(listener_);
    WSACleanup();
}

std::wstring LocalServer::BaseUrl() const { return L"http://127.0.0.1:" + std::to_wstring(port_) + L"/"; }

std::vector<std::string> LocalServer::Requests() const {
    std::lock_guard lock(requests_mutex_);
    return requests_;
}

// One connection at a time is enough for an installer; the loop looks up
// every 100 ms whether it is to stop, so the destructor never waits on accept.
void LocalServer::Serve() {
    while (!stopping_) {
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener_, &ready);
        timeval wait{0, 100 * 1000};
        if (select(0, &ready, nullptr, nullptr, &wait) != 1) continue;
        const SOCKET client = accept(listener_, nullptr, nullptr);
        if (client == INVALID_SOCKET) continue;
        // A client that stops talking must not hold the server.
        const DWORD timeout_ms = 10000;
        setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout_ms), sizeof timeout_ms);
        setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout_ms), sizeof timeout_ms);
        Answer(client);
        shutdown(client, SD_SEND);
        closesocket(client);
    }
}

void LocalServer::Answer(SOCKET client) {
    std::string request;
    char buffer[4096];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < 16384) {
        const int received = recv(client, buffer, sizeof buffer, 0);
        if (received <= 0) return;
        request.append(buffer, static_cast<std::size_t>(received));
    }
    const std::string line = request.substr(0, request.find("\r\n"));
    const std::size_t space = line.find(' ');
    const std::size_t second = space == std::string::npos ? space : line.find(' ', space + 1);
    const std::string method = line.substr(0, space);
    std::string target = space == std::string::npos ? "" : line.substr(space + 1, second - space - 1);
    target = target.substr(0, target.find('?'));

    const std::string name = target.size() > 1 && target.front() == '/' ? target.substr(1) : "";
    const std::filesystem::path file = folder_ / name;
    std::error_code error;
    int code = 200;
    if (method != "GET" && method != "HEAD") {
        code = 405;
    } else if (!PlainName(name) || !std::filesystem::is_regular_file(file, error)) {
        code = 404;
    }
    {
        std::lock_guard lock(requests_mutex_);
        requests_.push_back(method + " " + target + " " + std::to_string(code));
    }
    if (code != 200) {
        const std::string reason = code == 404 ? "Not Found" : "Method Not Allowed";
        const std::string answer = Status(code, reason, reason.size(), "text/plain") + reason;
        SendAll(client, answer.data(), answer.size());
        return;
    }
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    const bool zip = file.extension() == ".zip";
    const std::string head = Status(200, "OK", size, zip ? "application/zip" : "application/octet-stream");
    if (!SendAll(client, head.data(), head.size()) || method == "HEAD") return;
    std::ifstream in(file, std::ios::binary);
    while (in) {
        in.read(buffer, sizeof buffer);
        if (!SendAll(client, buffer, static_cast<std::size_t>(in.gcount()))) return;
    }
}

}  // namespace install
