#include "analysis/ExcelIO.h"

#include <algorithm>
#include <array>
#include <vector>

#include "analysis/FaultEntry.h"
#include "analysis/XlsxMarkupScan.h"
#include "analysis/XlsxReader.h"
#include "analysis/XlsxWriter.h"
#include "platform/FixedText.h"
#include "platform/MessageBox.h"
#include "platform/QuoteText.h"
#include "platform/UiText.h"

namespace {

// The workbooks are of the .xlsx format, which spreadsheet programs write from
// major version 12 on.
constexpr int kWorkbookVersion = 12;

const QString kLanguageSheet = QStringLiteral("SoftLanguageTab");
const QString kInfoSheet = QStringLiteral("Infor");
const QString kEnd = QStringLiteral("End");
constexpr int kLastCallColumn = 26;  // A..Z
constexpr int kBlockColumns = 6;
constexpr int kFaultRowsTop = 5;     // first fault row of a per-lift sheet
constexpr int kMaxLiftState = 0x10000;  // lift states are 16-bit; the text index stays in range

// Why the reader refused a workbook, in each language; %1 is the part or sheet concerned.
FixedText RefusalText(CXlsxReader::Refusal kind)
{
    using R = CXlsxReader::Refusal;
    switch (kind) {
    case R::FileMissing: return {QStringLiteral("文件不存在"), QStringLiteral("the file does not exist"), QStringLiteral("檔案不存在")};
    case R::NotAFile: return {QStringLiteral("它不是文件"), QStringLiteral("it is not a file"), QStringLiteral("它不是檔案")};
    case R::NotAWorkbook:
        return {QStringLiteral("它不是 .xlsx 工作簿"), QStringLiteral("it is not an .xlsx workbook"),
                QStringLiteral("它不是 .xlsx 工作簿")};
    case R::Malformed:
        return {QStringLiteral("“%1”的格式有误"), QStringLiteral("\"%1\" is malformed"), QStringLiteral("「%1」的格式有誤")};
    case R::TooLarge:
        return {QStringLiteral("它超出了本站工作簿的大小限制"), QStringLiteral("it is larger than a workbook of this station may be"),
                QStringLiteral("它超出了本站工作簿的大小限制")};
    case R::Namespaces: {
        const QString n = QString::number(CXlsxMarkupScan::kMaxNamespaces);
        return {QStringLiteral("“%1”同时声明的命名空间超过 ") + n + QStringLiteral(" 个，工作簿不会这样"),
                QStringLiteral("\"%1\" declares more than ") + n + QStringLiteral(" namespaces at a time, which no workbook does"),
                QStringLiteral("「%1」同時宣告的命名空間超過 ") + n + QStringLiteral(" 個，活頁簿不會這樣")};
    }
    case R::TooSlow: {
        const QString s = QString::number(CXlsxReader::Limits{}.nMaxMilliseconds / 1000);
        return {QStringLiteral("读取它超过了 ") + s + QStringLiteral(" 秒的时限"),
                QStringLiteral("reading it takes longer than the ") + s + QStringLiteral(" seconds a workbook may take"),
                QStringLiteral("讀取它超過了 ") + s + QStringLiteral(" 秒的時限")};
    }
    case R::NoSuchSheet:
        return {QStringLiteral("没有工作表“%1”"), QStringLiteral("it has no sheet \"%1\""), QStringLiteral("沒有工作表「%1」")};
    default:
        return {QStringLiteral("文件不完整或已损坏"), QStringLiteral("the file is truncated or damaged"),
                QStringLiteral("檔案不完整或已損壞")};
    }
}

// What the language import reads: a language table is a few hundred rows of
// four cells, so a sheet far larger is refused while it is read, long before
// it could cost the station its memory or its time.
CXlsxReader::Limits ImportLimits()
{
    CXlsxReader::Limits limits;
    limits.nMaxTotalBytes = 32LL << 20;
    limits.nMaxWork = 2'000'000;
    limits.nMaxHeldBytes = 16LL << 20;
    limits.nMaxCells = 8LL * kMaxLanguageRows;
    return limits;
}

// Every cell goes out cut to what a cell holds: a text that long was put in
// the database by other means, and must not fail the whole export.
bool Put(CXlsxWriter& book, int sheet, int row, int col, const QString& text)
{
    return book.Write(sheet, row, col, CutText(text, CXlsxWriter::kMaxTextLength));
}

QString Num(long long n)
{
    return QString::number(n);
}

QString Percent(double part, double whole)
{
    return QString::asprintf("%.2f%%", part / whole * 100.0);
}

// A call share: "0%" when there is nothing to share.
QString Share(int count, int total)
{
    return count == 0 || total == 0 ? QStringLiteral("0%") : Percent(count, total);
}

QString ColumnLetters(int col)
{
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    return letters;
}

bool Present(const strLiftFaultStat& lift)
{
    return lift.nRealAddr > 0;
}

// The fault rows of a record that all of its parallel lists have.
int FaultRows(const strLiftFaultStat& lift)
{
    return int(std::min<qsizetype>({qsizetype(std::max(lift.nErrTotal, 0)), lift.arrErrTime.size(),
                                    lift.lstErrCode.size(), lift.lstLiftState.size()}));
}

int CodeCount(const strLiftFaultStat& lift, int code)
{
    return code >= 0 && code < kFaultCodeCounts ? lift.nCodeCount[std::size_t(code)] : 0;
}

} // namespace

