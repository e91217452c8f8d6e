// The workbook reader on hand-built packages: every kind of cell value, sheets
// by name and position, and a clean refusal of everything that is not a
// readable workbook.
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>
#include <QTemporaryDir>
#include <cmath>
#include <zip.h>
#include <gtest/gtest.h>

#include "ExcelIOTestSupport.h"
#include "analysis/XlsxPartStream.h"
#include "analysis/XlsxReader.h"
#include "analysis/XlsxWriter.h"

namespace {

using xltest::InlineCell;
using xltest::Package;
using xltest::Parts;

class XlsxReaderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString Write(const QString& name, const Parts& parts)
    {
        const QString path = m_dir.filePath(name);
        EXPECT_TRUE(xltest::WriteZip(path, parts));
        return path;
    }
    QString WriteRaw(const QString& name, const QByteArray& bytes)
    {
        EXPECT_TRUE(WriteFile(m_dir.filePath(name), bytes));
        return m_dir.filePath(name);
    }
    // Opening, then reading the first sheet, must fail with a reason.
    QString Refusal(const QString& path, const CXlsxReader::Limits& limits = {})
    {
        CXlsxReader reader(limits);
        if (!reader.Open(path)) {
            EXPECT_FALSE(reader.IsOpen());
            return reader.ErrorString();
        }
        CXlsxReader::Sheet sheet;
        if (reader.ReadSheet(0, &sheet))
            return QString();
        EXPECT_TRUE(sheet.IsEmpty());
        return reader.ErrorString();
    }

    QTemporaryDir m_dir;
};

TEST_F(XlsxReaderTest, ReadsEveryKindOfValueAndFindsSheetsByName)
{
    const QByteArray shared =
        "<si><t>plain</t></si>"
        "<si><r><t>rich </t></r><r><rPr><b/></rPr><t>run</t></r><rPh sb=\"0\" eb=\"1\"><t>hint</t></rPh></si>"
        "<si><t xml:space=\"preserve\">  line_x000D_\nnext  </t></si>";
    const QByteArray first =
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c></row>"
        "<row r=\"3\"><c r=\"A3\"><v>232</v></c><c r=\"B3\" t=\"n\"><v>1.5E3</v></c><c r=\"C3\"><v>0.1</v></c>"
        "<c r=\"D3\" t=\"b\"><v>1</v></c><c r=\"E3\" t=\"e\"><v>#N/A</v></c><c r=\"F3\" t=\"str\"><f>A1</f><v>plain</v></c>"
        "<c r=\"G3\" s=\"1\"/><c r=\"H3\"><v></v></c></row>"
        "<row><c><v>7</v></c><c t=\"inlineStr\"><is><t>中文 \"q\" 'a'</t></is></c></row>";
    Parts parts = Package({{QStringLiteral("First"), first}, {QStringLiteral("第二"), "<row r=\"5\">" + InlineCell("C5", "x") + "</row>"}}, shared);
    // A chart sheet is listed in the workbook but is no worksheet.
    for (auto& [name, data] : parts) {
        if (name == QLatin1String("xl/workbook.xml"))
            data.replace("</sheets>", "<sheet name=\"Chart\" sheetId=\"9\" r:id=\"rIdC\"/></sheets>");
        if (name == QLatin1String("xl/_rels/workbook.xml.rels"))
            data.replace("</Relationships>",
                         "<Relationship Id=\"rIdC\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                         "relationships/chartsheet\" Target=\"chartsheets/sheet1.xml\"/></Relationships>");
    }
    const QString path = Write(QStringLiteral("kinds.xlsx"), parts);

    CXlsxReader reader;
    ASSERT_TRUE(reader.Open(path)) << reader.ErrorString().toStdString();
    EXPECT_EQ(reader.SheetNames(), QStringList({QStringLiteral("First"), QStringLiteral("第二")}));

    CXlsxReader::Sheet sheet;
    ASSERT_TRUE(reader.ReadSheet(QStringLiteral("First"), &sheet)) << reader.ErrorString().toStdString();
    // G3 is formatted without a value and H3 an empty number: both are empty.
    EXPECT_EQ(xltest::RowOf(sheet, 1, 3), QStringList({"plain", "rich run", "  line\r\nnext  "}));
    EXPECT_EQ(xltest::RowOf(sheet, 3, 8), QStringList({"232", "1500", "0.1", "TRUE", "#N/A", "plain", "", ""}));
    EXPECT_EQ(sheet.At(3, 5)->kind, CXlsxReader::CellKind::Error);
    EXPECT_EQ(sheet.At(3, 8), nullptr);
    // A row and cells without references follow the ones before them.
    EXPECT_EQ(xltest::RowOf(sheet, 4, 2), QStringList({"7", "中文 \"q\" 'a'"}));
    EXPECT_EQ(QList<int>({sheet.nFirstRow, sheet.nLastRow, sheet.nFirstCol, sheet.nLastCol}), QList<int>({1, 4, 1, 6}));

    ASSERT_TRUE(reader.ReadSheet(1, &sheet));
    EXPECT_EQ(sheet.Text(5, 3), QStringLiteral("x"));
    EXPECT_FALSE(reader.ReadSheet(QStringLiteral("Chart"), &sheet));
    EXPECT_FALSE(reader.ReadSheet(2, &sheet));
}

