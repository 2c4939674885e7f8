// OLE (for the shell's file dialogs) starts on the user-interface thread when
// a window first needs it, not with the program: a resident program whose
// user never opens such a window does not load it at all.
#pragma once

// Starts OLE on this thread once; later calls do nothing.
void StartOleSupport();
// Ends what StartOleSupport started, when the program ends.
void EndOleSupport();
