// The stack of a worker thread once its work has returned.
#pragma once

// Tells the system that the pages of the calling thread's stack well below
// the current frame hold nothing any more, so they leave memory instead of
// being kept. Under Wine an ended thread's stack stays resident until
// another thread ends: a worker calls this as its work returns.
void DiscardUnusedStack();
