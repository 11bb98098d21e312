#pragma once
// Pictures saved by the windows (the table as a bitmap, the search map) through the program's
// one writer: encoded in memory, then written whole or not at all.

#include <QImage>
#include <QString>

/// Saves `image` as `format` ("BMP", "PNG") at `nom`. Empty on success, otherwise the reason in
/// French; a file that was there stays as it was.
QString EcritImage(const QImage& image, const QString& nom, const char* format);
