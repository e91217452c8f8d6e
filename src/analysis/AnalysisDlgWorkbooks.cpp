// The analysis page's language settings and workbook flows: the language
// choice, the language table out to a workbook and back, the record export
// and the database compaction.
#include <QButtonGroup>
#include <QRadioButton>

#include "analysis/AnalysisDlg.h"
#include "analysis/ButAnaly.h"
#include "analysis/ExcelIO.h"
#include "analysis/XlsxWriter.h"
#include "controls/EditX.h"
#include "controls/StaX.h"
#include "database/DBServer.h"
#include "platform/BusyCursor.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"

namespace {

// What follows the page's title on the administration pages.
QString AdminTitleFiller()
{
    return QString(5, QLatin1Char('\t')) + QString(15, QLatin1Char(' ')) + QLatin1Char('\t')
           + QString(25, QLatin1Char(' ')) + QLatin1Char('\t') + QLatin1Char(' ');
}

const QStringList kImportFilter = {QStringLiteral("excel Files(*.xls*)"), QStringLiteral("*.xls*"),
                                   QStringLiteral("All Files(*.*)"), QStringLiteral("*.*")};
const QStringList kExportFilter = {QStringLiteral("Excel Files(*.xls*)"), QStringLiteral("*.xls*"),
                                   QStringLiteral("All Files(*.*)"), QStringLiteral("*.*")};

// Places of the language page, relative to the content origin.
constexpr int kRadioTop = 95;
constexpr int kRadioWidth = 100;
constexpr int kRadioHeight = 15;
constexpr int kRadioStep = 110;
constexpr int kLabelHeight = 20;
constexpr int kRowButtonWidth = 100;

} // namespace

void CAnalysisDlg::OnBnClickedLanguageSetting()
{
    m_strTitle = Text(135) + AdminTitleFiller();
    m_nCurMode = kModeLanguage;
    HighlightModeButton();
    m_nPrevMode = m_nViewMode = kModeLanguage;
    ShowLanguagePage();
    update();
}

void CAnalysisDlg::ShowLanguagePage()
{
    HideAllControls();
    const int x = m_nX0 + 10;
    const int h = m_nButHeight;

    CStaX* languageLabel = m_stLanguagePage[3];  // 1116
    languageLabel->setText(Text(233));
    languageLabel->setGeometry(x, kRadioTop - 30, 300, kLabelHeight);
    // The language radios form their own group: the fault model radios of the
    // help page are siblings and must keep their own check.
    if (!m_rbLanguage[0]->group()) {
        auto* group = new QButtonGroup(this);
        for (QRadioButton* radio : m_rbLanguage)
            group->addButton(radio);
    }
    for (std::size_t i = 0; i < m_rbLanguage.size(); ++i) {
        m_rbLanguage[i]->setGeometry(x + 10 + int(i) * kRadioStep, kRadioTop, kRadioWidth, kRadioHeight);
        if (int(i) + 1 == m_nLanguageKind)
            m_rbLanguage[i]->setChecked(true);
    }
    SetLanguageRadioCaptions();

    int y = kRadioTop + 40;
    m_stLanguagePage[0]->setText(Text(213));  // 1113
    m_stLanguagePage[0]->setGeometry(x, y, 300, kLabelHeight);
    m_btExportLan->SetCaption(Text(144));
    m_btExportLan->setGeometry(x + 10, y + 25, kRowButtonWidth, h);

    y += 75;
    m_stLanguagePage[1]->setText(Text(214));  // 1114
    m_stLanguagePage[1]->setGeometry(x, y, 300, kLabelHeight);
    m_edPath->setGeometry(x + 10, y + 26, 360, h - 4);
    m_btChooseFile->SetCaption(Text(141));
    m_btChooseFile->setGeometry(x + 380, y + 25, kRowButtonWidth, h);
    m_btImportLan->SetCaption(Text(142));
    m_btImportLan->setGeometry(x + 380 + kRowButtonWidth + 10, y + 25, kRowButtonWidth, h);

    y += 75;
    m_stLanguagePage[2]->setText(Text(215));  // 1115
    m_stLanguagePage[2]->setGeometry(x, y, 300, kLabelHeight);
    m_btCompact->setGeometry(x + 10, y + 25, kRowButtonWidth, h);
    ShowDBSize();
    m_stDBSize->setGeometry(x + 10 + kRowButtonWidth + 20, y + 29, 400, kLabelHeight);

    for (QWidget* w : std::initializer_list<QWidget*>{languageLabel, m_stLanguagePage[0], m_btExportLan,
                                                      m_stLanguagePage[1], m_edPath, m_btChooseFile, m_btImportLan,
                                                      m_stLanguagePage[2], m_btCompact, m_stDBSize})
        w->show();
}

