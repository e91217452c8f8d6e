#pragma once
// Shared pieces of the workbook tests: reading a written workbook back with
// the station's own reader, making hand-built packages with the zip library,
// and a headless spreadsheet program to open and save workbooks where one is
// installed.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <gtest/gtest.h>
#include <utility>
#include <vector>
#include <zip.h>

#include "analysis/XlsxReader.h"
#include "support/Files.h"

namespace xltest {

using Parts = std::vector<std::pair<QString, QByteArray>>;

inline CXlsxReader::Sheet ReadBack(const QString& path, const QString& sheetName)
{
    CXlsxReader reader;
    CXlsxReader::Sheet sheet;
    if (!reader.Open(path) || !reader.ReadSheet(sheetName, &sheet))
        ADD_FAILURE() << path.toStdString() << ": " << reader.ErrorString().toStdString();
    return sheet;
}

inline QStringList SheetNames(const QString& path)
{
    CXlsxReader reader;
    if (!reader.Open(path))
        return {QStringLiteral("<unreadable: %1>").arg(reader.ErrorString())};
    return reader.SheetNames();
}

// Row r of a sheet as texts, columns 1..n.
inline QStringList RowOf(const CXlsxReader::Sheet& sheet, int r, int n)
{
    QStringList row;
    for (int c = 1; c <= n; ++c)
        row << sheet.Text(r, c);
    return row;
}

inline bool WriteZip(const QString& path, const Parts& parts)
{
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!za)
        return false;
    // The sources point into `parts`, which lives until the archive is closed.
    for (const auto& [name, data] : parts) {
        zip_source_t* src = zip_source_buffer(za, data.constData(), zip_uint64_t(data.size()), 0);
        if (!src || zip_file_add(za, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0) {
            zip_source_free(src);
            zip_discard(za);
            return false;
        }
    }
    return zip_close(za) == 0;
}

constexpr const char* kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
constexpr const char* kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

// A package of worksheets (name, sheetData content) and, when given, shared strings.
inline Parts Package(const std::vector<std::pair<QString, QByteArray>>& sheets, const QByteArray& sharedItems = {})
{
    const QByteArray relBase = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    Parts parts;
    parts.push_back({QStringLiteral("[Content_Types].xml"),
                     "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"});
    parts.push_back({QStringLiteral("_rels/.rels"),
                     "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                     "<Relationship Id=\"rId1\" Type=\"" + relBase + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
    QByteArray book = QByteArray("<?xml version=\"1.0\"?><workbook xmlns=\"") + kMainNs + "\" xmlns:r=\"" + kRelNs + "\"><sheets>";
    QByteArray rels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(qulonglong(i + 1));
        book += "<sheet name=\"" + sheets[i].first.toUtf8() + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + relBase + "worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
        parts.push_back({QStringLiteral("xl/worksheets/sheet%1.xml").arg(i + 1),
                         QByteArray("<?xml version=\"1.0\"?><worksheet xmlns=\"") + kMainNs + "\"><sheetData>"
                             + sheets[i].second + "</sheetData></worksheet>"});
    }
    if (!sharedItems.isEmpty()) {
        rels += "<Relationship Id=\"rIdS\" Type=\"" + relBase + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.push_back({QStringLiteral("xl/sharedStrings.xml"),
                         QByteArray("<?xml version=\"1.0\"?><sst xmlns=\"") + kMainNs + "\">" + sharedItems + "</sst>"});
    }
    parts.push_back({QStringLiteral("xl/workbook.xml"), book + "</sheets></workbook>"});
    parts.push_back({QStringLiteral("xl/_rels/workbook.xml.rels"), rels + "</Relationships>"});
    return parts;
}

// A workbook of one sheet whose sheetData is `rows`; gives its path.
inline QString WriteSheet(const QString& path, const QString& sheetName, const QByteArray& rows)
{
    EXPECT_TRUE(WriteZip(path, Package({{sheetName, rows}})));
    return path;
}

// An inline-string cell.
inline QByteArray InlineCell(const QString& ref, const QString& text)
{
    QByteArray escaped = text.toUtf8();
    escaped.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;");
    return "<c r=\"" + ref.toUtf8() + "\" t=\"inlineStr\"><is><t xml:space=\"preserve\">" + escaped + "</t></is></c>";
}

// ---- a spreadsheet program, where installed --------------------------------

inline QString OfficeProgram()
{
    const QString path = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    return path.isEmpty() ? QStandardPaths::findExecutable(QStringLiteral("libreoffice")) : path;
}

// Has the program open the workbook and save it again as .xlsx into outDir;
// gives the path of its copy (empty when it made none) and its output.
inline QString OfficeResave(const QString& program, const QString& xlsx, const QString& outDir, QString* pLog)
{
    QProcess proc;
    const QString profile = QUrl::fromLocalFile(outDir + QStringLiteral("/profile")).toString();
    proc.start(program, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                         QStringLiteral("--convert-to"), QStringLiteral("xlsx"), QStringLiteral("--outdir"), outDir, xlsx});
    proc.waitForFinished(120000);
    *pLog = QString::fromLocal8Bit(proc.readAllStandardOutput() + proc.readAllStandardError());
    const QString copy = outDir + QLatin1Char('/') + QFileInfo(xlsx).completeBaseName() + QStringLiteral(".xlsx");
    return QFileInfo::exists(copy) ? copy : QString();
}

// Both workbooks hold the same sheets with the same cells.
inline void ExpectSameCells(const QString& copy, const QString& xlsx)
{
    ASSERT_EQ(SheetNames(copy), SheetNames(xlsx));
    auto texts = [](const CXlsxReader::Sheet& sheet) {
        std::vector<std::pair<std::int64_t, std::string>> out;
        for (const auto& [key, cell] : sheet.cells)
            out.emplace_back(key, QString(cell.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).toStdString());
        return out;
    };
    for (const QString& name : SheetNames(xlsx))
        EXPECT_EQ(texts(ReadBack(copy, name)), texts(ReadBack(xlsx, name))) << "sheet " << name.toStdString();
}

} // namespace xltest