TEST_F(XlsxReaderTest, ReadsPrefixedElementsUtf16PartsAndAbsoluteTargets)
{
    // A UTF-16 part whose declaration names another encoding, with a comment,
    // an instruction and CDATA: the parser reads it as what its bytes are.
    const QString xml = QStringLiteral("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><!-- made by hand --><x:worksheet xmlns:x=\"")
                        + QLatin1String(xltest::kMainNs)
                        + QStringLiteral("\"><x:sheetData><x:row r=\"2\"><x:c r=\"B2\" t=\"inlineStr\"><x:is><x:t>p<?pi x?>中"
                                         "<![CDATA[<&>]]></x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>");
    Parts parts = Package({{QStringLiteral("S"), {}}});
    for (auto& [name, data] : parts) {
        if (name == QLatin1String("xl/worksheets/sheet1.xml"))
            data = QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(xml.utf16()), xml.size() * 2);
        if (name == QLatin1String("xl/_rels/workbook.xml.rels"))
            data.replace("Target=\"worksheets/", "Target=\"/xl/worksheets/");
    }
    const CXlsxReader::Sheet sheet = xltest::ReadBack(Write(QStringLiteral("p.xlsx"), parts), QStringLiteral("S"));
    EXPECT_EQ(sheet.Text(2, 2), QStringLiteral("p中<&>"));
}

