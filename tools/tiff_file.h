// TIFF files of assembled images: little-endian, one directory, one
// uncompressed strip; 1-bit and 8-bit as black-is-zero, 24-bit as RGB.
#ifndef QR_TIFF_FILE_H
#define QR_TIFF_FILE_H

#include <string>

#include "raster_image.h"

// FALSE with *error; no file is left then.
bool WriteTiff(const std::string &path, const RasterImage &image, std::string *error);

#endif
