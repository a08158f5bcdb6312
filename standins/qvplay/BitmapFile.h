// Picture capture: a decoded picture as a 24-bit BMP file.
#pragma once

#include "StreamFormat.h"

// Writes the picture (palette indexes, rows top to bottom) through the
// stream's palette into a new BMP file at the ANSI path. True when the whole
// file was written; false for an empty picture or a file that cannot be
// written (a partly written file is deleted).
bool SaveBitmapFile(const char* path, const streamfmt::FrameInfo& picture);
