// The journal folder: where it is, one locked journal per program, and the
// left-overs of programs that are gone.
#include "JournalFiles.h"

#include "journal/JournalFolder.h"

#include <QDir>
#include <QTemporaryDir>

#include <memory>

namespace {

struct PathCase {
    const char* stateHome; // nullptr: unset
    QString expected;
};

TEST(JournalFolderPath, FollowsXdgStateHome)
{
    const QByteArray saved = qgetenv("XDG_STATE_HOME");
    const QString home = QDir::homePath() + "/.local/state/thermologger";
    const PathCase cases[] = {{"/x/state", "/x/state/thermologger"},
                              {nullptr, home},
                              {"", home},
                              {"relative/state", home}};
    for (const PathCase& c : cases) {
        if (c.stateHome)
            qputenv("XDG_STATE_HOME", c.stateHome);
        else
            qunsetenv("XDG_STATE_HOME");
        EXPECT_EQ(JournalFolder::defaultPath(), c.expected)
            << (c.stateHome ? c.stateHome : "unset");
    }
    qputenv("XDG_STATE_HOME", saved);
}

class JournalFolderTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    // A journal of `rows` rows claimed by a program that has ended by now,
    // its last commit at `ended`.
    QString leftOver(int rows, const char* ended)
    {
        JournalFolder gone(dir.path());
        EXPECT_TRUE(gone.claim());
        ReadingTable table;
        for (int i = 0; i < rows; ++i)
            table.appendFromFile({i, "t", "T1", "1", "K", ""});
        EXPECT_TRUE(writeJournal(gone.journalFile(), table));
        EXPECT_TRUE(execSql(gone.journalFile(),
                            QByteArray("UPDATE recording SET ended = '") + ended + "'"));
        return gone.journalFile();
    }
};

TEST_F(JournalFolderTest, EachUserGetsAJournalOfItsOwn)
{
    JournalFolder first(dir.filePath("sub/folder")), second(dir.filePath("sub/folder"));
    ASSERT_TRUE(first.claim()) << first.error().toStdString();
    ASSERT_TRUE(second.claim());
    EXPECT_NE(first.journalFile(), second.journalFile());
    EXPECT_TRUE(first.journalFile().startsWith(dir.filePath("sub/folder/journal-")));
}

TEST_F(JournalFolderTest, AHeldJournalIsNotOfferedUntilItsProgramIsGone)
{
    auto running = std::make_unique<JournalFolder>(dir.path());
    ASSERT_TRUE(running->claim());
    ReadingTable table;
    table.appendFromFile({1, "t", "T1", "1", "K", ""});
    ASSERT_TRUE(writeJournal(running->journalFile(), table));
    const QString held = running->journalFile();

    JournalFolder starting(dir.path());
    ASSERT_TRUE(starting.claim());
    EXPECT_TRUE(starting.leftovers().empty());

    running.reset(); // its lock is released as by a crash
    const auto offered = starting.leftovers();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].fileName, held);
    EXPECT_EQ(offered[0].rowCount, 1);
}

TEST_F(JournalFolderTest, LeftOversComeNewestFirstWithoutEmptyOnes)
{
    const QString january = leftOver(3, "2024-01-01T10:00:00.000Z");
    const QString march = leftOver(1, "2024-03-01T10:00:00.000Z");
    leftOver(0, "2024-04-01T10:00:00.000Z");
    const QString february = leftOver(2, "2024-02-01T10:00:00.000Z");
    const QString garbage = dir.filePath("journal-broken.sqlite");
    QFile bad(garbage);
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(5000, 'x'));
    bad.close();

    const auto offered = JournalFolder(dir.path()).leftovers();
    std::vector<QString> names;
    for (const JournalSummary& s : offered)
        names.push_back(s.fileName);
    // The unreadable file carries its modification time: now, the newest.
    EXPECT_EQ(names, (std::vector<QString>{garbage, march, february, january}));
    EXPECT_FALSE(offered[0].error.isEmpty());
    EXPECT_EQ(offered[1].rowCount, 1);
    EXPECT_EQ(offered[3].rowCount, 3);
    EXPECT_EQ(offered[3].ended, QDateTime(QDate(2024, 1, 1), QTime(10, 0), Qt::UTC));
}

} // namespace
