// Scanning a line of a text file the way the runtime's formatted scanner does: a decimal
// integer after optional white space, then words separated by white space.
#pragma once

#include <cstdint>

// Skips white space, then reads an optional sign and at least one digit. Values beyond 32 bits
// saturate. On failure p is left where it was and false is returned.
bool scanInteger(const char*& p, int32_t* value);

// Skips white space, then copies the next word (up to size - 1 characters; the rest of a longer
// word is skipped). False when the line has no further word.
bool scanWord(const char*& p, char* word, int size);
