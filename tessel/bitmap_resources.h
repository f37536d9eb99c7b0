// The module's two pictures as BMP files, as a resource file would hold them.
#pragma once

namespace glimra::tessel {

// "GRIDBMP": 64 x 64, 8 bits with a palette, bottom-up.
extern const unsigned char GridBmp[];
extern const unsigned int GridBmpSize;
// "MASKBMP": 64 x 64, 1 bit, bottom-up; set on the grid lines.
extern const unsigned char MaskBmp[];
extern const unsigned int MaskBmpSize;

} // namespace glimra::tessel
