#include "mail/dot_stuffing.h"

void StuffDots(std::string& text) {
    std::string stuffed;
    stuffed.reserve(text.size() + text.size() / 64);
    bool lineStart = true;
    for (char c : text) {
        if (lineStart && c == '.')
            stuffed += '.';
        stuffed += c;
        lineStart = c == '\n';
    }
    text.swap(stuffed);
}

void UnstuffDots(std::string& text) {
    std::string plain;
    plain.reserve(text.size());
    bool lineStart = true;
    for (char c : text) {
        if (!(lineStart && c == '.'))
            plain += c;
        lineStart = c == '\n';
    }
    text.swap(plain);
}
