#include "app/UserDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace {

// The pattern's extension ("*.xls" -> "xls") of the chosen type.
QString suffixOf(const FileDialogOptions& options, const QString& chosenLabel)
{
    const auto index = options.typeLabels.indexOf(chosenLabel);
    if (index < 0 || index >= options.typePatterns.size())
        return options.defaultSuffix;
    QString pattern = options.typePatterns.at(index);
    const auto dot = pattern.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? options.defaultSuffix : pattern.mid(dot + 1);
}

QString runFileDialog(QWidget* parent, const FileDialogOptions& options,
                      QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(parent, options.title);
    dialog.setAcceptMode(mode);
    dialog.setNameFilters(options.typeLabels);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.confirmOverwrite);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!options.folder.isEmpty())
        dialog.setDirectory(options.folder);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(options.defaultSuffix);
        // A name without extension receives the extension of the chosen type.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog, &options](const QString& label) {
                             dialog.setDefaultSuffix(suffixOf(options, label));
                         });
        if (!options.typeLabels.isEmpty())
            dialog.setDefaultSuffix(suffixOf(options, options.typeLabels.first()));
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

int WidgetDialogs::choose(const QString& caption, const QString& text, const QStringList& answers)
{
    QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton, parent_);
    QList<QAbstractButton*> buttons;
    for (const QString& answer : answers)
        buttons.append(box.addButton(answer, QMessageBox::ActionRole));
    if (buttons.isEmpty())
        return -1;
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.first()));
    box.setEscapeButton(buttons.last());
    box.exec();
    const qsizetype chosen = buttons.indexOf(box.clickedButton());
    return chosen < 0 ? int(buttons.size() - 1) : int(chosen);
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

QString WidgetDialogs::saveFileName(const FileDialogOptions& options)
{
    return runFileDialog(parent_, options, QFileDialog::AcceptSave);
}

QString WidgetDialogs::openFileName(const FileDialogOptions& options)
{
    return runFileDialog(parent_, options, QFileDialog::AcceptOpen);
}
