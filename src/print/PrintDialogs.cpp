#include "print/PrintDialogs.h"

#include "print/ReportPreview.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

void WidgetPrintDialogs::preview(const ReportRows& rows, LastFolder& folder, QWidget* parent)
{
    ReportPreview preview(rows, *this, folder, parent);
    preview.exec();
}

bool WidgetPrintDialogs::setUpPrinter(QPrinter& printer, int pageCount, QWidget* parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setMinMax(1, std::max(1, pageCount));
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintCurrentPage);
    return dialog.exec() == QDialog::Accepted;
}

QString WidgetPrintDialogs::pdfFileName(const QString& startFolder, QWidget* parent)
{
    QFileDialog dialog(parent, QStringLiteral("Export PDF"), startFolder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(QStringLiteral("PDF document (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void WidgetPrintDialogs::failed(const QString& text, QWidget* parent)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}
