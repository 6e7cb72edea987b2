#include "http_get.h"

#include <windows.h>
#include <winhttp.h>

#include <memory>

namespace install {
namespace {

struct CloseInternet {
    void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, CloseInternet>;

std::string Failed(const char* what) { return std::string(what) + " failed (error " + std::to_string(GetLastError()) + ")"; }

}  // namespace

std::optional<HttpAnswer> HttpGet(const std::wstring& url, std::string& why) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    wchar_t host[256] = {}, path[2048] = {};
    parts.lpszHostName = host;
    parts.dwHostNameLength = 256;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = 2048;
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) {
        why = Failed("WinHttpCrackUrl");
        return std::nullopt;
    }
    // No proxy: the server is on this machine.
    const Internet session(WinHttpOpen(L"convert install_test", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    const Internet connection(session ? WinHttpConnect(session.get(), host, parts.nPort, 0) : nullptr);
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    const Internet request(connection ? WinHttpOpenRequest(connection.get(), L"GET", path, nullptr, WINHTTP_NO_REFERER,
                                                           WINHTTP_DEFAULT_ACCEPT_TYPES, secure)
                                      : nullptr);
    if (!request || !WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
        why = Failed("the request");
        return std::nullopt;
    }
    HttpAnswer answer;
    DWORD size = sizeof answer.status;
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                        &answer.status, &size, WINHTTP_NO_HEADER_INDEX);
    char buffer[1 << 16];
    for (;;) {
        DWORD read = 0;
        if (!WinHttpReadData(request.get(), buffer, sizeof buffer, &read)) {
            why = Failed("WinHttpReadData");
            return std::nullopt;
        }
        if (read == 0) break;
        answer.body.append(buffer, read);
    }
    return answer;
}

}  // namespace install
