#pragma once
// The station's message box. Its text may carry texts from outside, so it is
// shown as the characters it is, never as markup, and however long it is the
// box stays inside the screen with its buttons in reach.
#include <QMessageBox>

class CMessageBoxDlg : public QMessageBox {
    Q_OBJECT
public:
    explicit CMessageBoxDlg(QWidget* parent = nullptr);

    // Sets the text shown: a long text keeps its beginning and its end with
    // "…" between, so that both the subject and the reason stay readable.
    void SetBoxText(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The text cut to at most nMaxChars characters and nMaxLines lines, its
    // middle left out.
    static QString FitText(const QString& text, qsizetype nMaxChars, qsizetype nMaxLines);
    void ShowFitted();
    bool FitsScreen() const;

    QString m_strText;  // the text given, cut to the most a box shows
    qsizetype m_nMaxChars = 0;
    qsizetype m_nMaxLines = 0;
};
