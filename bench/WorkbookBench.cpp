// Memory that importing a language workbook costs above the station's own,
// for three workbooks that used to cost far more than the data they hold:
//   a small archive whose sheet unpacks to 62 MB of cells,
//   a sheet with cells only at A1 and A1048576,
//   a real workbook of 440,001 rows.
// Each import runs in a fresh process of its own; its peak resident memory
// above what it had before the import is printed with the outcome.
//   bench_WorkbookBench [folder]   (a temporary folder by default)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <xlsxwriter.h>
#include <zip.h>

#include "analysis/ExcelIO.h"
#include "platform/MessageBox.h"

namespace {

// A field of /proc/self/status in kB.
long StatusKb(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// A workbook of one sheet "SoftLanguageTab" whose sheetData is `rows`.
bool WritePackage(const QString& path, const QByteArray& rows)
{
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
    const QByteArray ns = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const std::vector<std::pair<const char*, QByteArray>> parts = {
        {"[Content_Types].xml", "<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"},
        {"_rels/.rels", "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                        "<Relationship Id=\"rId1\" Type=\"" + rel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<?xml version=\"1.0\"?><workbook xmlns=\"" + ns + "\" xmlns:r=\"" + rel.chopped(1)
                                + "\"><sheets><sheet name=\"SoftLanguageTab\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels", "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                       "<Relationship Id=\"rId1\" Type=\"" + rel + "worksheet\" Target=\"worksheets/sheet1.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?><worksheet xmlns=\"" + ns + "\"><sheetData>" + rows + "</sheetData></worksheet>"},
    };
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    bool added = za != nullptr;
    for (std::size_t i = 0; added && i < parts.size(); ++i) {
        // The buffers live in `parts` until the archive is closed below.
        zip_source_t* src = zip_source_buffer(za, parts[i].second.constData(), zip_uint64_t(parts[i].second.size()), 0);
        const zip_int64_t index = src ? zip_file_add(za, parts[i].first, src, ZIP_FL_ENC_UTF_8) : -1;
        added = index >= 0 && zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_DEFLATE, 9) == 0;
        if (index < 0)
            zip_source_free(src);
    }
    if (added)
        return zip_close(za) == 0;
    if (za)
        zip_discard(za);
    return false;
}

QString MakeBomb(const QString& folder)
{
    const QByteArray cell = "<c t=\"inlineStr\"><is><t>" + QByteArray(1000, 'A') + "</t></is></c>";
    const QByteArray row = "<row>" + cell.repeated(4) + "</row>";
    const QString path = folder + QStringLiteral("/bomb.xlsx");
    return WritePackage(path, row.repeated(62 * 1000 * 1000 / row.size())) ? path : QString();
}

QString MakeSparse(const QString& folder)
{
    const QString path = folder + QStringLiteral("/sparse.xlsx");
    return WritePackage(path, "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Sign</t></is></c></row>"
                              "<row r=\"1048576\"><c r=\"A1048576\" t=\"inlineStr\"><is><t>x</t></is></c></row>")
               ? path
               : QString();
}

QString MakeRealRows(const QString& folder)
{
    const QString path = folder + QStringLiteral("/rows.xlsx");
    lxw_workbook* book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet* sheet = workbook_add_worksheet(book, "SoftLanguageTab");
    for (lxw_row_t r = 0; r < 440001; ++r) {
        worksheet_write_number(sheet, r, 0, double(r), nullptr);
        worksheet_write_string(sheet, r, 1, QByteArray("Text of row " + QByteArray::number(r)).constData(), nullptr);
        worksheet_write_number(sheet, r, 2, double(r % 97) / 7.0, nullptr);
    }
    return workbook_close(book) == LXW_NO_ERROR ? path : QString();
}

// Imports in this process (started fresh for the one workbook) and prints its
// peak memory above what it had before the import.
int MeasureHere(const char* what, const QString& path)
{
    MessageBoxRecorder boxes;
    const long before = StatusKb("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    CExcelIO excel;
    excel.m_nLanguageKind = 2;
    strLanguageSheet sheet;
    int flags = 0;
    const bool read = excel.ImportLanguageTable(&flags, path, &sheet);
    const double seconds = double(timer.elapsed()) / 1000.0;
    const long peak = StatusKb("VmHWM:");
    std::printf("%-34s %9.1f KB file  %7.1f MB peak above start  %5.2f s  %s\n", what, double(QFileInfo(path).size()) / 1024.0,
                double(peak - before) / 1024.0, seconds,
                read ? qPrintable(QStringLiteral("read, %1 rows").arg(sheet.rows.size()))
                     : qPrintable(QStringLiteral("refused: ") + boxes.texts().value(0)));
    return 0;
}

void Measure(const char* what, const QString& path)
{
    std::fflush(stdout);
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--measure"), QString::fromUtf8(what), path});
    child.waitForFinished(-1);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0)
        return MeasureHere(argv[2], QString::fromLocal8Bit(argv[3]));
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    std::printf("Language import of three workbooks (bound: 100 MB above the station's own memory)\n");
    Measure("62 MB of cells in a small archive", MakeBomb(folder));
    Measure("cells only at A1 and A1048576", MakeSparse(folder));
    Measure("a real workbook of 440,001 rows", MakeRealRows(folder));
    return 0;
}
