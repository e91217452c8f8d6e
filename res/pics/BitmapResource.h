#pragma once
// The bitmaps the widgets draw with, compiled into the program as resources
// and found by their resource number (door frame k is 138 + k, and so on).
#include <QImage>
#include <QSize>

// The bitmap of that number; a null image when there is none. Images are
// loaded once and shared, so every widget holding a copy costs nothing.
QImage LoadBitmapResource(int id);

// The bitmap stretched to size, made once per number and size and shared: all
// tiles of a page have one size, so they share one set of scaled pictures.
QImage LoadScaledBitmap(int id, QSize size);

// The icon of that number (with transparency); a null image when there is none.
QImage LoadIconResource(int id);
