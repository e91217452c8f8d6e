#pragma once
// Follows the markup of a workbook part in the UTF-8 that libxml2 is about to
// read, for the costs its limits leave open in the version the station runs
// on: checking the attributes of one tag against each other (quadratic in
// their number); keeping every distinct name and short text in a dictionary
// whose lookups slow down with its size (some million entries take minutes);
// looking up a prefix through every namespace declared in scope, for every
// element and attribute (thousands in scope take minutes); and holding a
// whole tag, text, comment or instruction of up to 10 MB, several times over
// (three such attributes on one tag take more than 100 MB). It also finds a
// document type, which a workbook part never has.
// It counts what the parser keeps, a little more rather than less: names
// (prefix and local part), values of three bytes or fewer and namespace
// values, and a whole text between tags of three bytes or fewer, or under 60
// beginning with a blank. Comments, CDATA sections and instructions are
// followed to their ends, so that what they hold never passes for a tag.
#include <QtGlobal>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

class CXlsxMarkupScan {
public:
    static constexpr int kMaxAttributes = 128;      // of one tag; a spreadsheet element has a dozen
    static constexpr int kMaxNames = 65536;         // distinct, per part; a sheet uses a few thousand
    static constexpr int kMaxNamespaces = 64;       // declared in scope at once; a part declares about a dozen
    static constexpr qsizetype kMaxPieceBytes = 1 << 20;  // one tag, text, comment or instruction; a cell's text is far less

    enum class Problem { None, DocumentType, Attributes, Names, Namespaces, TooLong };

    // Follows the next bytes; false once a problem is found.
    bool Feed(const char* data, qsizetype size);
    Problem Found() const { return m_problem; }
    std::int64_t Attributes() const { return m_nAttributes; }  // seen so far

private:
    enum class At { Text, TagStart, Name, Space, AttrName, AfterName, AfterEq, Value, Bang, Declaration, Comment, CData, Target, Instruction };

    bool Step(char c);
    bool Fail(Problem problem);
    void StartToken();
    void AddToToken(char c);
    bool Keep(std::uint64_t hash);
    bool EndName();
    bool EndValue();
    bool EndText();
    bool StartMarkup();
    void EndMarkup();
    void EndTag();
    bool StepBang(char c);
    bool StepSection(char c, char last, char beforeLast);

    At m_at = At::Text;
    char m_quote = 0;
    char m_prev = 0;              // the byte before the one being followed
    char m_last = 0, m_beforeLast = 0;  // the last two bytes of a comment, CDATA or instruction
    int m_nTagAttrs = 0;
    int m_nDoctype = 0;           // how much of "<!DOCTYPE" was just seen
    int m_nBang = 0;              // bytes seen after "<!"
    qsizetype m_nPiece = 0;       // bytes of the tag, text, comment or instruction being followed
    std::int64_t m_nAttributes = 0;

    // Elements open and the namespaces they declare: (depth, count) for each
    // open element that declares any, so at most kMaxNamespaces entries.
    bool m_bEndTag = false;
    int m_nTagNamespaces = 0;
    int m_nInScope = 0;
    std::int64_t m_nDepth = 0;
    std::vector<std::pair<std::int64_t, int>> m_declared;

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
