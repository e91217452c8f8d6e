#include "analysis/XlsxMarkupScan.h"

namespace {

constexpr std::uint64_t kFnvBasis = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;
const char kDoctype[] = "<!DOCTYPE";
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
    for (qsizetype i = 0; i < size && m_problem == Problem::None; ++i)
        Step(data[i]);
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

bool CXlsxMarkupScan::Step(char c)
{
    if (c == '<') {
        // A '<' always begins markup: it cannot stand inside a value.
        if (m_at == At::Text && !EndText())
            return false;
        m_at = At::TagStart;
        m_nTagAttrs = 0;
        m_nDoctype = 1;
        return true;
    }
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
            m_at = At::Other;  // a comment, CDATA or declaration names nothing
        } else if (c == '>') {
            m_at = At::Text;
            StartToken();
        } else if (!EndsName(c)) {
            m_at = At::Name;
            m_bPrefixed = false;
            StartToken();
            AddToToken(c);
        }
        return true;
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
            m_at = At::Text;
            StartToken();
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
            m_at = At::Text;
            StartToken();
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
    case At::Other:
        if (c == '>') {
            m_at = At::Text;
            StartToken();
        }
        return true;
    }
    return true;
}
