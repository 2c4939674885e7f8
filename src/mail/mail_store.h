// The temporary .eml store: every fetched message is kept, as received, in a
// file of the temporary-files directory named after the mail's date
// ("TM20010724100509.eml"), for the mail view window; shutdown deletes them
// all ("TM*.eml"). The fetch's own scratch file "mail.tmp" lies there too.
#pragma once

#include "framework/calendar_time.h"

#include <string>

// The directory of the store and of "mail.tmp", with its trailing separator:
// the system's temporary-files directory (GetTempPath on Windows, $TMPDIR or
// /tmp/ elsewhere) unless SetTemporaryDirectory chose another.
std::string TemporaryDirectory();
// Makes every later store and fetch use dir (a separator is added when it
// lacks one); an empty dir returns to the system's. Set it before sessions
// run: tests use it to keep their files apart.
void SetTemporaryDirectory(const std::string& dir);

// "TM" + year (%4d) + month, day, hour, minute, second (two digits each,
// from the local-time breakdown) + ".eml"; TM20010102030405.eml for
// 2 January 2001 03:04:05. An invalid time gives TM00000000000000.eml.
std::string MakeStoreFileName(CCalendarTime mailTime);

// What a fetched file holds: a whole message (RETR) or its header and
// perhaps a few body lines (TOP).
enum class FetchedPart { Whole, HeaderOnly };

// What becomes of the fetched file: kept as it is, or consumed because the
// caller needs it no more (moved into the store when its name is free, which
// spares a copy, and deleted otherwise).
enum class FetchedFile { Keep, Consume };

// Copies the fetched file `source` into the store under the name for
// mailTime and returns the copy's full path (also when the copy failed,
// which is not reported). A stored file is never replaced by another
// message: when the name is taken, the copy gets the next free name with a
// suffix (TM20010724100509_1.eml, _2, ... without end), claimed so that no
// existing file is written over. The same message is kept in one file: a
// fetch equal to the stored file reuses it, a whole message replaces a
// header-only copy of itself, and a header-only fetch of a stored whole
// message leaves the whole one in place and returns its path. Only files
// whose header block matches the fetch's are compared, so many mails of one
// name (all undated mails share one) stay cheap to store.
std::string StoreFetchedMail(const std::string& source, CCalendarTime mailTime, FetchedPart part,
                             FetchedFile after = FetchedFile::Keep);

// Deletes every "TM*.eml" of the store (and forgets the files it knew);
// returns how many were deleted.
int DeleteStoreFiles();
