#include "analysis/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <pugixml.hpp>
#include <zip.h>

namespace {

// Producers may write the spreadsheet elements with or without a namespace
// prefix; the local name is what counts.
const char* LocalName(const char* name)
{
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

bool Is(const pugi::xml_node& node, const char* local)
{
    return node.type() == pugi::node_element && std::strcmp(LocalName(node.name()), local) == 0;
}

pugi::xml_node Child(const pugi::xml_node& node, const char* local)
{
    for (const pugi::xml_node& c : node.children()) {
        if (Is(c, local))
            return c;
    }
    return {};
}

pugi::xml_attribute Attr(const pugi::xml_node& node, const char* local)
{
    for (const pugi::xml_attribute& a : node.attributes()) {
        if (std::strcmp(LocalName(a.name()), local) == 0)
            return a;
    }
    return {};
}

QString Utf8(const char* text)
{
    return QString::fromUtf8(text);
}

// All character data directly inside an element.
QString ElementText(const pugi::xml_node& node)
{
    QByteArray bytes;
    for (const pugi::xml_node& c : node.children()) {
        if (c.type() == pugi::node_pcdata || c.type() == pugi::node_cdata)
            bytes += c.value();
    }
    return QString::fromUtf8(bytes);
}

// A string item (<si> or <is>): its plain text, or its rich-text runs joined;
// phonetic hints are not part of the value.
QString StringItemText(const pugi::xml_node& item)
{
    QString text;
    for (const pugi::xml_node& c : item.children()) {
        if (Is(c, "t"))
            text += ElementText(c);
        else if (Is(c, "r"))
            text += ElementText(Child(c, "t"));
    }
    return CXlsxReader::DecodeEscapes(text);
}

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

struct Relationship {
    QString type;
    QString target;  // resolved part path
};

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
    const auto it = cells.find(Key(row, col));
    return it == cells.end() ? nullptr : &it->second;
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

bool CXlsxReader::Fail(const QString& why)
{
    m_strError = why;
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
    m_nBytesRead = 0;
}

bool CXlsxReader::ReadPart(const QString& part, QByteArray* pData, bool bRequired)
{
    pData->clear();
    zip_t* za = m_pArchive->za;
    const QByteArray name = part.toUtf8();
    zip_int64_t index = zip_name_locate(za, name.constData(), 0);
    if (index < 0)
        index = zip_name_locate(za, name.constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return bRequired ? Fail(QStringLiteral("the part %1 is missing").arg(part)) : false;

    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return Fail(QStringLiteral("the part %1 cannot be read: %2").arg(part, Utf8(zip_strerror(za))));
    if (st.size > zip_uint64_t(m_limits.nMaxPartBytes)
        || m_nBytesRead + std::int64_t(st.size) > m_limits.nMaxTotalBytes)
        return Fail(QStringLiteral("the part %1 is larger than a workbook of this station can be (%2 bytes)")
                        .arg(part)
                        .arg(quint64(st.size)));

    zip_file_t* file = zip_fopen_index(za, zip_uint64_t(index), 0);
    if (!file)
        return Fail(QStringLiteral("the part %1 cannot be read: %2").arg(part, Utf8(zip_strerror(za))));
    pData->resize(qsizetype(st.size));
    zip_uint64_t got = 0;
    QString error;
    while (got < st.size) {
        const zip_int64_t n = zip_fread(file, pData->data() + got, st.size - got);
        if (n < 0) {
            error = Utf8(zip_file_strerror(file));
            break;
        }
        if (n == 0)
            break;
        got += zip_uint64_t(n);
    }
    const int closeError = zip_fclose(file);
    if (error.isEmpty() && closeError != 0)
        error = ZipErrorText(closeError);
    if (!error.isEmpty())
        return Fail(QStringLiteral("the part %1 is damaged: %2").arg(part, error));
    if (got != st.size)
        return Fail(QStringLiteral("the part %1 is truncated").arg(part));
    m_nBytesRead += std::int64_t(st.size);
    return true;
}

namespace {

// Parses one part; false with the reason when it is not well-formed.
bool ParseXml(const QByteArray& data, const QString& part, pugi::xml_document* pDoc, QString* pWhy)
{
    // Whitespace-only text is a value in a cell; external entities are never expanded.
    const pugi::xml_parse_result result =
        pDoc->load_buffer(data.constData(), std::size_t(data.size()), pugi::parse_default | pugi::parse_ws_pcdata);
    if (!result) {
        *pWhy = QStringLiteral("the part %1 is not well-formed XML (%2 at byte %3)")
                    .arg(part, Utf8(result.description()))
                    .arg(qint64(result.offset));
        return false;
    }
    return true;
}

std::map<QString, Relationship> ParseRels(const pugi::xml_document& doc, const QString& baseDir)
{
    std::map<QString, Relationship> rels;
    for (const pugi::xml_node& rel : Child(doc, "Relationships").children()) {
        if (!Is(rel, "Relationship"))
            continue;
        if (QString::fromUtf8(Attr(rel, "TargetMode").value()) == QLatin1String("External"))
            continue;
        rels[Utf8(Attr(rel, "Id").value())] =
            Relationship{Utf8(Attr(rel, "Type").value()), ResolveTarget(baseDir, Utf8(Attr(rel, "Target").value()))};
    }
    return rels;
}

} // namespace

bool CXlsxReader::Open(const QString& path)
{
    Close();
    m_strError.clear();
    const QFileInfo info(path);
    if (!info.exists())
        return Fail(QStringLiteral("the file does not exist"));
    if (!info.isFile())
        return Fail(QStringLiteral("it is not a file"));

    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!za) {
        switch (code) {
        case ZIP_ER_NOZIP: {
            // A file that begins like a zip archive but has no directory at its end was cut short.
            QFile file(path);
            const bool zipStart = file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("PK\x03\x04");
            return Fail(zipStart ? QStringLiteral("the file is truncated or damaged")
                                 : QStringLiteral("it is not an .xlsx workbook"));
        }
        case ZIP_ER_INCONS:
        case ZIP_ER_CRC:
        case ZIP_ER_EOF: return Fail(QStringLiteral("the file is truncated or damaged (%1)").arg(ZipErrorText(code)));
        default: return Fail(QStringLiteral("the file cannot be opened (%1)").arg(ZipErrorText(code)));
        }
    }
    m_pArchive = std::make_unique<Archive>();
    m_pArchive->za = za;

    // The package relationships name the workbook part; the usual place otherwise.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    QByteArray data;
    QString why;
    if (ReadPart(QStringLiteral("_rels/.rels"), &data, false)) {
        pugi::xml_document doc;
        if (!ParseXml(data, QStringLiteral("_rels/.rels"), &doc, &why)) {
            Close();
            return Fail(why);
        }
        for (const auto& [id, rel] : ParseRels(doc, QString())) {
            if (rel.type.endsWith(QLatin1String("/officeDocument")))
                workbookPart = rel.target;
        }
    } else if (!m_strError.isEmpty()) {
        Close();
        return false;
    }

    if (!ReadPart(workbookPart, &data, false)) {
        if (m_strError.isEmpty())
            m_strError = QStringLiteral("it is not an .xlsx workbook (it has no workbook part)");
        Close();
        return false;
    }
    pugi::xml_document workbook;
    if (!ParseXml(data, workbookPart, &workbook, &why)) {
        Close();
        return Fail(why);
    }
    if (!Is(workbook.document_element(), "workbook")) {
        Close();
        return Fail(QStringLiteral("it is not an .xlsx workbook (%1 holds no workbook)").arg(workbookPart));
    }

    std::map<QString, Relationship> rels;
    const QString relsPart = RelsOf(workbookPart);
    if (ReadPart(relsPart, &data, true)) {
        pugi::xml_document doc;
        if (!ParseXml(data, relsPart, &doc, &why)) {
            Close();
            return Fail(why);
        }
        rels = ParseRels(doc, FolderOf(workbookPart));
    } else {
        Close();
        return false;
    }

    for (const pugi::xml_node& node : Child(workbook.document_element(), "sheets").children()) {
        if (!Is(node, "sheet"))
            continue;
        const QString name = Utf8(Attr(node, "name").value());
        const auto it = rels.find(Utf8(Attr(node, "id").value()));
        if (it == rels.end()) {
            Close();
            return Fail(QStringLiteral("the sheet \"%1\" has no part").arg(name));
        }
        if (!it->second.type.endsWith(QLatin1String("/worksheet")))
            continue;  // chart and dialog sheets hold no cells
        if (int(m_sheets.size()) >= m_limits.nMaxSheets) {
            Close();
            return Fail(QStringLiteral("it has more than %1 sheets").arg(m_limits.nMaxSheets));
        }
        m_sheets.push_back({name, it->second.target});
    }

    QString sstPart;
    for (const auto& [id, rel] : rels) {
        if (rel.type.endsWith(QLatin1String("/sharedStrings")))
            sstPart = rel.target;
    }
    if (!sstPart.isEmpty() && !LoadSharedStrings(sstPart)) {
        Close();
        return false;
    }
    return true;
}

bool CXlsxReader::LoadSharedStrings(const QString& part)
{
    QByteArray data;
    if (!ReadPart(part, &data, true))
        return false;
    pugi::xml_document doc;
    QString why;
    if (!ParseXml(data, part, &doc, &why))
        return Fail(why);
    for (const pugi::xml_node& si : Child(doc, "sst").children()) {
        if (Is(si, "si"))
            m_sharedStrings.push_back(StringItemText(si));
    }
    return true;
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
    return Fail(QStringLiteral("it has no sheet \"%1\"").arg(name));
}

bool CXlsxReader::ReadSheet(int index, Sheet* pSheet)
{
    *pSheet = Sheet{};
    if (!m_pArchive)
        return Fail(QStringLiteral("no workbook is open"));
    if (index < 0 || index >= int(m_sheets.size()))
        return Fail(QStringLiteral("it has no sheet %1").arg(index + 1));
    const SheetEntry& entry = m_sheets[std::size_t(index)];
    QByteArray data;
    if (!ReadPart(entry.part, &data, true))
        return false;
    pSheet->name = entry.name;
    if (!ParseSheet(data, entry.part, pSheet)) {
        *pSheet = Sheet{};
        return false;
    }
    return true;
}

bool CXlsxReader::ParseSheet(const QByteArray& xml, const QString& part, Sheet* pSheet)
{
    pugi::xml_document doc;
    QString why;
    if (!ParseXml(xml, part, &doc, &why))
        return Fail(why);
    const pugi::xml_node root = doc.document_element();
    if (!Is(root, "worksheet"))
        return Fail(QStringLiteral("the part %1 holds no worksheet").arg(part));

    auto bad = [&](const QString& what) {
        return Fail(QStringLiteral("the sheet \"%1\" is malformed: %2").arg(pSheet->name, what));
    };
    int row = 0;
    for (const pugi::xml_node& rowNode : Child(root, "sheetData").children()) {
        if (!Is(rowNode, "row"))
            continue;
        if (const pugi::xml_attribute r = Attr(rowNode, "r")) {
            bool ok = false;
            row = QString::fromUtf8(r.value()).toInt(&ok);
            if (!ok || row < 1 || row > kMaxRows)
                return bad(QStringLiteral("row number \"%1\"").arg(Utf8(r.value())));
        } else if (++row > kMaxRows) {
            return bad(QStringLiteral("more rows than a sheet has"));
        }
        int col = 0;
        for (const pugi::xml_node& c : rowNode.children()) {
            if (!Is(c, "c"))
                continue;
            int cellRow = row;
            if (const pugi::xml_attribute r = Attr(c, "r")) {
                if (!ParseCellRef(Utf8(r.value()), &cellRow, &col))
                    return bad(QStringLiteral("cell reference \"%1\"").arg(Utf8(r.value())));
            } else if (++col > kMaxCols) {
                return bad(QStringLiteral("more columns than a sheet has in row %1").arg(row));
            }

            const QString type = Utf8(Attr(c, "t").value());
            const pugi::xml_node v = Child(c, "v");
            Cell cell;
            if (type == QLatin1String("inlineStr")) {
                cell.text = StringItemText(Child(c, "is"));
            } else if (!v) {
                continue;  // a formatted cell without a value
            } else if (type == QLatin1String("s")) {
                bool ok = false;
                const qulonglong i = ElementText(v).trimmed().toULongLong(&ok);
                if (!ok || i >= m_sharedStrings.size())
                    return bad(QStringLiteral("cell %1 names a shared string that does not exist").arg(Utf8(Attr(c, "r").value())));
                cell.text = m_sharedStrings[std::size_t(i)];
            } else if (type == QLatin1String("str") || type == QLatin1String("d")) {
                cell.text = DecodeEscapes(ElementText(v));
            } else if (type == QLatin1String("b")) {
                const QString b = ElementText(v).trimmed();
                if (b != QLatin1String("0") && b != QLatin1String("1"))
                    return bad(QStringLiteral("boolean \"%1\"").arg(b));
                cell.kind = CellKind::Boolean;
                cell.text = b == QLatin1String("1") ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            } else if (type == QLatin1String("e")) {
                cell.kind = CellKind::Error;
                cell.text = ElementText(v);
            } else if (type.isEmpty() || type == QLatin1String("n")) {
                bool ok = false;
                const double d = ElementText(v).trimmed().toLatin1().toDouble(&ok);
                if (!ok || !std::isfinite(d))
                    return bad(QStringLiteral("number \"%1\"").arg(ElementText(v)));
                cell.kind = CellKind::Number;
                cell.text = QString::number(d, 'g', 15);
            } else {
                return bad(QStringLiteral("cell type \"%1\"").arg(type));
            }

            if (std::int64_t(pSheet->cells.size()) >= m_limits.nMaxCells)
                return Fail(QStringLiteral("the sheet \"%1\" has more than %2 cells").arg(pSheet->name).arg(m_limits.nMaxCells));
            pSheet->cells[Sheet::Key(cellRow, col)] = std::move(cell);
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
    }
    return true;
}
