#pragma once
// A JPEG writer for tests: pictures in colour spaces the program's own assets
// do not use.

#include <QByteArray>
#include <cstdio>
#include <jpeglib.h>
#include <vector>

namespace kv::test {

// Writes a width x height picture with libjpeg in the given colour space;
// `pixel` gives the samples of every pixel (1 or 4 components).
QByteArray encodeJpeg(int width, int height, J_COLOR_SPACE space, int components,
                      const std::vector<JSAMPLE> &pixel);

} // namespace kv::test
