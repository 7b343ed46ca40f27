#pragma once

#include <QImage>
#include <QString>

class QWidget;

namespace chart_picture {

// The widget's area exactly as it is drawn at this moment, at its size in
// pixels (without child widgets laid over it).
QImage grab(QWidget& surface);

// Writes the image under fileName, replacing any file of that name only once
// the whole picture is on the disk; a failed save leaves that file as it was.
// A name ending in ".png" gets a PNG, any other a Windows bitmap with 24 bits
// a pixel. Returns the error naming the file and the system's reason, as a
// failed table save does, or empty text on success.
QString save(const QImage& image, const QString& fileName);

} // namespace chart_picture
