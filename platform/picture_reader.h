#pragma once
// Decodes a picture held as bytes, recognised by its content as TPicture
// does (JPEG, PNG, BMP, GIF, ICO, or a metafile drawn at its own size).

#include <QByteArray>
#include <QImage>
#include <functional>

// Returns a null image for empty or unreadable bytes. A JPEG is decoded in
// horizontal bands so that `progress`, when given, hears the percentage of
// rows done (0 first, 100 last); other formats decode in one step and
// report nothing.
QImage ReadPicture(const QByteArray &bytes, const std::function<void(int percent)> &progress = {});
