#pragma once
// A small reader of .xlsx workbooks: the worksheets by name or position and
// their cell values (shared strings, inline strings, numbers, booleans, error
// values). It refuses what is not a readable workbook with a reason - a file
// that is missing, not a zip archive, truncated, damaged, malformed, or larger
// than its limits - and never reads outside what it was given. Every part is
// read as a stream (CXlsxPartStream), so the memory a workbook costs is what
// it keeps and the time it takes is the work it holds, both bounded by Limits.
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

class CXlsxPartStream;

class CXlsxReader {
public:
    // The sheet grid of the format.
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxCols = 16384;

    // Defaults keep any workbook within about 100 MB and a few seconds.
    struct Limits {
        std::int64_t nMaxPartBytes = 4LL << 20;      // a list part unpacked (relationships, workbook)
        std::int64_t nMaxTotalBytes = 64LL << 20;    // all unpacked bytes read while the file is open
        std::int64_t nMaxWork = 4'000'000;           // nodes and attributes read while the file is open
        std::int64_t nMaxHeldBytes = 32LL << 20;     // shared strings and the cells of a sheet kept in memory
        std::int64_t nMaxCells = 1'000'000;          // cells holding a value, per sheet
        int nMaxSheets = 4096;
        std::int64_t nMaxMilliseconds = 3000;        // from Open on, opening and all parts together: the window waits for it
    };
    // The end of a zip archive: its end record and the comment after it. A
    // workbook has one such record and no comment; copies of the record in a
    // long comment each make the zip library check the whole directory again.
    static constexpr qsizetype kEndRecordBytes = 22;
    static constexpr qsizetype kMaxCommentBytes = 1024;
    static constexpr qsizetype kEndSearchBytes = kEndRecordBytes + 65535;

    enum class CellKind { Text, Number, Boolean, Error };
    struct Cell {
        CellKind kind = CellKind::Text;
        QString text;  // the value as text: numbers in up to 15 significant digits, "TRUE"/"FALSE"
    };

    // One worksheet's cells that hold a value; rows and columns from 1.
    struct Sheet {
        QString name;
        std::vector<std::pair<std::int64_t, Cell>> cells;  // by Key(row, col), in row-major order
        int nFirstRow = 0, nFirstCol = 0, nLastRow = 0, nLastCol = 0;  // all 0 when empty

        static std::int64_t Key(int row, int col) { return std::int64_t(row) * kMaxCols + (col - 1); }
        const Cell* At(int row, int col) const;
        QString Text(int row, int col) const;  // empty for a cell without value
        bool IsEmpty() const { return cells.empty(); }
    };

    // What a refusal is about, so that a message can name it in the operator's
    // language; ErrorString() holds the technical detail.
    enum class Refusal { None, FileMissing, NotAFile, NotAWorkbook, Damaged, Malformed, TooLarge, Namespaces, TooSlow, NoSuchSheet };

    CXlsxReader();
    explicit CXlsxReader(const Limits& limits);
    ~CXlsxReader();
    CXlsxReader(const CXlsxReader&) = delete;
    CXlsxReader& operator=(const CXlsxReader&) = delete;

    // Opens a workbook and reads its sheet list and shared strings; false with
    // ErrorString() set when it is not a readable workbook.
    bool Open(const QString& path);
    void Close();
    bool IsOpen() const;

    // The worksheets in workbook order (chart sheets are not worksheets).
    QStringList SheetNames() const;
    // Reads worksheet index (from 0) or the one of that exact name.
    bool ReadSheet(int index, Sheet* pSheet);
    bool ReadSheet(const QString& name, Sheet* pSheet);

    QString ErrorString() const { return m_strError; }
    Refusal RefusalKind() const { return m_refusal; }
    // The part, sheet name or sheet number a Malformed, Namespaces or NoSuchSheet refusal is about.
    QString RefusalSubject() const { return m_strSubject; }

    // "_xHHHH_" escapes of the format back to their characters.
    static QString DecodeEscapes(const QString& text);
    // "B12" to row 12, column 2; false for anything else or beyond the grid.
    static bool ParseCellRef(const QString& ref, int* pRow, int* pCol);

private:
    struct Archive;
    struct SheetEntry {
        QString name;
        QString part;  // path of its part inside the archive
    };
    struct Relationship {
        QString type;
        QString target;  // resolved part path
    };
    using Relationships = std::map<QString, Relationship>;

    bool Fail(Refusal kind, const QString& why, const QString& subject = QString());
    // Refuses an archive whose end the zip library would search at length;
    // gives the file's first four bytes, read on the way.
    bool CheckArchiveEnd(const QString& path, QByteArray* pHead);
    bool FindPart(const QString& part, std::int64_t* pIndex, bool bRequired);
    // The part as a stream of at most nMaxBytes; null (with the reason, when
    // there is one) when it is missing or cannot be opened.
    std::unique_ptr<CXlsxPartStream> OpenPart(const QString& part, std::int64_t nMaxBytes, bool bRequired);
    // Adds what a part cost to the workbook's; false with its refusal.
    bool EndPart(const CXlsxPartStream& xml, const QString& subject);
    bool ReadRelationships(const QString& part, const QString& baseDir, bool bRequired, Relationships* pRels);
    bool OpenParts();
    bool ReadWorkbook(const QString& part, std::vector<std::pair<QString, QString>>* pSheets);
    bool LoadSharedStrings(const QString& part);
    void ParseSheet(CXlsxPartStream& xml, Sheet* pSheet);

    Limits m_limits;
    std::unique_ptr<Archive> m_pArchive;
    std::vector<SheetEntry> m_sheets;
    std::vector<QString> m_sharedStrings;
    std::int64_t m_nSharedBytes = 0;  // memory the shared strings hold
    std::int64_t m_nBytesRead = 0;
    std::int64_t m_nWork = 0;
    QDeadlineTimer m_deadline;  // of the whole read, set by Open
    QString m_strError;
    Refusal m_refusal = Refusal::None;
    QString m_strSubject;
};
