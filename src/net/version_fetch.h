// Reads the latest version number from the maker's web server through
// WinINet, which follows the user's proxy settings. Blocking: run it on a
// worker thread. Nothing ends it early but its time-outs (WinINet allows no
// safe way to break off a blocking call from another thread).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// How long one connection, request or read may stall before the fetch gives up.
inline constexpr DWORD versionFetchTimeoutMs = 15000;
// A version file is a few bytes; nothing beyond this is read.
inline constexpr size_t versionFileLimit = 4096;

// The text of the file at `url` (http or https) with its line ends removed
// (lines are joined with nothing between them), or nothing when no
// connection could be made, a stall outlasted `timeoutMs`, or the server
// answered with anything but the file (an HTTP status other than 200). A line
// cut off by versionFileLimit is left out. `agent` names the program to the
// web server.
std::optional<std::string> FetchLatestVersion(const std::string& url, const std::string& agent,
                                              DWORD timeoutMs = versionFetchTimeoutMs);
