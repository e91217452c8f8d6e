// What reading a workbook costs the station, for workbooks made to hurt: peak
// memory above what the process had before, and CPU time, of the language
// import (its own limits) and of the reader with its default limits.
//   three that once cost far more than their data: a small archive whose sheet
//     unpacks to 62 MB of cells, cells only at A1 and A1048576, a real
//     workbook of 440,001 rows;
//   ten million nested elements in a cell and in the shared texts;
//   a processing instruction of 400 MB with a '<' every 100 bytes;
//   a UTF-16 sheet holding a comment of 200 million characters;
//   524,279 TRUE cells in one column;
//   512 MB of empty elements;
//   3 million different element names (libxml2's dictionary slows down with
//   its size: unchecked, this takes minutes);
//   31,750 namespaces in scope over 1.9 million prefixed elements (each
//   prefix is looked up through every declaration in scope: unchecked, four
//   minutes);
//   three attributes of near 10 MB on one tag;
//   a language table of 3,900 rows that all name one shared text of 32,767
//   characters (unchecked, it was stored: a database of 1.27 GB);
//   a zip comment of 64 KB holding 2,978 copies of the end record, with 1,000
//   and 100,000 entries (unchecked, the zip library tried every copy against
//   the directory as the archive was opened: 15 s and 25 minutes).
// Each workbook is read in a fresh process of its own; the import goes on
// into a copy of the shipped database when the workbook side reads it.
//   bench_WorkbookBench [folder]   (a temporary folder by default)
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <xlsxwriter.h>
#include <zip.h>

#include "analysis/ExcelIO.h"
#include "analysis/XlsxReader.h"
#include "database/DBServer.h"
#include "platform/MessageBox.h"

namespace {

// A part made of a head, a unit repeated and a tail, produced as the archive
// asks for it: parts of hundreds of megabytes never sit in memory.
struct Repeated {
    QByteArray head, unit;
    qint64 count = 0;
    QByteArray tail;
    qint64 at = 0;  // bytes produced so far

