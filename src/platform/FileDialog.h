#pragma once
// Open and save prompts for a file path go through one replaceable hook, like
// the message boxes, so that tests answer them instead of blocking on a modal
// dialog.
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

enum class FileDialogMode { Open, Save };

struct FileDialogRequest {
    FileDialogMode mode = FileDialogMode::Open;
    QString title;
    QString defaultName;     // proposed file name, without folder
    QString defaultExt;      // appended when the chosen name has no extension; empty: none
    QStringList filters;     // pairs of description and pattern: "Excel Files(*.xls*)", "*.xls*", ...
    int nFilterIndex = 1;    // 1-based pair chosen at start
    bool bOverwritePrompt = false;  // save: ask before replacing an existing file
    // Save: the suffix the file written always has ("xlsx"): the chosen name
    // is completed with it before the dialog asks about replacing a file, so
    // that it asks about the file that will be written.
    QString writtenSuffix;
};

// Answers a prompt with the chosen path, or nothing when it was cancelled.
using FileDialogHook = std::function<std::optional<QString>(const FileDialogRequest&)>;

// Asks for a path (user-interface thread only). A chosen name without an
// extension gets the default extension, whoever answered.
std::optional<QString> AskFilePath(const FileDialogRequest& request, QWidget* parent = nullptr);

// The name a file of that suffix is written under: "x.xls" becomes "x.xlsx",
// a name with another or no suffix gets it appended.
QString NameWithSuffix(const QString& path, const QString& suffix);

// Installs a hook; returns the previous one. An empty hook restores the real dialog.
FileDialogHook SetFileDialogHook(FileDialogHook hook);