TEST_F(XlsxReaderTest, RefusesWhatIsNotAReadableWorkbook)
{
    // A real workbook to cut and damage.
    const QString good = m_dir.filePath(QStringLiteral("good.xlsx"));
    {
        CXlsxWriter book(good);
        const int s = book.AddSheet(QStringLiteral("S"));
        for (int r = 1; r <= 400; ++r)
            book.Write(s, r, 1, QStringLiteral("row %1 with some text to compress %2").arg(r).arg(r * 7919));
        ASSERT_TRUE(book.Save()) << book.ErrorString().toStdString();
    }
    const QByteArray bytes = FileBytes(good);
    ASSERT_FALSE(bytes.isEmpty());
    ASSERT_FALSE(Refusal(good).size());  // the intact file reads

    QByteArray flipped = bytes;
    const qsizetype sheetAt = flipped.indexOf("xl/worksheets/sheet1.xml");
    ASSERT_GT(sheetAt, 0);
    // Somewhere inside the sheet's compressed data, past its local header.
    flipped[sheetAt + 24 + 300] = char(flipped[sheetAt + 24 + 300] ^ 0x55);

    auto sheet = [this](const char* name, const QByteArray& xml, const QByteArray& shared = {}) {
        return Write(QLatin1String(name), Package({{QStringLiteral("S"), xml}}, shared));
    };
    // Well-formed, and read by the parser were it not for the reader's own bounds.
    QByteArray attributes;
    for (int i = 0; i < 200; ++i)
        attributes += " a" + QByteArray::number(i) + "=''";
    Parts doctype = Package({{QStringLiteral("S"), {}}});
    doctype[2].second = QByteArray("<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY e \"e\">]><worksheet xmlns=\"")
                        + xltest::kMainNs + "\"><sheetData><row><c r=\"A1\"><v>1</v></c></row></sheetData></worksheet>";
    const std::vector<std::pair<QString, QString>> cases = {
        {m_dir.filePath(QStringLiteral("missing.xlsx")), QStringLiteral("does not exist")},
        {WriteRaw(QStringLiteral("text.xlsx"), "Sign,Lan1,Lan2,Lan3\n1,a,b,c\n"), QStringLiteral("not an .xlsx workbook")},
        {WriteRaw(QStringLiteral("old.xls"), QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(4096, '\0')),
         QStringLiteral("not an .xlsx workbook")},
        {WriteRaw(QStringLiteral("cut.xlsx"), bytes.left(bytes.size() / 2)), QStringLiteral("truncated")},
        {WriteRaw(QStringLiteral("flipped.xlsx"), flipped), QString()},
        {Write(QStringLiteral("nobook.xlsx"), {{QStringLiteral("readme.txt"), "hello"}}), QStringLiteral("no workbook part")},
        {sheet("badxml.xlsx", "<row><c r=\"A1\"><v>1</v></row>"), QStringLiteral("not well-formed")},
        {sheet("sst.xlsx", "<row><c r=\"A1\" t=\"s\"><v>3</v></c></row>", "<si><t>only</t></si>"), QStringLiteral("shared string")},
        {sheet("ref0.xlsx", "<row><c r=\"A0\"><v>1</v></c></row>"), QStringLiteral("cell reference")},
        {sheet("rowbig.xlsx", "<row r=\"1048577\"><c><v>1</v></c></row>"), QStringLiteral("row number")},
        {sheet("num.xlsx", "<row><c r=\"A1\"><v>1,5</v></c></row>"), QStringLiteral("number")},
        {sheet("type.xlsx", "<row><c r=\"A1\" t=\"zz\"><v>1</v></c></row>"), QStringLiteral("cell type")},
        {Write(QStringLiteral("dtd.xlsx"), doctype), QStringLiteral("document type")},
        {sheet("attrs.xlsx", "<row><c r=\"A1\"" + attributes + "><v>1</v></c></row>"), QStringLiteral("more than 128 attributes")},
        {sheet("names.xlsx", [] {
             QByteArray cell = "<row><c r=\"A1\">";
             for (int i = 0; i < 70000; ++i)
                 cell += "<n" + QByteArray::number(i) + "/>";
             return cell + "</c></row>";
         }()), QStringLiteral("different names")},
        {sheet("deep.xlsx", "<row><c r=\"A1\">" + QByteArray("<a>").repeated(300) + "</c></row>"),
         QStringLiteral("depth")},
    };
    for (const auto& [path, reason] : cases) {
        const QString why = Refusal(path);
        EXPECT_FALSE(why.isEmpty()) << path.toStdString() << " was read";
        if (!reason.isEmpty()) {
            EXPECT_TRUE(why.contains(reason)) << path.toStdString() << ": " << why.toStdString();
        }
    }
}

TEST_F(XlsxReaderTest, LimitsBoundWhatIsKeptNotWhatIsUnpacked)
{
    // A small archive that unpacks to a large sheet is streamed, not held.
    const QByteArray rows = QByteArray("<row><c><v>1</v></c><c><v>2</v></c></row>").repeated(20000);
    const QString path = Write(QStringLiteral("big.xlsx"), Package({{QStringLiteral("S"), rows}}));
    CXlsxReader::Limits fewBytes;
    fewBytes.nMaxPartBytes = 64 * 1024;
    EXPECT_TRUE(Refusal(path, fewBytes).isEmpty());
    fewBytes.nMaxHeldBytes = 256 * 1024;
    EXPECT_TRUE(Refusal(path, fewBytes).contains(QStringLiteral("holds more cells"))) << Refusal(path, fewBytes).toStdString();
    fewBytes.nMaxTotalBytes = 600;  // the package parts alone already take more
    EXPECT_FALSE(Refusal(path, fewBytes).isEmpty());
    fewBytes.nMaxTotalBytes = 512 << 20;
    const QString sst = Write(QStringLiteral("sst.xlsx"), Package({{QStringLiteral("S"), {}}}, QByteArray("<si><t>x</t></si>").repeated(20000)));
    EXPECT_TRUE(Refusal(sst, fewBytes).contains(QStringLiteral("shared texts"))) << Refusal(sst, fewBytes).toStdString();
    // A text cut into short runs by markup is never joined past what a cell holds.
    const QByteArray split = "<row><c><v>" + QByteArray(1000, '7').append("<?p?>").repeated(40) + "</v></c></row>";
    const QString pieces = Write(QStringLiteral("split.xlsx"), Package({{QStringLiteral("S"), split}}));
    EXPECT_TRUE(Refusal(pieces).contains(QStringLiteral("longer than a cell"))) << Refusal(pieces).toStdString();
    // Elements skipped as no part of the cells still count as work.
    CXlsxReader::Limits littleWork;
    littleWork.nMaxWork = 5000;
    const QString skipped = Write(QStringLiteral("skipped.xlsx"), Package({{QStringLiteral("S"), {}}}));
    EXPECT_TRUE(Refusal(skipped, littleWork).isEmpty());
    Parts parts = Package({{QStringLiteral("S"), {}}});
    parts[2].second.replace("<sheetData>", "<cols>" + QByteArray("<col/>").repeated(5000) + "</cols><sheetData>");
    const QString many = Write(QStringLiteral("many.xlsx"), parts);
    EXPECT_TRUE(Refusal(many, littleWork).contains(QStringLiteral("more elements"))) << Refusal(many, littleWork).toStdString();
    // Past its time, whatever it holds, a read is given up.
    CXlsxReader::Limits noTime;
    noTime.nMaxMilliseconds = -1;
    EXPECT_TRUE(Refusal(skipped, noTime).contains(QStringLiteral("takes longer"))) << Refusal(skipped, noTime).toStdString();
}

