// BMP files: a native transfer's bitmap behind its 14-byte
// BITMAPFILEHEADER, or an assembled image written bottom-up.
#ifndef QR_BMP_FILE_H
#define QR_BMP_FILE_H

#include <string>

#include "dib_image.h"
#include "raster_image.h"

// The bitmap exactly as the data source made it (header, palette, pixels)
// with the file header in front. FALSE with *error; no file is left then.
bool WriteBmpFromDib(const std::string &path, const DibView &dib, std::string *error);
// Rows bottom-up, padded to four bytes, colour as blue, green, red; 1-bit
// with a black-then-white palette, 8-bit with 256 greys.
bool WriteBmpFromRaster(const std::string &path, const RasterImage &image, std::string *error);

#endif
