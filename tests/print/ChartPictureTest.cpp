// Saving the chart picture over an existing file: a failed save keeps the
// old file byte for byte, leaves nothing beside it and names the file and
// the system's reason; a good save replaces it.
#include "print/ChartPicture.h"
#include "FileFaults.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// A picture like the chart's: mostly white, grid lines and a trace. Its PNG
// is a few kilobytes, its bitmap about half a megabyte.
QImage chartLike()
{
    QImage image(391, 456, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::lightGray);
    for (int x = 20; x < image.width(); x += 40)
        painter.drawLine(x, 0, x, image.height());
    painter.setPen(Qt::blue);
    for (int x = 1; x < image.width(); ++x)
        painter.drawLine(x - 1, 200 + (x * 37) % 90, x, 200 + ((x + 1) * 37) % 90);
    return image;
}

struct PictureCase {
    const char* name;
    const char* format;
};

const PictureCase kPictures[] = {{"keep.bmp", "bmp"}, {"keep.png", "png"}};

// The picture's bytes as a good save writes them.
qint64 savedSize(const QImage& image, const PictureCase& c)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QLatin1String(c.name));
    EXPECT_EQ(chart_picture::save(image, name), QString());
    EXPECT_EQ(QImageReader(name).format(), QByteArray(c.format));
    return fileBytes(name).size();
}

class FailedPictureSave : public ::testing::Test {
protected:
    // The outcome a user must see: the file and the reason named, the old
    // file as it was, no temporary file left.
    void expectFailedAndKept(const QString& error, const QString& name, const QByteArray& old,
                             const QString& reason, const std::string& where)
    {
        EXPECT_TRUE(error.startsWith(QLatin1String("Cannot write file ")) &&
                    error.contains(QDir::toNativeSeparators(name)) && error.contains(reason))
            << where << ": " << error.toStdString();
        EXPECT_EQ(fileBytes(name), old) << where;
        EXPECT_EQ(filesIn(QFileInfo(name).path()), QStringList{QFileInfo(name).fileName()})
            << where;
    }

    const QImage image = chartLike();
    const QByteArray old = "an older picture, kept whole";
};

TEST_F(FailedPictureSave, AWriteCutAtAnyPointKeepsTheOldFile)
{
    for (const PictureCase& c : kPictures) {
        const qint64 size = savedSize(image, c);
        QTemporaryDir dir;
        const QString name = dir.filePath(QLatin1String(c.name));
        std::vector<qint64> cuts = {0, 1, 7, 54, 4095, 4097, size / 2, size - 1};
        for (qint64 at = 16384; at < size; at += 16384)
            cuts.push_back(at);
        for (qint64 cut : cuts) {
            if (cut >= size)
                continue;
            ASSERT_TRUE(writeFile(name, old));
            QString error;
            {
                const FileSizeLimit limit{rlim_t(cut)};
                error = chart_picture::save(image, name);
            }
            expectFailedAndKept(error, name, old, QString::fromLocal8Bit(std::strerror(EFBIG)),
                                std::string(c.name) + " cut at " + std::to_string(cut) + " of " +
                                    std::to_string(size));
        }
        EXPECT_EQ(chart_picture::save(image, name), QString());
        EXPECT_EQ(fileBytes(name).size(), size);
    }
}

TEST_F(FailedPictureSave, AFullDiskKeepsTheOldFile)
{
    QTemporaryDir mountPoint;
    ASSERT_TRUE(mountPoint.isValid());
    if (!SmallDisk::canMount(mountPoint.path()))
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    for (const PictureCase& c : kPictures) {
        // Disks of 4 KB pages up to the new picture's pages: beside the old
        // file's page there is always too little room for the new picture.
        const int newKb = int((savedSize(image, c) + 4095) / 4096) * 4;
        for (int kb = 4; kb <= newKb; kb += std::max(4, newKb / 32 * 4)) {
            const SmallDisk disk(mountPoint.path(), kb);
            ASSERT_TRUE(disk.mounted());
            const QString name = mountPoint.filePath(QLatin1String(c.name));
            ASSERT_TRUE(writeFile(name, old));
            expectFailedAndKept(chart_picture::save(image, name), name, old,
                                QString::fromLocal8Bit(std::strerror(ENOSPC)),
                                std::string(c.name) + " on " + std::to_string(kb) + " KB");
        }
    }
}

} // namespace
