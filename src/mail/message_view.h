// What the message view shows for one received message: its text parts as
// formatted text (HTML preferred among alternatives, a forwarded message
// inline after its own header lines), then the list of its attachments.
#pragma once

#include "mail/mime_message.h"
#include "mail/rich_document.h"

#include <string>
#include <vector>

// One listed attachment and where its line is in the document.
struct ListedAttachment {
    size_t part = 0;                   // index in CMimeMessage::Parts()
    std::u16string name;               // file name, or a description of the part
    size_t size = 0;                   // decoded bytes
    size_t textStart = 0, textEnd = 0; // its line in the document's text
};

// Builds the view of `message` into `document` (which should be empty) and
// lists its attachments. A body too long for the document, or parts beyond
// the reader's limits, end in a note that the rest is not shown.
void BuildMessageView(const CMimeMessage& message, CRichDocument& document,
                      std::vector<ListedAttachment>& attachments);

// Whether a click on a link may open it: http, https and mailto only.
bool IsOpenableLink(const std::u16string& target);

// "12 바이트", "3.4 KB", "5.0 MB".
std::u16string FormatSize(size_t bytes);
