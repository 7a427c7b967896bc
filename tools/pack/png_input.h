#pragma once
// Turning a PNG into a picture of colour indices.

#include <string>

#include "tools/pack/image_writer.h"

// Reads png. An indexed PNG keeps its own colour table unless table is
// given; any other PNG is mapped to the nearest colours of table, or of the
// built-in default table when table is empty. Alpha below 128 makes a pixel
// transparent; a picture without such pixels gets no mask. tablePng, when
// not empty, names an indexed PNG whose colour table is used.
bool PictureFromPng(const std::string& png, const std::string& tablePng, IndexedPicture* out, std::string* error);
