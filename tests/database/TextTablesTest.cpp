// UI texts, fault texts and the language table's way to and from a workbook.

#include "DbTestSupport.h"

namespace {

class TextTest : public DbTest {
protected:
    // Both language-related tables, every column, as text.
    QStringList Dump()
    {
        return Column(QStringLiteral("SELECT nSign || '|' || coalesce(Lan1, '<null>') || '|' || coalesce(Lan2, '<null>') || '|'"
                                     " || coalesce(Lan3, '<null>') FROM KALOR_SoftLan ORDER BY nSign"))
               + Column(QStringLiteral("SELECT quote(ErrCount) || quote(ErrLevel) || quote(ErrName1) || quote(ErrCause1)"
                                       " || quote(ErrDeal1) || quote(ErrName2) || quote(ErrCause2) || quote(ErrDeal2)"
                                       " || quote(ErrName3) || quote(ErrCause3) || quote(ErrDeal3)"
                                       " FROM KALOR_VELAMPlus_ErrInf ORDER BY ErrCount"));
    }
    bool Load(int nKind, strErrInfTab* pTabs, CErrNameMap* pNames = nullptr)
    {
        CErrNameMap names;
        return m_db.LoadLanguageAndFaultTexts(nKind, pTabs, pNames ? pNames : &names);
    }
    // UI texts 0..276 as the station shows them, and the sheet the export
    // makes of them with its end marker: an import needs them all.
    strLanguageSheet StationShapedSheet()
    {
        EXPECT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftLan")));
        EXPECT_TRUE(Exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 276)"
                                        " INSERT INTO KALOR_SoftLan SELECT i, 'A' || i, 'B' || i, 'C' || i FROM n")));
        m_db.m_nLanguageKind = 2;
        strLanguageSheet sheet;
        EXPECT_TRUE(m_db.LoadLanguageTableForExport(&sheet));
        sheet.rows.push_back({QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End")});
        return sheet;
    }
};

} // namespace

