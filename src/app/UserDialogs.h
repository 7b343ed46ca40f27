#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// What a file dialog offers: its file types as (label, pattern) pairs, the
// default extension, whether it asks before replacing a file and the folder
// it starts in.
struct FileDialogOptions {
    QString title;
    QStringList typeLabels;   // e.g. "Excel File(*.xls)"
    QStringList typePatterns; // e.g. "*.xls", same order as typeLabels
    QString defaultSuffix;    // without the dot; empty: none
    bool confirmOverwrite = false;
    QString folder; // empty: the working folder
};

// Every modal message box and file dialog of the main window goes through
// this interface, so that tests can capture and answer them.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // Information box with an OK button.
    virtual void information(const QString& text) = 0;
    // Plain message with an OK button and no icon.
    virtual void message(const QString& text) = 0;
    // Error box with its own caption, an error icon and an OK button.
    virtual void error(const QString& caption, const QString& text) = 0;
    // Question box with one button per answer: the index of the answer
    // chosen. Esc and the close box give the last answer.
    virtual int choose(const QString& caption, const QString& text, const QStringList& answers) = 0;
    // The chosen file name, or empty text when the user cancels.
    virtual QString saveFileName(const FileDialogOptions& options) = 0;
    virtual QString openFileName(const FileDialogOptions& options) = 0;
};

// The real dialogs, modal to the given window.
class WidgetDialogs : public UserDialogs {
public:
    explicit WidgetDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    void information(const QString& text) override;
    void message(const QString& text) override;
    void error(const QString& caption, const QString& text) override;
    int choose(const QString& caption, const QString& text, const QStringList& answers) override;
    QString saveFileName(const FileDialogOptions& options) override;
    QString openFileName(const FileDialogOptions& options) override;

private:
    QWidget* parent_;
};
