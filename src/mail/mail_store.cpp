#include "mail/mail_store.h"

#include "base/ascii_text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <set>
#include <unordered_map>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

std::mutex directoryLock;
std::string chosenDirectory; // empty: the system's

#ifdef _WIN32
constexpr char separator = '\\';
#else
constexpr char separator = '/';
#endif

std::string SystemTemporaryDirectory() {
#ifdef _WIN32
    char buffer[MAX_PATH + 1];
    const DWORD length = GetTempPathA(sizeof(buffer), buffer);
    if (length == 0 || length > MAX_PATH)
        return ".\\";
    return std::string(buffer, length);
#else
    const char* dir = std::getenv("TMPDIR");
    std::string result = dir && *dir ? dir : "/tmp";
    if (result.back() != '/')
        result += '/';
    return result;
#endif
}

// The name with the k-th clash suffix: TM20010724100509_1.eml for k = 1.
std::string SuffixedName(const std::string& name, int k) {
    if (k == 0)
        return name;
    return name.substr(0, name.size() - 4) + "_" + std::to_string(k) + ".eml";
}

struct File {
    explicit File(const std::string& path, const char* mode) : f(std::fopen(path.c_str(), mode)) {}
    ~File() {
        if (f)
            std::fclose(f);
    }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    std::FILE* f;
};

// How a fetched file relates to a stored one.
enum class Relation {
    Missing,       // no stored file of that name
    Equal,         // the same bytes
    StoredExtends, // the fetch is the stored file's start, cut at a line end
    FetchExtends,  // the stored file is the fetch's start, cut at a line end
    Different,     // another message (or unreadable)
};

// Whether the shorter file ends at a line end of the longer: its last bytes
// are CR LF (an IMAP header with its blank line), or the longer goes on with
// CR LF at `at` (a POP3 copy, kept without its final CR LF). `block` holds
// `have` bytes read from the longer so far, at < have; `tail` is the last two
// bytes both share (0 where there are fewer).
bool EndsLineAt(const char tail[2], const char* block, size_t have, size_t at, std::FILE* rest) {
    if (tail[0] == '\r' && tail[1] == '\n')
        return true;
    if (at + 2 <= have)
        return block[at] == '\r' && block[at + 1] == '\n';
    return block[at] == '\r' && std::fgetc(rest) == '\n';
}

Relation Compare(std::FILE* fetched, const std::string& storedPath) {
    File stored(storedPath, "rb");
    if (!stored.f)
        return errno == ENOENT ? Relation::Missing : Relation::Different;
    std::rewind(fetched);
    constexpr size_t blockSize = 1 << 16;
    std::vector<char> a(blockSize), b(blockSize);
    char tail[2] = {0, 0};
    for (;;) {
        const size_t na = std::fread(a.data(), 1, blockSize, fetched);
        const size_t nb = std::fread(b.data(), 1, blockSize, stored.f);
        const size_t n = na < nb ? na : nb;
        if (std::memcmp(a.data(), b.data(), n) != 0 || std::ferror(fetched) || std::ferror(stored.f))
            return Relation::Different;
        if (n >= 2)
            tail[0] = a[n - 2];
        else if (n == 1)
            tail[0] = tail[1];
        if (n >= 1)
            tail[1] = a[n - 1];
        if (na == nb) {
            if (na < blockSize)
                return Relation::Equal;
            continue;
        }
        if (na < nb)
            return EndsLineAt(tail, b.data(), nb, n, stored.f) ? Relation::StoredExtends
                                                               : Relation::Different;
        return EndsLineAt(tail, a.data(), na, n, fetched) ? Relation::FetchExtends : Relation::Different;
    }
}

void CopyInto(std::FILE* fetched, const std::string& path) {
    File out(path, "wb");
    if (!out.f)
        return;
    std::rewind(fetched);
    std::vector<char> block(1 << 16);
    size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), fetched)) > 0) {
        if (std::fwrite(block.data(), 1, n, out.f) != n)
            return;
    }
}

#ifndef _WIN32
bool IsStoreFileName(const char* name) {
    const size_t length = std::strlen(name);
    return length >= 6 && std::strncmp(name, "TM", 2) == 0 && std::strcmp(name + length - 4, ".eml") == 0;
}
#endif

