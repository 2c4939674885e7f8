// One file attached to an outgoing mail, kept as base64 text.
#pragma once

#include <string>

struct MailAttachment {
    std::string name;     // "name" parameter of the part's Content-Type
    std::string fileName; // "filename" parameter of its Content-Disposition
    std::string encoded;  // base64 lines, each ending in CR LF

    // Reads the file at path (opened for reading with other writers denied)
    // and encodes it; name and fileName become the file name with its
    // extension, without drive or directory. Returns false when the file's
    // status can't be read or the file can't be opened or read; the
    // attachment is then left empty.
    bool LoadFile(const std::string& path);
};
