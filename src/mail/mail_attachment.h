// One file attached to an outgoing mail, kept as base64 text.
#pragma once

#include <string>

struct MailAttachment {
    // The name parameter of the part's Content-Type as it is written after
    // "name=": the file name quoted, as encoded words (EUC-KR, base64) when
    // it holds bytes beyond ASCII.
    std::string name;
    // What is written after "filename=" in the part's Content-Disposition:
    // the same quoted value, followed for a name beyond ASCII by its RFC 2231
    // form (filename*=euc-kr''...), which mail readers prefer.
    std::string fileName;
    std::string encoded; // base64 lines, each ending in CR LF

    // Reads the file at path (opened for reading with other writers denied)
    // and encodes it; name and fileName give the file name with its
    // extension, without drive or directory. Returns false when the file's
    // status can't be read or the file can't be opened or read; the
    // attachment is then left empty.
    bool LoadFile(const std::string& path);
};
