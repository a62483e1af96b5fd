// The resource maker: builds the program's made resources (the beeps, the title picture, the
// icons) at build time. It is a
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

// The title picture: a packed 320 by 240, 8-bit, BI_RLE8 bitmap with a 256-colour table.
Bytes makeTitlePicture();

// The program's icon as PNG images of 48, 32 and 16 pixels square.
Bytes makeIcon48();
Bytes makeIcon32();
Bytes makeIcon16();
