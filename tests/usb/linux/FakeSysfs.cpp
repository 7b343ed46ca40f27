#include "FakeSysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

FakeSysfs::FakeSysfs()
{
    EXPECT_TRUE(dir_.isValid());
}

QString FakeSysfs::makeDir(const QString& relative)
{
    const QString path = root() + QLatin1Char('/') + relative;
    EXPECT_TRUE(QDir().mkpath(path)) << path.toStdString();
    return path;
}

void FakeSysfs::write(const QString& relative, const QByteArray& contents)
{
    const QString path = root() + QLatin1Char('/') + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(contents);
}

QString FakeSysfs::addHidraw(const QString& hidDir, const QString& node, const QString& devNumber)
{
    const QString nodeDir = makeDir(hidDir + QStringLiteral("/hidraw/") + node);
    EXPECT_TRUE(QFile::link(QStringLiteral("../.."), nodeDir + QStringLiteral("/device")));
    makeDir(QStringLiteral("dev/char"));
    EXPECT_TRUE(QFile::link(QStringLiteral("../../") + hidDir + QStringLiteral("/hidraw/") + node,
                            root() + QStringLiteral("/dev/char/") + devNumber));
    return nodeDir;
}
