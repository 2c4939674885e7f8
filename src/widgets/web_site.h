// Addresses on the maker's web server, kept in one place. The paths are
// fixed (old versions of the program and the help pages link to them); the
// host names are ours.
#pragma once

inline constexpr char homePageUrl[] = "http://tidemark.harrowby.example/";
inline constexpr char helpPageUrl[] = "http://tidemark.harrowby.example/tdm2000/help.html";
inline constexpr char faqPageUrl[] = "http://tidemark.harrowby.example/tdm2000/help.html#6";
inline constexpr char boardPageUrl[] = "http://tidemark.harrowby.example/cgi-bin/Board/board.cgi?db=tidemark";
// A plain-text file holding the latest version number, such as "4.8.0".
inline constexpr char versionFileUrl[] = "http://tidemark.harrowby.example/NewVersion";
// The distributor that carries the program's downloads.
inline constexpr char downloadSiteUrl[] = "http://download.harrowby.example/tidemark/";

// Opens `url` in the user's browser; failures are left to the caller.
// Answers whether the shell accepted it.
bool OpenWebPage(const char* url);
