#pragma once
// The station's workbooks: the language table out and back in (sheets
// "SoftLanguageTab" and "Infor") and the record export (sheet "RecInf_Err",
// sheet "RecInf_Call", or one sheet "RecInf_Err_<lift name>" per lift). The
// workbooks are .xlsx files written and read by this program itself; a job
// that cannot read or save its workbook says why in a message box and leaves
// the caller's data and any existing file as they were.
#include <QString>
#include <QStringList>
#include <cstdint>

#include "analysis/CallStatBlock.h"
#include "database/ErrInfTab.h"
#include "database/LanguageSheet.h"
#include "database/LiftFaultStat.h"

class CXlsxReader;
class CXlsxWriter;

class CExcelIO {
public:
    static constexpr int kCallBlocks = 4;
    static constexpr int kLiftRecords = 64;
    static constexpr int kFaultCodes = 150;
    // An import column with more empty cells than this counts as not filled.
    static constexpr int kEmptyColumnLimit = 20;
    // Import result: none of the three language columns is filled.
    static constexpr int kNoLanguageFilled = 7;

    CExcelIO();
    ~CExcelIO();
    CExcelIO(const CExcelIO&) = delete;
    CExcelIO& operator=(const CExcelIO&) = delete;

    // Begins a job and records the workbook format's major version; the
    // workbook layer is part of the program, so this does not fail.
    bool StartExcel();
    // Ends a job; every workbook is released by the job that made it.
    void CloseExcel();
    QString GetExcelVersion() const;
    // Name of worksheet index (from 0) of an open workbook; empty when it has none.
    static QString GetSheetName(const CXlsxReader& book, int nIndex);

    // Rows of the sheet on "SoftLanguageTab" under "Sign", "Lan1", "Lan2",
    // "Lan3", closed by "End"; the save time goes to B2 of "Infor".
    bool ExportLanguageTable(const QString& strFile, const QString& strSaveTime, const strLanguageSheet& sheet);
    // Appends the rows of the first sheet (which must be "SoftLanguageTab") up
    // to and with "End". *pFlags: 4, 2, 1 for columns B, C, D with more than
    // 20 empty cells. False, with nothing appended, when the workbook cannot be
    // read or its first sheet is another one.
    bool ImportLanguageTable(int* pFlags, const QString& strFile, strLanguageSheet* pSheet);
    // Mode 6: one sheet per lift (ExportFaultSheets); modes above 5 the fault
    // count sheet, 5 and below the call sheet. pBlocks: 4, pLifts: 64, pTabs: 3.
    bool ExportRecords(int nMode, const QString& strFile, const strCallStatBlock* pBlocks,
                       const strLiftFaultStat* pLifts, const strErrInfTab* pTabs);
    bool ExportFaultSheets(int nMode, const QString& strFile, const strLiftFaultStat* pLifts, const strErrInfTab* pTabs);

    std::uint8_t m_nExcelVersion = 0;
    int m_nLanguageKind = 1;                  // 1..3: the language of the job's messages
    const QStringList* m_pLanText = nullptr;  // UI text table; not owned
    QString m_strPeriod;                      // query period shown on the per-lift fault sheets

private:
    QString Text(int n) const;
    QString Say(const char* zh, const char* en, const char* tw) const;
    bool Save(CXlsxWriter& book) const;
    bool ReadFailed(const QString& strFile, const QString& why);
    bool ReadFailed(const QString& strFile, const CXlsxReader& book);
    void WriteFaultCountSheet(CXlsxWriter& book, int sheet, const strLiftFaultStat* pLifts, const strErrInfTab* pTabs) const;
    void WriteCallSheet(CXlsxWriter& book, int sheet, const strCallStatBlock* pBlocks) const;
};
