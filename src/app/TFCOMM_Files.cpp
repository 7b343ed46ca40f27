// Saving and opening the reading table: the dialogs, the messages and the
// worker thread; the formats themselves live in src/files.
#include "app/TFCOMM.h"

#include "app/FileTaskRunner.h"
#include "app/UserDialogs.h"
#include "files/FileProgress.h"
#include "files/RowSource.h"
#include "files/TableFile.h"
#include "recording/ReadingTable.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QToolButton>

namespace {

FileDialogOptions saveDialogOptions()
{
    FileDialogOptions options;
    options.title = QStringLiteral("Save As");
    options.typeLabels =
        QStringList{QStringLiteral("Excel File(*.xls)"), QStringLiteral("XML(*.xml)"),
                    QStringLiteral("Txt File(*.txt)")};
    options.typePatterns =
        QStringList{QStringLiteral("*.xls"), QStringLiteral("*.xml"), QStringLiteral("*.txt")};
    options.defaultSuffix = QStringLiteral("xls");
    options.confirmOverwrite = true;
    return options;
}

FileDialogOptions openDialogOptions()
{
    FileDialogOptions options;
    options.title = QStringLiteral("Open");
    options.typeLabels =
        QStringList{QStringLiteral("Excel File(*.xls)"), QStringLiteral("XML (*.xml)"),
                    QStringLiteral("Txt File(*.txt)")};
    options.typePatterns =
        QStringList{QStringLiteral("*.xls"), QStringLiteral("*.xml"), QStringLiteral("*.txt")};
    return options;
}

} // namespace

void TFCOMM::CreateFileControls()
{
    connect(saveas, &QToolButton::clicked, this, &TFCOMM::saveasClick);
    connect(Save1, &QAction::triggered, this, &TFCOMM::saveasClick);
    connect(OpenDataFiles, &QToolButton::clicked, this, &TFCOMM::SpeedButton2Click);
}

void TFCOMM::saveasClick()
{
    const QString name = SaveFileName(saveDialogOptions());
    if (!name.isEmpty())
        SaveTableToFile(*cds1, name);
}

void TFCOMM::SpeedButton2Click()
{
    const QString name = OpenFileName(openDialogOptions());
    if (!name.isEmpty())
        LoadTableFromFile(name, *cds1);
}

void TFCOMM::SaveTableToFile(ReadingTable& table, const QString& fileName)
{
    // The rows present now; readings recorded meanwhile are not part of it.
    const RowSource rows(table);
    FileProgress progress;
    SaveOutcome outcome;
    runFileTask(this, QStringLiteral("Saving ") + QFileInfo(fileName).fileName(), progress,
                [&] { outcome = saveTableFile(fileName, rows, &progress); });
    if (outcome.cancelled)
        return;
    if (outcome.ok) {
        // A text save leaves the last row it wrote current.
        if (formatForFileName(fileName) == TableFormat::Text && rows.rowCount() > 0)
            table.setCurrentRow(rows.rowCount() - 1);
        Dialogs().message(QStringLiteral("Save table to specified file: ") + fileName +
                          QStringLiteral(" Scuss!"));
    } else if (formatForFileName(fileName) == TableFormat::XmlPacket) {
        Dialogs().error(QApplication::applicationDisplayName(), outcome.error);
    } else {
        Dialogs().message(QStringLiteral("Could not save table to specified file: ") + fileName);
    }
}

void TFCOMM::LoadTableFromFile(const QString& fileName, ReadingTable& table)
{
    FileProgress progress;
    LoadOutcome outcome;
    runFileTask(this, QStringLiteral("Opening ") + QFileInfo(fileName).fileName(), progress,
                [&] { outcome = loadTableFile(fileName, &progress); });
    if (outcome.cancelled)
        return;
    if (!outcome.ok) {
        Dialogs().error(QStringLiteral("Error"), QStringLiteral("Failed to Load File!"));
        return;
    }
    applyStaged(table, std::move(outcome.staged));
}
