#include "analysis/XlsxWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <xlsxwriter.h>

#include "platform/FileDialog.h"

namespace {

bool IsWide(char32_t u)
{
    return (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
           || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFE30 && u <= 0xFE4F) || (u >= 0xFF00 && u <= 0xFF60)
           || (u >= 0xFFE0 && u <= 0xFFE6) || (u >= 0x20000 && u <= 0x3FFFD);
}

// The format reads "_xHHHH_" in a text as an escaped character; a text that
// holds such a sequence itself keeps it by escaping its underscore.
QString EscapeLiteralEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    QString out;
    out.reserve(text.size() + 7);
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x')
            && text[i + 6] == QLatin1Char('_')) {
            bool hex = true;
            for (qsizetype k = i + 2; k < i + 6; ++k)
                hex = hex && QStringLiteral("0123456789abcdefABCDEF").contains(text[k]);
            if (hex) {
                out += QStringLiteral("_x005F_");
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

QString CellName(int row, int col)
{
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters + QString::number(row);
}

// Cuts a text to at most n UTF-16 units without splitting a surrogate pair.
QString CutTo(const QString& text, int n)
{
    if (text.size() <= n)
        return text;
    QString cut = text.left(n);
    if (!cut.isEmpty() && cut.back().isHighSurrogate())
        cut.chop(1);
    return cut;
}

// The file a chain of symbolic links ends at, so that saving writes through the link.
QString FollowLinks(QString path)
{
    for (int hops = 0; hops < 40; ++hops) {
        const QFileInfo info(path);
        if (!info.isSymLink())
            break;
        path = info.symLinkTarget();
    }
    return path;
}

// The mode a new file gets: 0666 less the process's file-creation mask, read
// without changing the mask for the other threads.
mode_t NewFileMode()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("Umask:")) {
                bool ok = false;
                const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
                if (ok)
                    return mode_t(0666 & ~mask);
            }
        }
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mode_t(0666 & ~mask);
}

} // namespace

CXlsxWriter::CXlsxWriter(const QString& path)
    : m_strName(NameWithSuffix(path, QLatin1String(kSuffix)))  // always .xlsx, whatever the typed name ends with
{
    m_strPath = FollowLinks(m_strName);
    const QFileInfo target(m_strPath);
    if (path.isEmpty() || target.fileName().isEmpty()) {
        Fail(QStringLiteral("no file name was given"));
        return;
    }
    if (target.isDir()) {
        Fail(QStringLiteral("it is a folder"));
        return;
    }
    // The new file takes shape beside its target so that the final rename stays
    // on one file system and is atomic.
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.~") + target.fileName() + QStringLiteral(".XXXXXX"));
    temp.setAutoRemove(false);
    if (!temp.open()) {
        Fail(QStringLiteral("the folder %1 cannot be written (%2)").arg(target.absolutePath(), temp.errorString()));
        return;
    }
    m_strTemp = temp.fileName();
    temp.close();
    m_pBook = workbook_new(QFile::encodeName(m_strTemp).constData());
    if (!m_pBook)
        Fail(QStringLiteral("the workbook could not be made"));
}

CXlsxWriter::~CXlsxWriter()
{
    Discard();
}

void CXlsxWriter::Discard()
{
    if (m_pBook) {
        lxw_workbook_free(m_pBook);
        m_pBook = nullptr;
    }
    m_sheets.clear();
    if (!m_strTemp.isEmpty()) {
        QFile::remove(m_strTemp);
        m_strTemp.clear();
    }
}

bool CXlsxWriter::Fail(const QString& why)
{
    // The first reason is the one that explains the failure.
    if (m_strError.isEmpty())
        m_strError = why;
    return false;
}

