#include "widgets/LastFolder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

TEST(LastFolder, DocumentsOrHomeFirstThenTheFolderOfTheFileLastChosen)
{
    QTemporaryDir documents, home, other;
    const QString gone = other.filePath(QStringLiteral("gone"));
    const QString chosen = other.filePath(QStringLiteral("t.xls"));
    const struct {
        QString documents;
        QStringList chosen; // in turn; empty: a cancelled dialog
        QString start;
    } cases[] = {
        {documents.path(), {}, documents.path()},
        {gone, {}, home.path()}, // no documents folder
        {documents.path(), {chosen}, other.path()},
        {gone, {chosen, QString()}, other.path()},
        {documents.path(), {gone + QStringLiteral("/t.xls")}, documents.path()}, // removed since
    };
    for (const auto& c : cases) {
        LastFolder folder(c.documents, home.path());
        for (const QString& name : c.chosen)
            folder.remember(name);
        EXPECT_EQ(folder.start(), c.start)
            << qPrintable(c.documents) << " " << qPrintable(c.chosen.join(QLatin1Char(',')));
    }
}

} // namespace
