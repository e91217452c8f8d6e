#pragma once
// One XML part of a workbook package, read node by node as it unpacks, by
// libxml2's streaming reader with its default limits: nesting depth, the size
// of one text, name, comment or instruction, no entity expansion, no network.
// Every part of a workbook goes through here. The stream also bounds what the
// parser's limits leave open: the unpacked bytes and the nodes and attributes
// read (its work), the time it takes, and what CXlsxMarkupScan finds. The parser always gets
// UTF-8: a UTF-16 part is converted on the way, and an encoding a part
// declares is ignored, so what the scan follows is what the parser reads.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QStringDecoder>
#include <optional>
#include <cstdint>

#include "analysis/XlsxMarkupScan.h"
#include "analysis/XlsxReader.h"

struct zip_file;
struct _xmlTextReader;

class CXlsxPartStream {
public:
    // Reads `file` (owned: closed with the stream) as the part `part`; at most
    // nMaxBytes unpacked bytes, nMaxWork nodes and attributes, and up to the
    // deadline of the whole read (a part has no time of its own).
    CXlsxPartStream(zip_file* file, const QString& part, std::int64_t nMaxBytes, std::int64_t nMaxWork,
                    QDeadlineTimer deadline);
    ~CXlsxPartStream();
    CXlsxPartStream(const CXlsxPartStream&) = delete;
    CXlsxPartStream& operator=(const CXlsxPartStream&) = delete;

    // Moves to the next node; false at the end of the part or when it was refused.
    bool Next();
    // Skips the element just started, with everything inside it.
    void SkipElement();
    // Moves to the next node inside the element started at depth; false at
    // its end tag, at the end of the part or when it was refused.
    bool NextInside(int depth);

    bool IsStart(const char* local) const;  // the start tag of an element of that local name
    bool IsEnd(const char* local) const;    // the end tag of one (an empty element has none)
    bool IsStart() const;
    bool IsEnd() const;
    bool IsText() const;                    // text, CDATA or white space
    bool IsEmptyElement() const;
    int Depth() const;
    // The value of the attribute of that local name, whatever its prefix:
    // none when the tag has no such attribute, or empty.
    std::optional<QString> FindAttr(const char* local) const;
    QString Attr(const char* local) const;
    // The text of a text node, and its length in bytes of UTF-8.
    QString Text() const;
    std::int64_t TextBytes() const;

    // Ends the reading with a refusal of the caller's own.
    void Refuse(CXlsxReader::Refusal kind, const QString& why);
    bool Failed() const { return m_refusal != CXlsxReader::Refusal::None; }
    CXlsxReader::Refusal RefusalKind() const { return m_refusal; }
    QString Why() const { return m_strWhy; }
    QString Part() const { return m_strPart; }
    std::int64_t BytesRead() const { return m_nBytes; }
    std::int64_t Work() const { return m_nWork; }

private:
    static int ReadCallback(void* context, char* buffer, int len);
    static void ErrorCallback(void* context, struct _xmlError* error);
    int Feed(char* buffer, int len);
    bool Refill();
    bool Scan();
    bool CountWork(std::int64_t n);
    bool InTime();
    bool Found(const char* local) const;

    zip_file* m_file;
    QString m_strPart;
    std::int64_t m_nMaxBytes;
    std::int64_t m_nMaxWork;
    QDeadlineTimer m_deadline;
    _xmlTextReader* m_pXml = nullptr;

    std::int64_t m_nBytes = 0;  // unpacked bytes read from the archive
    std::int64_t m_nWork = 0;   // nodes and attributes read
    bool m_bEnded = false;
    QStringDecoder m_decoder;   // valid only for a part in UTF-16
    QByteArray m_pending;       // UTF-8 not yet handed to the parser
    qsizetype m_nPendingAt = 0;

    CXlsxMarkupScan m_scan;

    CXlsxReader::Refusal m_refusal = CXlsxReader::Refusal::None;
    QString m_strWhy;
};
