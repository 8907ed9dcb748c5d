#pragma once
// Decodes a picture held as bytes, recognised by its content as TPicture
// does (JPEG, PNG, BMP, GIF, ICO, or a metafile drawn at its own size).

#include <QByteArray>
#include <QImage>
#include <functional>

// Returns a null image for empty or unreadable bytes. A JPEG is decoded in
// horizontal bands so that `progress`, when given, hears the percentage of
// rows done (0 first, 100 last); other formats decode in one step and
// report nothing. A picture larger than a valid `bounds` comes back scaled
// down to fit inside it, keeping its aspect; a JPEG is then decoded at the
// smaller size directly, never whole.
QImage ReadPicture(const QByteArray &bytes, const std::function<void(int percent)> &progress = {},
                   QSize bounds = QSize());

// `size` scaled down to fit inside `bounds`, keeping its aspect; a size that
// fits already, or invalid bounds, leave it as it is.
QSize FittedSize(QSize size, QSize bounds);