    qint64 Size() const { return head.size() + unit.size() * count + tail.size(); }
    qint64 Read(char* out, qint64 len)
    {
        qint64 n = 0;
        while (n < len && at < Size()) {
            const qint64 bodyEnd = head.size() + unit.size() * count;
            const QByteArray& piece = at < head.size() ? head : at < bodyEnd ? unit : tail;
            const qint64 offset = at < head.size() ? at : at < bodyEnd ? (at - head.size()) % unit.size() : at - bodyEnd;
            const qint64 k = std::min(len - n, qint64(piece.size()) - offset);
            std::memcpy(out + n, piece.constData() + offset, std::size_t(k));
            n += k;
            at += k;
        }
        return n;
    }
};

Repeated* Whole(const QByteArray& data)
{
    return new Repeated{data, {}, 0, {}};
}

zip_int64_t RepeatedSource(void* state, void* data, zip_uint64_t len, zip_source_cmd_t cmd)
{
    auto* part = static_cast<Repeated*>(state);
    switch (cmd) {
    case ZIP_SOURCE_OPEN: part->at = 0; return 0;
    case ZIP_SOURCE_READ: return part->Read(static_cast<char*>(data), qint64(len));
    case ZIP_SOURCE_CLOSE: return 0;
    case ZIP_SOURCE_STAT: {
        auto* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = zip_uint64_t(part->Size());
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(*st);
    }
    case ZIP_SOURCE_ERROR: return 2 * sizeof(int);
    case ZIP_SOURCE_FREE: delete part; return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default: return -1;
    }
}

const QByteArray kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const QByteArray kNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A workbook of one sheet "SoftLanguageTab"; its sheet and shared-strings parts
// are given (an empty shared-strings part is left out).
bool WritePackage(const QString& path, Repeated* sheet, Repeated* shared = nullptr)
{
    QByteArray rels = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                      "<Relationship Id=\"rId1\" Type=\"" + kRel + "worksheet\" Target=\"worksheets/sheet1.xml\"/>";
    if (shared)
        rels += "<Relationship Id=\"rId2\" Type=\"" + kRel + "sharedStrings\" Target=\"sharedStrings.xml\"/>";
    const std::vector<std::pair<const char*, Repeated*>> parts = {
        {"[Content_Types].xml", Whole("<?xml version=\"1.0\"?><Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>")},
        {"_rels/.rels", Whole("<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                                     "<Relationship Id=\"rId1\" Type=\"" + kRel + "officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>")},
        {"xl/workbook.xml", Whole("<?xml version=\"1.0\"?><workbook xmlns=\"" + kNs + "\" xmlns:r=\"" + kRel.chopped(1)
                                             + "\"><sheets><sheet name=\"SoftLanguageTab\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")},
        {"xl/_rels/workbook.xml.rels", Whole(rels + "</Relationships>")},
        {"xl/worksheets/sheet1.xml", sheet},
        {"xl/sharedStrings.xml", shared},
    };
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    bool added = za != nullptr;
    for (const auto& [name, part] : parts) {
        if (!part)
            continue;
        zip_source_t* src = added ? zip_source_function(za, RepeatedSource, part) : nullptr;
        if (!src) {
            delete part;
            added = false;
            continue;
        }
        const zip_int64_t index = zip_file_add(za, name, src, ZIP_FL_ENC_UTF_8);
        if (index < 0)
            zip_source_free(src);
        added = index >= 0 && zip_set_file_compression(za, zip_uint64_t(index), ZIP_CM_DEFLATE, 9) == 0;
    }
    if (added)
        return zip_close(za) == 0;
    if (za)
        zip_discard(za);
    return false;
}

Repeated* SheetOf(const QByteArray& rows, const QByteArray& unit = {}, qint64 count = 0, const QByteArray& after = {})
{
    return new Repeated{"<?xml version=\"1.0\"?><worksheet xmlns=\"" + kNs + "\"><sheetData>" + rows, unit, count,
                        after + "</sheetData></worksheet>"};
}

QString Made(const QString& path, bool written)
{
    return written ? path : QString();
}

QString MakeBomb(const QString& folder)
{
    const QByteArray cell = "<c t=\"inlineStr\"><is><t>" + QByteArray(1000, 'A') + "</t></is></c>";
    const QByteArray row = "<row>" + cell.repeated(4) + "</row>";
    const QString path = folder + QStringLiteral("/bomb.xlsx");
    return Made(path, WritePackage(path, SheetOf({}, row, 62 * 1000 * 1000 / row.size())));
}

QString MakeSparse(const QString& folder)
{
    const QString path = folder + QStringLiteral("/sparse.xlsx");
    return Made(path, WritePackage(path, SheetOf("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Sign</t></is></c></row>"
                                                 "<row r=\"1048576\"><c r=\"A1048576\" t=\"inlineStr\"><is><t>x</t></is></c></row>")));
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
    return Made(path, workbook_close(book) == LXW_NO_ERROR);
}

QString MakeNestedCell(const QString& folder)
{
    const QString path = folder + QStringLiteral("/nested-cell.xlsx");
    return Made(path, WritePackage(path, SheetOf("<row><c r=\"A1\">", "<a>", 10'000'000, "</c></row>")));
}

QString MakeNestedShared(const QString& folder)
{
    const QString path = folder + QStringLiteral("/nested-shared.xlsx");
    auto* shared = new Repeated{"<?xml version=\"1.0\"?><sst xmlns=\"" + kNs + "\"><si>", "<a>", 10'000'000, "</si></sst>"};
    return Made(path, WritePackage(path, SheetOf("<row><c r=\"A1\" t=\"s\"><v>0</v></c></row>"), shared));
}

QString MakeInstruction(const QString& folder)
{
    const QString path = folder + QStringLiteral("/instruction.xlsx");
    return Made(path, WritePackage(path, SheetOf("<?bomb ", QByteArray(99, 'x') + '<', 4'000'000, "?>")));
}

QString MakeUtf16Comment(const QString& folder)
{
    const QString path = folder + QStringLiteral("/utf16-comment.xlsx");
    auto utf16 = [](const QByteArray& latin) {
        QByteArray out;
        for (const char c : latin)
            out.append(c).append('\0');
        return out;
    };
    auto* sheet = new Repeated{"\xFF\xFE" + utf16("<?xml version=\"1.0\" encoding=\"UTF-16\"?><worksheet xmlns=\"" + kNs + "\"><sheetData><!--"),
                               utf16(QByteArray(100, 'c')), 2'000'000, utf16("--></sheetData></worksheet>")};
    return Made(path, WritePackage(path, sheet));
}

QString MakeDistinctNames(const QString& folder)
{
    const QString path = folder + QStringLiteral("/names.xlsx");
    QByteArray names;
    names.reserve(3'000'000 * 11);
    for (int i = 0; i < 3'000'000; ++i)
        names += QByteArray("<a") + QByteArray::number(i).rightJustified(7, '0') + "/>";
    return Made(path, WritePackage(path, SheetOf("<row><c r=\"A1\">" + names + "</c></row>")));
}

QString MakeTrueCells(const QString& folder)
{
    const QString path = folder + QStringLiteral("/true-cells.xlsx");
    return Made(path, WritePackage(path, SheetOf({}, "<row><c t=\"b\"><v>1</v></c></row>", 524'279)));
}

QString MakeEmptyElements(const QString& folder)
{
    const QString path = folder + QStringLiteral("/empty-elements.xlsx");
    return Made(path, WritePackage(path, SheetOf("<row><c r=\"A1\">", "<a/>", 128LL * 1024 * 1024, "</c></row>")));
}

QString MakeNamespaceScope(const QString& folder)
{
    const QString path = folder + QStringLiteral("/namespaces.xlsx");
    QByteArray level = "<e";
    for (int p = 0; p < 127; ++p)
        level += " xmlns:p" + QByteArray::number(p) + "=\"urn:" + QByteArray::number(p) + "\"";
    level += ">";
    auto* sheet = new Repeated{"<?xml version=\"1.0\"?><worksheet xmlns=\"" + kNs + "\" xmlns:z=\"urn:z\">" + level.repeated(250),
                               "<z:a/>", 1'900'000, QByteArray("</e>").repeated(250) + "<sheetData/></worksheet>"};
    return Made(path, WritePackage(path, sheet));
}

QString MakeLargeAttributes(const QString& folder)
{
    const QString path = folder + QStringLiteral("/attributes.xlsx");
    const QByteArray value(9'999'000, 'v');
    return Made(path, WritePackage(path, SheetOf("<row><c r=\"A1\" a=\"" + value + "\" b=\"" + value + "\" d=\"" + value + "\"/></row>")));
}

QString MakeLongTexts(const QString& folder)
{
    const QString path = folder + QStringLiteral("/long-texts.xlsx");
    auto inlineCell = [](const QByteArray& text) { return "<c t=\"inlineStr\"><is><t>" + text + "</t></is></c>"; };
    QByteArray rows = "<row>" + inlineCell("Sign") + inlineCell("Lan1") + inlineCell("Lan2") + inlineCell("Lan3") + "</row>";
    const QByteArray shared = "<c t=\"s\"><v>0</v></c>";
    for (int sign = 0; sign < 3900; ++sign)
        rows += "<row><c><v>" + QByteArray::number(sign) + "</v></c>" + shared.repeated(3) + "</row>";
    rows += "<row>" + inlineCell("End").repeated(4) + "</row>";
    // Words, with a trailing blank: the import trims column C.
    auto* text = Whole("<?xml version=\"1.0\"?><sst xmlns=\"" + kNs + "\"><si><t xml:space=\"preserve\">"
                       + QByteArray("lift ").repeated(6553) + "x </t></si></sst>");
    return Made(path, WritePackage(path, SheetOf(rows), text));
}

// A workbook of that many entries whose zip comment (64 KB) holds copies of
// the end record, each pointing at the real directory.
QString MakeCommentCopies(const QString& folder, int entries)
{
    const QString path = folder + QStringLiteral("/comment-%1.xlsx").arg(entries);
    const QString plain = folder + QStringLiteral("/plain.xlsx");
    if (!WritePackage(plain, SheetOf("<row><c r=\"A1\" t=\"inlineStr\"><is><t>Sign</t></is></c></row>")))
        return {};
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(plain).constData(), 0, &error);
    static const char kByte = 'x';
    for (int i = 0; za && i < entries; ++i) {
        zip_source_t* src = zip_source_buffer(za, &kByte, 1, 0);
        if (!src || zip_file_add(za, QByteArray("xl/media/e" + QByteArray::number(i) + ".bin").constData(), src, 0) < 0) {
            zip_source_free(src);
            zip_discard(za);
            return {};
        }
    }
    if (!za || zip_close(za) != 0)
        return {};
    QFile in(plain);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = in.readAll();
    in.close();
    QFile::remove(plain);
    const QByteArray record = bytes.right(22);
    const QByteArray comment = record.repeated(65535 / 22);
    bytes[bytes.size() - 2] = char(comment.size() & 0xFF);
    bytes[bytes.size() - 1] = char(comment.size() >> 8);
    QFile out(path);
    return Made(path, out.open(QIODevice::WriteOnly) && out.write(bytes + comment) == bytes.size() + comment.size());
}

double CpuSeconds(const rusage& u)
{
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// A field of /proc/self/status in kB. The peak is read there rather than from
// getrusage(): Linux carries ru_maxrss over fork and exec, so a fresh process
// would report the peak of the one that started it.
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

// The import, or the reader with its default limits, in this process (started
// fresh for the one workbook); prints its peak memory above what the process
// had before, and its CPU time.
int MeasureHere(const char* how, const char* what, const QString& path)
{
    MessageBoxRecorder boxes;
    // The import stores what it read into a copy of the shipped database, opened beforehand.
    QTemporaryDir station;
    CDBServer db;
    QStringList texts;
    db.m_pLanText = &texts;
    db.m_pAdo->m_pLanText = &texts;
    const bool import = std::strcmp(how, "import") == 0;
    if (import) {
        db.m_nLanguageKind = 2;
        db.m_strAppFolder = station.path();
        db.m_pAdo->InitConnection();
        db.BuildDBPath();
        if (!QDir().mkpath(QFileInfo(db.m_strDBPath).path())
            || !QFile::copy(QStringLiteral(LIFT_BINARY_DIR "/res/DBServer.mdb"), db.m_strDBPath)
            || !db.m_pAdo->OpenDatabase(false, db.m_strDBPath)) {
            std::printf("%-46s %-6s no database to import into\n", what, how);
            return 1;
        }
    }
    const long rssBefore = StatusKb("VmRSS:");
    rusage before{};
    getrusage(RUSAGE_SELF, &before);
    QString outcome;
    if (import) {
        CExcelIO excel;
        excel.m_nLanguageKind = 2;
        strLanguageSheet sheet;
        int flags = 0;
        if (!excel.ImportLanguageTable(&flags, path, &sheet) || !db.ImportLanguageTable(sheet))
            outcome = QStringLiteral("refused: ") + boxes.texts().value(0);
        else
            outcome = QStringLiteral("stored, %1 rows").arg(sheet.rows.size());
    } else {
        CXlsxReader reader;
        CXlsxReader::Sheet sheet;
        outcome = reader.Open(path) && reader.ReadSheet(0, &sheet) ? QStringLiteral("read, %1 cells").arg(sheet.cells.size())
                                                                   : QStringLiteral("refused: ") + reader.ErrorString();
    }
    rusage after{};
    getrusage(RUSAGE_SELF, &after);
    outcome.replace(path, QFileInfo(path).fileName());
    std::printf("%-46s %-6s %9.1f KB  %7.1f MB  %5.2f s  %s\n", what, how, double(QFileInfo(path).size()) / 1024.0,
                double(StatusKb("VmHWM:") - rssBefore) / 1024.0, CpuSeconds(after) - CpuSeconds(before), qPrintable(outcome));
    return 0;
}

void Measure(const char* what, const QString& path)
{
    for (const char* how : {"import", "reader"}) {
        std::fflush(stdout);
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--measure"), QString::fromLatin1(how), QString::fromUtf8(what), path});
        child.waitForFinished(-1);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0)
            std::printf("%-46s %-6s ended with %d\n", what, how, child.exitCode());
    }
    QFile::remove(path);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--measure") == 0)
        return MeasureHere(argv[2], argv[3], QString::fromLocal8Bit(argv[4]));
    QTemporaryDir tmp;
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    std::printf("Reading hostile workbooks (bound: 100 MB above the station's own memory, 5 s of CPU)\n");
    std::printf("%-46s %-6s %12s  %10s  %7s  %s\n", "workbook", "by", "file", "peak above", "CPU", "outcome");
    Measure("62 MB of cells in a small archive", MakeBomb(folder));
    Measure("cells only at A1 and A1048576", MakeSparse(folder));
    Measure("a real workbook of 440,001 rows", MakeRealRows(folder));
    Measure("10 million levels nested in a cell", MakeNestedCell(folder));
    Measure("10 million levels nested in the shared texts", MakeNestedShared(folder));
    Measure("a 400 MB processing instruction", MakeInstruction(folder));
    Measure("a UTF-16 sheet with a 200 M character comment", MakeUtf16Comment(folder));
    Measure("524,279 TRUE cells", MakeTrueCells(folder));
    Measure("3 million different element names", MakeDistinctNames(folder));
    Measure("512 MB of empty elements", MakeEmptyElements(folder));
    Measure("31,750 namespaces in scope, 1.9 M elements", MakeNamespaceScope(folder));
    Measure("three attributes of near 10 MB", MakeLargeAttributes(folder));
    Measure("3,900 rows naming one 32,767-character text", MakeLongTexts(folder));
    Measure("2,978 end records in the comment, 1,000 entries", MakeCommentCopies(folder, 1000));
    Measure("2,978 end records in the comment, 100,000 entries", MakeCommentCopies(folder, 100'000));
    return 0;
}