// A zip comment that holds copies of the archive's end record: the zip library
// would try each copy against the whole directory before any part is read.
TEST_F(XlsxReaderTest, ArchiveEndsAreCheckedBeforeTheArchiveIsOpened)
{
    QByteArray rows;
    for (int r = 1; r <= 10; ++r)
        rows += "<row><c t=\"inlineStr\"><is><t>x</t></is></c></row>";
    const QByteArray plain = FileBytes(Write(QStringLiteral("plain.xlsx"), Package({{QStringLiteral("S"), rows}})));
    ASSERT_GT(plain.size(), 22);
    ASSERT_EQ(plain.mid(plain.size() - 22, 4), QByteArray("PK\x05\x06"));
    const QByteArray end = plain.right(22);
    const QByteArray body = plain.chopped(22);
    // The end record with a comment of n bytes after it.
    auto withComment = [&](const QByteArray& comment) {
        QByteArray record = end;
        record[20] = char(comment.size() & 0xFF);
        record[21] = char(comment.size() >> 8);
        return body + record + comment;
    };
    QByteArray copies = end.repeated(2978);  // 65,516 bytes: every copy points at the real directory
    const QString hostile = WriteRaw(QStringLiteral("copies.xlsx"), withComment(copies));
    EXPECT_TRUE(Refusal(hostile).contains(QStringLiteral("2979 end records"))) << Refusal(hostile).toStdString();

    const std::vector<std::pair<QByteArray, QString>> cases = {
        {withComment(end), QStringLiteral("2 end records")},  // one copy is enough for a second search
        {withComment(QByteArray(1025, 'c')), QStringLiteral("comment of 1025 bytes")},
        {withComment(QByteArray(64, 'c')).chopped(1), QStringLiteral("does not end with the file")},
        {withComment(QByteArray(64, 'c')) + "trailing", QStringLiteral("does not end with the file")},
        {plain.left(plain.size() - 10), QStringLiteral("truncated")},
    };
    for (const auto& [bytes, reason] : cases) {
        const QString why = Refusal(WriteRaw(QStringLiteral("case.xlsx"), bytes));
        EXPECT_TRUE(why.contains(reason)) << reason.toStdString() << ": " << why.toStdString();
    }
    // A short comment of plain text, as some tools write, is read.
    CXlsxReader reader;
    CXlsxReader::Sheet sheet;
    ASSERT_TRUE(reader.Open(WriteRaw(QStringLiteral("commented.xlsx"), withComment(QByteArray(1024, 'c')))))
        << reader.ErrorString().toStdString();
    ASSERT_TRUE(reader.ReadSheet(0, &sheet)) << reader.ErrorString().toStdString();
    EXPECT_EQ(sheet.cells.size(), 10u);
}

