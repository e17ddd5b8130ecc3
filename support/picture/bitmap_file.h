#pragma once
#include <QByteArrayView>
#include <QImage>
#include <QString>

// Bitmap files are checked before they are decoded: a file whose pixel data is shorter than
// its header promises, whose dimensions are absurd (more than 8192 pixels a side or 16 million
// in all) or whose header is malformed is unreadable, so a picture is either whole and
// correct or not loaded at all, and no file can make the program allocate without bound.

// Decodes a complete bitmap held in memory; a null image when it is not one.
QImage decodeBitmap(QByteArrayView bytes);

// Reads and decodes a bitmap file; throws StepFailed when it is missing or unreadable.
QImage loadBitmapFile(const QString& path);