CExcelIO::CExcelIO() = default;
CExcelIO::~CExcelIO() = default;

QString CExcelIO::Text(int n) const
{
    return UiText(m_pLanText, n);
}

bool CExcelIO::StartExcel()
{
    m_nExcelVersion = std::uint8_t(GetExcelVersion().section(QLatin1Char('.'), 0, 0).toInt());
    return true;
}

void CExcelIO::CloseExcel()
{
    // Nothing outlives a job: its reader or writer went with it.
}

QString CExcelIO::GetExcelVersion() const
{
    return QStringLiteral("%1.0").arg(kWorkbookVersion);
}

QString CExcelIO::GetSheetName(const CXlsxReader& book, int nIndex)
{
    return book.SheetNames().value(nIndex);
}

QString CExcelIO::Say(const char* zh, const char* en, const char* tw) const
{
    return FixedText{QString::fromUtf8(zh), QString::fromUtf8(en), QString::fromUtf8(tw)}.In(m_nLanguageKind);
}

bool CExcelIO::Save(CXlsxWriter& book) const
{
    if (book.Save())
        return true;
    AfxMessageBox(Say("工作簿“%1”未能保存：%2。", "The workbook \"%1\" could not be saved: %2.", "工作簿「%1」未能保存：%2。")
                      .arg(IsolateText(book.Path()), book.ErrorString()));
    return false;
}

bool CExcelIO::ReadFailed(const QString& strFile, const CXlsxReader& book)
{
    // The reader's own text is English and technical; the operator reads why in the station's language.
    const QString why = RefusalText(book.RefusalKind()).In(m_nLanguageKind);
    return ReadFailed(strFile, why.contains(QLatin1String("%1")) ? why.arg(QuoteText(book.RefusalSubject())) : why);
}

bool CExcelIO::ReadFailed(const QString& strFile, const QString& why)
{
    AfxMessageBox(Say("工作簿“%1”无法读取：%2。", "The workbook \"%1\" cannot be read: %2.", "工作簿「%1」無法讀取：%2。")
                      .arg(IsolateText(strFile), why));
    CloseExcel();
    return false;
}

// ---- language table ------------------------------------------------------

bool CExcelIO::ExportLanguageTable(const QString& strFile, const QString& strSaveTime, const strLanguageSheet& sheet)
{
    if (!StartExcel())
        return false;
    CXlsxWriter book(strFile);
    const int lan = book.AddSheet(kLanguageSheet);
    const int info = book.AddSheet(kInfoSheet);
    const std::array<QString, 4> heads = {QStringLiteral("Sign"), QStringLiteral("Lan1"), QStringLiteral("Lan2"),
                                          QStringLiteral("Lan3")};
    for (int c = 0; c < 4; ++c)
        Put(book, lan, 1, c + 1, heads[std::size_t(c)]);
    const auto& rows = sheet.rows;
    // A header, the rows and the end marker must fit on the sheet.
    const std::size_t fit = std::min<std::size_t>(rows.size(), CXlsxWriter::kMaxRows - 1);
    for (std::size_t i = 0; i < fit; ++i) {
        for (int c = 0; c < 4; ++c)
            Put(book, lan, int(i) + 2, c + 1, rows[i][std::size_t(c)]);
    }
    for (int c = 0; c < 4; ++c)
        Put(book, lan, int(rows.size()) + 2, c + 1, kEnd);  // fails the save when the rows did not fit
    book.FitColumns(lan, 1, 4);

    Put(book, info, 1, 1, QStringLiteral("Sign"));
    Put(book, info, 1, 2, QStringLiteral("SaveTime"));
    Put(book, info, 2, 1, QStringLiteral("Language Inf Table of Halvern KLAOR"));
    Put(book, info, 2, 2, strSaveTime);
    const bool saved = Save(book);
    CloseExcel();
    return saved;
}

