// The system DPI, at which this program draws (its manifest makes it system
// DPI aware), and pixel figures drawn for 96 DPI brought to it.
#pragma once

// Dots per inch of the screen: 96 at 100 %, 120 at 125 %, 144 at 150 %.
int SystemDpi();

// `pixels` measured at 96 DPI, in pixels of the system DPI (rounded).
int ScaleToSystemDpi(int pixels);
