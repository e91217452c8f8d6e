#include "analysis/XlsxPartStream.h"

#include <cstring>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>
#include <mutex>
#include <zip.h>

namespace {

using Refusal = CXlsxReader::Refusal;

constexpr zip_uint64_t kChunk = 16 * 1024;
// Nodes between two looks at the clock: even the slowest node the scan lets
// through takes microseconds.
constexpr std::int64_t kNodesPerClockLook = 64;

// No entity substitution, no DTD loading, no network and no XML_PARSE_HUGE:
// the parser's own limits stay on. CDATA reads as text.
constexpr int kParseOptions =
    XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_IGNORE_ENC | XML_PARSE_NOCDATA;

void InitParserOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { xmlInitParser(); });
}

const char* Chars(const xmlChar* text)
{
    return reinterpret_cast<const char*>(text);
}

} // namespace

CXlsxPartStream::CXlsxPartStream(zip_file* file, const QString& part, std::int64_t nMaxBytes, std::int64_t nMaxWork,
                                 QDeadlineTimer deadline)
    : m_file(file)
    , m_strPart(part)
    , m_nMaxBytes(nMaxBytes)
    , m_nMaxWork(nMaxWork)
    , m_deadline(deadline)
{
    InitParserOnce();
    m_pXml = xmlReaderForIO(&CXlsxPartStream::ReadCallback, nullptr, this, nullptr, "UTF-8", kParseOptions);
    if (!m_pXml) {
        Refuse(Refusal::TooLarge, QStringLiteral("the part %1 cannot be read: no memory for its parser").arg(part));
        return;
    }
    xmlTextReaderSetStructuredErrorHandler(m_pXml, &CXlsxPartStream::ErrorCallback, this);
}

CXlsxPartStream::~CXlsxPartStream()
{
    if (m_pXml)
        xmlFreeTextReader(m_pXml);
    if (m_file)
        zip_fclose(m_file);
}

void CXlsxPartStream::Refuse(Refusal kind, const QString& why)
{
    if (Failed())
        return;  // the first reason stands
    m_refusal = kind;
    m_strWhy = why;
}

bool CXlsxPartStream::CountWork(std::int64_t n)
{
    m_nWork += n;
    if (m_nWork <= m_nMaxWork)
        return true;
    Refuse(Refusal::TooLarge, QStringLiteral("the part %1 holds more elements than a workbook of this station may").arg(m_strPart));
    return false;
}

// A backstop for whatever costs time that no other bound foresaw: the window
// waits for the read, so a workbook that takes too long is refused.
bool CXlsxPartStream::InTime()
{
    if (!m_deadline.hasExpired())
        return true;
    Refuse(Refusal::TooSlow, QStringLiteral("reading the part %1 takes longer than a workbook of this station may").arg(m_strPart));
    return false;
}

bool CXlsxPartStream::Next()
{
    if (Failed() || m_bEnded)
        return false;
    const int result = xmlTextReaderRead(m_pXml);
    if (result == 1)
        return CountWork(1) && (m_nWork % kNodesPerClockLook != 0 || InTime());
    m_bEnded = true;
    if (result < 0)
        Refuse(Refusal::Malformed, QStringLiteral("the part %1 is not well-formed XML").arg(m_strPart));
    return false;
}

void CXlsxPartStream::SkipElement()
{
    // Node by node, so that what is skipped still counts as work.
    if (!IsStart() || IsEmptyElement())
        return;
    const int depth = Depth();
    while (NextInside(depth)) {
    }
}

bool CXlsxPartStream::NextInside(int depth)
{
    return Next() && !(IsEnd() && Depth() == depth);
}

bool CXlsxPartStream::Found(const char* local) const
{
    const xmlChar* name = xmlTextReaderConstLocalName(m_pXml);
    return name && std::strcmp(Chars(name), local) == 0;
}

bool CXlsxPartStream::IsStart() const
{
    return !Failed() && xmlTextReaderNodeType(m_pXml) == XML_READER_TYPE_ELEMENT;
}

bool CXlsxPartStream::IsEnd() const
{
    return !Failed() && xmlTextReaderNodeType(m_pXml) == XML_READER_TYPE_END_ELEMENT;
}

bool CXlsxPartStream::IsStart(const char* local) const
{
    return IsStart() && Found(local);
}

bool CXlsxPartStream::IsEnd(const char* local) const
{
    return IsEnd() && Found(local);
}

bool CXlsxPartStream::IsText() const
{
    if (Failed())
        return false;
    switch (xmlTextReaderNodeType(m_pXml)) {
    case XML_READER_TYPE_TEXT:
    case XML_READER_TYPE_CDATA:
    case XML_READER_TYPE_WHITESPACE:
    case XML_READER_TYPE_SIGNIFICANT_WHITESPACE: return true;
    default: return false;
    }
}

bool CXlsxPartStream::IsEmptyElement() const
{
    return xmlTextReaderIsEmptyElement(m_pXml) == 1;
}

int CXlsxPartStream::Depth() const
{
    return xmlTextReaderDepth(m_pXml);
}

std::optional<QString> CXlsxPartStream::FindAttr(const char* local) const
{
    std::optional<QString> value;
    for (int more = xmlTextReaderMoveToFirstAttribute(m_pXml); more == 1 && !value;
         more = xmlTextReaderMoveToNextAttribute(m_pXml)) {
        if (Found(local))
            value = QString::fromUtf8(Chars(xmlTextReaderConstValue(m_pXml)));
    }
    xmlTextReaderMoveToElement(m_pXml);
    return value;
}