bool CExcelIO::ImportLanguageTable(int* pFlags, const QString& strFile, strLanguageSheet* pSheet)
{
    if (!StartExcel())
        return false;
    CXlsxReader book(ImportLimits());
    if (!book.Open(strFile))
        return ReadFailed(strFile, book);
    if (GetSheetName(book, 0) != kLanguageSheet) {
        MsgBoxRequest box{Text(147), QString()};
        box.bTopmost = true;  // the import's own warning stays above the page
        AfxMessageBox(box);
        CloseExcel();
        return false;
    }
    CXlsxReader::Sheet sheet;
    if (!book.ReadSheet(0, &sheet))
        return ReadFailed(strFile, book);

    // Rows are counted and addressed from the top-left cell in use, row 1 being the headers.
    const int top = sheet.nFirstRow;
    const int left = sheet.nFirstCol;
    const int count = sheet.IsEmpty() ? 0 : sheet.nLastRow - top + 1;
    std::vector<std::array<QString, 4>> rows;
    std::array<int, 3> empty{};
    for (int r = 2; r <= count; ++r) {
        // A row is made only for rows the cells reach: a sheet of a few cells far
        // apart must not turn into a million empty rows.
        if (rows.size() >= std::size_t(kMaxLanguageRows))
            return ReadFailed(strFile, Say("它超过 %1 行，不是语言表", "it has more than %1 rows, so it is not a language table",
                                           "它超過 %1 行，不是語言表")
                                           .arg(kMaxLanguageRows));
        if (rows.size() >= sheet.cells.size())
            return ReadFailed(strFile, Say("第 %1 行之前的空行多于单元格，这不是语言表",
                                           "it has more empty rows than cells before row %1, so it is not a language table",
                                           "第 %1 行之前的空行多於儲存格，這不是語言表")
                                           .arg(top + r - 1));
        std::array<QString, 4> row;
        for (int c = 0; c < 4; ++c) {
            const CXlsxReader::Cell* cell = sheet.At(top + r - 1, left + c);
            if (cell && cell->kind == CXlsxReader::CellKind::Error)
                return ReadFailed(strFile, Say("工作表“%3”的单元格 %1%2 含有错误值 %4",
                                               "cell %1%2 of the sheet \"%3\" holds the error value %4",
                                               "工作表「%3」的儲存格 %1%2 含有錯誤值 %4")
                                               .arg(ColumnLetters(left + c))
                                               .arg(top + r - 1)
                                               .arg(kLanguageSheet, QuoteText(cell->text)));
            if (cell)
                row[std::size_t(c)] = cell->text;
        }
        if (row[0] == kEnd) {
            rows.push_back({kEnd, kEnd, kEnd, kEnd});
            break;
        }
        // Column C loses its trailing blanks, except in a text the import refuses
        // as too long anyway: trimming copies the text, which every row may share.
        qsizetype kept = row[2].size();
        while (kept > 0 && row[2].at(kept - 1) == QLatin1Char(' '))
            --kept;
        if (kept <= kMaxLanguageText)
            row[2].truncate(kept);
        for (int c = 1; c < 4; ++c) {
            if (row[std::size_t(c)].isEmpty())
                ++empty[std::size_t(c - 1)];
        }
        rows.push_back(std::move(row));
    }

    // Only a column that is largely empty sets its flag, so the result is a
    // plain set of flags and 7 means that no language column is filled.
    int flags = 0;
    const std::array<int, 3> bits = {4, 2, 1};
    for (std::size_t c = 0; c < 3; ++c) {
        if (empty[c] > kEmptyColumnLimit)
            flags += bits[c];
    }
    if (pFlags)
        *pFlags = flags;
    if (pSheet) {
        if (pSheet->rows.empty()) {
            pSheet->nFirstRow = top + 1;
            pSheet->nFirstCol = std::max(left, 1);
        }
        pSheet->rows.insert(pSheet->rows.end(), rows.begin(), rows.end());
    }
    CloseExcel();
    return true;
}

// ---- record export -------------------------------------------------------