void CAnalysisDlg::ShowDBSize()
{
    m_stDBSize->setText(Text(217) + QStringLiteral(" : ") + (m_pDB ? m_pDB->GetDBSizeText() : QString()));
}

void CAnalysisDlg::SetLanguageRadioCaptions()
{
    m_strLanNames.clear();
    if (m_pDB)
        m_pDB->LoadLanguageNames(&m_strLanNames);
    for (qsizetype i = 0; i < m_strLanNames.size() && i < qsizetype(m_rbLanguage.size()); ++i) {
        QRadioButton* radio = m_rbLanguage[std::size_t(i)];
        radio->setText(m_strLanNames.at(i));
        radio->setVisible(!m_strLanNames.at(i).isEmpty());
    }
    // The second language is never offered here, whatever the names hold.
    m_rbLanguage[1]->hide();
}

void CAnalysisDlg::OnBnClickedLanguage1()
{
    // Stored for the next start; the running texts stay as they are.
    if (m_pDB)
        m_pDB->SetLanguageKind(1);
}

void CAnalysisDlg::OnBnClickedLanguage2()
{
    if (m_pDB)
        m_pDB->SetLanguageKind(2);
}

void CAnalysisDlg::OnBnClickedLanguage3()
{
    if (m_pDB)
        m_pDB->SetLanguageKind(3);
}

void CAnalysisDlg::OnBnClickedImportLanguage()
{
    FileDialogRequest req;
    req.mode = FileDialogMode::Open;
    req.title = Text(143);
    req.filters = kImportFilter;
    req.nFilterIndex = 1;
    const std::optional<QString> chosen = AskFilePath(req, this);
    if (!chosen)
        return;
    m_strImportPath = *chosen;
    const QString tail = m_strImportPath.right(4);
    if (tail == QLatin1String(".xls") || tail == QLatin1String("xlsx")) {
        m_edPath->setText(m_strImportPath);
        m_bImportAccepted = 1;
        return;
    }
    // A refused choice also withdraws an earlier one, so that the import
    // button never reads a path the user no longer sees.
    m_strImportPath.clear();
    m_bImportAccepted = 0;
    m_edPath->clear();
    MsgBoxRequest refused{Text(231), QString()};
    refused.bTopmost = true;
    AfxMessageBox(refused);
}

void CAnalysisDlg::OnBnClickedImportConfirm()
{
    if (!m_bImportAccepted) {
        AfxMessageBox(Text(231), QString());
        return;
    }
    m_ImportSheet = {};
    int flags = 0;
    if (m_pExcel)
        m_pExcel->m_nLanguageKind = m_nLanguageKind;
    const bool read = m_pExcel && m_pExcel->ImportLanguageTable(&flags, m_strImportPath, &m_ImportSheet);
    if (!read) {
        m_bImportAccepted = 0;  // the workbook side said why
    } else if (flags == CExcelIO::kNoLanguageFilled) {
        AfxMessageBox(Text(231), QString());
    } else if (m_pDB) {
        if (m_pDB->ImportLanguageTable(m_ImportSheet)) {
            m_bImportAccepted = 0;
            ShowDBSize();  // the table may have grown or shrunk the file
            AfxMessageBox(QStringLiteral("OK"));
        }
        SetLanguageRadioCaptions();
    }
    // The rows are stored or refused: the page keeps none of them.
    m_ImportSheet = {};
}

