// The table's journal from the window: a run that ends without Quit leaves
// its table for the next start to restore; Quit, "Discard" and unreadable
// journals each end as the user expects.
#include "EventLoopWait.h"
#include "FileFaults.h"
#include "WindowTest.h"
#include "app/TFCOMM.h"
#include "chart/TChartControl.h"
#include "chart/TrendChartView.h"
#include "journal/JournalRestore.h"
#include "recording/ReadingGrid.h"
#include "recording/ReadingTable.h"
#include "session/SessionJournal.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

// A run of the program: a window on the journal folder, with its dialogs.
struct Program {
    ScriptedDialogs dialogs;
    std::unique_ptr<TFCOMM> window;
};

class JournalTest : public ::testing::Test {
protected:
    // Starts a program on `folder` answering the journal questions in turn.
    std::unique_ptr<Program> start(const QStringList& answers = {}, const QString& folder = {})
    {
        auto run = std::make_unique<Program>();
        run->dialogs.choiceAnswers = answers;
        TFCOMMServices services;
        services.dialogs = &run->dialogs;
        services.queryDecimalSeparator = [] { return QStringLiteral("."); };
        services.journalFolder = folder.isEmpty() ? dir.path() : folder;
        run->window = std::make_unique<TFCOMM>(services);
        run->window->RecordSI->setChecked(false); // every reading becomes a row
        return run;
    }
    static void record(Program& run, int count, int from = 0)
    {
        LoggerState& state = run.window->State;
        for (int i = from; i < from + count; ++i) {
            state.ChannelText = i % 3 == 2 ? QStringLiteral("T1-T2") : QStringLiteral("T1");
            state.ValueText = QString::asprintf("%06.1f", (i % 7) * 3.5 - 10);
            state.CurrentValue = state.ValueText.toDouble();
            state.UnitText = QStringLiteral("#-K");
            state.JudgeText = i % 2 ? QStringLiteral("Pass") : QStringLiteral("Fail");
            run.window->INDataToTable();
        }
    }
    // A program that ends without Quit (killed, crashed): what it committed
    // stays on disk and its lock goes with it.
    static void crash(std::unique_ptr<Program>& run)
    {
        ASSERT_TRUE(run->window->Journal()->waitUntilCommitted());
        run.reset();
    }
    QStringList journals(const QString& folder = {}) const
    {
        return QDir(folder.isEmpty() ? dir.path() : folder)
            .entryList({QStringLiteral("journal-*.sqlite")}, QDir::Files, QDir::Name);
    }
    // The texts of the boxes of one kind ("question", "error") a run showed.
    static QStringList shownTexts(const Program& run, QLatin1String kind)
    {
        QStringList texts;
        for (const ScriptedDialogs::Shown& shown : run.dialogs.shown)
            if (shown.kind == kind)
                texts << shown.text;
        return texts;
    }
    static QStringList questions(const Program& run)
    {
        return shownTexts(run, QLatin1String("question"));
    }
    static QStringList errors(const Program& run)
    {
        return shownTexts(run, QLatin1String("error"));
    }
    static QByteArray saved(Program& run, const QString& fileName)
    {
        run.dialogs.fileAnswers = QStringList{fileName};
        run.window->saveas->click();
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(not saved)");
    }
    QTemporaryDir dir;
    QTemporaryDir saves;
};

class JournalRestoreTest : public JournalTest {};

