#pragma once

#include <QString>

// The reader's words for what goes wrong with a RAR archive.
namespace rartexts {

// An archive that cannot be opened (`archive`: its path as the reader got it).
QString openError(int code, const QString& archive);
// An entry that cannot be skipped or unpacked; empty when the code has no
// message.
QString processError(int code, const QString& name);
// The header after the entry `lastName` is damaged.
QString brokenHeader(const QString& lastName);
// A volume of the set is missing.
QString missingVolume(const QString& volume);
// The codes after which the scan or the unpacking goes on with the next entry.
bool goesOn(int processCode);

} // namespace rartexts
