#pragma once

// Lets pending window events run once, at the fixed points where the
// program has always yielded (start-up, layouts, long loops).
void DoEvents();
