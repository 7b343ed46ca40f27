// The table's journal seen from the window: this run's journal is started,
// left-over ones are offered back, and the clean ends remove it.
#include "app/TFCOMM.h"

#include "app/UserDialogs.h"
#include "chart/TChartControl.h"
#include "protocol/NumberText.h"
#include "recording/ReadingTable.h"
#include "session/LoggerSession.h"
#include "session/SessionJournal.h"

#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QLocale>

namespace {

const QString kJournalCaption = QStringLiteral("Unsaved recording");

QString whenText(const QDateTime& when)
{
    return when.isValid() ? QLocale::system().toString(when.toLocalTime(), QLocale::LongFormat)
                          : QStringLiteral("an unknown time");
}

QString offerText(const JournalSummary& summary)
{
    return QStringLiteral("A recording of an earlier run was not saved before the program "
                          "ended.\n\n"
                          "Started: %1\nEnded: %2\nRows: %3\n\n"
                          "Restore it into the table, or discard it for good?")
        .arg(whenText(summary.started), whenText(summary.ended))
        .arg(summary.rowCount);
}

} // namespace

void TFCOMM::JournalCreate()
{
    if (journalFolder_.isEmpty())
        return;
    journal_ = std::make_unique<SessionJournal>(*session_, journalFolder_);
    connect(journal_.get(), &SessionJournal::trouble, this,
            [this](const QString& text) { Dialogs().error(kJournalCaption, text); });
#ifndef QT_NO_SESSIONMANAGER
    // The desktop session ending closes the window too; that is no choice of
    // the user's, so the journal stays for the next start.
    connect(qGuiApp, &QGuiApplication::commitDataRequest, this,
            [this] { desktopSessionEnding_ = true; });
#endif
    journal_->start();
    OfferLeftoverJournals();
}

void TFCOMM::OfferLeftoverJournals()
{
    const QStringList answers{QStringLiteral("Restore"), QStringLiteral("Discard"),
                              QStringLiteral("Decide later")};
    // The journal library's messages name the file and say what is wrong.
    const QString kept = QStringLiteral("\n\nThe journal is kept as it is.");
    for (const JournalSummary& summary : journal_->leftovers()) {
        if (!summary.error.isEmpty()) {
            Dialogs().error(kJournalCaption, summary.error + kept);
            continue;
        }
        const int answer = Dialogs().choose(kJournalCaption, offerText(summary), answers);
        if (answer == 1) {
            if (!SessionJournal::discard(summary.fileName))
                Dialogs().error(kJournalCaption,
                                QStringLiteral("The journal %1 could not be deleted.")
                                    .arg(QDir::toNativeSeparators(summary.fileName)));
            continue;
        }
        if (answer != 0)
            continue; // decided later: kept for the next start
        const RestoredJournal restored = journal_->restore(summary.fileName);
        if (!restored.ok) {
            Dialogs().error(kJournalCaption, restored.message + kept);
            continue;
        }
        ShowRestoredTable();
        if (!restored.message.isEmpty())
            Dialogs().error(kJournalCaption, restored.message + kept);
        // One table: the older journals wait for a later start.
        return;
    }
}

void TFCOMM::ShowRestoredTable()
{
    // The chart gets the restored values as it got them while recording.
    ChartClear();
    const ReadingStore& rows = cds1->rows();
    for (int r = 0; r < rows.rowCount(); ++r) {
        const std::optional<double> value =
            numberFromText(rows.text(r, ReadingField::AValue), DecimalSep);
        if (!value)
            continue;
        ChartWidenRange(*value);
        ChartControl->AddValue(*value);
    }
    ChartControl->LastPage();
    ShowChartPage();
}

void TFCOMM::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted() && journal_ && !desktopSessionEnding_)
        journal_->finish();
}
