#include "analysis/FaultEntry.h"

#include "database/ErrInfTab.h"
#include "platform/AtoI.h"

namespace {

// The number of a code text such as "ERR12" (every "ERR" removed, then the
// leading digits); 0 without digits.
int CodeNumber(QString text)
{
    return AtoI(text.remove(QStringLiteral("ERR")));
}

} // namespace

int FaultEntryOfCode(const strErrInfTab& tab, int nCode)
{
    if (nCode < 1)
        return -1;
    // Where the codes are numbered without gaps the row is code - 1; that is tried first.
    if (nCode <= tab.strErrCount.size() && CodeNumber(tab.strErrCount.at(nCode - 1)) == nCode)
        return nCode - 1;
    for (int i = 0; i < tab.strErrCount.size(); ++i) {
        if (!tab.strErrCount.at(i).isEmpty() && CodeNumber(tab.strErrCount.at(i)) == nCode)
            return i;
    }
    return -1;
}

QString FaultCodeText(const strErrInfTab* pTab, int nCode)
{
    const int entry = pTab ? FaultEntryOfCode(*pTab, nCode) : -1;
    return entry >= 0 ? pTab->strErrCount.at(entry) : QString::asprintf("ERR%02d", nCode);
}

QString FaultNameOfCode(const strErrInfTab* pTab, int nCode)
{
    const int entry = pTab ? FaultEntryOfCode(*pTab, nCode) : -1;
    return entry >= 0 ? pTab->strErrName.value(entry) : QString();
}
