#include "widgets/LastFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

LastFolder::LastFolder()
    : LastFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
                 QDir::homePath())
{
}

LastFolder::LastFolder(QString documents, QString home)
    : documents_(std::move(documents)), home_(std::move(home))
{
}

QString LastFolder::start() const
{
    // A folder removed meanwhile is passed over.
    for (const QString* folder : {&last_, &documents_})
        if (!folder->isEmpty() && QFileInfo(*folder).isDir())
            return *folder;
    return home_;
}

void LastFolder::remember(const QString& chosenFile)
{
    if (!chosenFile.isEmpty())
        last_ = QFileInfo(chosenFile).absolutePath();
}
