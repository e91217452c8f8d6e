#include "analysis/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <zip.h>

#include "analysis/XlsxPartStream.h"
#include "analysis/XlsxWriter.h"

namespace {

// A relationship target against the folder of the part that names it.
QString ResolveTarget(const QString& baseDir, const QString& target)
{
    if (target.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(target).mid(1);
    const QString joined = baseDir.isEmpty() ? target : baseDir + QLatin1Char('/') + target;
    QString clean = QDir::cleanPath(QStringLiteral("/") + joined);
    return clean.mid(1);
}

QString FolderOf(const QString& part)
{
    const qsizetype cut = part.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QString() : part.left(cut);
}

QString RelsOf(const QString& part)
{
    const qsizetype cut = part.lastIndexOf(QLatin1Char('/'));
    return cut < 0 ? QStringLiteral("_rels/") + part + QStringLiteral(".rels")
                   : part.left(cut) + QStringLiteral("/_rels/") + part.mid(cut + 1) + QStringLiteral(".rels");
}

QString ZipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

// What one kept text costs besides its characters (header and allocation).
constexpr std::int64_t kTextOverhead = 32;
// The most characters one cell holds, as for what the station writes.
constexpr qsizetype kMaxCellChars = CXlsxWriter::kMaxTextLength;

std::int64_t TextBytes(const QString& text)
{
    return std::int64_t(text.size()) * 2 + kTextOverhead;
}

// Appends the text of the element just started (<t> or <v>) up to its end.
// Markup inside it (an instruction, say) would otherwise let a text of any
// length be joined: past what a cell holds, the part is refused.
bool ReadCellText(CXlsxPartStream& xml, QString* pText)
{
    if (xml.IsEmptyElement())
        return true;
    const int depth = xml.Depth();
    while (xml.NextInside(depth)) {
        if (xml.IsStart()) {
            xml.Refuse(CXlsxReader::Refusal::Malformed, QStringLiteral("the part %1 has an element inside a text").arg(xml.Part()));
            return false;
        }
        if (!xml.IsText())
            continue;  // a comment or an instruction
        // A UTF-8 character takes at most 4 bytes: a text far too long is not converted first.
        if (pText->size() + xml.TextBytes() / 4 > kMaxCellChars || (*pText += xml.Text()).size() > kMaxCellChars) {
            xml.Refuse(CXlsxReader::Refusal::TooLarge, QStringLiteral("the part %1 holds a text longer than a cell can").arg(xml.Part()));
            return false;
        }
    }
    return !xml.Failed();
}

// A string item (<si> or <is>) from its start tag to its end: its plain text,
// or its rich-text runs joined; phonetic hints are not part of the value.
QString ReadStringItem(CXlsxPartStream& xml)
{
    QString text;
    if (xml.IsEmptyElement())
        return text;
    const int depth = xml.Depth();
    while (xml.NextInside(depth)) {
        if (xml.IsStart("t")) {
            if (!ReadCellText(xml, &text))
                break;
        } else if (xml.IsStart() && !xml.IsStart("r")) {
            xml.SkipElement();  // a run goes on to its text; anything else is no part of the value
        }
    }
    return CXlsxReader::DecodeEscapes(text);
}

} // namespace

struct CXlsxReader::Archive {
    zip_t* za = nullptr;
    ~Archive()
    {
        if (za)
            zip_discard(za);
    }
};

// ---- sheet ---------------------------------------------------------------

const CXlsxReader::Cell* CXlsxReader::Sheet::At(int row, int col) const
{
    if (row < 1 || row > kMaxRows || col < 1 || col > kMaxCols)
        return nullptr;
    const std::int64_t key = Key(row, col);
    const auto it = std::lower_bound(cells.begin(), cells.end(), key,
                                     [](const auto& entry, std::int64_t k) { return entry.first < k; });
    return it == cells.end() || it->first != key ? nullptr : &it->second;
}

QString CXlsxReader::Sheet::Text(int row, int col) const
{
    const Cell* cell = At(row, col);
    return cell ? cell->text : QString();
}

// ---- helpers -------------------------------------------------------------

QString CXlsxReader::DecodeEscapes(const QString& text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    auto hex = [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
               || (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    };
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x')
            && text[i + 6] == QLatin1Char('_') && hex(text[i + 2]) && hex(text[i + 3]) && hex(text[i + 4])
            && hex(text[i + 5])) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 6;
            continue;
        }
        out += text[i];
    }
    return out;
}

