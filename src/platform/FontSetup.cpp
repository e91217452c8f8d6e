#include "platform/FontSetup.h"

#include <QFile>
#include <QFont>
#include <QStringList>
#include <filesystem>
#include <system_error>

namespace {

const QString kCjk = QStringLiteral("WenQuanYi Zen Hei");
const QString kSans = QStringLiteral("Liberation Sans");
const QString kSerif = QStringLiteral("Liberation Serif");

// The QApplication does not exist yet, so the executable's folder comes from
// the kernel rather than from QCoreApplication.
QString ExecutableFolder()
{
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec)
        return QString();
    return QString::fromStdString(exe.parent_path().string());
}

} // namespace

QString ShippedFontConfigPath()
{
    const QString folder = ExecutableFolder();
    if (folder.isEmpty())
        return QString();
    return folder + QStringLiteral("/fonts/fonts.conf");
}

void SetupFonts()
{
    const QString path = ShippedFontConfigPath();
    if (!path.isEmpty() && QFile::exists(path))
        qputenv("FONTCONFIG_FILE", QFile::encodeName(path));

    // Latin families keep the CJK font second so Chinese texts drawn in them
    // still find their glyphs.
    QFont::insertSubstitutions(QStringLiteral("宋体"), {kCjk});
    QFont::insertSubstitutions(QStringLiteral("黑体"), {kCjk});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {kSans, kCjk});
    QFont::insertSubstitutions(QStringLiteral("Microsoft Sans Serif"), {kSans, kCjk});
    QFont::insertSubstitutions(QStringLiteral("Tahoma"), {kSans, kCjk});
    QFont::insertSubstitutions(QStringLiteral("Times New Roman"), {kSerif, kCjk});
}
