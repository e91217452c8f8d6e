#include "platform/FileDialog.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include "platform/MessageBox.h"
#include "platform/QuoteText.h"
#include "platform/ToolkitBoxGuard.h"

namespace {
FileDialogHook g_fileHook;

// The pairs of a filter list in the dialog's own form: "Text (pattern)". A
// pattern of "*.*" means every file, which on this system is "*".
QStringList NameFilters(const QStringList& pairs)
{
    QStringList out;
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        QString pattern = pairs.at(i + 1);
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        if (pattern == QLatin1String("*.*"))
            pattern = QStringLiteral("*");
        out << pairs.at(i) + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return out;
}

// Completes the typed name with the written suffix before the dialog looks
// at it, and asks about replacing the file written in the station's own box:
// the toolkit's question would take markup in a file name for its own.
class SuffixedFileDialog : public QFileDialog {
public:
    SuffixedFileDialog(QWidget* parent, const QString& title, const QString& suffix, bool bAskReplace)
        : QFileDialog(parent, title)
        , m_strSuffix(suffix)
        , m_bAskReplace(bAskReplace)
    {
        setOption(QFileDialog::DontConfirmOverwrite);
    }

    void accept() override
    {
        const QStringList files = selectedFiles();
        if (files.size() == 1 && !QFileInfo(files.first()).isDir()) {
            QString chosen = files.first();
            if (!m_strSuffix.isEmpty())
                chosen = NameWithSuffix(chosen, m_strSuffix);
            if (chosen != files.first()) {
                // The name box, as if typed there: selectFile() leaves a box that has the focus alone.
                if (auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                    nameBox->setText(chosen);
                else
                    selectFile(chosen);
            }
            if (m_bAskReplace && QFileInfo::exists(chosen)) {
                const QString question = QCoreApplication::translate("QFileDialog", "%1 already exists.\nDo you want to replace it?");
                if (AfxMessageBox(question.arg(QuoteText(QFileInfo(chosen).fileName())), windowTitle(), MsgBoxKind::YesNo, true)
                    != MsgBoxResult::Yes)
                    return;
            }
        }
        QFileDialog::accept();
    }

private:
    QString m_strSuffix;
    bool m_bAskReplace;
};

std::optional<QString> RunRealDialog(const FileDialogRequest& req, QWidget* parent)
{
    const bool save = req.mode == FileDialogMode::Save;
    SuffixedFileDialog dlg(parent, req.title, save ? req.writtenSuffix : QString(), save && req.bOverwritePrompt);
    // Qt's own dialog: it speaks the station's language and asks about the written name.
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = NameFilters(req.filters);
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        const int index = req.nFilterIndex >= 1 && req.nFilterIndex <= filters.size() ? req.nFilterIndex : 1;
        dlg.selectNameFilter(filters.at(index - 1));
    }
    if (!req.defaultExt.isEmpty())
        dlg.setDefaultSuffix(req.defaultExt);
    if (!req.defaultName.isEmpty())
        dlg.selectFile(req.defaultName);
    const CToolkitBoxGuard plainBoxes;  // the dialog's own boxes quote names too
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().constFirst();
}
} // namespace

std::optional<QString> AskFilePath(const FileDialogRequest& request, QWidget* parent)
{
    std::optional<QString> path = g_fileHook ? g_fileHook(request) : RunRealDialog(request, parent);
    if (!path || path->isEmpty())
        return std::nullopt;
    if (!request.defaultExt.isEmpty() && QFileInfo(*path).suffix().isEmpty())
        *path += QLatin1Char('.') + request.defaultExt;
    if (request.mode == FileDialogMode::Save && !request.writtenSuffix.isEmpty())
        *path = NameWithSuffix(*path, request.writtenSuffix);
    return path;
}

QString NameWithSuffix(const QString& path, const QString& suffix)
{
    const QString dotted = QLatin1Char('.') + suffix;
    if (QFileInfo(path).fileName().isEmpty() || path.endsWith(dotted, Qt::CaseInsensitive))
        return path;
    // The older suffix, one letter short ("x.xls" for "xlsx"), is completed.
    if (dotted.size() > 2 && path.endsWith(dotted.chopped(1), Qt::CaseInsensitive))
        return path + dotted.back();
    return path + dotted;
}

FileDialogHook SetFileDialogHook(FileDialogHook hook)
{
    FileDialogHook previous = std::move(g_fileHook);
    g_fileHook = std::move(hook);
    return previous;
}
