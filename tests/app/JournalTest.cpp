// The table's journal from the window: a run that ends without Quit leaves
// its table for the next start to restore; Quit, "Discard" and unreadable
// journals each end as the user expects.
#include "EventLoopWait.h"
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

} // namespace
