// Saving and opening the table from the window: the dialogs, the messages,
// and a table that only a good file changes.
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "recording/ReadingTable.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

class TableFilesTest : public WindowTest {
protected:
    TableFilesTest()
    {
        const QDateTime t(QDate(2024, 5, 6), QTime(9, 3, 7));
        for (int i = 1; i <= 3; ++i)
            window->cds1->appendRecorded(i, t.addSecs(i), "T1", " 2" + QString::number(i), "#-K",
                                         "Pass");
        window->State.NextRecordNo = 4;
        window->State.RecordCount = 3;
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    std::vector<qint64> tableState() const
    {
        std::vector<qint64> state = window->cds1->changes().numbers();
        state.push_back(window->cds1->rowCount());
        state.push_back(window->State.NextRecordNo);
        state.push_back(window->State.RecordCount);
        return state;
    }
    void open(const QString& name)
    {
        dialogs.fileAnswers = QStringList{path(name)};
        window->OpenDataFiles->click();
    }
    void save(const QString& name)
    {
        dialogs.fileAnswers = QStringList{path(name)};
        window->saveas->click();
    }
    QTemporaryDir dir;
};

TEST_F(TableFilesTest, SaveDialogOffersTheThreeTypesAndAsksBeforeReplacing)
{
    window->Save1->trigger();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    const FileDialogOptions& o = dialogs.fileDialogs.first();
    EXPECT_EQ(o.typeLabels, (QStringList{"Excel File(*.xls)", "XML(*.xml)", "Txt File(*.txt)"}));
    EXPECT_EQ(o.typePatterns, (QStringList{"*.xls", "*.xml", "*.txt"}));
    EXPECT_EQ(o.defaultSuffix, "xls");
    EXPECT_TRUE(o.confirmOverwrite);
    EXPECT_TRUE(dialogs.shown.isEmpty()); // cancelled: nothing happens
}

TEST_F(TableFilesTest, OpenDialogOffersItsTypesWithoutDefaultExtension)
{
    window->OpenDataFiles->click();
    ASSERT_EQ(dialogs.fileDialogs.size(), 1);
    const FileDialogOptions& o = dialogs.fileDialogs.first();
    EXPECT_EQ(o.typeLabels, (QStringList{"Excel File(*.xls)", "XML (*.xml)", "Txt File(*.txt)"}));
    EXPECT_TRUE(o.defaultSuffix.isEmpty());
    EXPECT_EQ(window->cds1->rowCount(), 3);
}

TEST_F(TableFilesTest, EachSavedFileOpensToTheSameRows)
{
    for (const char* name : {"t.xls", "t.txt", "t.xml"}) {
        dialogs.clear();
        save(name);
        EXPECT_EQ(dialogs.texts(),
                  QStringList{"Save table to specified file: " + path(name) + " Scuss!"});
    }
    EXPECT_EQ(window->cds1->currentRow(), 2);
    const std::vector<qint64> before = tableState();
    dialogs.clear();

    open("t.xml"); // replaces: the same three rows and change list
    EXPECT_EQ(tableState(), before);
    EXPECT_EQ(window->cds1->currentRow(), 0);
    open("t.xls"); // appends three more
    open("t.txt");
    EXPECT_EQ(window->cds1->rowCount(), 9);
    EXPECT_EQ(window->cds1->rows().row(6).value, "21"); // trimmed in text files
    EXPECT_EQ(window->State.RecordCount, 3);
    EXPECT_EQ(window->State.NextRecordNo, 4);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(TableFilesTest, AFileThatFailsShowsTheErrorAndChangesNothing)
{
    write("bad.txt", "No\r\n1\tok\r\n2\ta\tb\tc\td\te\tseventh\r\n");
    write("bad.xml", "<?xml version=\"1.0\"?><DATAPACKET");
    for (const char* name : {"bad.txt", "bad.xml", "missing.xml", "missing.txt"}) {
        const std::vector<qint64> before = tableState();
        dialogs.clear();
        open(name);
        ASSERT_EQ(dialogs.shown.size(), 1) << name;
        EXPECT_EQ(dialogs.shown.first().kind, "error");
        EXPECT_EQ(dialogs.shown.first().caption, "Error");
        EXPECT_EQ(dialogs.shown.first().text, "Failed to Load File!");
        EXPECT_EQ(tableState(), before) << name;
    }
}

TEST_F(TableFilesTest, UpperCaseXmlReplacesAndAPacketNamedTxtAddsNothing)
{
    save("p.xml");
    QFile::copy(path("p.xml"), path("P.XML"));
    QFile::copy(path("p.xml"), path("p.txt"));
    window->cds1->clear();
    dialogs.clear();
    open("P.XML");
    EXPECT_EQ(window->cds1->rowCount(), 3);
    open("p.txt");
    EXPECT_EQ(window->cds1->rowCount(), 3);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(TableFilesTest, AFailedSaveNamesItsCauseAndNeverClaimsSuccess)
{
    save("no-such-folder/t.txt");
    save("no-such-folder/t.xml");
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text,
              "Could not save table to specified file: " + path("no-such-folder/t.txt"));
    EXPECT_EQ(dialogs.shown[1].kind, "error");
    EXPECT_TRUE(dialogs.shown[1].text.contains(path("no-such-folder/t.xml")));
    EXPECT_FALSE(dialogs.shown[1].text.contains("Scuss"));
}

} // namespace