bool CExcelIO::ExportRecords(int nMode, const QString& strFile, const strCallStatBlock* pBlocks,
                             const strLiftFaultStat* pLifts, const strErrInfTab* pTabs)
{
    if (nMode == 6)
        return ExportFaultSheets(6, strFile, pLifts, pTabs);
    if (!StartExcel())
        return false;
    CXlsxWriter book(strFile);
    if (nMode > 5) {
        const int sheet = book.AddSheet(QStringLiteral("RecInf_Err"));
        WriteFaultCountSheet(book, sheet, pLifts, pTabs);
        book.FitColumns(sheet, 1, kLastCallColumn);
    } else {
        const int sheet = book.AddSheet(QStringLiteral("RecInf_Call"));
        WriteCallSheet(book, sheet, pBlocks);
        book.FitColumns(sheet, 1, kLastCallColumn);
    }
    const bool saved = Save(book);
    CloseExcel();
    return saved;
}

void CExcelIO::WriteFaultCountSheet(CXlsxWriter& book, int sheet, const strLiftFaultStat* pLifts,
                                    const strErrInfTab* pTabs) const
{
    // Codes across, lifts down: a column for every code that occurs.
    std::array<int, kFaultCodes + 1> total{};
    for (int i = 0; pLifts && i < kLiftRecords; ++i) {
        if (!Present(pLifts[i]))
            continue;
        for (const int code : pLifts[i].lstErrCode) {
            if (code >= 1 && code <= kFaultCodes)
                ++total[std::size_t(code)];
        }
    }
    std::vector<int> codes;
    for (int k = 1; k <= kFaultCodes; ++k) {
        if (total[std::size_t(k)] > 0)
            codes.push_back(k);
    }
    auto column = [](std::size_t j) { return int(j) + 2; };
    for (std::size_t j = 0; j < codes.size(); ++j)
        Put(book, sheet, 1, column(j), FaultCodeText(pTabs ? &pTabs[1] : nullptr, codes[j]));
    const int totalColumn = column(codes.size());
    Put(book, sheet, 1, totalColumn, Text(153));

    int r = 2;
    for (int i = 0; pLifts && i < kLiftRecords; ++i) {
        const strLiftFaultStat& lift = pLifts[i];
        if (!Present(lift))
            continue;
        Put(book, sheet, r, 1, lift.strName);
        Put(book, sheet, r + 1, 1, Text(132));
        Put(book, sheet, r + 2, 1, Text(151));
        Put(book, sheet, r + 3, 1, Text(152));
        for (std::size_t j = 0; j < codes.size(); ++j) {
            const int k = codes[j];
            const int n = k < kFaultCodes ? CodeCount(lift, k) : 0;  // code 150 has no per-lift count
            if (n <= 0)
                continue;
            Put(book, sheet, r + 1, column(j), Num(n));
            Put(book, sheet, r + 2, column(j), lift.nErrTotal > 0 ? Percent(n, lift.nErrTotal) : QStringLiteral("0%"));
            Put(book, sheet, r + 3, column(j), Percent(n, total[std::size_t(k)]));
        }
        Put(book, sheet, r + 1, totalColumn, Num(lift.lstErrCode.size()));
        r += 5;
    }
    Put(book, sheet, r, 1, Text(154));
    for (std::size_t j = 0; j < codes.size(); ++j)
        Put(book, sheet, r, column(j), Num(total[std::size_t(codes[j])]));
}

