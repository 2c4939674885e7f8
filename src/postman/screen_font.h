// The screen's font size class. Several windows choose between two layouts
// by it: the one drawn for small fonts (96 dpi) and the one for large fonts.
#pragma once

// True when the text height of the desktop window's device context is at
// most 16 pixels, or when it cannot be measured.
bool IsSmallFontScreen();
