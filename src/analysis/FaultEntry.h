#pragma once
// A fault code's texts in a fault-text table, found by the code's number: the
// rows follow the text order of their codes and a table may skip codes, so a
// row's position says nothing about its code.
#include <QString>

struct strErrInfTab;

// Row of the code in the table, or -1 when the table has no text for it.
int FaultEntryOfCode(const strErrInfTab& tab, int nCode);
// The table's code text ("ERR12"); a code without a row shows as "ERR%02d".
QString FaultCodeText(const strErrInfTab* pTab, int nCode);
// The fault's name; empty when the table has no row for the code.
QString FaultNameOfCode(const strErrInfTab* pTab, int nCode);
