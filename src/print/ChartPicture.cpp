#include "print/ChartPicture.h"

#include "files/ReplacingSave.h"

#include <QBuffer>
#include <QImageWriter>
#include <QWidget>

namespace chart_picture {

QImage grab(QWidget& surface)
{
    QImage image(surface.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    surface.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
}

QString save(const QImage& image, const QString& fileName)
{
    // Encoded in memory first: an image writer gives up on a short write of
    // its device without the system's reason, and the picture is small.
    const bool png = fileName.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    QImageWriter writer(&encoded, png ? "png" : "bmp");
    // Three bytes a pixel: the bitmap carries no alpha channel.
    if (!writer.write(png ? image : image.convertToFormat(QImage::Format_RGB888)))
        return cannotWriteFile(fileName, writer.errorString());
    const QByteArray& bytes = encoded.data();
    return saveReplacing(fileName, [&](QIODevice& file) {
               return writeAll(file, bytes.constData(), bytes.size());
           }).error;
}

} // namespace chart_picture