bool CXlsxReader::ParseCellRef(const QString& ref, int* pRow, int* pCol)
{
    qsizetype i = 0;
    int col = 0;
    for (; i < ref.size() && i < 4; ++i) {
        const QChar c = ref[i].toUpper();
        if (c < QLatin1Char('A') || c > QLatin1Char('Z'))
            break;
        col = col * 26 + (c.unicode() - 'A' + 1);
    }
    if (i == 0 || i > 3 || col > kMaxCols)
        return false;
    const qsizetype digits = ref.size() - i;
    if (digits < 1 || digits > 7)
        return false;
    int row = 0;
    for (; i < ref.size(); ++i) {
        if (ref[i] < QLatin1Char('0') || ref[i] > QLatin1Char('9'))
            return false;
        row = row * 10 + (ref[i].unicode() - '0');
    }
    if (row < 1 || row > kMaxRows)
        return false;
    *pRow = row;
    *pCol = col;
    return true;
}

// ---- reader --------------------------------------------------------------

CXlsxReader::CXlsxReader() = default;

CXlsxReader::CXlsxReader(const Limits& limits)
    : m_limits(limits)
{
}

CXlsxReader::~CXlsxReader() = default;

bool CXlsxReader::Fail(Refusal kind, const QString& why, const QString& subject)
{
    m_refusal = kind;
    m_strError = why;
    m_strSubject = subject;
    return false;
}

bool CXlsxReader::IsOpen() const
{
    return m_pArchive != nullptr;
}

void CXlsxReader::Close()
{
    m_pArchive.reset();
    m_sheets.clear();
    m_sharedStrings.clear();
    m_sharedStrings.shrink_to_fit();
    m_nSharedBytes = 0;
    m_nBytesRead = 0;
    m_nWork = 0;
}