int CXlsxWriter::AddSheet(const QString& name)
{
    if (!m_pBook)
        return -1;
    const QByteArray utf8 = name.toUtf8();
    const lxw_error check = workbook_validate_sheet_name(m_pBook, utf8.constData());
    if (check != LXW_NO_ERROR) {
        Fail(QStringLiteral("the sheet name \"%1\" is not valid (%2)").arg(name, QString::fromUtf8(lxw_strerror(check))));
        return -1;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(m_pBook, utf8.constData());
    if (!sheet) {
        Fail(QStringLiteral("the sheet \"%1\" could not be added").arg(name));
        return -1;
    }
    m_sheets.push_back(sheet);
    m_widths.emplace_back();
    m_names << name;
    return int(m_sheets.size()) - 1;
}

bool CXlsxWriter::Write(int sheet, int row, int col, const QString& text)
{
    if (!m_pBook || sheet < 0 || sheet >= int(m_sheets.size()))
        return false;
    if (row < 1 || row > kMaxRows || col < 1 || col > kMaxCols)
        return Fail(QStringLiteral("the rows do not fit on the sheet \"%1\"").arg(m_names.at(sheet)));
    if (text.isEmpty())
        return true;
    if (text.size() > kMaxTextLength)
        return Fail(QStringLiteral("the text of cell %1 on the sheet \"%2\" is longer than %3 characters")
                        .arg(CellName(row, col), m_names.at(sheet))
                        .arg(kMaxTextLength));
    const QByteArray utf8 = EscapeLiteralEscapes(text).toUtf8();
    const lxw_error error =
        worksheet_write_string(m_sheets[std::size_t(sheet)], lxw_row_t(row - 1), lxw_col_t(col - 1), utf8.constData(), nullptr);
    if (error != LXW_NO_ERROR)
        return Fail(QStringLiteral("cell %1 on the sheet \"%2\": %3")
                        .arg(CellName(row, col), m_names.at(sheet), QString::fromUtf8(lxw_strerror(error))));
    int& width = m_widths[std::size_t(sheet)][col];
    width = std::max(width, TextWidth(text));
    return true;
}

bool CXlsxWriter::Merge(int sheet, int row, int firstCol, int lastCol, const QString& text)
{
    if (!m_pBook || sheet < 0 || sheet >= int(m_sheets.size()))
        return false;
    if (row < 1 || row > kMaxRows || firstCol < 1 || lastCol > kMaxCols || lastCol <= firstCol)
        return Fail(QStringLiteral("a merged range does not fit on the sheet \"%1\"").arg(m_names.at(sheet)));
    if (text.size() > kMaxTextLength)
        return Fail(QStringLiteral("a caption on the sheet \"%1\" is too long").arg(m_names.at(sheet)));
    const QByteArray utf8 = EscapeLiteralEscapes(text).toUtf8();
    const lxw_error error = worksheet_merge_range(m_sheets[std::size_t(sheet)], lxw_row_t(row - 1), lxw_col_t(firstCol - 1),
                                                  lxw_row_t(row - 1), lxw_col_t(lastCol - 1), utf8.constData(), nullptr);
    if (error != LXW_NO_ERROR)
        return Fail(QStringLiteral("merged cells on the sheet \"%1\": %2").arg(m_names.at(sheet), QString::fromUtf8(lxw_strerror(error))));
    return true;
}

void CXlsxWriter::FitColumns(int sheet, int firstCol, int lastCol)
{
    if (!m_pBook || sheet < 0 || sheet >= int(m_sheets.size()))
        return;
    for (const auto& [col, width] : m_widths[std::size_t(sheet)]) {
        if (col < firstCol || col > lastCol || width <= 0)
            continue;
        // One character unit of padding, as a fitted column shows; 255 is the widest a column can be.
        const double units = std::min(255.0, width + 1.0);
        worksheet_set_column(m_sheets[std::size_t(sheet)], lxw_col_t(col - 1), lxw_col_t(col - 1), units, nullptr);
    }
}

bool CXlsxWriter::Save()
{
    if (!m_pBook || !m_strError.isEmpty()) {
        Fail(QStringLiteral("the workbook could not be made"));
        Discard();
        return false;
    }
    // Closing writes the file and frees the workbook, whether it succeeds or not.
    const lxw_error error = workbook_close(m_pBook);
    m_pBook = nullptr;
    m_sheets.clear();
    if (error != LXW_NO_ERROR) {
        Fail(QString::fromUtf8(lxw_strerror(error)));
        Discard();
        return false;
    }
    // A replaced file keeps its mode; a new one gets what any new file would.
    struct stat old {};
    const QByteArray target = QFile::encodeName(m_strPath);
    const mode_t mode = ::stat(target.constData(), &old) == 0 ? mode_t(old.st_mode & 07777) : NewFileMode();
    ::chmod(QFile::encodeName(m_strTemp).constData(), mode);
    if (std::rename(QFile::encodeName(m_strTemp).constData(), QFile::encodeName(m_strPath).constData()) != 0) {
        Fail(QString::fromLocal8Bit(std::strerror(errno)));
        Discard();
        return false;
    }
    m_strTemp.clear();
    return true;
}

QString CXlsxWriter::SafeSheetName(const QString& wanted, const QStringList& taken)
{
    static const QString kForbidden = QStringLiteral("[]:*?/\\");
    QString name;
    name.reserve(wanted.size());
    for (const QChar c : wanted)
        name += (kForbidden.contains(c) || c.unicode() < 0x20) ? QLatin1Char('_') : c;
    auto tidy = [](QString text) {
        // A name may neither start nor end with an apostrophe.
        if (text.startsWith(QLatin1Char('\'')))
            text[0] = QLatin1Char('_');
        if (text.endsWith(QLatin1Char('\'')))
            text[text.size() - 1] = QLatin1Char('_');
        return text;
    };
    name = tidy(CutTo(name, kSheetNameMax));
    if (name.trimmed().isEmpty())
        name = QStringLiteral("Sheet");
    if (name.compare(QLatin1String("History"), Qt::CaseInsensitive) == 0)
        name += QLatin1Char('_');  // reserved by spreadsheet programs
    auto used = [&taken](const QString& candidate) {
        return std::any_of(taken.begin(), taken.end(),
                           [&](const QString& t) { return t.compare(candidate, Qt::CaseInsensitive) == 0; });
    };
    QString candidate = name;
    for (int n = 2; used(candidate); ++n) {
        const QString suffix = QStringLiteral("~%1").arg(n);
        candidate = tidy(CutTo(name, kSheetNameMax - int(suffix.size()))) + suffix;
    }
    return candidate;
}

int CXlsxWriter::TextWidth(const QString& text)
{
    int widest = 0;
    int width = 0;
    for (const char32_t u : text.toUcs4()) {
        if (u == U'\n') {
            widest = std::max(widest, width);
            width = 0;
            continue;
        }
        width += IsWide(u) ? 2 : 1;
    }
    return std::max(widest, width);
}