TEST_F(JournalRestoreTest, ACrashedRecordingComesBackExactlyAndSavesTheSameBytes)
{
    auto first = start();
    record(*first, 80);
    first->window->RecordNew->click(); // the journal follows "New" too
    record(*first, 150, 80);
    // Each format as a save before the crash writes it.
    const QStringList formats{QStringLiteral("xls"), QStringLiteral("xml"), QStringLiteral("txt")};
    std::vector<QByteArray> before;
    for (const QString& format : formats) {
        before.push_back(saved(*first, saves.filePath("before." + format)));
        ASSERT_FALSE(before.back().startsWith("(not saved)")) << format.toStdString();
    }
    const ReadingTable& table = *first->window->cds1;
    const std::vector<qint64> changes = table.changes().numbers();
    const qint32 next = first->window->State.NextRecordNo, count = first->window->State.RecordCount;
    const qint64 points = first->window->ChartView->pointCount();
    const qint32 page = first->window->ChartControl->FCurrentPage();
    crash(first);

    auto second = start({QStringLiteral("Restore")});
    ASSERT_EQ(questions(*second).size(), 1);
    EXPECT_TRUE(questions(*second).first().contains(QStringLiteral("Rows: 150")));
    const TFCOMM& w = *second->window;
    ASSERT_EQ(w.cds1->rowCount(), 150);
    EXPECT_EQ(w.cds1->changes().numbers(), changes);
    EXPECT_EQ(w.State.NextRecordNo, next);
    EXPECT_EQ(w.State.RecordCount, count);
    EXPECT_EQ(w.DBGrid1->selectedTableRow(), 149);
    EXPECT_EQ(w.ChartView->pointCount(), points);
    EXPECT_EQ(w.ChartControl->FCurrentPage(), page);
    for (int i = 0; i < formats.size(); ++i)
        EXPECT_EQ(saved(*second, saves.filePath("after." + formats[i])), before[i])
            << formats[i].toStdString();
    // The restored table lives on in the new run's journal alone.
    EXPECT_EQ(journals(), QStringList{QFileInfo(w.Journal()->journalFile()).fileName()});
}

TEST_F(JournalRestoreTest, RowsRecordedASecondAgoAreOnDiskWhileTheProgramRuns)
{
    auto running = start();
    record(*running, 5);
    pumpFor(2500);
    // What a power cut leaves: the files as they are now, without the lock.
    QTemporaryDir copy;
    const QString journal = running->window->Journal()->journalFile();
    for (const char* suffix : {"", "-wal", "-shm"}) {
        if (QFile::exists(journal + suffix)) {
            ASSERT_TRUE(QFile::copy(journal + suffix,
                                    copy.filePath(QFileInfo(journal).fileName() + suffix)));
        }
    }
    auto next = start({QStringLiteral("Restore")}, copy.path());
    EXPECT_EQ(next->window->cds1->rowCount(), 5);
    EXPECT_EQ(next->window->State.NextRecordNo, 6);
}

class JournalOfferTest : public JournalTest {};

TEST_F(JournalOfferTest, QuitAndTheCloseBoxRemoveTheJournal)
{
    const std::function<void(TFCOMM&)> ends[] = {
        [](TFCOMM& w) { w.BitBtn1->click(); },
        [](TFCOMM& w) { w.close(); },
    };
    for (const auto& end : ends) {
        auto run = start();
        record(*run, 3);
        end(*run->window);
        EXPECT_TRUE(journals().isEmpty());
        run.reset();
        auto next = start();
        EXPECT_TRUE(questions(*next).isEmpty());
        next->window->close();
    }
}

TEST_F(JournalOfferTest, NewestFirstDiscardDeletesAndClosingTheQuestionKeeps)
{
    for (int rows : {2, 3}) {
        auto run = start();
        record(*run, rows);
        crash(run);
        pumpFor(1100); // the next one ends a second later
    }
    const QStringList left = journals();
    {
        // Discard the newest; close the box on the older one.
        auto run = start({QStringLiteral("Discard")});
        const QStringList asked = questions(*run);
        ASSERT_EQ(asked.size(), 2);
        EXPECT_TRUE(asked[0].contains(QStringLiteral("Rows: 3")));
        EXPECT_TRUE(asked[1].contains(QStringLiteral("Rows: 2")));
        EXPECT_EQ(run->window->cds1->rowCount(), 0);
        run->window->close();
    }
    ASSERT_EQ(journals(), QStringList{left.first()});
    auto run = start({QStringLiteral("Restore")});
    EXPECT_EQ(questions(*run).size(), 1);
    EXPECT_EQ(run->window->cds1->rowCount(), 2);
}