void CAnalysisDlg::MakeExportFileName(const QString& suffix, QString* pStamp, QString* pName, const QDateTime& now) const
{
    const QDate d = now.date();
    const QTime t = now.time();
    const QString stamp = QString::asprintf("%d-%d-%d--%d-%d", d.year(), d.month(), d.day(), t.hour(), t.minute());
    if (pStamp)
        *pStamp = stamp;
    if (pName)
        *pName = stamp + suffix;
}

QString CAnalysisDlg::GetExcelFileExt()
{
    if (!m_pExcel)
        return QStringLiteral("xlsx");
    m_pExcel->StartExcel();
    const QString ext = m_pExcel->m_nExcelVersion <= 11 ? QStringLiteral("xls") : QStringLiteral("xlsx");
    m_pExcel->CloseExcel();
    return ext;
}

int CAnalysisDlg::ShowExportSaveDialog(int nKind, const QString& name, const QString& ext, QString* pPath)
{
    FileDialogRequest req;
    req.mode = FileDialogMode::Save;
    req.title = Text(nKind == 1 ? 149 : 150);
    req.defaultName = name;
    req.defaultExt = ext;
    req.filters = kExportFilter;
    req.bOverwritePrompt = true;
    req.writtenSuffix = QLatin1String(CXlsxWriter::kSuffix);  // the dialog asks about the file written
    const std::optional<QString> chosen = AskFilePath(req, this);
    if (!chosen)
        return 0;
    if (pPath)
        *pPath = *chosen;
    return 1;
}

void CAnalysisDlg::OnBnClickedExportLanguage()
{
    QString stamp;
    QString name;
    MakeExportFileName(QStringLiteral("-Language"), &stamp, &name);
    const QString ext = GetExcelFileExt();
    QString path;
    if (ShowExportSaveDialog(1, name, ext, &path) != 1)
        return;
    m_ExportSheet.rows.clear();
    if (m_pDB)
        m_pDB->LoadLanguageTableForExport(&m_ExportSheet);
    if (!m_pExcel)
        return;
    m_pExcel->m_nLanguageKind = m_nLanguageKind;
    if (m_pExcel->ExportLanguageTable(path, stamp, m_ExportSheet)) {
        MsgBoxRequest done{Text(91), QString()};
        done.bTopmost = true;
        AfxMessageBox(done);
    }
}

void CAnalysisDlg::OnBnClickedExportRecords()
{
    QString name;
    MakeExportFileName(QStringLiteral("-ErrInf"), nullptr, &name);
    const QString ext = GetExcelFileExt();
    QString path;
    if (ShowExportSaveDialog(2, name, ext, &path) != 1 || !m_pExcel)
        return;
    // The saved workbook replaces an existing file only once it is complete,
    // so the old file is not deleted beforehand.
    m_pExcel->m_strPeriod = m_strRangeLabel;
    m_pExcel->m_nLanguageKind = m_nLanguageKind;
    const CBusyCursor busy;
    m_pExcel->ExportRecords(m_nViewMode, path, m_pCallStat ? m_pCallStat->data() : nullptr, m_pFaultStat->data(),
                            m_pErrInfTab ? m_pErrInfTab->data() : nullptr);
}

void CAnalysisDlg::OnBnClickedCompactDb()
{
    if (!m_pDB)
        return;
    QString why;
    const QString size = m_pDB->CompactDatabase(&why);
    if (size.isEmpty()) {
        AfxMessageBox((Text(219) + QLatin1Char('\n') + why).trimmed());
        return;
    }
    m_stDBSize->setText(Text(218) + QStringLiteral(" ") + size);
}