// The header key of a stored file, read up to the end of its header.
std::uint64_t HeaderKey(std::FILE* file) {
    CHeaderBlockHash key;
    std::rewind(file);
    std::vector<char> block(1 << 12);
    size_t n;
    while (!key.IsEnded() && (n = std::fread(block.data(), 1, block.size(), file)) > 0)
        key.Add(block.data(), n);
    return key.Value();
}

// Creates path, open for writing and reading back, only when no file has
// that name; null when one has (`taken`) or when the file cannot be made.
std::FILE* CreateNew(const std::string& path, bool& taken) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY, 0600);
#else
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
#endif
    taken = fd < 0 && errno == EEXIST;
    if (fd < 0)
        return nullptr;
#ifdef _WIN32
    std::FILE* file = _fdopen(fd, "w+b");
    if (!file)
        _close(fd);
#else
    std::FILE* file = fdopen(fd, "w+b");
    if (!file)
        close(fd);
#endif
    if (!file)
        std::remove(path.c_str());
    return file;
}

// The store files of one name and its suffixed names (TM20010724100509.eml,
// _1, _2, ...), by header key, and the next suffix to try.
struct CNameFamily {
    std::unordered_multimap<std::uint64_t, std::string> byHeader;
    int nextSuffix = 0;

    // Claims the first free name from nextSuffix on by creating it, so that
    // no existing file is ever written over; null when none can be made.
    std::FILE* ClaimFreeName(const std::string& basePath, std::string& path, int& suffix) {
        for (;; ++nextSuffix) {
            path = SuffixedName(basePath, nextSuffix);
            bool taken = false;
            if (std::FILE* file = CreateNew(path, taken)) {
                suffix = nextSuffix++;
                return file;
            }
            if (!taken)
                return nullptr;
        }
    }
    // A claimed name whose file went is free again, if no later one was claimed.
    void Release(int suffix) {
        if (nextSuffix == suffix + 1)
            nextSuffix = suffix;
    }
};

std::mutex storeLock;
std::map<std::string, CNameFamily> families; // by full base path
// The stored files that hold a header-only fetch and no whole fetch since.
std::set<std::string> headerOnlyFiles;

// The family of basePath; the first time, the files already there are
// read once (a store left from before, or made by another session).
CNameFamily& FamilyOf(const std::string& basePath) {
    auto [at, added] = families.try_emplace(basePath);
    CNameFamily& family = at->second;
    if (added) {
        for (;; ++family.nextSuffix) {
            const std::string path = SuffixedName(basePath, family.nextSuffix);
            File existing(path, "rb");
            if (!existing.f)
                break;
            family.byHeader.emplace(HeaderKey(existing.f), path);
        }
    }
    return family;
}

} // namespace

std::string TemporaryDirectory() {
    {
        std::lock_guard<std::mutex> hold(directoryLock);
        if (!chosenDirectory.empty())
            return chosenDirectory;
    }
    return SystemTemporaryDirectory();
}

void SetTemporaryDirectory(const std::string& dir) {
    std::lock_guard<std::mutex> hold(directoryLock);
    chosenDirectory = dir;
    if (!chosenDirectory.empty() && chosenDirectory.back() != '/' && chosenDirectory.back() != '\\')
        chosenDirectory += separator;
}

std::string MakeStoreFileName(CCalendarTime mailTime) {
    LocalTimeFields f;
    if (!mailTime.GetLocalFields(f))
        return "TM00000000000000.eml";
    return "TM" + DecimalText(f.year, 4) + DecimalText(f.month, 2, '0') + DecimalText(f.day, 2, '0') +
           DecimalText(f.hour, 2, '0') + DecimalText(f.minute, 2, '0') + DecimalText(f.second, 2, '0') +
           ".eml";
}

