#include "mail/mail_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <unordered_map>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
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

// Whether the bytes at `at` of the longer file are CR LF; `block` holds
// `have` bytes read from it so far, at < have.
bool LineEndAt(const char* block, size_t have, size_t at, std::FILE* rest) {
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
    for (;;) {
        const size_t na = std::fread(a.data(), 1, blockSize, fetched);
        const size_t nb = std::fread(b.data(), 1, blockSize, stored.f);
        const size_t n = na < nb ? na : nb;
        if (std::memcmp(a.data(), b.data(), n) != 0 || std::ferror(fetched) || std::ferror(stored.f))
            return Relation::Different;
        if (na == nb) {
            if (na < blockSize)
                return Relation::Equal;
            continue;
        }
        if (na < nb)
            return LineEndAt(b.data(), nb, n, stored.f) ? Relation::StoredExtends : Relation::Different;
        return LineEndAt(a.data(), na, n, fetched) ? Relation::FetchExtends : Relation::Different;
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

// A key of the header block (the bytes before the first empty line, or the
// whole file less a final CR LF): a header-only fetch and the whole message
// share it, so only files with the same key can hold the same message.
std::uint64_t HeaderKey(std::FILE* file) {
    static const char blankLine[] = "\r\n\r\n";
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    auto add = [&hash](char c) { hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull; };
    std::rewind(file);
    std::vector<char> block(1 << 16);
    int held = 0; // bytes of a possible blank line, not yet hashed
    size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), file)) > 0) {
        for (size_t i = 0; i < n; ++i) {
            const char c = block[i];
            if (c == blankLine[held]) {
                if (++held == 4)
                    return hash;
                continue;
            }
            for (int k = 0; k < held; ++k)
                add(blankLine[k]);
            held = c == '\r' ? 1 : 0;
            if (!held)
                add(c);
        }
    }
    if (held != 2) // a final CR LF is left out
        for (int k = 0; k < held; ++k)
            add(blankLine[k]);
    return hash;
}

// Creates path only when no file has that name; false when one has, or
// when the file cannot be made.
bool CreateNew(const std::string& path, bool& taken) {
#ifdef _WIN32
    const int fd = _open(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, 0600);
    taken = fd < 0 && errno == EEXIST;
    if (fd >= 0)
        _close(fd);
#else
    const int fd = open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0600);
    taken = fd < 0 && errno == EEXIST;
    if (fd >= 0)
        close(fd);
#endif
    return fd >= 0;
}

// Moves source onto target, an empty file this store has just claimed.
bool MoveOver(const std::string& source, const std::string& target) {
#ifdef _WIN32
    return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return std::rename(source.c_str(), target.c_str()) == 0;
#endif
}

// The store files of one name and its suffixed names (TM20010724100509.eml,
// _1, _2, ...), by header key, and the next suffix to try.
struct CNameFamily {
    std::unordered_multimap<std::uint64_t, std::string> byHeader;
    int nextSuffix = 0;

    // Claims the first free name from nextSuffix on by creating it empty, so
    // that no existing file is ever written over; "" when none can be made.
    std::string ClaimFreeName(const std::string& basePath) {
        for (;; ++nextSuffix) {
            const std::string path = SuffixedName(basePath, nextSuffix);
            bool taken = false;
            if (CreateNew(path, taken)) {
                ++nextSuffix;
                return path;
            }
            if (!taken)
                return std::string();
        }
    }
};

std::mutex storeLock;
std::map<std::string, CNameFamily> families; // by full base path

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
    char name[64];
    std::snprintf(name, sizeof(name), "TM%4d%02d%02d%02d%02d%02d.eml", f.year, f.month, f.day, f.hour,
                  f.minute, f.second);
    return name;
}

std::string StoreFetchedMail(const std::string& source, CCalendarTime mailTime, FetchedPart part,
                             FetchedFile after) {
    const std::string dir = TemporaryDirectory();
    const std::string name = MakeStoreFileName(mailTime);
    File fetched(source, "rb");
    if (!fetched.f)
        return dir + name;

    // Only files of this name whose header is the fetch's can hold this
    // message; a free name is claimed before anything is written into it.
    std::lock_guard<std::mutex> hold(storeLock);
    CNameFamily& family = FamilyOf(dir + name);
    const std::uint64_t key = HeaderKey(fetched.f);
    std::string path;
    bool write = true;
    for (auto [at, end] = family.byHeader.equal_range(key); at != end && path.empty(); ++at) {
        const Relation relation = Compare(fetched.f, at->second);
        if (relation == Relation::FetchExtends) { // a header-only copy of this message, now whole
            path = at->second;
        } else if (relation == Relation::Equal ||
                   (relation == Relation::StoredExtends && part == FetchedPart::HeaderOnly)) {
            path = at->second; // stored already (whole, when this fetch is the header)
            write = false;
        }
    }
    if (path.empty()) {
        path = family.ClaimFreeName(dir + name);
        if (path.empty())
            return dir + name; // the directory takes no file: nothing to keep it in
        family.byHeader.emplace(key, path);
        if (after == FetchedFile::Consume) {
            // The claimed empty file is ours to replace.
            std::fclose(fetched.f);
            fetched.f = nullptr;
            if (MoveOver(source, path))
                return path;
            fetched.f = std::fopen(source.c_str(), "rb");
        }
    }
    if (write && fetched.f)
        CopyInto(fetched.f, path);
    if (after == FetchedFile::Consume) {
        if (fetched.f)
            std::fclose(fetched.f);
        fetched.f = nullptr;
        std::remove(source.c_str());
    }
    return path;
}

int DeleteStoreFiles() {
    const std::string dir = TemporaryDirectory();
    {
        std::lock_guard<std::mutex> hold(storeLock);
        families.clear();
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
