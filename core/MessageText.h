#pragma once

#include <QString>

// The line break inside the program's messages and captions: line feed, then carriage return.
inline const QString NewLine = QStringLiteral("\n\r");
