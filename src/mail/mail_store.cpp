#include "mail/mail_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
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

    // Find the file for this message: a free name, or the file that holds
    // this message already (whole, or a header-only copy to be replaced).
    constexpr int maxSuffix = 9999;
    std::string path;
    bool write = true; // every name taken: the last one is reused
    for (int k = 0; k <= maxSuffix; ++k) {
        path = dir + SuffixedName(name, k);
        const Relation relation = Compare(fetched.f, path);
        if (relation == Relation::Missing) {
            if (after == FetchedFile::Consume) {
                std::fclose(fetched.f);
                fetched.f = nullptr;
                if (std::rename(source.c_str(), path.c_str()) == 0)
                    return path;
                fetched.f = std::fopen(source.c_str(), "rb");
            }
            break;
        }
        if (relation == Relation::FetchExtends) // a header-only copy of this message, now whole
            break;
        if (relation == Relation::Equal ||
            (relation == Relation::StoredExtends && part == FetchedPart::HeaderOnly)) {
            write = false; // stored already (whole, when this fetch is the header)
            break;
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