TEST_F(JournalOfferTest, ADamagedJournalIsReportedKeptAndTheStartGoesOn)
{
    const QString damaged = dir.filePath(QStringLiteral("journal-20240101T000000-1.sqlite"));
    const QByteArray bytes = QByteArray("SQLite format 3").append(4096, '\x5a');
    {
        QFile file(damaged);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    auto run = start({QStringLiteral("Restore")});
    ASSERT_EQ(errors(*run).size(), 1);
    EXPECT_TRUE(errors(*run).first().contains(damaged));
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), bytes);
    record(*run, 2);
    EXPECT_EQ(run->window->cds1->rowCount(), 2);
}

TEST_F(JournalOfferTest, ASecondProgramAtTheSameTimeKeepsItsOwnJournal)
{
    auto first = start();
    record(*first, 4);
    ASSERT_TRUE(first->window->Journal()->waitUntilCommitted());
    auto second = start();
    EXPECT_TRUE(questions(*second).isEmpty()); // the first one's is held
    record(*second, 2);
    const std::pair<Program*, int> runs[] = {{first.get(), 4}, {second.get(), 2}};
    for (const auto& [run, rows] : runs) {
        ASSERT_TRUE(run->window->Journal()->waitUntilCommitted());
        EXPECT_EQ(readJournalSummary(run->window->Journal()->journalFile()).rowCount, rows);
    }
    EXPECT_EQ(journals().size(), 2);
}

class JournalTroubleTest : public JournalTest {};

TEST_F(JournalTroubleTest, AFolderThatCannotBeWrittenIsToldOnceAndTheJournalResumes)
{
    // A file where the folder should be: not even root can create it.
    const QString blocker = dir.filePath(QStringLiteral("blocker"));
    QFile(blocker).open(QIODevice::WriteOnly);
    auto run = start({}, blocker + QStringLiteral("/journal"));
    record(*run, 3);
    pumpFor(1000);
    record(*run, 3, 3);
    EXPECT_EQ(errors(*run).size(), 1);
    EXPECT_TRUE(errors(*run).first().contains(QStringLiteral("no longer protected")));
    EXPECT_EQ(run->window->cds1->rowCount(), 6);

    ASSERT_TRUE(QFile::remove(blocker));
    ASSERT_TRUE(pumpUntil([&] { return !run->window->Journal()->journalFile().isEmpty(); },
                          3 * SessionJournal::kClaimRetryMs));
    ASSERT_TRUE(run->window->Journal()->waitUntilCommitted());
    EXPECT_EQ(readJournalSummary(run->window->Journal()->journalFile()).rowCount, 6);
    EXPECT_EQ(errors(*run).size(), 1);
}

TEST_F(JournalTroubleTest, AFullDiskIsToldOnceAndTheJournalCatchesUpWithTheTable)
{
    if (!SmallDisk::canMount(dir.path()))
        GTEST_SKIP() << "mounting a small disk needs root";
    const SmallDisk disk(dir.path(), 2048);
    ASSERT_TRUE(disk.mounted());
    ASSERT_TRUE(writeFile(dir.filePath(QStringLiteral("filler")), QByteArray(1536 * 1024, 'f')));
    auto run = start();
    ASSERT_TRUE(pumpUntil(
        [&] {
            record(*run, 50, run->window->cds1->rowCount());
            pumpFor(20);
            return !errors(*run).isEmpty() || run->window->cds1->rowCount() > 40000;
        },
        60000));
    record(*run, 200, run->window->cds1->rowCount());
    pumpFor(2500);
    ASSERT_EQ(errors(*run).size(), 1);
    EXPECT_TRUE(errors(*run).first().contains(QStringLiteral("no longer protected")));

    ASSERT_TRUE(QFile::remove(dir.filePath(QStringLiteral("filler"))));
    const int rows = run->window->cds1->rowCount();
    ASSERT_TRUE(pumpUntil(
        [&] {
            return run->window->Journal()->waitUntilCommitted(100) &&
                   readJournalSummary(run->window->Journal()->journalFile()).rowCount == rows;
        },
        10000));
    EXPECT_EQ(errors(*run).size(), 1);
    run->window->close(); // before the small disk goes
}

} // namespace
