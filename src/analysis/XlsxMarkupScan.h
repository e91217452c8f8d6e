#pragma once
// Follows the markup of a workbook part in the UTF-8 that libxml2 is about to
// read, for the costs its limits leave open in the version the station runs
// on: checking the attributes of one tag against each other (quadratic in
// their number), and keeping every distinct name and short text in a
// dictionary whose lookups slow down with its size (some million entries take
// minutes). It also finds a document type, which a workbook part never has.
// It counts what the parser keeps, a little more rather than less: names
// (prefix and local part), values of three bytes or fewer and namespace
// values, and a whole text between tags of three bytes or fewer, or under 60
// beginning with a blank.
#include <QtGlobal>
#include <cstdint>
#include <unordered_set>

class CXlsxMarkupScan {
public:
    static constexpr int kMaxAttributes = 128;  // of one tag; a spreadsheet element has a dozen
    static constexpr int kMaxNames = 65536;     // distinct, per part; a sheet uses a few thousand

    enum class Problem { None, DocumentType, Attributes, Names };

    // Follows the next bytes; false once a problem is found.
    bool Feed(const char* data, qsizetype size);
    Problem Found() const { return m_problem; }
    std::int64_t Attributes() const { return m_nAttributes; }  // seen so far

private:
    enum class At { Text, TagStart, Name, Space, AttrName, AfterName, AfterEq, Value, Other };

    bool Step(char c);
    bool Fail(Problem problem);
    void StartToken();
    void AddToToken(char c);
    bool Keep(std::uint64_t hash);
    bool EndName();
    bool EndValue();
    bool EndText();

    At m_at = At::Text;
    char m_quote = 0;
    int m_nTagAttrs = 0;
    int m_nDoctype = 0;           // how much of "<!DOCTYPE" was just seen
    std::int64_t m_nAttributes = 0;

    // The token being read: the hash and length of its part after any ':'.
    std::uint64_t m_hash = 0;
    qsizetype m_nLength = 0;
    bool m_bPrefixed = false;     // a name whose prefix was kept
    bool m_bBlankFirst = false;
    bool m_bReference = false;    // a text holding '&'
    bool m_bXmlnsPrefix = false;  // an attribute name "xmlns:..."
    bool m_bNamespaceValue = false;

    std::unordered_set<std::uint64_t> m_names;
    Problem m_problem = Problem::None;
};
