#pragma once
// A fixed text for a message that no UI text fits, held in each language of
// the UI text table (kind 1 Simplified Chinese, 2 English, 3 Traditional
// Chinese), so that a message never appears in another language than the
// station's.
#include <QString>

struct FixedText {
    QString zhHans;
    QString en;
    QString zhHant;

    // The text of language kind n; a kind outside 2..3 reads as the first,
    // as the text table's loader reads it.
    QString In(int nLanguageKind) const
    {
        switch (nLanguageKind) {
        case 2: return en;
        case 3: return zhHant;
        default: return zhHans;
        }
    }
};
