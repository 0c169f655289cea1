#pragma once

#include <QByteArray>
#include <QString>

// Code page 866, the DOS ("OEM") code page in which old RAR archives store
// their file names when they carry no Unicode form.
namespace cp866 {

QString toUnicode(const QByteArray& bytes);
// Characters outside the code page become '?'.
QByteArray fromUnicode(const QString& text);

} // namespace cp866