bool CXlsxReader::FindPart(const QString& part, std::int64_t* pIndex, bool bRequired)
{
    zip_t* za = m_pArchive->za;
    const QByteArray name = part.toUtf8();
    zip_int64_t index = zip_name_locate(za, name.constData(), 0);
    if (index < 0)
        index = zip_name_locate(za, name.constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return bRequired ? Fail(Refusal::Damaged, QStringLiteral("the part %1 is missing").arg(part)) : false;
    *pIndex = index;
    return true;
}

std::unique_ptr<CXlsxPartStream> CXlsxReader::OpenPart(const QString& part, std::int64_t nMaxBytes, bool bRequired)
{
    std::int64_t index = 0;
    if (!FindPart(part, &index, bRequired))
        return nullptr;
    zip_file_t* file = zip_fopen_index(m_pArchive->za, zip_uint64_t(index), 0);
    if (!file) {
        Fail(Refusal::Damaged, QStringLiteral("the part %1 cannot be read: %2").arg(part, QString::fromUtf8(zip_strerror(m_pArchive->za))));
        return nullptr;
    }
    return std::make_unique<CXlsxPartStream>(file, part, std::min(nMaxBytes, m_limits.nMaxTotalBytes - m_nBytesRead),
                                             m_limits.nMaxWork - m_nWork, m_deadline);
}

bool CXlsxReader::EndPart(const CXlsxPartStream& xml, const QString& subject)
{
    m_nBytesRead += xml.BytesRead();
    m_nWork += xml.Work();
    return !xml.Failed() || Fail(xml.RefusalKind(), xml.Why(), subject);
}

bool CXlsxReader::ReadRelationships(const QString& part, const QString& baseDir, bool bRequired, Relationships* pRels)
{
    const std::unique_ptr<CXlsxPartStream> xml = OpenPart(part, m_limits.nMaxPartBytes, bRequired);
    if (!xml)
        return false;
    bool inRoot = false;
    while (xml->Next()) {
        if (xml->Depth() == 0 && xml->IsStart())
            inRoot = xml->IsStart("Relationships");
        if (!inRoot || xml->Depth() != 1 || !xml->IsStart("Relationship") || xml->Attr("TargetMode") == QLatin1String("External"))
            continue;
        (*pRels)[xml->Attr("Id")] = Relationship{xml->Attr("Type"), ResolveTarget(baseDir, xml->Attr("Target"))};
    }
    return EndPart(*xml, part);
}

// The sheets the workbook part lists, as (name, relationship id).
bool CXlsxReader::ReadWorkbook(const QString& part, std::vector<std::pair<QString, QString>>* pSheets)
{
    const std::unique_ptr<CXlsxPartStream> xml = OpenPart(part, m_limits.nMaxPartBytes, false);
    if (!xml)
        return m_strError.isEmpty() ? Fail(Refusal::NotAWorkbook, QStringLiteral("it is not an .xlsx workbook (it has no workbook part)"))
                                    : false;
    bool inSheets = false;
    while (xml->Next()) {
        if (xml->Depth() == 0 && xml->IsStart() && !xml->IsStart("workbook")) {
            xml->Refuse(Refusal::NotAWorkbook, QStringLiteral("it is not an .xlsx workbook (%1 holds no workbook)").arg(part));
            break;
        }
        if (xml->Depth() == 1 && (xml->IsStart("sheets") || xml->IsEnd("sheets")))
            inSheets = xml->IsStart() && !xml->IsEmptyElement();
        if (!inSheets || xml->Depth() != 2 || !xml->IsStart("sheet"))
            continue;
        if (int(pSheets->size()) >= m_limits.nMaxSheets) {
            xml->Refuse(Refusal::TooLarge, QStringLiteral("it has more than %1 sheets").arg(m_limits.nMaxSheets));
            break;
        }
        pSheets->emplace_back(xml->Attr("name"), xml->Attr("id"));
    }
    return EndPart(*xml, part);
}

bool CXlsxReader::Open(const QString& path)
{
    Close();
    Fail(Refusal::None, QString());
    const QFileInfo info(path);
    if (!info.exists())
        return Fail(Refusal::FileMissing, QStringLiteral("the file does not exist"));
    if (!info.isFile())
        return Fail(Refusal::NotAFile, QStringLiteral("it is not a file"));

    // The budget runs from here: the window waits from the moment the file is read.
    m_deadline = m_limits.nMaxMilliseconds < 0 ? QDeadlineTimer(0) : QDeadlineTimer(m_limits.nMaxMilliseconds);
    QByteArray head;
    if (!CheckArchiveEnd(path, &head))
        return false;
    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!za) {
        switch (code) {
        case ZIP_ER_NOZIP: {
            // A file that begins like a zip archive but has no directory at its end was cut short.
            return head == QByteArrayLiteral("PK\x03\x04")
                       ? Fail(Refusal::Damaged, QStringLiteral("the file is truncated or damaged"))
                       : Fail(Refusal::NotAWorkbook, QStringLiteral("it is not an .xlsx workbook"));
        }
        case ZIP_ER_INCONS:
        case ZIP_ER_CRC:
        case ZIP_ER_EOF: return Fail(Refusal::Damaged, QStringLiteral("the file is truncated or damaged (%1)").arg(ZipErrorText(code)));
        default: return Fail(Refusal::Damaged, QStringLiteral("the file cannot be opened (%1)").arg(ZipErrorText(code)));
        }
    }
    m_pArchive = std::make_unique<Archive>();
    m_pArchive->za = za;
    if (m_deadline.hasExpired()) {
        Close();
        return Fail(Refusal::TooSlow, QStringLiteral("opening the archive takes longer than a workbook of this station may"));
    }
    if (!OpenParts()) {
        Close();
        return false;
    }
    return true;
}

