// A plain HTTP GET, through WinHTTP as a Windows program fetches a download.
#pragma once

#include <optional>
#include <string>

namespace install {

struct HttpAnswer {
    unsigned long status = 0;
    std::string body;
};

// None when no answer came (no connection, a broken transfer); `why` says what failed.
std::optional<HttpAnswer> HttpGet(const std::wstring& url, std::string& why);

}  // namespace install
