#pragma once

#include <QByteArrayView>
#include <QString>

namespace plat {

// Decodes a name as the file system holds it (UTF-8). True only when the text encodes back to
// exactly these bytes: a name that is not valid UTF-8, or that a decoder would change (a leading
// U+FEFF is dropped by Qt's plain UTF-8 conversion), could not be named again without risking
// another file, so callers skip it.
bool DecodeFileName(QByteArrayView bytes, QString& name);

} // namespace plat
