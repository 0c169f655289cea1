#pragma once

#include "data/StructModel.h"

#include <QStringList>

class BookPaths;

// Which grammar to read: the main description (Struct.cfs) or the reduced
// one of the thesaurus window (Tesaurus.cfs).
enum class StructGrammar { Main, Thesaurus };

// Reads decoded (lower-cased) description lines into the model. Never fails:
// absent keys keep their defaults and reading stops at the end of the text on
// every input. Paths are resolved against `paths` when given.
StructModel parseStruct(const QStringList& lines, const BookPaths* paths,
                        StructGrammar grammar = StructGrammar::Main);