// The time a workbook may take runs once, from Open on, over every part:
// no part starts a budget of its own, and a part is given up inside it.
TEST_F(XlsxReaderTest, TheTimeBudgetRunsFromOpenOverEveryPart)
{
    QByteArray rows;
    for (int r = 1; r <= 300; ++r)
        rows += "<row><c><v>" + QByteArray::number(r) + "</v></c></row>";
    const QString path = Write(QStringLiteral("budget.xlsx"), Package({{QStringLiteral("S"), rows}}));
    CXlsxReader::Limits limits;
    limits.nMaxMilliseconds = 1500;
    // Past the budget of the whole read, counted from before Open.
    const QDeadlineTimer budget(limits.nMaxMilliseconds + 5);
    CXlsxReader reader(limits);
    ASSERT_TRUE(reader.Open(path)) << reader.ErrorString().toStdString();
    while (!budget.hasExpired())
        QThread::msleep(10);
    CXlsxReader::Sheet sheet;
    EXPECT_FALSE(reader.ReadSheet(0, &sheet));
    EXPECT_EQ(reader.RefusalKind(), CXlsxReader::Refusal::TooSlow) << reader.ErrorString().toStdString();
    EXPECT_TRUE(sheet.IsEmpty());

    // Inside a part: the nodes the parser already holds are not read past the deadline.
    int error = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    ASSERT_NE(za, nullptr);
    zip_file_t* file = zip_fopen(za, "xl/worksheets/sheet1.xml", 0);
    ASSERT_NE(file, nullptr);
    {
        // Room for the first read on a loaded machine; the test waits it out anyway.
        const QDeadlineTimer deadline(2000);
        CXlsxPartStream xml(file, QStringLiteral("xl/worksheets/sheet1.xml"), 1 << 20, 1 << 20, deadline);
        ASSERT_TRUE(xml.Next());  // the whole part is unpacked and handed to the parser
        ASSERT_FALSE(xml.Failed());
        while (!deadline.hasExpired())
            QThread::msleep(10);
        int nodes = 0;
        while (xml.Next())
            ++nodes;
        EXPECT_TRUE(xml.Failed());
        EXPECT_EQ(xml.RefusalKind(), CXlsxReader::Refusal::TooSlow) << nodes << " nodes read to the end";
        EXPECT_LT(nodes, 300);
    }
    zip_discard(za);
}

// One end record whose directory is not where it says: the zip library finds
// no archive. A file that starts as one was damaged; any other is no workbook.
TEST_F(XlsxReaderTest, AnEndRecordMissingItsDirectoryIsToldByTheFilesStart)
{
    QByteArray bytes = FileBytes(Write(QStringLiteral("plain.xlsx"), Package({{QStringLiteral("S"), "<row><c><v>1</v></c></row>"}})));
    bytes.replace(bytes.size() - 6, 4, QByteArray(4, '\0'));  // the directory's offset
    const QString damaged = Refusal(WriteRaw(QStringLiteral("damaged.xlsx"), bytes));
    EXPECT_EQ(damaged, QStringLiteral("the file is truncated or damaged"));
    const QString foreign = Refusal(WriteRaw(QStringLiteral("foreign.xlsx"), QByteArray("junk") + bytes.mid(4)));
    EXPECT_EQ(foreign, QStringLiteral("it is not an .xlsx workbook"));
}

// Namespaces in scope are counted up to the bound and no further, and an end
// tag takes its element's declarations out of scope.
TEST_F(XlsxReaderTest, NamespacesInScopeAreCountedExactly)
{
    // The worksheet declares its default namespace: a row adds the rest.
    auto declaring = [](int from, int count) {
        QByteArray declared;
        for (int p = from; p < from + count; ++p)
            declared += " xmlns:p" + QByteArray::number(p) + "=\"urn:" + QByteArray::number(p) + "\"";
        return declared;
    };
    const QByteArray cell = "<c r=\"A1\"><v>1</v></c>";
    const QString atBound = Write(QStringLiteral("64.xlsx"), Package({{QStringLiteral("S"), "<row" + declaring(0, 63) + ">" + cell + "</row>"}}));
    EXPECT_TRUE(Refusal(atBound).isEmpty()) << Refusal(atBound).toStdString();
    const QString past = Write(QStringLiteral("65.xlsx"), Package({{QStringLiteral("S"), "<row" + declaring(0, 64) + ">" + cell + "</row>"}}));
    EXPECT_TRUE(Refusal(past).contains(QStringLiteral("more than 64 namespaces"))) << Refusal(past).toStdString();

    QByteArray siblings;
    for (int r = 1; r <= 100; ++r)
        siblings += "<row r=\"" + QByteArray::number(r) + "\"" + declaring(r, 1) + "><c r=\"A" + QByteArray::number(r) + "\"><v>" +
                    QByteArray::number(r) + "</v></c></row>";
    const CXlsxReader::Sheet sheet = xltest::ReadBack(Write(QStringLiteral("siblings.xlsx"), Package({{QStringLiteral("S"), siblings}})),
                                                      QStringLiteral("S"));
    EXPECT_EQ(sheet.cells.size(), 100u);
    EXPECT_EQ(sheet.Text(100, 1), QStringLiteral("100"));
}

