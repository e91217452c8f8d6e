// Text tables and the language table of the database object.
#include "database/DBServer.h"
#include "database/StoredText.h"

#include <algorithm>
#include <climits>
#include <map>
#include <optional>

#include "database/DbTransaction.h"
#include "platform/AtoI.h"
#include "platform/MessageBox.h"
#include "platform/QuoteText.h"

namespace {

const char* const kErrTables[3] = {"KALOR_VELAS_ErrInf", "KALOR_VELAM_ErrInf", "KALOR_VELAMPlus_ErrInf"};

bool IsWholeNumber(const QString& text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString CodeOfKey(const QString& key)
{
    return key.left(key.indexOf(QLatin1Char('_')));
}

// The number of a fault key's code ("ERR12" or "12"), 0 when it has none.
int CodeNumber(const QString& key)
{
    const QString code = CodeOfKey(key);
    const QString digits = code.startsWith(QLatin1String("ERR")) ? code.mid(3) : code;
    return IsWholeNumber(digits) && digits.size() <= 9 ? digits.toInt() : 0;
}

void AppendEmptyRow(strErrInfTab& tab)
{
    tab.strErrCount << QString();
    tab.strErrName << QString();
    tab.strErrCause << QString();
    tab.strErrDeal << QString();
}

} // namespace

bool CDBServer::LoadLanguageAndFaultTexts(int nKind, strErrInfTab* pTabs, CErrNameMap* pNames)
{
    // A kind outside 1..3 (no settings row, say) falls back to the first language.
    if (nKind < 1 || nKind > 3)
        nKind = 1;
    m_nLanguageKind = nKind;
    if (m_pAdo)
        m_pAdo->m_nLanguageKind = nKind;
    if (!m_pLanText || !pTabs || !pNames)
        return false;
    const QString k = QString::number(nKind);

    auto rs = Query(QStringLiteral("Select * From KALOR_SoftLan Order by nSign"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
        m_pLanText->append(StoredText(rs->GetText(QLatin1String("Lan") + k)));

    for (int t = 0; t < 3; ++t) {
        strErrInfTab& tab = pTabs[t];
        rs = Query(QStringLiteral("Select * From ") + QLatin1String(kErrTables[t]) + QLatin1String(" Order by ErrCount"));
        if (!rs || rs->GetRecordCount() == 0)
            return false;
        int i = 0;
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext(), ++i) {
            if (t < 2) {
                // The level array has room for 150 rows; the shipped tables stay within it.
                if (i >= kErrLevelRows)
                    break;
                tab.nLevel[std::size_t(i)] = rs->GetInt(QStringLiteral("ErrLevel"));
                if (tab.nLevel[std::size_t(i)] == 0) {
                    AppendEmptyRow(tab);
                    continue;
                }
            } else {
                const QString level = StoredName(rs->GetText(QStringLiteral("ErrLevel")));
                tab.strLevel << level;
                if (level == QLatin1String("0")) {
                    AppendEmptyRow(tab);
                    continue;
                }
            }
            const QString code = StoredName(rs->GetText(QStringLiteral("ErrCount")));
            tab.strErrCount << code;
            const QString name = StoredText(rs->GetText(QLatin1String("ErrName") + k));
            tab.strErrName << name;
            if (t == 2)
                pNames->emplace(AtoI(QString(code).remove(QLatin1String("ERR"))), name);  // first name stays
            tab.strErrCause << StoredText(rs->GetText(QLatin1String("ErrCause") + k));
            tab.strErrDeal << StoredText(rs->GetText(QLatin1String("ErrDeal") + k));
        }
    }
    return true;
}

int CDBServer::GetLanguageKind()
{
    auto rs = Query(QStringLiteral("Select LanguageKind From KALOR_SoftInf"));
    int kind = 0;
    if (rs && rs->GetRecordCount() > 0) {
        rs->MoveFirst();
        kind = rs->GetInt(QStringLiteral("LanguageKind"));
    }
    m_pRecordset.reset();
    return kind;
}

bool CDBServer::LoadLanguageTableForExport(strLanguageSheet* pSheet)
{
    if (!pSheet)
        return false;
    auto rs = Query(QStringLiteral("Select * From KALOR_SoftLan Order by nSign"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
        pSheet->rows.push_back({StoredName(rs->GetText(QStringLiteral("nSign"))), StoredText(rs->GetText(QStringLiteral("Lan1"))),
                                StoredText(rs->GetText(QStringLiteral("Lan2"))), StoredText(rs->GetText(QStringLiteral("Lan3")))});

    rs = Query(QStringLiteral("Select * From ") + QLatin1String("KALOR_VELAMPlus_ErrInf") + QLatin1String(" Order by ErrCount"));
    if (!rs || rs->GetRecordCount() == 0)
        return false;
    pSheet->rows.push_back({});
    // The codes go out rising as numbers, the order the import takes them in
    // (as text, "ERR12" would come before "ERR3").
    std::vector<std::pair<int, std::size_t>> faults;
    const std::size_t first = pSheet->rows.size();
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
        const QString key = StoredName(rs->GetText(QStringLiteral("ErrCount"))) + QLatin1Char('_') + StoredName(rs->GetText(QStringLiteral("ErrLevel")));
        faults.emplace_back(CodeNumber(key), pSheet->rows.size());
        for (const char* part : {"ErrName", "ErrCause", "ErrDeal"}) {
            const QString col = QLatin1String(part);
            pSheet->rows.push_back({key, StoredText(rs->GetText(col + QLatin1Char('1'))), StoredText(rs->GetText(col + QLatin1Char('2'))),
                                    StoredText(rs->GetText(col + QLatin1Char('3')))});
        }
    }
    m_pRecordset.reset();
    std::stable_sort(faults.begin(), faults.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<std::array<QString, 4>> sorted;
    for (const auto& [code, at] : faults)
        sorted.insert(sorted.end(), pSheet->rows.begin() + std::ptrdiff_t(at), pSheet->rows.begin() + std::ptrdiff_t(at + 3));
    std::move(sorted.begin(), sorted.end(), pSheet->rows.begin() + std::ptrdiff_t(first));
    return true;
}

namespace {

// What is wrong with a language sheet, told in the language in force.
enum class SheetFault {
    Sign, SignOrSeparator, SeparatorNotEmpty, FaultExpected, BadKey, KeyOrder, KeyRepeat, EndExpected, TooManyRows,
    TextTooLong, TextsTooLong, StoredTextsTooLong, BadCharacter, HalfSurrogate, NonCharacter
};

QString SheetFaultText(int nLanguageKind, SheetFault fault, const QString& a, const QString& b)
{
    const int lan = nLanguageKind == 2 || nLanguageKind == 3 ? nLanguageKind : 1;
    auto pick = [lan](const char* zh, const char* en, const char* tw) {
        return QString::fromUtf8(lan == 2 ? en : lan == 3 ? tw : zh);
    };
    switch (fault) {
    case SheetFault::Sign: return pick("应为序号 %1。", "the sign %1 is expected.", "應為序號 %1。").arg(a);
    case SheetFault::SignOrSeparator:
        return pick("应为序号 %1 或空行。", "the sign %1 or an empty row is expected.", "應為序號 %1 或空行。").arg(a);
    case SheetFault::SeparatorNotEmpty:
        return pick("界面文字与故障文字之间的分隔行应为空。", "the row between the texts and the faults must be empty.",
                    "界面文字與故障文字之間的分隔行應為空。");
    case SheetFault::FaultExpected: return pick("应为故障键。", "a fault key is expected.", "應為故障鍵。");
    case SheetFault::BadKey:
        return pick("故障键“%1”应为“代码_级别”的形式，代码从 1 起，级别为 0、1、2 或 3。",
                    "the fault key \"%1\" is not of the form code_level, with a code from 1 and a level of 0, 1, 2 or 3.",
                    "故障鍵「%1」應為「代碼_級別」的形式，代碼從 1 起，級別為 0、1、2 或 3。").arg(QuoteText(a));
    case SheetFault::KeyOrder:
        return pick("故障键“%1”应排在“%2”之后。", "the fault key \"%1\" must come after \"%2\".",
                    "故障鍵「%1」應排在「%2」之後。").arg(QuoteText(a), QuoteText(b));
    case SheetFault::TooManyRows:
        return pick("语言表最多 %1 行。", "a language table has at most %1 rows.", "語言表最多 %1 行。").arg(a);
    case SheetFault::KeyRepeat:
        return pick("每个故障占三行，此处应为故障键“%1”。", "each fault takes three rows: the fault key \"%1\" is expected.",
                    "每個故障佔三行，此處應為故障鍵「%1」。").arg(QuoteText(a));
    case SheetFault::EndExpected: return pick("应为“End”。", "\"End\" is expected.", "應為「End」。");
    case SheetFault::TextTooLong:
        return pick("文字超过 %1 个字符。", "the text is longer than %1 characters.", "文字超過 %1 個字元。").arg(a);
    case SheetFault::TextsTooLong:
        return pick("语言表的文字合计超过 %1 个字符。", "the texts of the table come to more than %1 characters in all.",
                    "語言表的文字合計超過 %1 個字元。").arg(a);
    case SheetFault::StoredTextsTooLong:
        return pick("空单元格保留原有文字后，语言表的文字合计超过 %1 个字符。",
                    "with the stored texts that its empty cells keep, the texts of the table come to more than %1 characters in all.",
                    "空儲存格保留原有文字後，語言表的文字合計超過 %1 個字元。").arg(a);
    case SheetFault::NonCharacter:
        return pick("文字含有字符 U+%1，它不是可以存储的字符。", "the text holds U+%1, which is not a character that can be stored.",
                    "文字含有字元 U+%1，它不是可以儲存的字元。").arg(a);
    case SheetFault::BadCharacter:
        return pick("文字含有字符 U+%1，文字中只允许制表符和换行这两种控制字符。",
                    "the text holds the character U+%1: of the control characters a text holds only tabs and line breaks.",
                    "文字含有字元 U+%1，文字中只允許定位字元和換行這兩種控制字元。").arg(a);
    case SheetFault::HalfSurrogate:
        return pick("文字含有字符 U+%1，它只是一对代理码的一半，不能单独存储。", "the text holds U+%1, half of a surrogate pair, which is no character.",
                    "文字含有字元 U+%1，它只是一對代理碼的一半，不能單獨儲存。").arg(a);
    }
    return {};
}

QString SheetRefusal(int nLanguageKind, int row, int col, const QString& reason)
{
    QString letters;
    for (int c = col; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(u'A' + (c - 1) % 26));
    const int lan = nLanguageKind == 2 || nLanguageKind == 3 ? nLanguageKind : 1;
    const char* head = lan == 2 ? "The language table was not imported: row %1, column %2: %3"
                       : lan == 3 ? "語言表未導入：第 %1 行第 %2 列：%3"
                                  : "语言表未导入：第 %1 行第 %2 列：%3";
    return QString::fromUtf8(head).arg(row).arg(letters, reason);
}

// The first character of a text that a caption cannot show as it is: NUL
// (which would cut the stored text short), another control character than
// tab and line breaks, or half of a surrogate pair; or a noncharacter
// (U+FFFE, U+FFFF, U+FDD0..U+FDEF and the last two of every plane), which a
// workbook cannot hold, so the station's own export would not read back.
struct UnshownChar {
    char32_t code;
    SheetFault why;
};
std::optional<UnshownChar> UnshownCharacter(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t code = QChar::surrogateToUcs4(ch, text[i + 1]);
            if (QChar::isNonCharacter(code))
                return UnshownChar{code, SheetFault::NonCharacter};
            ++i;
            continue;
        }
        if (ch.category() == QChar::Other_Control && ch != u'\t' && ch != u'\n' && ch != u'\r')
            return UnshownChar{ch.unicode(), SheetFault::BadCharacter};
        if (ch.isSurrogate())
            return UnshownChar{ch.unicode(), SheetFault::HalfSurrogate};
        if (ch.isNonCharacter())
            return UnshownChar{ch.unicode(), SheetFault::NonCharacter};
    }
    return std::nullopt;
}

// A fault key as the export writes it: a code from 1 and a level 0 to 3,
// joined by "_". Level 0 is a row without texts; a higher level would be
// shown as an unrelated UI text.
bool IsFaultKey(const QString& key)
{
    const QString level = key.mid(key.indexOf(QLatin1Char('_')) + 1);
    return key.contains(QLatin1Char('_')) && CodeNumber(key) > 0 && level.size() == 1 && level[0] >= u'0'
           && level[0] <= u'3';
}

} // namespace

bool CDBServer::ValidateLanguageSheet(const strLanguageSheet& sheet, QString* pWhy) const
{
    // Only the shape the export writes is taken: UI signs from 0 without gap or
    // repeat, at least as many as the station shows; one empty row; three rows
    // per fault under one key, codes in the order the export gives; "End".
    const auto& rows = sheet.rows;
    const auto refuse = [&](std::size_t r, int c, SheetFault fault, const QString& a = {}, const QString& b = {}) {
        *pWhy = SheetRefusal(m_nLanguageKind, sheet.nFirstRow + int(r), sheet.nFirstCol + c,
                             SheetFaultText(m_nLanguageKind, fault, a, b));
        return false;
    };
    const auto cell = [&rows](std::size_t r, int c) { return r < rows.size() ? rows[r][std::size_t(c)] : QString(); };
    if (rows.size() > std::size_t(kMaxLanguageRows))
        return refuse(std::size_t(kMaxLanguageRows), 0, SheetFault::TooManyRows, QString::number(kMaxLanguageRows));
    // Every text is one the station can load at each start and show.
    std::int64_t chars = 0;
    for (std::size_t t = 0; t < rows.size(); ++t) {
        for (int c = 0; c < 4; ++c) {
            const QString& text = rows[t][std::size_t(c)];
            if (text.size() > kMaxLanguageText)
                return refuse(t, c, SheetFault::TextTooLong, QString::number(kMaxLanguageText));
            if ((chars += text.size()) > kMaxLanguageTableChars)
                return refuse(t, c, SheetFault::TextsTooLong, QString::number(kMaxLanguageTableChars));
            if (const std::optional<UnshownChar> ch = UnshownCharacter(text))
                return refuse(t, c, ch->why, QString::asprintf("%04X", unsigned(ch->code)));
        }
    }
    std::size_t r = 0;
    for (;; ++r) {
        const QString sign = cell(r, 0);
        if (sign.isEmpty() && r >= std::size_t(kUiTextsUsed) && r < rows.size())
            break;
        if (sign != QString::number(r))
            return refuse(r, 0, r >= std::size_t(kUiTextsUsed) ? SheetFault::SignOrSeparator : SheetFault::Sign,
                          QString::number(r));
    }
    for (int c = 1; c < 4; ++c) {
        if (!cell(r, c).isEmpty())
            return refuse(r, c, SheetFault::SeparatorNotEmpty);
    }
    QString previous;
    for (++r;; r += 3) {
        const QString key = cell(r, 0);
        if (key == QLatin1String("End") && !previous.isEmpty())
            return true;
        if (key.isEmpty() || key == QLatin1String("End"))
            return refuse(r, 0, previous.isEmpty() ? SheetFault::FaultExpected : SheetFault::EndExpected);
        if (!IsFaultKey(key))
            return refuse(r, 0, SheetFault::BadKey, key);
        // Codes rise as numbers, as the export writes them: "ERR9" after
        // "ERR60" would be a second fault 9.
        if (!previous.isEmpty() && CodeNumber(key) <= CodeNumber(previous))
            return refuse(r, 0, SheetFault::KeyOrder, key, previous);
        for (std::size_t k = 1; k < 3; ++k) {
            if (cell(r + k, 0) != key)
                return refuse(r + k, 0, SheetFault::KeyRepeat, key);
        }
        previous = key;
    }
}

bool CDBServer::ImportLanguageTable(const strLanguageSheet& sheet)
{
    // The whole sheet is checked first and both tables are replaced in one
    // transaction: on any failure the texts of the next start stay as they were.
    QString why;
    if (!ValidateLanguageSheet(sheet, &why)) {
        AfxMessageBox(why);
        return false;
    }
    if (!m_pAdo->IsOpen())
        return Exec(QStringLiteral("Delete From KALOR_SoftLan"));  // reports the closed connection

    // An empty cell keeps the text stored for its sign or fault: a language
    // column left empty in the workbook never wipes the station's captions.
    std::map<QString, std::array<QString, 3>> oldTexts;
    if (auto rs = Query(QStringLiteral("Select * From KALOR_SoftLan"))) {
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
            oldTexts[rs->GetText(QStringLiteral("nSign"))] = {rs->GetText(QStringLiteral("Lan1")),
                                                              rs->GetText(QStringLiteral("Lan2")),
                                                              rs->GetText(QStringLiteral("Lan3"))};
    }
    std::map<QString, std::array<QString, 9>> oldFaults;
    if (auto rs = Query(QStringLiteral("Select * From KALOR_VELAMPlus_ErrInf"))) {
        for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext()) {
            std::array<QString, 9>& texts = oldFaults[rs->GetText(QStringLiteral("ErrCount"))];
            for (int lan = 1; lan <= 3; ++lan) {
                int part = 0;
                for (const char* column : {"ErrName", "ErrCause", "ErrDeal"})
                    texts[std::size_t(3 * (lan - 1) + part++)] = rs->GetText(QLatin1String(column) + QString::number(lan));
            }
        }
    }
    m_pRecordset.reset();
    const auto orKept = [](const QString& text, const auto& old, const QString& key, std::size_t i) {
        if (!text.isEmpty())
            return text;
        const auto it = old.find(key);
        return it == old.end() ? text : it->second[i];
    };

    // The table as it will be stored, kept texts in the empty cells: the
    // bound holds for it, or three imports of one column each would store a
    // table that its own export cannot bring back.
    std::vector<std::array<QString, 4>> rows = sheet.rows;
    std::size_t separator = 0;
    for (; !rows[separator][0].isEmpty(); ++separator) {
        for (std::size_t lan = 1; lan <= 3; ++lan)
            rows[separator][lan] = orKept(rows[separator][lan], oldTexts, rows[separator][0], lan - 1);
    }
    for (std::size_t r = separator + 1; rows[r][0] != QLatin1String("End"); r += 3) {
        const QString code = CodeOfKey(rows[r][0]);
        for (std::size_t lan = 1; lan <= 3; ++lan) {
            for (std::size_t part = 0; part < 3; ++part)
                rows[r + part][lan] = orKept(rows[r + part][lan], oldFaults, code, 3 * (lan - 1) + part);
        }
    }
    std::int64_t chars = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < 4; ++c) {
            if ((chars += rows[r][c].size()) > kMaxLanguageTableChars) {
                AfxMessageBox(SheetRefusal(m_nLanguageKind, sheet.nFirstRow + int(r), sheet.nFirstCol + int(c),
                                           SheetFaultText(m_nLanguageKind, SheetFault::StoredTextsTooLong,
                                                          QString::number(kMaxLanguageTableChars), QString())));
                return false;
            }
        }
    }

    CDbTransaction trans(*m_pAdo);
    if (!trans.IsActive())
        return false;

    auto fail = [&](const char* text) {
        trans.Rollback();
        if (text)
            AfxMessageBox(QLatin1String(text), QString());
        return false;
    };
    if (!Exec(QStringLiteral("Delete From KALOR_SoftLan")))
        return fail(nullptr);
    std::size_t r = 0;
    for (; r < separator; ++r) {
        if (!Exec(QStringLiteral("Insert into KALOR_SoftLan values( ?,?,?,?)"), {rows[r][0], rows[r][1], rows[r][2], rows[r][3]}))
            return fail("Insert the SoftLan record to the data base failure");
    }
    if (!Exec(QStringLiteral("Delete From ") + QLatin1String("KALOR_VELAMPlus_ErrInf") + QLatin1String("")))
        return fail(nullptr);
    ++r;  // past the separator row
    const QString separatorA = QStringLiteral(",") + QString(24, QLatin1Char('\t')) + QLatin1String(" ");
    const QString insert = QStringLiteral("Insert into ") + QLatin1String("KALOR_VELAMPlus_ErrInf")
                           + QLatin1String(" values(?,?,?") + separatorA
                           + QLatin1String("?,?,?,?,?,?, ?,?)");
    for (;; r += 3) {
        const QString& key = rows[r][0];
        if (key == QLatin1String("End"))
            break;
        const qsizetype cut = key.indexOf(QLatin1Char('_'));
        QVariantList values{key.left(cut), key.mid(cut + 1)};
        for (std::size_t lan = 1; lan <= 3; ++lan) {
            for (std::size_t part = 0; part < 3; ++part)
                values << rows[r + part][lan];
        }
        if (!Exec(insert, values))
            return fail("Insert the ErrInfo record to the data base failure");
    }
    return trans.Commit();
}

void CDBServer::LoadLanguageNames(QStringList* pNames)
{
    auto rs = Query(QStringLiteral("Select * From KALOR_SoftLan Where nSign = 232"));
    if (!rs || rs->GetRecordCount() == 0 || !pNames)
        return;
    rs->MoveFirst();
    *pNames << StoredText(rs->GetText(QStringLiteral("Lan1"))) << StoredText(rs->GetText(QStringLiteral("Lan2")))
            << StoredText(rs->GetText(QStringLiteral("Lan3")));
    m_pRecordset.reset();
}

void CDBServer::SetLanguageKind(int nKind)
{
    Exec(QStringLiteral("Update KALOR_SoftInf Set LanguageKind = %1").arg(nKind));
}
