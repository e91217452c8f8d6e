#pragma once
// A small writer of .xlsx workbooks over the workbook library: worksheets of
// text cells, a merged caption, columns fitted to their texts. The file is
// written beside its target and replaces it only once complete, so a failed
// save leaves whatever was there before; a replaced file keeps its mode and a
// symbolic link at the name is written through.
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;

class CXlsxWriter {
public:
    static constexpr int kMaxRows = 1048576;
    static constexpr const char* kSuffix = "xlsx";  // of every file written
    static constexpr int kMaxCols = 16384;
    static constexpr int kSheetNameMax = 31;
    static constexpr int kMaxTextLength = 32767;

    explicit CXlsxWriter(const QString& path);
    ~CXlsxWriter();
    CXlsxWriter(const CXlsxWriter&) = delete;
    CXlsxWriter& operator=(const CXlsxWriter&) = delete;

    // Adds a worksheet and gives its index, or -1; the name must be one that
    // SafeSheetName gives.
    int AddSheet(const QString& name);
    // Rows and columns from 1. An empty text leaves the cell empty. False (and
    // the save fails) when the cell is outside the sheet or the text too long.
    bool Write(int sheet, int row, int col, const QString& text);
    // Merges columns first..last of a row and puts the text in the first.
    bool Merge(int sheet, int row, int firstCol, int lastCol, const QString& text);
    // Widens columns first..last to their longest text, as an auto-fit does.
    void FitColumns(int sheet, int firstCol, int lastCol);
    // Writes the workbook; false with ErrorString() when it could not.
    bool Save();
    QString ErrorString() const { return m_strError; }
    // The file written: the name given, ending in ".xlsx".
    QString Path() const { return m_strName; }
    QStringList SheetNames() const { return m_names; }

    // A valid sheet name near `wanted`: the characters a sheet name cannot
    // hold become "_", it is cut to 31 characters, and a name already in
    // `taken` (in any case) gets "~2", "~3", ...
    static QString SafeSheetName(const QString& wanted, const QStringList& taken);
    // Display width of a text in character units (wide East Asian characters count 2).
    static int TextWidth(const QString& text);

private:
    bool Fail(const QString& why);
    void Discard();

    QString m_strName;
    QString m_strPath;  // where the bytes go: the name, or the file its links end at
    QString m_strTemp;
    QString m_strError;
    lxw_workbook* m_pBook = nullptr;
    std::vector<lxw_worksheet*> m_sheets;
    std::vector<std::map<int, int>> m_widths;  // per sheet: column -> widest text
    QStringList m_names;
};
