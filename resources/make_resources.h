// The resource maker: builds the program's made resources (the beeps) at build time. It is a
// program of its own and shares no code with the game.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<uint8_t>;

// A wave image of 8-bit stereo PCM at 22050 Hz in the game's chunk layout: "fmt " (18 bytes),
// "fact", "data" and a 94-byte "LIST" of INFO texts (a name and a comment).
Bytes makeWaveImage(const Bytes& samples, const char* name, const char* comment);

// The beeps: "GBEEP" for a right move, "BBEEP" for a wrong one.
Bytes makeGoodBeep();
Bytes makeBadBeep();
