#pragma once
#include <QByteArray>
#include <QString>

namespace vyper {

// Text as 8-bit Windows-1252 bytes; a character the code page lacks becomes '?'.
QByteArray ToWindows1252(const QString& text);
// Windows-1252 bytes as text; the five bytes the code page leaves undefined map to U+0081 etc.
QString FromWindows1252(const QByteArray& bytes);
// The character for one Windows-1252 byte.
QChar Windows1252Char(unsigned char byte);

}  // namespace vyper
