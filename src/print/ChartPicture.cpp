#include "print/ChartPicture.h"

#include <QImageWriter>
#include <QSaveFile>
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
    const bool png = fileName.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    QImageWriter writer(&file, png ? "png" : "bmp");
    // Three bytes a pixel: the bitmap carries no alpha channel.
    if (!writer.write(png ? image : image.convertToFormat(QImage::Format_RGB888))) {
        file.cancelWriting();
        return writer.errorString();
    }
    if (!file.commit())
        return file.errorString();
    return {};
}

} // namespace chart_picture