void CHeaderBlockHash::Add(const char* bytes, size_t length) {
    static const char blankLine[] = "\r\n\r\n";
    for (size_t i = 0; i < length && !ended; ++i) {
        const char c = bytes[i];
        if (c == blankLine[held]) {
            ended = ++held == 4;
            continue;
        }
        for (int k = 0; k < held; ++k)
            Mix(blankLine[k]);
        held = c == '\r' ? 1 : 0;
        if (!held)
            Mix(c);
    }
}

std::uint64_t CHeaderBlockHash::Value() const {
    if (ended || held == 2) // a final CR LF is left out
        return hash;
    CHeaderBlockHash rest = *this;
    for (int k = 0; k < held; ++k)
        rest.Mix("\r\n\r"[k]);
    return rest.hash;
}

CStoreWriter::~CStoreWriter() {
    Discard();
}

bool CStoreWriter::Open(CCalendarTime mailTime, FetchedPart fetchedPart) {
    Discard();
    part = fetchedPart;
    headerKey = CHeaderBlockHash();
    basePath = TemporaryDirectory() + MakeStoreFileName(mailTime);
    std::lock_guard<std::mutex> hold(storeLock);
    file = FamilyOf(basePath).ClaimFreeName(basePath, path, suffix);
    failed = !file;
    return !failed;
}

bool CStoreWriter::Write(const char* bytes, size_t length) {
    if (!file || failed)
        return false;
    headerKey.Add(bytes, length);
    failed = length > 0 && std::fwrite(bytes, 1, length, file) != length;
    return !failed;
}

std::string CStoreWriter::Finish() {
    if (!file || failed || std::fflush(file) != 0) {
        Discard();
        return std::string();
    }
    // Only files of this name whose header is this message's can hold it.
    std::lock_guard<std::mutex> hold(storeLock);
    CNameFamily& family = FamilyOf(basePath);
    const std::uint64_t key = headerKey.Value();
    std::string kept;
    for (auto [at, end] = family.byHeader.equal_range(key); at != end && kept.empty(); ++at) {
        if (at->second == path)
            continue;
        const Relation relation = Compare(file, at->second);
        if (relation == Relation::FetchExtends) { // a header-only copy of this message, now whole
            CopyInto(file, at->second);
            kept = at->second;
        } else if (relation == Relation::Equal ||
                   (relation == Relation::StoredExtends && part == FetchedPart::HeaderOnly)) {
            kept = at->second; // stored already (whole, when this fetch is the header)
        }
    }
    if (!kept.empty() && part == FetchedPart::Whole)
        headerOnlyFiles.erase(kept);
    const bool closed = std::fclose(file) == 0;
    file = nullptr;
    if (kept.empty() && closed) {
        family.byHeader.emplace(key, path);
        if (part == FetchedPart::HeaderOnly)
            headerOnlyFiles.insert(path);
        return path;
    }
    std::remove(path.c_str());
    family.Release(suffix);
    return kept;
}

void CStoreWriter::Discard() {
    if (!file)
        return;
    std::fclose(file);
    file = nullptr;
    std::remove(path.c_str());
    std::lock_guard<std::mutex> hold(storeLock);
    FamilyOf(basePath).Release(suffix);
}

bool IsHeaderOnlyStoreFile(const std::string& path) {
    std::lock_guard<std::mutex> hold(storeLock);
    return headerOnlyFiles.count(path) != 0;
}

bool IsStoreFilePresent(const std::string& path) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
#endif
}

int DeleteStoreFiles() {
    const std::string dir = TemporaryDirectory();
    {
        std::lock_guard<std::mutex> hold(storeLock);
        families.clear();
        headerOnlyFiles.clear();
    }
    int deleted = 0;
#ifdef _WIN32
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "TM*.eml").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            DeleteFileA((dir + found.cFileName).c_str()))
            ++deleted;
    } while (FindNextFileA(search, &found));
    FindClose(search);
#else
    DIR* listing = opendir(dir.c_str());
    if (!listing)
        return 0;
    std::vector<std::string> names;
    while (dirent* entry = readdir(listing)) {
        if (IsStoreFileName(entry->d_name))
            names.push_back(entry->d_name);
    }
    closedir(listing);
    for (const std::string& n : names) {
        if (std::remove((dir + n).c_str()) == 0)
            ++deleted;
    }
#endif
    return deleted;
}
