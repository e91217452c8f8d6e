#pragma once
// Shared pieces of the workbook tests: reading a written workbook back with
// the station's own reader, making hand-built packages with the zip library,
// and a headless spreadsheet program to open workbooks where one is installed.
#include <QByteArray>
#include <QDir>
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

namespace xltest {

using Parts = std::vector<std::pair<QString, QByteArray>>;

inline CXlsxReader::Sheet ReadBack(const QString& path, const QString& sheetName)
{
    CXlsxReader reader;
    CXlsxReader::Sheet sheet;
    if (!reader.Open(path)) {
        ADD_FAILURE() << "cannot open " << path.toStdString() << ": " << reader.ErrorString().toStdString();
        return sheet;
    }
    if (!reader.ReadSheet(sheetName, &sheet))
        ADD_FAILURE() << reader.ErrorString().toStdString();
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

inline QByteArray ZipPart(const QString& path, const QString& part)
{
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!za)
        return {};
    QByteArray data;
    zip_stat_t st;
    if (zip_stat(za, part.toUtf8().constData(), 0, &st) == 0) {
        if (zip_file_t* f = zip_fopen(za, part.toUtf8().constData(), 0)) {
            data.resize(qsizetype(st.size));
            const zip_int64_t n = zip_fread(f, data.data(), st.size);
            data.resize(n < 0 ? 0 : qsizetype(n));
            zip_fclose(f);
        }
    }
    zip_discard(za);
    return data;
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
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString path = QStandardPaths::findExecutable(QLatin1String(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

// RFC 4180 records; quoted fields may hold separators and line breaks.
inline QList<QStringList> ParseCsv(const QString& text)
{
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool any = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        any = true;
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            row << field;
            rows << row;
            row.clear();
            field.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        row << field;
        rows << row;
    }
    return rows;
}

// Has the program open the workbook and save every sheet as CSV into outDir;
// gives the CSV text of each sheet by name (a program too old to save every
// sheet gives the first one only, under its own name).
inline std::vector<std::pair<QString, QString>> OfficeSheetsAsCsv(const QString& program, const QString& xlsx,
                                                                  const QString& outDir, const QStringList& sheetNames,
                                                                  QString* pLog)
{
    QProcess proc;
    const QString profile = QUrl::fromLocalFile(outDir + QStringLiteral("/profile")).toString();
    proc.start(program, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                         QStringLiteral("--convert-to"),
                         QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1"),
                         QStringLiteral("--outdir"), outDir, xlsx});
    proc.waitForFinished(120000);
    *pLog = QString::fromLocal8Bit(proc.readAllStandardOutput() + proc.readAllStandardError());
    std::vector<std::pair<QString, QString>> out;
    const QString base = QFileInfo(xlsx).completeBaseName();
    for (const QString& name : sheetNames) {
        QFile file(outDir + QLatin1Char('/') + base + QLatin1Char('-') + name + QStringLiteral(".csv"));
        if (file.open(QIODevice::ReadOnly))
            out.emplace_back(name, QString::fromUtf8(file.readAll()));
    }
    if (out.empty() && !sheetNames.isEmpty()) {
        QFile file(outDir + QLatin1Char('/') + base + QStringLiteral(".csv"));
        if (file.open(QIODevice::ReadOnly))
            out.emplace_back(sheetNames.first(), QString::fromUtf8(file.readAll()));
    }
    return out;
}

// Every sheet of a workbook as the spreadsheet program reads it must hold the
// cells that the station's reader finds. Adds a failure otherwise.
inline void ExpectOfficeReadsSame(const QString& program, const QString& xlsx, const QString& outDir)
{
    const QStringList names = SheetNames(xlsx);
    QString log;
    const auto csvs = OfficeSheetsAsCsv(program, xlsx, outDir, names, &log);
    ASSERT_FALSE(csvs.empty()) << "the spreadsheet program did not open " << xlsx.toStdString() << ": "
                               << log.toStdString();
    for (const auto& [name, csv] : csvs) {
        const QList<QStringList> rows = ParseCsv(csv);
        const CXlsxReader::Sheet sheet = ReadBack(xlsx, name);
        int cols = sheet.nLastCol;
        for (const QStringList& row : rows)
            cols = std::max(cols, int(row.size()));
        const int lastRow = std::max(sheet.nLastRow, int(rows.size()));
        for (int r = 1; r <= lastRow; ++r) {
            for (int c = 1; c <= cols; ++c) {
                QString office = r <= rows.size() ? rows[r - 1].value(c - 1) : QString();
                QString ours = sheet.Text(r, c);
                office.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                ours.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
                EXPECT_EQ(office.toStdString(), ours.toStdString())
                    << "sheet " << name.toStdString() << " row " << r << " column " << c;
            }
        }
    }
}

} // namespace xltest