QString CXlsxPartStream::Attr(const char* local) const
{
    return FindAttr(local).value_or(QString());
}

QString CXlsxPartStream::Text() const
{
    return QString::fromUtf8(Chars(xmlTextReaderConstValue(m_pXml)));
}

std::int64_t CXlsxPartStream::TextBytes() const
{
    const xmlChar* value = xmlTextReaderConstValue(m_pXml);
    return value ? std::int64_t(std::strlen(Chars(value))) : 0;
}

// ---- the bytes the parser gets -----------------------------------------------

int CXlsxPartStream::ReadCallback(void* context, char* buffer, int len)
{
    return static_cast<CXlsxPartStream*>(context)->Feed(buffer, len);
}

void CXlsxPartStream::ErrorCallback(void* context, xmlErrorPtr error)
{
    auto* self = static_cast<CXlsxPartStream*>(context);
    if (!error || error->level < XML_ERR_ERROR)
        return;
    const QString message = QString::fromUtf8(error->message ? error->message : "").trimmed();
    // The parser's limits are what a hostile part meets: say that it is too large.
    const bool limit = error->code == XML_ERR_NO_MEMORY || message.contains(QLatin1String("huge"), Qt::CaseInsensitive)
                       || message.contains(QLatin1String("Excessive")) || message.contains(QLatin1String("too big"))
                       || message.contains(QLatin1String("too long"));
    self->Refuse(limit ? Refusal::TooLarge : Refusal::Malformed,
                 QStringLiteral("the part %1 is not well-formed XML (%2 at line %3)").arg(self->m_strPart, message).arg(error->line));
}

int CXlsxPartStream::Feed(char* buffer, int len)
{
    if (Failed())
        return -1;
    while (m_nPendingAt >= m_pending.size()) {
        m_pending.clear();
        m_nPendingAt = 0;
        if (!Refill())
            return Failed() ? -1 : 0;
    }
    const int n = int(std::min<qsizetype>(len, m_pending.size() - m_nPendingAt));
    std::memcpy(buffer, m_pending.constData() + m_nPendingAt, std::size_t(n));
    m_nPendingAt += n;
    return n;
}

// Unpacks the next piece; false at the end of the part or on a refusal.
bool CXlsxPartStream::Refill()
{
    QByteArray raw(qsizetype(kChunk), Qt::Uninitialized);
    const zip_int64_t n = zip_fread(m_file, raw.data(), kChunk);
    if (n < 0) {
        Refuse(Refusal::Damaged, QStringLiteral("the part %1 is damaged: %2").arg(m_strPart, QString::fromUtf8(zip_file_strerror(m_file))));
        return false;
    }
    if (n == 0)
        return false;
    raw.truncate(qsizetype(n));
    m_nBytes += n;
    if (!InTime())
        return false;
    if (m_nBytes > m_nMaxBytes) {
        Refuse(Refusal::TooLarge, QStringLiteral("the part %1 unpacks to more than a workbook of this station may").arg(m_strPart));
        return false;
    }
    if (m_nBytes == n) {
        // A part is UTF-8 or UTF-16, told by its first bytes (ECMA-376 allows no other).
        const auto at = [&raw](qsizetype i) { return i < raw.size() ? quint8(raw[i]) : 0xFFu; };
        if ((at(0) == 0xFF && at(1) == 0xFE) || (at(0) == '<' && at(1) == 0)) {
            m_decoder = QStringDecoder(QStringConverter::Utf16LE);
        } else if ((at(0) == 0xFE && at(1) == 0xFF) || (at(0) == 0 && at(1) == '<')) {
            m_decoder = QStringDecoder(QStringConverter::Utf16BE);
        } else if (at(0) == 0xEF && at(1) == 0xBB && at(2) == 0xBF) {
            raw.remove(0, 3);
        }
    }
    m_pending = m_decoder.isValid() ? QString(m_decoder.decode(raw)).toUtf8() : std::move(raw);
    return Scan();
}

// Follows the markup the parser is about to read, for what its limits leave open.
bool CXlsxPartStream::Scan()
{
    using P = CXlsxMarkupScan::Problem;
    const std::int64_t attributes = m_scan.Attributes();
    if (!m_scan.Feed(m_pending.constData(), m_pending.size())) {
        switch (m_scan.Found()) {
        case P::DocumentType:
            Refuse(Refusal::Malformed, QStringLiteral("the part %1 declares a document type, which a workbook part never has").arg(m_strPart));
            break;
        case P::Namespaces:
            Refuse(Refusal::Namespaces, QStringLiteral("the part %1 declares more than %2 namespaces in scope at once")
                                            .arg(m_strPart)
                                            .arg(CXlsxMarkupScan::kMaxNamespaces));
            break;
        case P::TooLong:
            Refuse(Refusal::TooLarge, QStringLiteral("the part %1 has a tag, text, comment or instruction of more than %2 KB")
                                          .arg(m_strPart)
                                          .arg(CXlsxMarkupScan::kMaxPieceBytes >> 10));
            break;
        case P::Attributes:
            Refuse(Refusal::TooLarge, QStringLiteral("the part %1 has a tag with more than %2 attributes")
                                          .arg(m_strPart)
                                          .arg(CXlsxMarkupScan::kMaxAttributes));
            break;
        default:
            Refuse(Refusal::TooLarge, QStringLiteral("the part %1 uses more than %2 different names and short texts")
                                          .arg(m_strPart)
                                          .arg(CXlsxMarkupScan::kMaxNames));
        }
        return false;
    }
    return CountWork(m_scan.Attributes() - attributes);
}
