#pragma once
// The boxes that do not wait, on the user-interface thread. The station's
// window runs a modal loop, which blocks every window that is not its own:
// so each such box belongs to the modal window it comes over, and the
// operator can always close it, by its button, Enter or Escape, while the
// window (and the alarm pop-up) go on taking clicks. A box that waits for an
// answer keeps its OK in reach: one that does not wait comes after it has
// been answered. A text already showing is not shown twice.
#include <QPointer>
#include <QString>
#include <deque>
#include <vector>

#include "platform/MessageBox.h"

class CMessageBoxDlg;

class CModelessBoxes {
public:
    // Shows the box now, after the waiting boxes, or not at all when its
    // text is showing or about to.
    static void Show(const MsgBoxRequest& req);

    // Held while a box waits for its answer.
    class Waiting {
    public:
        Waiting();
        ~Waiting();
        Waiting(const Waiting&) = delete;
        Waiting& operator=(const Waiting&) = delete;
    };

private:
    static CModelessBoxes& Instance();
    bool IsShowingOrDue(const QString& text);
    void ShowNow(const MsgBoxRequest& req);
    void ShowDue();

    struct Shown {
        QPointer<CMessageBoxDlg> box;  // gone once closed
        QString text;                  // as asked, before the box fits it
    };

    int m_nWaiting = 0;               // boxes waiting for an answer, nested
    std::deque<QString> m_due;  // texts to show once none waits: asked afresh then
    std::vector<Shown> m_shown;
};
