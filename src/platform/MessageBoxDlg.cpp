#include "platform/MessageBoxDlg.h"

#include <QFontMetrics>
#include <QScreen>
#include <QStringList>
#include <algorithm>

#include "platform/QuoteText.h"

namespace {
// What a box shows at most; a screen too small for it gets less (showEvent).
constexpr qsizetype kMaxChars = 1000;
constexpr qsizetype kMaxLines = 20;
constexpr qsizetype kLeastChars = 80;
constexpr qsizetype kLeastLines = 3;
const QChar kEllipsis(0x2026);
const QChar kBreak(0x200B);  // zero width space: a place to wrap, unseen

// The box wraps its text at blanks only and clips a run without one that is
// wider than itself: such a run gets a break opportunity wherever it grows
// wider than a quarter of the screen, less than the box ever is.
QString BreakLongRuns(const QString& text, const QFontMetrics& fm, int nMaxRunWidth)
{
    QString broken;
    broken.reserve(text.size() + text.size() / 16);
    int run = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        int advance = 0;
        if (c.isHighSurrogate())
            advance = fm.horizontalAdvance(text.mid(i, 2));
        else if (!c.isLowSurrogate())
            advance = fm.horizontalAdvance(c);
        run = c.isSpace() || c == kBreak ? 0 : run + advance;
        if (run > nMaxRunWidth && !c.isLowSurrogate()) {
            broken += kBreak;
            run = advance;
        }
        broken += c;
    }
    return broken;
}
} // namespace

CMessageBoxDlg::CMessageBoxDlg(QWidget* parent)
    : QMessageBox(parent)
{
    // The toolkit would guess markup from the text itself.
    setTextFormat(Qt::PlainText);
}

QString CMessageBoxDlg::FitText(const QString& text, qsizetype nMaxChars, qsizetype nMaxLines)
{
    QString fitted = text;
    fitted.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (fitted.size() > nMaxChars) {
        const qsizetype head = CutPoint(fitted, nMaxChars * 2 / 3);
        const qsizetype tail = fitted.size() - CutPoint(fitted, fitted.size() - (nMaxChars - 1 - head));
        fitted = fitted.left(head) + kEllipsis + fitted.right(tail);
    }
    if (fitted.count(QLatin1Char('\n')) >= nMaxLines) {
        const QStringList lines = fitted.split(QLatin1Char('\n'));
        const qsizetype head = nMaxLines / 2;
        const qsizetype tail = nMaxLines - 1 - head;
        fitted = (lines.mid(0, head) + QStringList{QString(kEllipsis)} + lines.mid(lines.size() - tail))
                     .join(QLatin1Char('\n'));
    }
    return fitted;
}

void CMessageBoxDlg::SetBoxText(const QString& text)
{
    m_nMaxChars = kMaxChars;
    m_nMaxLines = kMaxLines;
    m_strText = FitText(text, m_nMaxChars, m_nMaxLines);
    ShowFitted();
}

void CMessageBoxDlg::ShowFitted()
{
    const QScreen* where = screen();
    const int runWidth = where ? std::max(100, where->availableGeometry().width() / 4) : 200;
    setText(BreakLongRuns(FitText(m_strText, m_nMaxChars, m_nMaxLines), fontMetrics(), runWidth));
}

bool CMessageBoxDlg::FitsScreen() const
{
    const QScreen* where = screen();
    if (!where)
        return true;
    const QSize frame = frameGeometry().size().expandedTo(size());
    const QSize avail = where->availableGeometry().size();
    return frame.width() <= avail.width() && frame.height() <= avail.height();
}

void CMessageBoxDlg::showEvent(QShowEvent* event)
{
    // The box takes its size here; a text that still makes it larger than the
    // screen (large fonts, a small screen) is cut further until it fits or is
    // down to a few lines.
    QMessageBox::showEvent(event);
    bool bCut = false;
    while (!FitsScreen() && (m_nMaxChars > kLeastChars || m_nMaxLines > kLeastLines)) {
        m_nMaxChars = std::max(kLeastChars, m_nMaxChars / 2);
        m_nMaxLines = std::max(kLeastLines, m_nMaxLines / 2);
        ShowFitted();
        bCut = true;
    }
    if (bCut)
        adjustPosition(parentWidget());
    if (const QScreen* where = screen()) {
        const QRect avail = where->availableGeometry();
        const QRect frame = frameGeometry();
        move(std::clamp(frame.left(), avail.left(), std::max(avail.left(), avail.right() + 1 - frame.width())),
             std::clamp(frame.top(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - frame.height())));
    }
    // The box comes in front of the windows already there (an alarm pop-up
    // among them) and takes the keys, so that Enter or Escape answers it
    // without a click first, whether or not a window manager would do so.
    raise();
    activateWindow();
}