TEST_F(TextTest, TextsFollowSignOrderTheLanguageColumnAndTheFaultTablesRowPositions)
{
    EXPECT_EQ(m_db.GetLanguageKind(), 2);
    m_db.SetLanguageKind(3);
    EXPECT_EQ(m_db.GetLanguageKind(), 3);
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_SoftLan")));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_SoftLan VALUES (5,'a5','b5','c5'), (2,'a2',NULL,'c2'), (9,'a9','b9','c9')")));
    QStringList texts;
    m_db.m_pLanText = &texts;
    strErrInfTab tabs[3];
    ASSERT_TRUE(Load(2, tabs));
    EXPECT_EQ(m_db.m_nLanguageKind, 2);
    // Row positions stay row positions: the NULL text keeps its place, empty.
    EXPECT_EQ(texts, QStringList({QString(), QStringLiteral("b5"), QStringLiteral("b9")}));
    EXPECT_EQ(tabs[0].strErrName, QStringList{QStringLiteral("n1b")});
    EXPECT_EQ(tabs[2].strErrCause, QStringList({QStringLiteral("Jammed"), QStringLiteral("Governor")}));  // ERR12 before ERR3
    // A kind outside 1..3 reads the first language.
    texts.clear();
    strErrInfTab more[3];
    ASSERT_TRUE(Load(0, more));
    EXPECT_EQ(texts, QStringList({QStringLiteral("a2"), QStringLiteral("a5"), QStringLiteral("a9")}));
    EXPECT_EQ(m_db.m_nLanguageKind, 1);

    // Fault tables keep row positions and levels, and the first name of a code.
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_VELAS_ErrInf")));
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_VELAMPlus_ErrInf")));
    ASSERT_TRUE(Exec(QStringLiteral("INSERT INTO KALOR_VELAS_ErrInf (ErrCount, ErrLevel, ErrName1, ErrName3) VALUES"
                                    " ('ERR2', 2, 'two', 'zwei'), ('ERR10', 0, 'ten', 'zehn'), ('ERR1', 1, 'one', 'eins')")));
    ASSERT_TRUE(Exec(QStringLiteral(
        "INSERT INTO KALOR_VELAMPlus_ErrInf (ErrCount, ErrLevel, ErrName3, ErrCause3, ErrDeal3) VALUES"
        " ('ERR07', '2', 'first seven', 'c', 'd'), ('ERR7', '3', 'second seven', 'c2', 'd2'),"
        " ('ERR12', '0', 'unused', 'x', 'y'), ('ERRX', '1', 'no digits', '', NULL),"
        " ('ERR4294967297', '1', 'huge', 'c3', 'd3')")));
    CErrNameMap names;
    strErrInfTab third[3];
    ASSERT_TRUE(Load(3, third, &names));
    // Text order of ErrCount: ERR1, ERR10, ERR2; the level-0 row has empty texts.
    EXPECT_EQ(QList<int>({third[0].nLevel[0], third[0].nLevel[1], third[0].nLevel[2]}), QList<int>({1, 0, 2}));
    EXPECT_EQ(third[0].strErrCount, QStringList({QStringLiteral("ERR1"), QString(), QStringLiteral("ERR2")}));
    EXPECT_EQ(third[0].strErrName, QStringList({QStringLiteral("eins"), QString(), QStringLiteral("zwei")}));
    EXPECT_TRUE(third[0].strLevel.isEmpty());
    // Text order again: ERR07, ERR12, ERR4294967297, ERR7, ERRX. A code past
    // the int range stays at its bound, never wraps to a small one.
    const strErrInfTab& plus = third[2];
    EXPECT_EQ(plus.strLevel, QStringList({"2", "0", "1", "3", "1"}));
    EXPECT_EQ(plus.strErrCount, QStringList({"ERR07", "", "ERR4294967297", "ERR7", "ERRX"}));
    EXPECT_EQ(plus.strErrDeal, QStringList({"d", "", "d3", "d2", ""}));
    EXPECT_EQ(names, (CErrNameMap{{0, QStringLiteral("no digits")}, {7, QStringLiteral("first seven")},
                                  {INT_MAX, QStringLiteral("huge")}}));
    // An empty fault table fails the load.
    ASSERT_TRUE(Exec(QStringLiteral("DELETE FROM KALOR_VELAM_ErrInf")));
    EXPECT_FALSE(Load(1, more));
}

TEST_F(TextTest, ExportedSheetHasTextsSeparatorAndThreeRowsPerFault)
{
    strLanguageSheet sheet;
    ASSERT_TRUE(m_db.LoadLanguageTableForExport(&sheet));
    ASSERT_EQ(sheet.rows.size(), std::size_t(51 + 1 + 2 * 3));
    EXPECT_EQ(sheet.rows[0], (std::array<QString, 4>{"0", "A0", "B0", "C0"}));
    EXPECT_EQ(sheet.rows[50], (std::array<QString, 4>{"232", "Jian", "English", "Fan"}));
    EXPECT_EQ(sheet.rows[51], (std::array<QString, 4>{}));
    // Codes rise as numbers: ERR3 before ERR12, which comes first as text.
    EXPECT_EQ(sheet.rows[52], (std::array<QString, 4>{"ERR3_1", "over'speed", "Over speed", "OS"}));
    EXPECT_EQ(sheet.rows[55], (std::array<QString, 4>{"ERR12_3", "door", "Door", "DOOR"}));
    EXPECT_EQ(sheet.rows[56], (std::array<QString, 4>{"ERR12_3", "jammed", "Jammed", "JAMMED"}));
    EXPECT_EQ(sheet.rows[57], (std::array<QString, 4>{"ERR12_3", "free it", "Free it", "FREE IT"}));
    QStringList names;
    m_db.LoadLanguageNames(&names);
    EXPECT_EQ(names, QStringList({QStringLiteral("Jian"), QStringLiteral("English"), QStringLiteral("Fan")}));
}


