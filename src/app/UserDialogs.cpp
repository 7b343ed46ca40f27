#include "app/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// The pattern's extension ("*.xls" -> "xls") of the chosen type.
QString suffixOf(const FileDialogSpec& spec, const QString& chosenLabel)
{
    const auto index = spec.typeLabels.indexOf(chosenLabel);
    if (index < 0 || index >= spec.typePatterns.size())
        return spec.defaultSuffix;
    QString pattern = spec.typePatterns.at(index);
    const auto dot = pattern.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? spec.defaultSuffix : pattern.mid(dot + 1);
}

QString runFileDialog(QWidget* parent, const FileDialogSpec& spec, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, spec.title);
    dialog.setAcceptMode(mode);
    dialog.setNameFilters(spec.typeLabels);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.confirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(spec.defaultSuffix);
        // A name without extension receives the extension of the chosen type.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &spec](const QString& label) {
                             dialog.setDefaultSuffix(suffixOf(spec, label));
                         });
        if (!spec.typeLabels.isEmpty())
            dialog.setDefaultSuffix(suffixOf(spec, spec.typeLabels.first()));
    } else {
        // The user may type the name of a file that does not exist.
        dialog.setFileMode(QFileDialog::AnyFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

void WidgetDialogs::information(const QString& text)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

void WidgetDialogs::message(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

void WidgetDialogs::error(const QString& caption, const QString& text)
{
    // Owned by no window, as the load failure box is.
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok);
    box.exec();
}

QString WidgetDialogs::saveFileName(const FileDialogSpec& spec)
{
    return runFileDialog(parent_, spec, QFileDialog::AcceptSave);
}

QString WidgetDialogs::openFileName(const FileDialogSpec& spec)
{
    return runFileDialog(parent_, spec, QFileDialog::AcceptOpen);
}
