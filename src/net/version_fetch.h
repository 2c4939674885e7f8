// Reads the latest version number from the maker's web server. Blocking:
// call it on a worker thread.
#pragma once

#include <windows.h>

#include <string>

class CJobControl;

// What FetchLatestVersion answers when the version file could not be read.
inline constexpr char connectionFailedText[] = "연결 실패";
// How long one connection, request or read may stall before the fetch gives up.
inline constexpr DWORD versionFetchTimeoutMs = 15000;
// A version file is a few bytes; nothing beyond this is read.
inline constexpr size_t versionFileLimit = 4096;

// The text of the file at `url` (http or https) with its line ends removed
// (lines are joined with nothing between them), or connectionFailedText when
// no connection could be made, a stall outlasted `timeoutMs`, or the server
// answered with anything but the file (an HTTP status other than 200). A line
// cut off by versionFileLimit is left out.
std::string FetchLatestVersion(const std::string& url, DWORD timeoutMs = versionFetchTimeoutMs);

// The same for a background job, which it does not hold up: once the job is
// cancelled this answers connectionFailedText at once, and the abandoned
// fetch ends by its time-outs on a thread of its own.
std::string FetchLatestVersion(const std::string& url, const CJobControl& job);
