// The temporary .eml store: every fetched message is kept, as received, in a
// file of the temporary-files directory named after the mail's date
// ("TM20010724100509.eml"), for the mail view window; shutdown deletes them
// all ("TM*.eml").
#pragma once

#include "base/calendar_time.h"

#include <cstdint>
#include <cstdio>
#include <string>

// The directory of the store, with its trailing separator:
// the system's temporary-files directory (GetTempPath on Windows, $TMPDIR or
// /tmp/ elsewhere) unless SetTemporaryDirectory chose another.
std::string TemporaryDirectory();
// Makes every later store use dir (a separator is added when it
// lacks one); an empty dir returns to the system's. Set it before sessions
// run: tests use it to keep their files apart.
void SetTemporaryDirectory(const std::string& dir);

// "TM" + year (%4d) + month, day, hour, minute, second (two digits each,
// from the local-time breakdown) + ".eml"; TM20010102030405.eml for
// 2 January 2001 03:04:05. An invalid time gives TM00000000000000.eml.
std::string MakeStoreFileName(CCalendarTime mailTime);

// What a fetched message holds: a whole message (RETR) or its header and
// perhaps a few body lines (TOP).
enum class FetchedPart { Whole, HeaderOnly };

// The key of a message's header block (its bytes before the first empty
// line, or all of them less a final CR LF), taken as the bytes pass: a
// header-only fetch and the whole message share it, so only files with the
// same key can hold the same message.
class CHeaderBlockHash {
  public:
    void Add(const char* bytes, size_t length);
    std::uint64_t Value() const;
    // The blank line has come: later bytes no longer count.
    bool IsEnded() const { return ended; }

  private:
    void Mix(char c) { hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull; } // FNV-1a

    std::uint64_t hash = 14695981039346656037ull;
    int held = 0; // bytes of a possible blank line, not yet mixed in
    bool ended = false;
};

// One message written into the store as it arrives, once, straight into the
// file that keeps it. A stored file is never replaced by another message:
// Open claims the first free name for the mail's date (TM20010724100509.eml,
// then TM20010724100509_1.eml, _2, ... without end) by creating it, so that
// no existing file is written over. The same message is kept in one file:
// Finish compares the new file with the stored files of that name whose
// header block is the same (so many mails of one name, as all undated mails
// are, stay cheap to store); a fetch equal to a stored file reuses it, a
// whole message replaces a header-only copy of itself, and a header-only
// fetch of a stored whole message leaves the whole one in place. The new
// file then goes and its name is free again. A writer dropped before Finish
// (a transfer cut short) removes its file the same way.
class CStoreWriter {
  public:
    CStoreWriter() = default;
    ~CStoreWriter();
    CStoreWriter(const CStoreWriter&) = delete;
    CStoreWriter& operator=(const CStoreWriter&) = delete;

    // Claims a name for mailTime; false when the directory takes no file.
    bool Open(CCalendarTime mailTime, FetchedPart part);
    // Appends the next bytes of the message; false once a write failed.
    bool Write(const char* bytes, size_t length);
    // The message is complete: the full path of the file that keeps it, or
    // "" when it could not be written (nothing of it is left then).
    std::string Finish();

  private:
    void Discard();

    std::FILE* file = nullptr;
    std::string basePath; // the name for the date, without a suffix
    std::string path;     // the claimed name
    int suffix = 0;
    FetchedPart part = FetchedPart::Whole;
    bool failed = false;
    CHeaderBlockHash headerKey;
};

// Whether the stored file at path holds only the header (and perhaps a few
// body lines) of its message: a header-only fetch made it and no whole fetch
// of the message has filled it since.
bool IsHeaderOnlyStoreFile(const std::string& path);

// Whether a store file is still there (shutdown, or the user, may have
// deleted it).
bool IsStoreFilePresent(const std::string& path);

// Deletes every "TM*.eml" of the store (and forgets the files it knew);
// returns how many were deleted.
int DeleteStoreFiles();