void CExcelIO::WriteCallSheet(CXlsxWriter& book, int sheet, const strCallStatBlock* pBlocks) const
{
    // Floors down, up to four call blocks across, six columns each.
    std::vector<const strCallStatBlock*> used;
    for (int b = 0; pBlocks && b < kCallBlocks; ++b) {
        if (pBlocks[b].nUsed != 0)
            used.push_back(&pBlocks[b]);
    }
    auto floors = [](const strCallStatBlock& block) {
        return std::clamp(int(block.nFloorCount), 0, strCallStatBlock::kMaxFloors);
    };
    int rows = 0;
    for (const strCallStatBlock* block : used)
        rows = std::max(rows, floors(*block));

    Put(book, sheet, 2, 1, QStringLiteral("FloorNum"));
    const std::array<QString, kBlockColumns> heads = {
        QStringLiteral("CarCall"), QStringLiteral("Scale"), QStringLiteral("HallCall-Up"),
        QStringLiteral("Scale"), QStringLiteral("HallCall-Down"), QStringLiteral("Scale")};
    for (std::size_t u = 0; u < used.size(); ++u) {
        const int first = 2 + int(u) * kBlockColumns;
        book.Merge(sheet, 1, first, first + kBlockColumns - 1, used[u]->strCaption);
        for (int c = 0; c < kBlockColumns; ++c)
            Put(book, sheet, 2, first + c, heads[std::size_t(c)]);
    }
    for (int f = 0; f < rows; ++f) {
        const int row = f + 3;
        Put(book, sheet, row, 1, QStringLiteral("%1 Floor").arg(f + 1));
        for (std::size_t u = 0; u < used.size(); ++u) {
            const strCallStatBlock& block = *used[u];
            if (floors(block) <= f)
                continue;
            const int first = 2 + int(u) * kBlockColumns;
            const std::size_t i = std::size_t(f);
            Put(book, sheet, row, first, Num(block.nCarCalls[i]));
            Put(book, sheet, row, first + 1, Share(block.nCarCalls[i], block.nCarCallTotal));
            Put(book, sheet, row, first + 2, Num(block.nUpCalls[i]));
            Put(book, sheet, row, first + 3, Share(block.nUpCalls[i], block.nUpCallTotal));
            Put(book, sheet, row, first + 4, Num(block.nDownCalls[i]));
            Put(book, sheet, row, first + 5, Share(block.nDownCalls[i], block.nDownCallTotal));
        }
    }
    const int last = rows + 3;
    Put(book, sheet, last, 1, QStringLiteral("Total number"));
    for (std::size_t u = 0; u < used.size(); ++u) {
        const int first = 2 + int(u) * kBlockColumns;
        const std::array<int, 3> totals = {used[u]->nCarCallTotal, used[u]->nUpCallTotal, used[u]->nDownCallTotal};
        for (std::size_t t = 0; t < totals.size(); ++t) {
            Put(book, sheet, last, first + 2 * int(t), Num(totals[t]));
            Put(book, sheet, last, first + 2 * int(t) + 1, QStringLiteral("100%"));
        }
    }
}

bool CExcelIO::ExportFaultSheets(int nMode, const QString& strFile, const strLiftFaultStat* pLifts,
                                 const strErrInfTab* pTabs)
{
    if (!StartExcel())
        return false;
    CXlsxWriter book(strFile);
    QStringList taken;
    int j = 0;
    for (int i = 0; pLifts && i < kLiftRecords; ++i) {
        const strLiftFaultStat& lift = pLifts[i];
        if (!Present(lift))
            continue;
        ++j;
        if (nMode <= 5) {
            // Only the fault mode fills the sheets; others leave one blank sheet per lift.
            const QString name = CXlsxWriter::SafeSheetName(QStringLiteral("Sheet%1").arg(j), taken);
            taken << name;
            book.AddSheet(name);
            continue;
        }
        // Lift names may hold characters a sheet name cannot, or repeat.
        const QString name = CXlsxWriter::SafeSheetName(QStringLiteral("RecInf_Err_") + lift.strName, taken);
        taken << name;
        const int sheet = book.AddSheet(name);
        Put(book, sheet, 1, 2, Text(126));
        Put(book, sheet, 1, 3, Text(272));
        Put(book, sheet, 2, 2, lift.strName);
        Put(book, sheet, 2, 3, m_strPeriod);
        Put(book, sheet, 4, 2, Text(128));
        Put(book, sheet, 4, 3, Text(129));
        Put(book, sheet, 4, 4, Text(130));
        const int rows = FaultRows(lift);
        for (int k = 0; k < rows; ++k) {
            const int row = k + kFaultRowsTop;
            const int code = lift.lstErrCode.at(k);
            const QString name = FaultNameOfCode(pTabs ? &pTabs[2] : nullptr, code);
            const int state = lift.lstLiftState.at(k);
            Put(book, sheet, row, 1, Num(k));
            Put(book, sheet, row, 2, lift.arrErrTime.at(k));
            Put(book, sheet, row, 3, QString::asprintf("Err%02d:", code) + name);
            Put(book, sheet, row, 4, state >= 0 && state < kMaxLiftState ? Text(28 + state) : QString());
        }
        book.FitColumns(sheet, 1, 4);
    }
    if (j == 0)
        book.AddSheet(QStringLiteral("Sheet1"));  // a workbook holds at least one sheet
    const bool saved = Save(book);
    CloseExcel();
    return saved;
}
