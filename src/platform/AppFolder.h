#pragma once
// The folder of the running executable, ending in '/'. The data folder
// SoftResoure/ lies beside the executable, so every data path starts here.
#include <QString>

QString GetAppFolder();

// Points the data paths at another folder (tests use a temporary copy of the
// data folder); an empty text goes back to the executable's folder.
void SetAppFolder(const QString& folder);
