#include "analysis/XlsxMarkupScan.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kFnvBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;
const char kDoctype[] = "<!DOCTYPE";
const char kCData[] = "[CDATA[";
constexpr qsizetype kShortValue = 3;   // the parser keeps values and texts this short
constexpr qsizetype kBlankText = 60;   // and texts shorter than this that begin with a blank

constexpr std::uint64_t Hash(const char* text)
{
    std::uint64_t hash = kFnvBasis;
    for (; *text; ++text)
        hash = (hash ^ std::uint8_t(*text)) * kFnvPrime;
    return hash;
}

constexpr std::uint64_t kXmlnsHash = Hash("xmlns");

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool EndsName(char c)
{
    return IsBlank(c) || c == '=' || c == '>' || c == '/' || c == '?' || c == '"' || c == '\'';
}

} // namespace

bool CXlsxMarkupScan::Feed(const char* data, qsizetype size)
{
    for (qsizetype i = 0; i < size && m_problem == Problem::None; ++i) {
        if (++m_nPiece > kMaxPieceBytes) {
            Fail(Problem::TooLong);
            break;
        }
        Step(data[i]);
        m_prev = data[i];
    }
    return m_problem == Problem::None;
}

bool CXlsxMarkupScan::Fail(Problem problem)
{
    m_problem = problem;
    return false;
}

void CXlsxMarkupScan::StartToken()
{
    m_hash = kFnvBasis;
    m_nLength = 0;
    m_bReference = false;
}

void CXlsxMarkupScan::AddToToken(char c)
{
    if (m_nLength == 0)
        m_bBlankFirst = IsBlank(c);
    m_hash = (m_hash ^ std::uint8_t(c)) * kFnvPrime;
    ++m_nLength;
    m_bReference = m_bReference || c == '&';
}

bool CXlsxMarkupScan::Keep(std::uint64_t hash)
{
    m_names.insert(hash);
    return int(m_names.size()) <= kMaxNames || Fail(Problem::Names);
}

bool CXlsxMarkupScan::EndName()
{
    // An attribute "xmlns" or "xmlns:p" declares a namespace, whose value is kept whole.
    m_bNamespaceValue = m_at == At::AttrName && (m_bXmlnsPrefix || (!m_bPrefixed && m_hash == kXmlnsHash));
    if (m_bNamespaceValue && m_nInScope + ++m_nTagNamespaces > kMaxNamespaces)
        return Fail(Problem::Namespaces);
    return m_nLength == 0 || Keep(m_hash);
}

bool CXlsxMarkupScan::EndValue()
{
    const bool kept = m_nLength <= kShortValue || m_bNamespaceValue;
    return !kept || Keep(m_hash);
}

bool CXlsxMarkupScan::EndText()
{
    if (m_nLength == 0 || m_bReference)
        return true;  // a text that a reference splits is kept in pieces the parser does not keep
    const bool kept = m_nLength <= kShortValue || (m_bBlankFirst && m_nLength < kBlankText);
    return !kept || Keep(m_hash);
}

bool CXlsxMarkupScan::StartMarkup()
{
    if (m_at == At::Text && !EndText())
        return false;
    m_at = At::TagStart;
    m_nTagAttrs = 0;
    m_nTagNamespaces = 0;
    m_bEndTag = false;
    m_nDoctype = 1;
    m_nPiece = 1;
    return true;
}

void CXlsxMarkupScan::EndMarkup()
{
    m_at = At::Text;
    StartToken();
    m_nPiece = 0;
}

// A start tag opens an element with the namespaces it declares; its end tag
// closes them. An empty element declares them for itself alone.
void CXlsxMarkupScan::EndTag()
{
    if (m_bEndTag) {
        if (!m_declared.empty() && m_declared.back().first == m_nDepth) {
            m_nInScope -= m_declared.back().second;
            m_declared.pop_back();
        }
        m_nDepth = std::max<std::int64_t>(m_nDepth - 1, 0);
    } else if (m_prev != '/') {
        ++m_nDepth;
        if (m_nTagNamespaces > 0) {
            m_declared.emplace_back(m_nDepth, m_nTagNamespaces);
            m_nInScope += m_nTagNamespaces;
        }
    }
    EndMarkup();
}