// Every damaged workbook is refused with a reason and no cells, or read with
// cells that its own parts hold, in order and within the bounds it reports.
TEST_F(XlsxReaderTest, DamagedPartsAreReadConsistentlyOrRefusedWithAReason)
{
    const QByteArray shared = "<si><t>alpha</t></si><si><r><t>be</t></r><r><t>ta</t></r></si>";
    // Long enough that damage near its end is met after cells were read.
    QByteArray cells;
    for (int r = 1; r <= 150; r += 2)
        cells += QStringLiteral("<row r=\"%1\"><c r=\"A%1\" t=\"s\"><v>1</v></c><c r=\"B%1\"><v>2.5</v></c></row>"
                                "<row><c r=\"C%2\" t=\"inlineStr\"><is><t>gamma</t></is></c><c t=\"b\"><v>0</v></c></row>")
                     .arg(r)
                     .arg(r + 1)
                     .toUtf8();
    const Parts intact = Package({{QStringLiteral("S"), cells}}, shared);
    const QByteArray noise = "<>/\"=:rtsvcA1Z9_x0\xff\xe4";
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    const QRegularExpression markup(QStringLiteral("<[^>]*>"));
    int read = 0;
    int refused = 0;
    for (int round = 0; round < 300; ++round) {
        Parts parts = intact;
        auto& [name, data] = parts[next() % parts.size()];
        for (int k = 1 + int(next() % 4); k > 0; --k)
            data[qsizetype(next() % quint32(data.size()))] = noise[qsizetype(next() % quint32(noise.size()))];
        const QString path = Write(QStringLiteral("damaged.xlsx"), parts);
        SCOPED_TRACE(testing::Message() << "round " << round << ", " << name.toStdString() << ": " << data.toStdString());
        CXlsxReader reader;
        CXlsxReader::Sheet sheet;
        if (!reader.Open(path) || !reader.ReadSheet(0, &sheet)) {
            ++refused;
            EXPECT_FALSE(reader.ErrorString().isEmpty());
            EXPECT_NE(reader.RefusalKind(), CXlsxReader::Refusal::None);
            EXPECT_TRUE(sheet.IsEmpty());
            continue;
        }
        ++read;
        // The texts a cell can take: what the sheet and shared parts hold between
        // their tags, runs joined; never a name or an attribute value.
        QString held;
        for (const auto& [part, bytes] : parts) {
            if (part.startsWith(QLatin1String("xl/worksheets/")) || part.contains(QLatin1String("sharedStrings")))
                held += QString::fromUtf8(bytes).replace(QStringLiteral("</t></r><r><t>"), QString()).replace(markup, QStringLiteral("\x01"));
        }
        for (std::size_t i = 0; i < sheet.cells.size(); ++i) {
            const auto& [key, cell] = sheet.cells[i];
            const int row = int(key / CXlsxReader::kMaxCols);
            const int col = int(key % CXlsxReader::kMaxCols) + 1;
            EXPECT_TRUE(i == 0 || sheet.cells[i - 1].first < key);
            EXPECT_TRUE(row >= sheet.nFirstRow && row <= sheet.nLastRow && col >= sheet.nFirstCol && col <= sheet.nLastCol);
            EXPECT_EQ(sheet.At(row, col), &cell);
            if (cell.kind == CXlsxReader::CellKind::Boolean)
                EXPECT_TRUE(cell.text == QLatin1String("TRUE") || cell.text == QLatin1String("FALSE"));
            else if (cell.kind == CXlsxReader::CellKind::Number)
                EXPECT_TRUE(std::isfinite(cell.text.toDouble()));
            else
                EXPECT_TRUE(held.contains(cell.text)) << cell.text.toStdString();
        }
    }
    // Damage in a value is read; damage in the markup is refused: both happen.
    EXPECT_GT(read, 0);
    EXPECT_GT(refused, 0);
}

} // namespace
