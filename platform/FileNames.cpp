#include "FileNames.h"

#include <QStringDecoder>

namespace plat {

bool DecodeFileName(QByteArrayView bytes, QString& name)
{
    bool ascii = true;
    for (const char c : bytes)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) {
        name = QString::fromLatin1(bytes);
        return true;
    }
    // Keeps a leading byte order mark as the character it is.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    name = decoder(bytes);
    return !decoder.hasError() && name.toUtf8() == bytes;
}

} // namespace plat
