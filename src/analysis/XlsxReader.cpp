#include "analysis/XlsxReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QXmlStreamReader>
#include <algorithm>
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
}

bool CXlsxReader::FindPart(const QString& part, std::int64_t* pIndex, std::uint64_t* pSize, bool bRequired)
{
    zip_t* za = m_pArchive->za;
    const QByteArray name = part.toUtf8();
    zip_int64_t index = zip_name_locate(za, name.constData(), 0);
    if (index < 0)
        index = zip_name_locate(za, name.constData(), ZIP_FL_NOCASE);
    if (index < 0)
        return bRequired ? Fail(Refusal::Damaged, QStringLiteral("the part %1 is missing").arg(part)) : false;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(za, zip_uint64_t(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return Fail(Refusal::Damaged, QStringLiteral("the part %1 cannot be read: %2").arg(part, Utf8(zip_strerror(za))));
    *pIndex = index;
    *pSize = st.size;
    return true;
}

bool CXlsxReader::ReadPart(const QString& part, QByteArray* pData, bool bRequired)
{
    pData->clear();
    zip_t* za = m_pArchive->za;
    std::int64_t index = 0;
    zip_stat_t st;
    zip_stat_init(&st);
    if (!FindPart(part, &index, &st.size, bRequired))
        return false;
    if (st.size > zip_uint64_t(m_limits.nMaxPartBytes)
        || m_nBytesRead + std::int64_t(st.size) > m_limits.nMaxTotalBytes)
        return Fail(Refusal::TooLarge, QStringLiteral("the part %1 is larger than a workbook of this station can be (%2 bytes)")
                        .arg(part)
                        .arg(quint64(st.size)));

    zip_file_t* file = zip_fopen_index(za, zip_uint64_t(index), 0);
    if (!file)
        return Fail(Refusal::Damaged, QStringLiteral("the part %1 cannot be read: %2").arg(part, Utf8(zip_strerror(za))));
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
        return Fail(Refusal::Damaged, QStringLiteral("the part %1 is damaged: %2").arg(part, error));
    if (got != st.size)
        return Fail(Refusal::Damaged, QStringLiteral("the part %1 is truncated").arg(part));
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
    Fail(Refusal::None, QString());
    const QFileInfo info(path);
    if (!info.exists())
        return Fail(Refusal::FileMissing, QStringLiteral("the file does not exist"));
    if (!info.isFile())
        return Fail(Refusal::NotAFile, QStringLiteral("it is not a file"));

    int code = 0;
    zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!za) {
        switch (code) {
        case ZIP_ER_NOZIP: {
            // A file that begins like a zip archive but has no directory at its end was cut short.
            QFile file(path);
            const bool zipStart = file.open(QIODevice::ReadOnly) && file.read(4) == QByteArrayLiteral("PK\x03\x04");
            return zipStart ? Fail(Refusal::Damaged, QStringLiteral("the file is truncated or damaged"))
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

    // The package relationships name the workbook part; the usual place otherwise.
    QString workbookPart = QStringLiteral("xl/workbook.xml");
    QByteArray data;
    QString why;
    if (ReadPart(QStringLiteral("_rels/.rels"), &data, false)) {
        pugi::xml_document doc;
        if (!ParseXml(data, QStringLiteral("_rels/.rels"), &doc, &why)) {
            Close();
            return Fail(Refusal::Malformed, why, QStringLiteral("_rels/.rels"));
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
            Fail(Refusal::NotAWorkbook, QStringLiteral("it is not an .xlsx workbook (it has no workbook part)"));
        Close();
        return false;
    }
    pugi::xml_document workbook;
    if (!ParseXml(data, workbookPart, &workbook, &why)) {
        Close();
        return Fail(Refusal::Malformed, why, workbookPart);
    }
    if (!Is(workbook.document_element(), "workbook")) {
        Close();
        return Fail(Refusal::NotAWorkbook, QStringLiteral("it is not an .xlsx workbook (%1 holds no workbook)").arg(workbookPart));
    }

    std::map<QString, Relationship> rels;
    const QString relsPart = RelsOf(workbookPart);
    if (ReadPart(relsPart, &data, true)) {
        pugi::xml_document doc;
        if (!ParseXml(data, relsPart, &doc, &why)) {
            Close();
            return Fail(Refusal::Malformed, why, relsPart);
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
            return Fail(Refusal::Malformed, QStringLiteral("the sheet \"%1\" has no part").arg(name), name);
        }
        if (!it->second.type.endsWith(QLatin1String("/worksheet")))
            continue;  // chart and dialog sheets hold no cells
        if (int(m_sheets.size()) >= m_limits.nMaxSheets) {
            Close();
            return Fail(Refusal::TooLarge, QStringLiteral("it has more than %1 sheets").arg(m_limits.nMaxSheets));
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

// ---- streamed parts ------------------------------------------------------

namespace {

// Longest stretch of a streamed part between two '<': the longest cell text,
// escaped, fits many times over; anything longer would have to be held whole.
constexpr std::int64_t kMaxRunBytes = 1 << 20;
// What one kept text costs besides its characters (header and allocation).
constexpr std::int64_t kTextOverhead = 32;

// The most characters one cell holds in a spreadsheet program.
constexpr qsizetype kMaxCellChars = 32767;

// The text of the element just started. Markup inside it (a processing
// instruction, say) would otherwise let a text of any length be joined whole:
// once it passes what a cell holds, the reader stops with an error.
QString ReadCellText(QXmlStreamReader& xml, QString text = QString())
{
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            break;
        if (token == QXmlStreamReader::StartElement) {
            xml.raiseError(QStringLiteral("an element inside a text"));
            break;
        }
        if (token == QXmlStreamReader::Characters || token == QXmlStreamReader::EntityReference)
            text += xml.text();
        if (text.size() > kMaxCellChars) {
            xml.raiseError(QStringLiteral("a text longer than a cell can hold"));
            break;
        }
    }
    return text;
}

std::int64_t TextBytes(const QString& text)
{
    return std::int64_t(text.size()) * 2 + kTextOverhead;
}

bool IsName(const QXmlStreamReader& xml, const char* local)
{
    return xml.name() == QLatin1StringView(local);
}

QString AttrOf(const QXmlStreamReader& xml, const char* local)
{
    for (const QXmlStreamAttribute& a : xml.attributes()) {
        if (a.name() == QLatin1StringView(local))
            return a.value().toString();
    }
    return {};
}

bool HasAttr(const QXmlStreamReader& xml, const char* local)
{
    const auto attrs = xml.attributes();
    return std::any_of(attrs.begin(), attrs.end(), [local](const QXmlStreamAttribute& a) {
        return a.name() == QLatin1StringView(local);
    });
}

// A string item (<si> or <is>) from its start tag to its end: its plain text,
// or its rich-text runs joined; phonetic hints are not part of the value.
QString StreamStringItem(QXmlStreamReader& xml)
{
    QString text;
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (IsName(xml, "t")) {
                text = ReadCellText(xml, std::move(text));
            } else if (IsName(xml, "r")) {
                ++depth;
            } else {
                xml.skipCurrentElement();
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth == 0)
                break;
            --depth;
        }
    }
    return CXlsxReader::DecodeEscapes(text);
}

} // namespace

// One part of the archive read as it unpacks. Refuses a part that outgrows the
// reader's limits and markup that would make the parser hold a large piece
// whole (declarations, comments and unbroken runs of text beyond kMaxRunBytes).
class CXlsxReader::PartDevice : public QIODevice {
public:
    PartDevice(zip_file_t* file, std::int64_t nAllowed)
        : m_file(file)
        , m_nAllowed(nAllowed)
    {
        open(QIODevice::ReadOnly);
    }
    ~PartDevice() override
    {
        if (m_file)
            zip_fclose(m_file);
    }
    bool isSequential() const override { return true; }
    std::int64_t BytesRead() const { return m_nRead; }
    QString Problem() const { return m_strProblem; }
    Refusal ProblemKind() const { return m_problemKind; }

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (!m_strProblem.isEmpty())
            return -1;
        const zip_int64_t n = zip_fread(m_file, data, zip_uint64_t(maxSize));
        if (n < 0) {
            Problem(Refusal::Damaged, QStringLiteral("it is damaged: ") + Utf8(zip_file_strerror(m_file)));
            return -1;
        }
        m_nRead += n;
        if (m_nRead > m_nAllowed) {
            Problem(Refusal::TooLarge, QStringLiteral("it unpacks to more than a workbook of this station can be"));
            return -1;
        }
        for (zip_int64_t i = 0; i < n; ++i) {
            const char c = data[i];
            if (m_bAfterOpen && c == '!') {
                Problem(Refusal::Malformed, QStringLiteral("it holds declarations or comments, which a sheet never has"));
                return -1;
            }
            m_bAfterOpen = c == '<';
            m_nRun = m_bAfterOpen ? 0 : m_nRun + 1;
            if (m_nRun > kMaxRunBytes) {
                Problem(Refusal::TooLarge, QStringLiteral("it holds a text longer than a cell can"));
                return -1;
            }
        }
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void Problem(Refusal kind, const QString& what)
    {
        m_problemKind = kind;
        m_strProblem = what;
    }

    zip_file_t* m_file;
    std::int64_t m_nAllowed;
    std::int64_t m_nRead = 0;
    std::int64_t m_nRun = 0;
    bool m_bAfterOpen = false;
    QString m_strProblem;
    Refusal m_problemKind = Refusal::None;
};

namespace {

// Runs a streamed part through `handle`; false with the reason and its kind
// when the part or its XML is bad.
template <typename Handler>
bool StreamXml(CXlsxReader::PartDevice& device, const QString& part, QString* pWhy, CXlsxReader::Refusal* pKind,
               Handler handle)
{
    QXmlStreamReader xml(&device);
    const bool handled = handle(xml);
    *pKind = device.ProblemKind();
    if (!device.Problem().isEmpty()) {
        *pWhy = QStringLiteral("the part %1 is refused: %2").arg(part, device.Problem());
        return false;
    }
    if (xml.hasError()) {
        *pKind = CXlsxReader::Refusal::Malformed;
        *pWhy = QStringLiteral("the part %1 is not well-formed XML (%2 at line %3)")
                    .arg(part, xml.errorString())
                    .arg(xml.lineNumber());
        return false;
    }
    return handled;
}

} // namespace

bool CXlsxReader::LoadSharedStrings(const QString& part)
{
    std::int64_t index = 0;
    std::uint64_t size = 0;
    if (!FindPart(part, &index, &size, true))
        return false;
    zip_file_t* file = zip_fopen_index(m_pArchive->za, zip_uint64_t(index), 0);
    if (!file)
        return Fail(Refusal::Damaged, QStringLiteral("the part %1 cannot be read: %2").arg(part, Utf8(zip_strerror(m_pArchive->za))));
    PartDevice device(file, m_limits.nMaxTotalBytes - m_nBytesRead);
    QString why;
    Refusal kind = Refusal::None;
    bool tooMany = false;
    const bool ok = StreamXml(device, part, &why, &kind, [&](QXmlStreamReader& xml) {
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement || !IsName(xml, "si"))
                continue;
            QString text = StreamStringItem(xml);
            if (m_sharedStrings.size() == m_sharedStrings.capacity()) {
                const std::int64_t grown = std::int64_t(std::max<std::size_t>(16, m_sharedStrings.capacity() * 2));
                const std::int64_t capacityBytes = std::int64_t(sizeof(QString)) * (grown - std::int64_t(m_sharedStrings.capacity()));
                if (m_nSharedBytes + capacityBytes > m_limits.nMaxHeldBytes) {
                    tooMany = true;
                    return false;
                }
                m_sharedStrings.reserve(std::size_t(grown));
                m_nSharedBytes += capacityBytes;
            }
            m_nSharedBytes += TextBytes(text);
            if (m_nSharedBytes > m_limits.nMaxHeldBytes) {
                tooMany = true;
                return false;
            }
            m_sharedStrings.push_back(std::move(text));
        }
        return true;
    });
    m_nBytesRead += device.BytesRead();
    if (tooMany)
        return Fail(Refusal::TooLarge, QStringLiteral("its shared texts need more than the %1 MB a workbook of this station may hold")
                        .arg(m_limits.nMaxHeldBytes >> 20));
    return ok || Fail(kind, why, part);
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
    std::int64_t partIndex = 0;
    std::uint64_t size = 0;
    if (!FindPart(entry.part, &partIndex, &size, true))
        return false;
    zip_file_t* file = zip_fopen_index(m_pArchive->za, zip_uint64_t(partIndex), 0);
    if (!file)
        return Fail(Refusal::Damaged, QStringLiteral("the part %1 cannot be read: %2").arg(entry.part, Utf8(zip_strerror(m_pArchive->za))));
    PartDevice device(file, m_limits.nMaxTotalBytes - m_nBytesRead);
    pSheet->name = entry.name;
    const bool ok = ParseSheet(device, entry.part, pSheet);
    m_nBytesRead += device.BytesRead();
    if (!ok) {
        *pSheet = Sheet{};
        return false;
    }
    return true;
}

bool CXlsxReader::ParseSheet(PartDevice& device, const QString& part, Sheet* pSheet)
{
    QString reason;  // a refusal of the cells themselves, found while streaming
    Refusal reasonKind = Refusal::Malformed;
    auto bad = [&](const QString& what) {
        reason = QStringLiteral("the sheet \"%1\" is malformed: %2").arg(pSheet->name, what);
        return false;
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

    QString why;
    Refusal kind = Refusal::None;
    const bool streamed = StreamXml(device, part, &why, &kind, [&](QXmlStreamReader& xml) {
        if (xml.readNextStartElement() && !IsName(xml, "worksheet")) {
            reason = QStringLiteral("the part %1 holds no worksheet").arg(part);
            return false;
        }
        int row = 0;
        int col = 0;
        bool inData = false;  // cells are only those of <sheetData>
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && IsName(xml, "sheetData"))
                inData = false;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (!inData) {
                if (IsName(xml, "sheetData"))
                    inData = true;
                else
                    xml.skipCurrentElement();
                continue;
            }
            if (IsName(xml, "row")) {
                if (HasAttr(xml, "r")) {
                    bool ok = false;
                    const QString r = AttrOf(xml, "r");
                    row = r.toInt(&ok);
                    if (!ok || row < 1 || row > kMaxRows)
                        return bad(QStringLiteral("row number \"%1\"").arg(r));
                } else if (++row > kMaxRows) {
                    return bad(QStringLiteral("more rows than a sheet has"));
                }
                col = 0;
                continue;
            }
            if (!IsName(xml, "c")) {
                xml.skipCurrentElement();
                continue;
            }
            int cellRow = row;
            const QString ref = AttrOf(xml, "r");
            if (HasAttr(xml, "r")) {
                if (!ParseCellRef(ref, &cellRow, &col))
                    return bad(QStringLiteral("cell reference \"%1\"").arg(ref));
            } else if (++col > kMaxCols) {
                return bad(QStringLiteral("more columns than a sheet has in row %1").arg(row));
            }
            if (cellRow < 1)
                return bad(QStringLiteral("a cell outside any row"));

            const QString type = AttrOf(xml, "t");
            bool hasValue = false;
            QString value;
            QString inlineText;
            bool hasInline = false;
            while (!xml.atEnd()) {
                const QXmlStreamReader::TokenType token = xml.readNext();
                if (token == QXmlStreamReader::EndElement)
                    break;
                if (token != QXmlStreamReader::StartElement)
                    continue;
                if (IsName(xml, "v")) {
                    value = ReadCellText(xml);
                    hasValue = true;
                } else if (IsName(xml, "is")) {
                    inlineText = StreamStringItem(xml);
                    hasInline = true;
                } else {
                    xml.skipCurrentElement();
                }
            }
            if (xml.hasError())
                return false;  // said as the part's XML error

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
                    return bad(QStringLiteral("cell %1 names a shared string that does not exist").arg(ref));
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

            if (!room(ownText)) {
                reasonKind = Refusal::TooLarge;
                reason = QStringLiteral("the sheet \"%1\" holds more cells than a workbook of this station may (%2 MB)")
                             .arg(pSheet->name)
                             .arg(m_limits.nMaxHeldBytes >> 20);
                return false;
            }
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
        return true;
    });
    if (!reason.isEmpty())
        return Fail(reasonKind, reason, pSheet->name);
    if (!streamed)
        return Fail(kind, why, part);
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
    return true;
}