// After "<!": a comment, a CDATA section, or a declaration.
bool CXlsxMarkupScan::StepBang(char c)
{
    const int n = m_nBang++;
    // The two openings differ from their first byte on: the byte before tells which one is followed.
    const bool comment = n < 2 && c == '-' && (n == 0 || m_prev == '-');
    const bool cdata = n < int(sizeof(kCData)) - 1 && c == kCData[n] && (n == 0 || m_prev == kCData[n - 1]);
    if (!comment && !cdata) {
        m_at = At::Declaration;  // "<!DOCTYPE" among them, found where the tag began
        if (c == '>')
            EndMarkup();
    } else if ((comment && n == 1) || (cdata && n == int(sizeof(kCData)) - 2)) {
        m_at = comment ? At::Comment : At::CData;
        m_last = m_beforeLast = 0;
    }
    return true;
}

// Inside a comment, CDATA section or instruction, up to its end: "-->", "]]>" or "?>".
bool CXlsxMarkupScan::StepSection(char c, char last, char beforeLast)
{
    if (c == '>' && m_last == last && (beforeLast == 0 || m_beforeLast == beforeLast)) {
        EndMarkup();
        return true;
    }
    m_beforeLast = m_last;
    m_last = c;
    return true;
}

bool CXlsxMarkupScan::Step(char c)
{
    switch (m_at) {
    case At::Comment: return StepSection(c, '-', '-');
    case At::CData: return StepSection(c, ']', ']');
    case At::Instruction: return StepSection(c, '?', 0);
    default: break;
    }
    if (c == '<')
        return StartMarkup();  // elsewhere a '<' always begins markup: it cannot stand in a value or a text
    if (m_nDoctype > 0) {
        m_nDoctype = c == kDoctype[m_nDoctype] ? m_nDoctype + 1 : 0;
        if (m_nDoctype == int(sizeof(kDoctype)) - 1)
            return Fail(Problem::DocumentType);
    }
    switch (m_at) {
    case At::Text:
        AddToToken(c);
        return true;
    case At::TagStart:
        if (c == '!') {
            m_at = At::Bang;
            m_nBang = 0;
        } else if (c == '?') {
            m_at = At::Target;  // an instruction, whose target is a name
            StartToken();
        } else if (c == '/') {
            m_bEndTag = true;
        } else if (c == '>') {
            EndTag();
        } else if (!EndsName(c)) {
            m_at = At::Name;
            m_bPrefixed = false;
            StartToken();
            AddToToken(c);
        }
        return true;
    case At::Bang: return StepBang(c);
    case At::Declaration:
        if (c == '>')
            EndMarkup();
        return true;
    case At::Target:
        if (!EndsName(c)) {
            AddToToken(c);
            return true;
        }
        if (m_nLength > 0 && !Keep(m_hash))
            return false;
        m_at = At::Instruction;
        m_last = m_beforeLast = 0;
        return Step(c);
    case At::Name:
    case At::AttrName:
        if (c == ':' && !m_bPrefixed) {
            // The prefix and the local part are kept apart.
            if (m_nLength > 0 && !Keep(m_hash))
                return false;
            m_bXmlnsPrefix = m_at == At::AttrName && m_hash == kXmlnsHash;
            m_bPrefixed = true;
            StartToken();
            return true;
        }
        if (!EndsName(c)) {
            AddToToken(c);
            return true;
        }
        if (!EndName())
            return false;
        m_at = m_at == At::AttrName ? At::AfterName : At::Space;
        return Step(c);
    case At::Space:
    case At::AfterName:
        if (c == '>') {
            EndTag();
        } else if (c == '=') {
            ++m_nAttributes;
            if (++m_nTagAttrs > kMaxAttributes)
                return Fail(Problem::Attributes);
            m_at = At::AfterEq;
        } else if (c == '"' || c == '\'') {
            m_quote = c;
            m_at = At::Value;
            StartToken();
        } else if (!EndsName(c)) {
            m_at = At::AttrName;
            m_bPrefixed = false;
            m_bXmlnsPrefix = false;
            StartToken();
            AddToToken(c);
        }
        return true;
    case At::AfterEq:
        if (c == '"' || c == '\'') {
            m_quote = c;
            m_at = At::Value;
            StartToken();
        } else if (c == '>') {
            EndTag();
        } else if (!IsBlank(c)) {
            m_at = At::Space;
        }
        return true;
    case At::Value:
        if (c != m_quote) {
            AddToToken(c);
            return true;
        }
        m_at = At::Space;
        return EndValue();
    default: return true;
    }
}
