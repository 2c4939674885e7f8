// Transparency of mail text on an SMTP data stream: a line that begins with
// "." gets one more "." in front, so that no line of the text can be taken
// for the end-of-data mark.
#pragma once

#include <string>

// Doubles the leading "." of every line (the first line included). A line
// starts at the beginning of the text and after every line feed.
void StuffDots(std::string& text);

// Exact inverse of StuffDots: removes one "." from every line that begins
// with one.
void UnstuffDots(std::string& text);
