#pragma once
// The font the coloured list and its header draw with: a face at a cell
// height in pixels and an optional average character width (0 = the face's own).
#include <QFont>
#include <QString>

QFont MakeCellFont(const QString& face, int nHeight, int nWidth);
