// Decoding and both grammars. The input is read twice: as a scrambled .cfs
// entry, and as plain description text (lines broken by CR LF) that is
// scrambled and decoded again, so the grammar sees readable keys.
#include "FuzzSupport.h"

#include "data/BookPaths.h"
#include "data/StringUtils.h"
#include "data/StructParser.h"
#include "platform/Cp1251.h"

namespace {

void parseBoth(const QStringList& lines, const BookPaths& paths) {
    parseStruct(lines, &paths, StructGrammar::Main);
    parseStruct(lines, &paths, StructGrammar::Thesaurus);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const BookPaths paths(QStringLiteral("/book/run/"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    parseBoth(cfs::decode(bytes, true), paths);
    cfs::decode(bytes, false);

    const QStringList plain = cp1251::toUnicode(bytes).split(QStringLiteral("\r\n"));
    const QStringList lines = cfs::decode(cfs::encode(plain), true);
    if (lines.size() != plain.size())
        __builtin_trap(); // decoding must give back every encoded line
    parseBoth(lines, paths);
    return 0;
}
