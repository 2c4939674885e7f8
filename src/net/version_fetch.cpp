#include "net/version_fetch.h"

#include <wininet.h>

#include <algorithm>
#include <memory>

namespace {

struct CInternetHandleCloser {
    void operator()(HINTERNET handle) const { InternetCloseHandle(handle); }
};
using CInternetHandle = std::unique_ptr<void, CInternetHandleCloser>;

void SetTimeouts(HINTERNET session, DWORD timeoutMs) {
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT})
        InternetSetOptionA(session, option, &timeoutMs, sizeof timeoutMs);
}

// Anything but 200 means the server answered without the file (an error
// page, a redirect it could not follow). Non-HTTP addresses have no status.
bool IsFileAnswer(HINTERNET file) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(file, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
        return true;
    return status == HTTP_STATUS_OK;
}

// Reads at most versionFileLimit + 1 bytes, so that a longer file shows as such.
bool ReadBounded(HINTERNET file, std::string& body) {
    char buffer[versionFileLimit + 1];
    while (body.size() <= versionFileLimit) {
        DWORD wanted = static_cast<DWORD>(versionFileLimit + 1 - body.size());
        DWORD read = 0;
        if (!InternetReadFile(file, buffer, wanted, &read))
            return false;
        if (read == 0)
            break;
        body.append(buffer, read);
    }
    return true;
}

std::string JoinLines(std::string body) {
    if (body.size() > versionFileLimit) {
        body.resize(versionFileLimit);
        size_t lastLineEnd = body.find_last_of("\r\n");
        body.resize(lastLineEnd == std::string::npos ? 0 : lastLineEnd);
    }
    body.erase(std::remove_if(body.begin(), body.end(), [](char c) { return c == '\r' || c == '\n'; }),
               body.end());
    return body;
}

} // namespace

std::optional<std::string> FetchLatestVersion(const std::string& url, const std::string& agent,
                                              DWORD timeoutMs) {
    char host[INTERNET_MAX_HOST_NAME_LENGTH] = "";
    char path[INTERNET_MAX_URL_LENGTH] = "";
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.dwExtraInfoLength = 1; // the query stays with the path
    if (!InternetCrackUrlA(url.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS))
        return std::nullopt;
    std::string target = path;
    if (parts.lpszExtraInfo)
        target.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    // The time-outs are set on every handle: a handle takes them from its
    // parent only on some systems.
    CInternetHandle session(InternetOpenA(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session)
        return std::nullopt;
    SetTimeouts(session.get(), timeoutMs);
    CInternetHandle connection(
        InternetConnectA(session.get(), host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 1));
    if (!connection)
        return std::nullopt;
    SetTimeouts(connection.get(), timeoutMs);
    DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_NO_CACHE_WRITE |
                  (parts.nScheme == INTERNET_SCHEME_HTTPS ? INTERNET_FLAG_SECURE : 0);
    CInternetHandle file(
        HttpOpenRequestA(connection.get(), "GET", target.c_str(), nullptr, nullptr, nullptr, flags, 1));
    if (!file)
        return std::nullopt;
    SetTimeouts(file.get(), timeoutMs);
    std::string body;
    if (!HttpSendRequestA(file.get(), nullptr, 0, nullptr, 0) || !IsFileAnswer(file.get()) ||
        !ReadBounded(file.get(), body))
        return std::nullopt;
    return JoinLines(std::move(body));
}
