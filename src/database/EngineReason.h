#pragma once
// The reason of a failure, in the language of the station (kind 1 Simplified
// Chinese, 2 English, 3 Traditional Chinese): the engine's and the system's
// common reasons are given in that language; any other keeps its own text.
#include <QString>

// An engine result code (SQLITE_BUSY, SQLITE_FULL...) with the engine's text.
QString EngineReason(int nCode, const QString& strText, int nLanguageKind);
// A system error number (EACCES, ENOSPC...) with the system's text.
QString SystemReason(int nErrno, const QString& strText, int nLanguageKind);
