// HTML of received mail as formatted text. Only the text and its simple
// formatting are kept: paragraphs and line breaks, headings, bold, italic
// and underlined text, lists with bullets or numbers, links (their targets
// kept), tables as lines of cells separated by tabs, entities decoded.
// The head, style sheets and scripts are dropped; an image shows as
// "[그림: name]" (its alt text, else the last part of its address). Nothing
// is fetched and nothing is run. Time is linear in the input, and the
// document's capacity bounds the output.
#pragma once

#include "mail/rich_document.h"

#include <string>

void AppendHtml(const std::u16string& html, CRichDocument& document);

// The text with its character references ("&amp;", "&#44032;", "&#xAC00;")
// decoded; unknown names stay as written.
std::u16string DecodeHtmlEntities(const std::u16string& text);