TEST_F(TextTest, ImportSplitsKeysAtTheUnderscoreAndStopsAtEnd)
{
    strLanguageSheet sheet = StationShapedSheet();
    sheet.rows.resize(kUiTextsUsed + 1);
    for (const char* key : {"12_3", "13_1"}) {
        for (const char* part : {"n", "c", "d"})
            sheet.rows.push_back({QLatin1String(key), QLatin1String(part) + QLatin1Char('1'), QLatin1String(part) + QLatin1Char('2'),
                                  QLatin1String(part) + QLatin1Char('3')});
    }
    sheet.rows.push_back({QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End"), QStringLiteral("End")});
    sheet.rows.push_back({"99_9", "never", "read", "."});
    ASSERT_TRUE(m_db.ImportLanguageTable(sheet));
    EXPECT_EQ(Column(QStringLiteral("SELECT ErrCount || '/' || ErrLevel || '/' || ErrName1 || ErrCause2 || ErrDeal3"
                                    " FROM KALOR_VELAMPlus_ErrInf ORDER BY rowid")),
              QStringList({QStringLiteral("12/3/n1c2d3"), QStringLiteral("13/1/n1c2d3")}));
    EXPECT_EQ(Count(QStringLiteral("KALOR_SoftLan")), kUiTextsUsed);
}

TEST_F(TextTest, FailingImportLeavesBothTablesAsTheyWere)
{
    strLanguageSheet good = StationShapedSheet();
    const QStringList before = Dump();
    // A sheet that fails its check changes nothing and names the first wrong cell.
    const std::vector<std::pair<std::function<void(strLanguageSheet&)>, const char*>> spoilt = {
        {[](strLanguageSheet& s) { s.rows.resize(100); }, "row 102, column A: the sign 100 is expected"},
        {[](strLanguageSheet& s) { s.rows.pop_back(); }, "\"End\" is expected"},
        {[](strLanguageSheet& s) { s.rows.resize(s.rows.size() - 2); }, "three rows"},
        {[](strLanguageSheet& s) { s.rows[3][0] = QStringLiteral("three"); }, "sign 3 is expected"},
        {[](strLanguageSheet& s) { s.rows.clear(); }, "row 2, column A"},
    };
    for (const auto& [spoil, message] : spoilt) {
        SCOPED_TRACE(message);
        strLanguageSheet sheet = good;
        spoil(sheet);
        EXPECT_FALSE(m_db.ImportLanguageTable(sheet));
        EXPECT_TRUE(m_boxes.texts().value(0).contains(QLatin1String(message))) << m_boxes.texts().value(0).toStdString();
        ExpectBoxes(1);
        EXPECT_EQ(Dump(), before);
    }
    // A sound sheet whose insert the engine refuses halfway, in either table:
    // what was already replaced inside the transaction comes back too.
    good.rows[0][1] = QStringLiteral("changed");
    const std::pair<const char*, const char*> refusals[] = {
        {"KALOR_VELAMPlus_ErrInf WHEN NEW.ErrCount = 'ERR3'", "Insert the ErrInfo record to the data base failure"},
        {"KALOR_SoftLan WHEN NEW.nSign = 40", "Insert the SoftLan record to the data base failure"}};
    for (const auto& [when, message] : refusals) {
        ASSERT_TRUE(Exec(QStringLiteral("CREATE TRIGGER t%1 BEFORE INSERT ON %2 BEGIN SELECT RAISE(ABORT, 'refused'); END")
                             .arg(Count(QStringLiteral("sqlite_master"), QStringLiteral("type = 'trigger'")))
                             .arg(QLatin1String(when))));
        EXPECT_FALSE(m_db.ImportLanguageTable(good));
        EXPECT_EQ(m_boxes.texts().value(2), QLatin1String(message));
        ExpectBoxes(3);  // the wrapper's two, then the import's own
        EXPECT_EQ(Dump(), before);
    }
}
