// Between the model's RGB pictures and Qt's images, at the window boundary.
#pragma once

#include <QImage>

#include "setup/picture.h"

namespace zep4 {

QImage ToQImage(const TPicture& picture);

// The image drawn stretched to width x height.
TPicture FromQImage(const QImage& image, int width, int height);

}  // namespace zep4