bool CXlsxReader::CheckArchiveEnd(const QString& path, QByteArray* pHead)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Fail(Refusal::Damaged, QStringLiteral("the file cannot be opened (%1)").arg(file.errorString()));
    const qint64 size = file.size();
    *pHead = file.read(4);
    const bool zipStart = *pHead == QByteArrayLiteral("PK\x03\x04") || *pHead == QByteArrayLiteral("PK\x05\x06");
    const qint64 from = std::max<qint64>(0, size - kEndSearchBytes);
    if (!file.seek(from))
        return Fail(Refusal::Damaged, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
    const QByteArray tail = file.read(size - from);
    if (tail.size() != size - from)
        return Fail(Refusal::Damaged, QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
    // Every place the zip library would take for the end record.
    const QByteArray signature = QByteArrayLiteral("PK\x05\x06");
    qsizetype found = -1;
    int count = 0;
    for (qsizetype at = tail.indexOf(signature); at >= 0; at = tail.indexOf(signature, at + 1)) {
        if (at + kEndRecordBytes <= tail.size()) {
            found = at;
            ++count;
        }
    }
    if (count == 0) {
        return zipStart ? Fail(Refusal::Damaged, QStringLiteral("the file is truncated or damaged"))
                        : Fail(Refusal::NotAWorkbook, QStringLiteral("it is not an .xlsx workbook"));
    }
    if (count > 1)
        return Fail(Refusal::Damaged, QStringLiteral("the file is damaged: its end has %1 end records of a zip archive").arg(count));
    const auto byte = [&tail, found](qsizetype i) { return qsizetype(quint8(tail[found + i])); };
    const qsizetype comment = byte(20) | (byte(21) << 8);
    if (comment > kMaxCommentBytes)
        return Fail(Refusal::Damaged, QStringLiteral("the file is damaged: its zip comment of %1 bytes is longer than a workbook has").arg(comment));
    if (found + kEndRecordBytes + comment != tail.size())
        return Fail(Refusal::Damaged, QStringLiteral("the file is truncated or damaged: its zip comment does not end with the file"));
    return true;
}

bool CXlsxReader::OpenParts()
{
    // The package relationships name the workbook part; the usual place otherwise.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    Relationships rels;
    if (ReadRelationships(QStringLiteral("_rels/.rels"), QString(), false, &rels)) {
        for (const auto& [id, rel] : rels) {
            if (rel.type.endsWith(QLatin1String("/officeDocument")))
                workbookPart = rel.target;
        }
    } else if (!m_strError.isEmpty()) {
        return false;
    }

    std::vector<std::pair<QString, QString>> sheets;
    rels.clear();
    if (!ReadWorkbook(workbookPart, &sheets) || !ReadRelationships(RelsOf(workbookPart), FolderOf(workbookPart), true, &rels))
        return false;
    for (const auto& [name, id] : sheets) {
        const auto it = rels.find(id);
        if (it == rels.end())
            return Fail(Refusal::Malformed, QStringLiteral("the sheet \"%1\" has no part").arg(name), name);
        if (it->second.type.endsWith(QLatin1String("/worksheet")))
            m_sheets.push_back({name, it->second.target});  // chart and dialog sheets hold no cells
    }
    for (const auto& [id, rel] : rels) {
        if (rel.type.endsWith(QLatin1String("/sharedStrings")))
            return LoadSharedStrings(rel.target);
    }
    return true;
}

bool CXlsxReader::LoadSharedStrings(const QString& part)
{
    const std::unique_ptr<CXlsxPartStream> xml = OpenPart(part, m_limits.nMaxTotalBytes, true);
    if (!xml)
        return false;
    while (xml->Next()) {
        if (!xml->IsStart("si"))
            continue;
        QString text = ReadStringItem(*xml);
        std::int64_t more = TextBytes(text);
        if (m_sharedStrings.size() == m_sharedStrings.capacity())
            more += std::int64_t(sizeof(QString)) * std::int64_t(std::max<std::size_t>(16, m_sharedStrings.capacity()));
        if (m_nSharedBytes + more > m_limits.nMaxHeldBytes) {
            xml->Refuse(Refusal::TooLarge, QStringLiteral("its shared texts need more than the %1 MB a workbook of this station may hold")
                                               .arg(m_limits.nMaxHeldBytes >> 20));
            break;
        }
        if (m_sharedStrings.size() == m_sharedStrings.capacity())
            m_sharedStrings.reserve(std::max<std::size_t>(16, m_sharedStrings.capacity() * 2));
        m_nSharedBytes += more;
        m_sharedStrings.push_back(std::move(text));
    }
    return EndPart(*xml, part);
}

QStringList CXlsxReader::SheetNames() const
{
    QStringList names;
    for (const SheetEntry& entry : m_sheets)
        names << entry.name;
    return names;
}

bool CXlsxReader::ReadSheet(const QString& name, Sheet* pSheet)
{
    for (std::size_t i = 0; i < m_sheets.size(); ++i) {
        if (m_sheets[i].name == name)
            return ReadSheet(int(i), pSheet);
    }
    return Fail(Refusal::NoSuchSheet, QStringLiteral("it has no sheet \"%1\"").arg(name), name);
}

bool CXlsxReader::ReadSheet(int index, Sheet* pSheet)
{
    *pSheet = Sheet{};
    if (!m_pArchive)
        return Fail(Refusal::NotAWorkbook, QStringLiteral("no workbook is open"));
    if (index < 0 || index >= int(m_sheets.size()))
        return Fail(Refusal::NoSuchSheet, QStringLiteral("it has no sheet %1").arg(index + 1), QString::number(index + 1));
    const SheetEntry& entry = m_sheets[std::size_t(index)];
    const std::unique_ptr<CXlsxPartStream> xml = OpenPart(entry.part, m_limits.nMaxTotalBytes, true);
    if (!xml)
        return false;
    pSheet->name = entry.name;
    ParseSheet(*xml, pSheet);
    if (!EndPart(*xml, entry.name)) {
        *pSheet = Sheet{};
        return false;
    }
    return true;
}

// Reads the cells of a worksheet part; a refusal is left on the stream.
void CXlsxReader::ParseSheet(CXlsxPartStream& xml, Sheet* pSheet)
{
    auto bad = [&](const QString& what) {
        xml.Refuse(Refusal::Malformed, QStringLiteral("the sheet \"%1\" is malformed: %2").arg(pSheet->name, what));
    };
    auto& cells = pSheet->cells;
    std::int64_t textBytes = 0;  // what the kept cells' own texts cost
    bool sorted = true;
    // Whether one more cell still fits in what a sheet may hold.
    auto room = [&](std::int64_t moreText) {
        std::int64_t entries = std::int64_t(cells.capacity());
        if (cells.size() == cells.capacity())
            entries = std::max<std::int64_t>(16, entries * 2);
        const std::int64_t held = entries * std::int64_t(sizeof(cells.front())) + textBytes + moreText + m_nSharedBytes;
        return held <= m_limits.nMaxHeldBytes && std::int64_t(cells.size()) < m_limits.nMaxCells;
    };

    int row = 0;
    int col = 0;
    bool inData = false;  // cells are only those of <sheetData>
    while (xml.Next()) {
        if (xml.Depth() == 0) {
            if (xml.IsStart() && !xml.IsStart("worksheet"))
                return xml.Refuse(Refusal::Malformed, QStringLiteral("the part %1 holds no worksheet").arg(xml.Part()));
            continue;
        }
        if (xml.IsEnd("sheetData"))
            inData = false;
        if (!xml.IsStart())
            continue;
        if (!inData) {
            if (xml.Depth() == 1 && xml.IsStart("sheetData"))
                inData = !xml.IsEmptyElement();
            else
                xml.SkipElement();
            continue;
        }
        if (xml.IsStart("row")) {
            if (const std::optional<QString> r = xml.FindAttr("r")) {
                bool ok = false;
                row = r->toInt(&ok);
                if (!ok || row < 1 || row > kMaxRows)
                    return bad(QStringLiteral("row number \"%1\"").arg(*r));
            } else if (++row > kMaxRows) {
                return bad(QStringLiteral("more rows than a sheet has"));
            }
            col = 0;
            continue;
        }
        if (!xml.IsStart("c")) {
            xml.SkipElement();
            continue;
        }
        int cellRow = row;
        const std::optional<QString> ref = xml.FindAttr("r");
        if (ref) {
            if (!ParseCellRef(*ref, &cellRow, &col))
                return bad(QStringLiteral("cell reference \"%1\"").arg(*ref));
        } else if (++col > kMaxCols) {
            return bad(QStringLiteral("more columns than a sheet has in row %1").arg(row));
        }
        if (cellRow < 1)
            return bad(QStringLiteral("a cell outside any row"));

        const QString type = xml.Attr("t");
        bool hasValue = false;
        QString value;
        QString inlineText;
        bool hasInline = false;
        if (!xml.IsEmptyElement()) {
            const int depth = xml.Depth();
            while (xml.NextInside(depth)) {
                if (xml.IsStart("v")) {
                    hasValue = ReadCellText(xml, &value);
                } else if (xml.IsStart("is")) {
                    inlineText = ReadStringItem(xml);
                    hasInline = true;
                } else {
                    xml.SkipElement();
                }
            }
        }
        if (xml.Failed())
            return;

        Cell cell;
        std::int64_t ownText = 0;
        if (type == QLatin1String("inlineStr")) {
            if (!hasInline)
                continue;
            cell.text = inlineText;
            ownText = TextBytes(cell.text);
        } else if (!hasValue) {
            continue;  // a formatted cell without a value
        } else if (type == QLatin1String("s")) {
            bool ok = false;
            const qulonglong i = value.trimmed().toULongLong(&ok);
            if (!ok || i >= m_sharedStrings.size())
                return bad(QStringLiteral("cell %1 names a shared string that does not exist").arg(ref.value_or(QString())));
            cell.text = m_sharedStrings[std::size_t(i)];  // shares the text, costs nothing more
        } else if (type == QLatin1String("str") || type == QLatin1String("d")) {
            cell.text = DecodeEscapes(value);
            ownText = TextBytes(cell.text);
        } else if (type == QLatin1String("b")) {
            const QString b = value.trimmed();
            if (b != QLatin1String("0") && b != QLatin1String("1"))
                return bad(QStringLiteral("boolean \"%1\"").arg(b));
            cell.kind = CellKind::Boolean;
            cell.text = b == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        } else if (type == QLatin1String("e")) {
            cell.kind = CellKind::Error;
            cell.text = value;
            ownText = TextBytes(cell.text);
        } else if (type.isEmpty() || type == QLatin1String("n")) {
            const QString number = value.trimmed();
            if (number.isEmpty())
                continue;  // an empty number is an empty cell, as spreadsheet programs read it
            bool ok = false;
            const double d = number.toLatin1().toDouble(&ok);
            if (!ok || !std::isfinite(d))
                return bad(QStringLiteral("number \"%1\"").arg(value));
            cell.kind = CellKind::Number;
            cell.text = QString::number(d, 'g', 15);
            ownText = TextBytes(cell.text);
        } else {
            return bad(QStringLiteral("cell type \"%1\"").arg(type));
        }

        if (!room(ownText))
            return xml.Refuse(Refusal::TooLarge, QStringLiteral("the sheet \"%1\" holds more cells than a workbook of this station may (%2 MB, %3 cells)")
                                                     .arg(pSheet->name)
                                                     .arg(m_limits.nMaxHeldBytes >> 20)
                                                     .arg(m_limits.nMaxCells));
        const std::int64_t key = Sheet::Key(cellRow, col);
        if (!cells.empty() && key <= cells.back().first)
            sorted = false;
        textBytes += ownText;
        cells.emplace_back(key, std::move(cell));
        if (pSheet->nFirstRow == 0) {
            pSheet->nFirstRow = pSheet->nLastRow = cellRow;
            pSheet->nFirstCol = pSheet->nLastCol = col;
        } else {
            pSheet->nFirstRow = std::min(pSheet->nFirstRow, cellRow);
            pSheet->nLastRow = std::max(pSheet->nLastRow, cellRow);
            pSheet->nFirstCol = std::min(pSheet->nFirstCol, col);
            pSheet->nLastCol = std::max(pSheet->nLastCol, col);
        }
    }
    if (!sorted) {
        // Cells out of order, or one written twice: the last of a cell stands.
        std::stable_sort(cells.begin(), cells.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        std::size_t kept = 0;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (kept > 0 && cells[kept - 1].first == cells[i].first)
                cells[kept - 1] = std::move(cells[i]);
            else if (kept++ != i)
                cells[kept - 1] = std::move(cells[i]);
        }
        cells.resize(kept);
    }
}
