#include "print/ReportPreview.h"

#include "print/PrintDialogs.h"
#include "print/ReportPageView.h"
#include "print/ReportRows.h"
#include "widgets/ChildConnections.h"
#include "widgets/LastFolder.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPrinter>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

struct ZoomChoice {
    const char* label;
    ReportPageView::Fit fit;
    qreal zoom;
};
constexpr ZoomChoice kZooms[] = {
    {"Fit page", ReportPageView::Fit::Page, 0}, {"Fit width", ReportPageView::Fit::Width, 0},
    {"50%", ReportPageView::Fit::None, 0.5},    {"75%", ReportPageView::Fit::None, 0.75},
    {"100%", ReportPageView::Fit::None, 1.0},   {"150%", ReportPageView::Fit::None, 1.5},
    {"200%", ReportPageView::Fit::None, 2.0},   {"400%", ReportPageView::Fit::None, 4.0},
};
constexpr int kFitWidthChoice = 1;

} // namespace

ReportPreview::ReportPreview(const ReportRows& rows, PrintDialogs& dialogs, LastFolder& folder,
                             QWidget* parent)
    : QDialog(parent), rows_(rows), dialogs_(dialogs), folder_(folder),
      view_(new ReportPageView(rows, this))
{
    setWindowTitle(QStringLiteral("Print Preview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    buildToolBar();
    layout->addWidget(view_, 1);
    connect(view_, &ReportPageView::currentPageChanged, this, &ReportPreview::showPageNumber);
    showPageNumber();

    QSize size(900, 1000);
    if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() * 0.9);
    resize(size);
    view_->setFocus();
}

ReportPreview::~ReportPreview()
{
    // The page box may lose the focus while the widgets are destroyed.
    disconnectChildren(*this);
}

void ReportPreview::buildToolBar()
{
    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    layout()->addWidget(bar);
    const auto icon = [this](QStyle::StandardPixmap which) { return style()->standardIcon(which); };
    bar->addAction(icon(QStyle::SP_MediaSkipBackward), QStringLiteral("First"), this,
                   &ReportPreview::firstPage);
    bar->addAction(icon(QStyle::SP_MediaSeekBackward), QStringLiteral("Previous"), this,
                   &ReportPreview::previousPage);
    pageBox_ = new QLineEdit(bar);
    pageBox_->setAlignment(Qt::AlignCenter);
    pageBox_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000 / 0000000")));
    pageBox_->setToolTip(QStringLiteral("Page: type a number and press Enter"));
    connect(pageBox_, &QLineEdit::editingFinished, this, &ReportPreview::onPageBoxEdited);
    bar->addWidget(pageBox_);
    bar->addAction(icon(QStyle::SP_MediaSeekForward), QStringLiteral("Next"), this,
                   &ReportPreview::nextPage);
    bar->addAction(icon(QStyle::SP_MediaSkipForward), QStringLiteral("Last"), this,
                   &ReportPreview::lastPage);
    bar->addSeparator();
    zoomBox_ = new QComboBox(bar);
    for (const ZoomChoice& z : kZooms)
        zoomBox_->addItem(QString::fromLatin1(z.label));
    zoomBox_->setCurrentIndex(kFitWidthChoice);
    connect(zoomBox_, qOverload<int>(&QComboBox::activated), this, &ReportPreview::onZoomChosen);
    bar->addWidget(zoomBox_);
    bar->addSeparator();
    print_ = bar->addAction(QStringLiteral("Print…"), this, &ReportPreview::printReport);
    export_ = bar->addAction(QStringLiteral("Export PDF…"), this, &ReportPreview::exportToPdf);
    bar->addSeparator();
    bar->addAction(QStringLiteral("Close"), this, &QDialog::reject);
    // An empty table generates no pages: nothing to print.
    print_->setEnabled(view_->pageCount() > 0);
    export_->setEnabled(view_->pageCount() > 0);
}

void ReportPreview::firstPage()
{
    view_->goToPage(0);
}

void ReportPreview::previousPage()
{
    view_->goToPage(view_->currentPage() - 1);
}

void ReportPreview::nextPage()
{
    view_->goToPage(view_->currentPage() + 1);
}

void ReportPreview::lastPage()
{
    view_->goToPage(view_->pageCount() - 1);
}

void ReportPreview::showPageNumber()
{
    const int count = view_->pageCount();
    const int shown = count == 0 ? 0 : view_->currentPage() + 1;
    pageBox_->setText(QStringLiteral("%1 / %2").arg(shown).arg(count));
}

void ReportPreview::onPageBoxEdited()
{
    // The number before any "/", as typed; anything else shows the page again.
    static const QRegularExpression number(QStringLiteral("^\\s*(\\d+)"));
    const QRegularExpressionMatch match = number.match(pageBox_->text());
    bool ok = false;
    const int page = match.hasMatch() ? match.captured(1).toInt(&ok) : 0;
    if (ok && page >= 1)
        view_->goToPage(page - 1);
    showPageNumber();
}

void ReportPreview::onZoomChosen(int index)
{
    if (index < 0 || index >= int(std::size(kZooms)))
        return;
    const ZoomChoice& z = kZooms[index];
    if (z.fit == ReportPageView::Fit::None)
        view_->setZoom(z.zoom);
    else
        view_->setFit(z.fit);
}

OutputResult
ReportPreview::withProgress(const QString& what,
                            const std::function<OutputResult(const PageProgress&)>& output)
{
    QProgressDialog progress(what, QStringLiteral("Cancel"), 0, 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    const PageProgress step = [&](int done, int total) {
        if (progress.maximum() != total)
            progress.setMaximum(total);
        progress.setLabelText(QStringLiteral("%1: page %2 of %3").arg(what).arg(done).arg(total));
        progress.setValue(done); // also keeps the window's events flowing
        return !progress.wasCanceled();
    };
    return output(step);
}

void ReportPreview::printReport()
{
    const int count = view_->pageCount();
    if (count == 0)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    printer.setDocName(QStringLiteral("Test Data"));
    printer.setFromTo(1, count);
    if (!dialogs_.setUpPrinter(printer, count, this))
        return;

    PageRun run{0, count - 1, 1, true};
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        run.first = printer.fromPage() - 1;
        run.last = std::max(printer.fromPage(), printer.toPage()) - 1;
    } else if (printer.printRange() == QPrinter::CurrentPage) {
        run.first = run.last = view_->currentPage();
    }
    // A printer that cannot make copies itself (a PDF file, for one) gets
    // each page as often as asked.
    if (!printer.supportsMultipleCopies()) {
        run.copies = std::max(1, printer.copyCount());
        run.collate = printer.collateCopies();
    }
    const OutputResult result =
        withProgress(QStringLiteral("Printing"), [&](const PageProgress& progress) {
            // Cancel drops the job rather than printing the pages done so far.
            const PageProgress orAbort = [&](int done, int total) {
                const bool goOn = progress(done, total);
                if (!goOn)
                    printer.abort();
                return goOn;
            };
            return paintPages(printer, rows_, run, orAbort);
        });
    if (result == OutputResult::Failed)
        dialogs_.failed(QStringLiteral("The report could not be printed on \"%1\".")
                            .arg(printer.outputFileName().isEmpty() ? printer.printerName()
                                                                    : printer.outputFileName()),
                        this);
}

void ReportPreview::exportToPdf()
{
    const int count = view_->pageCount();
    if (count == 0)
        return;
    const QString name = dialogs_.pdfFileName(folder_.start(), this);
    if (name.isEmpty())
        return;
    folder_.remember(name);
    QString error;
    const PageRun run{0, count - 1, 1, true};
    const OutputResult result =
        withProgress(QStringLiteral("Exporting"),
                     [&](const PageProgress& p) { return exportPdf(name, rows_, run, p, error); });
    if (result == OutputResult::Failed)
        dialogs_.failed(error, this);
}
