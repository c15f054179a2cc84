#include "ui/picture_qt.h"

#include <cstring>

namespace zep4 {

QImage ToQImage(const TPicture& picture) {
    if (picture.isNull()) return QImage();
    QImage image(picture.Width, picture.Height, QImage::Format_RGB888);
    const size_t rowBytes = static_cast<size_t>(picture.Width) * 3;
    for (int y = 0; y < picture.Height; ++y)
        std::memcpy(image.scanLine(y), picture.Rgb.data() + y * rowBytes, rowBytes);
    return image;
}

TPicture FromQImage(const QImage& image, int width, int height) {
    QImage scaled = image.size() == QSize(width, height)
                        ? image.convertToFormat(QImage::Format_RGB888)
                        : image.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_RGB888);
    TPicture picture = TPicture::Black(width, height);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.Rgb.data() + y * rowBytes, scaled.constScanLine(y), rowBytes);
    return picture;
}

}  // namespace zep4
