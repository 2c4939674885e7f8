#include "mail/mail_attachment.h"

#include "base/ascii_text.h"
#include "mail/base64.h"
#include "mail/mime_parameters.h"

#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <share.h>
#endif

namespace {
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePointer = std::unique_ptr<std::FILE, FileCloser>;

FilePointer OpenDenyingWriters(const std::string& path) {
#ifdef _WIN32
    return FilePointer(_fsopen(path.c_str(), "rb", _SH_DENYWR));
#else
    return FilePointer(std::fopen(path.c_str(), "rb"));
#endif
}

// The last component of a path: after the last "\", "/" or drive colon.
std::string FileNameOf(const std::string& path) {
    size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

// Quoted, and encoded when raw 8-bit bytes would not survive mail readers.
std::string NameParameterValue(const std::string& fileName) {
    return QuotedString(HasNonAsciiBytes(fileName) ? EncodedWords(fileName) : fileName);
}
} // namespace

bool MailAttachment::LoadFile(const std::string& path) {
    name.clear();
    fileName.clear();
    encoded.clear();

    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return false;
    FilePointer file = OpenDenyingWriters(path);
    if (!file)
        return false;
    // Read to the actual end, in case the file changed since its status.
    std::vector<unsigned char> content;
    content.reserve(static_cast<size_t>(status.st_size));
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        content.insert(content.end(), chunk, chunk + got);
    if (std::ferror(file.get()))
        return false;

    std::string text(Base64EncodedSize(content.size()), '\0');
    size_t length = 0;
    Base64Encode(content.data(), content.size(), &text[0], text.size(), length);
    text.resize(length);
    encoded.swap(text);
    std::string baseName = FileNameOf(path);
    name = fileName = NameParameterValue(baseName);
    if (HasNonAsciiBytes(baseName))
        fileName += "; " + ExtendedParameter("filename", baseName);
    return true;
}
