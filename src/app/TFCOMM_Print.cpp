// Printing the reading table and saving the chart as a picture.
#include "app/TFCOMM.h"

#include "app/UserDialogs.h"
#include "chart/TrendChartView.h"
#include "print/ChartPicture.h"
#include "print/PrintDialogs.h"
#include "print/ReportRows.h"
#include "recording/ReadingTable.h"

#include <QApplication>
#include <QToolButton>

namespace {

// The grid stops following the table while the report holds its rows and
// follows again afterwards, also should the preview end by an exception.
class GridPause {
public:
    explicit GridPause(ReadingTable& table) : table_(table) { table_.beginBulkUpdate(); }
    ~GridPause() { table_.endBulkUpdate(); }
    GridPause(const GridPause&) = delete;
    GridPause& operator=(const GridPause&) = delete;

private:
    ReadingTable& table_;
};

} // namespace

void TFCOMM::CreatePrintControls()
{
    connect(BtPrint, &QToolButton::clicked, this, &TFCOMM::BtPrintClick);
    connect(BtSave, &QToolButton::clicked, this, &TFCOMM::BtSaveClick);
}

PrintDialogs& TFCOMM::PrintDialogsInUse() const
{
    static WidgetPrintDialogs widgets; // holds no state of its own
    return printDialogs_ ? *printDialogs_ : widgets;
}

void TFCOMM::BtPrintClick()
{
    const GridPause pause(*cds1);
    {
        // Report1 lists the rows present now; rows recorded while the
        // preview is open are kept in the table but not in the report.
        const TableReportRows Report1(cds1->rows());
        PrintDialogsInUse().preview(Report1, lastFolder_, this);
    }
    repaint();
}

void TFCOMM::BtSaveClick()
{
    FileDialogOptions SavePictureDialog1;
    SavePictureDialog1.typeLabels = {QStringLiteral("Bitmaps (*.bmp)"),
                                     QStringLiteral("PNG image (*.png)")};
    SavePictureDialog1.typePatterns = {QStringLiteral("*.bmp"), QStringLiteral("*.png")};
    SavePictureDialog1.defaultSuffix = QStringLiteral("bmp");
    SavePictureDialog1.confirmOverwrite = false;
    const QString name = SaveFileName(SavePictureDialog1);
    if (name.isEmpty())
        return;
    const QString error = chart_picture::save(chart_picture::grab(*ChartView->viewport()), name);
    if (!error.isEmpty()) {
        Dialogs().error(QApplication::applicationDisplayName(), error);
        return;
    }
    Dialogs().information(QStringLiteral("Graphic has saved on %1").arg(name));
}
