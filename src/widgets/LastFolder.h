#pragma once

#include <QString>

// Where the program's file dialogs start: the user's documents folder (the
// home folder where that does not exist), then the folder of the file last
// chosen in any of them during this run. Nothing is kept between runs.
class LastFolder {
public:
    LastFolder(); // the user's documents and home folders
    LastFolder(QString documents, QString home);

    QString start() const;
    // The folder of a chosen file; an empty name (a cancelled dialog) changes
    // nothing.
    void remember(const QString& chosenFile);

private:
    QString documents_;
    QString home_;
    QString last_;
};
