#include "BookTool.h"

#include "ArchiveCommands.h"
#include "CfsCommands.h"
#include "DumpCommand.h"
#include "FileIo.h"
#include "IndexCommand.h"
#include "PackCommands.h"
#include "PathCommands.h"
#include "RarCommands.h"
#include "SearchCommand.h"
#include "ThesaurusCommand.h"
#include "ToolError.h"
#include "TreeCommand.h"

#include <cstdio>
#include <exception>

QString BookTool::usage() {
    return QStringLiteral(
        "usage: vantrel-book COMMAND ...\n"
        "  pack DIR -o Dod.dhl [--raw]         every file below DIR becomes an entry\n"
        "                                      (sub\\name for sub-folders); *.cfs files\n"
        "                                      are UTF-8 text, stored scrambled unless --raw\n"
        "  unpack Dod.dhl -o DIR [--raw]       every entry into DIR; .cfs as UTF-8 text\n"
        "                                      unless --raw\n"
        "  cfs decode [FILE] [--lower]         scrambled description -> UTF-8 text\n"
        "  cfs encode [FILE]                   UTF-8 text -> scrambled description\n"
        "                                      (standard input/output when no FILE)\n"
        "  archive build DIR -o interface.dat  content archive of the files below DIR\n"
        "  archive list FILE                   one stored path a line\n"
        "  archive extract FILE -o DIR         every file of the archive into DIR\n"
        "  rar list FILE                       the entries of a RAR archive as JSON (name,\n"
        "                                      size, packed_size, time, attributes, folder,\n"
        "                                      encrypted)\n"
        "  rar extract FILE -o DIR             every entry into DIR as the reader unpacks\n"
        "  dump Dod.dhl [--base DIR] [--entry Struct.cfs|Tesaurus.cfs|Dialog.cfs|About.cfs]\n"
        "                                      the parsed description as JSON\n"
        "  tree Dod.dhl [--entry tree1.cfs]    the parsed contents tree as a JSON array\n"
        "                                      (depth, page, caption, parent, level)\n"
        "  thesaurus DIR TEXT                  the thesaurus lookup of TEXT in DIR's\n"
        "                                      tezaurus.idx as JSON (found, page, messages)\n"
        "  search DIR TEXT [--case] [--fallback]\n"
        "                                      the book search of TEXT with DIR as the book\n"
        "                                      folder as JSON (found, files, titles, messages);\n"
        "                                      --fallback searches page by page\n"
        "  index build PAGES_DIR -o OUT_DIR    keywords.idx, index.idx, files.idx of the pages\n"
        "  resolve [--base DIR] TEXT           a description value, path-resolved\n"
        "  join BASE REL                       two path texts joined\n");
}

int BookTool::run(const QStringList& args) {
    try {
        if (args.isEmpty())
            throw ToolError(QStringLiteral("missing command (try vantrel-book --help)"),
                            ToolError::Usage);
        const QString command = args.first();
        const QStringList rest = args.mid(1);
        if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
            command == QLatin1String("help")) {
            FileIo::writeStdout(usage().toUtf8());
            return 0;
        }
        if (command == QLatin1String("pack"))
            return PackCommands::pack(rest);
        if (command == QLatin1String("unpack"))
            return PackCommands::unpack(rest);
        if (command == QLatin1String("cfs"))
            return CfsCommands::run(rest);
        if (command == QLatin1String("archive"))
            return ArchiveCommands::run(rest);
        if (command == QLatin1String("rar"))
            return RarCommands::run(rest);
        if (command == QLatin1String("dump"))
            return DumpCommand::run(rest);
        if (command == QLatin1String("tree"))
            return TreeCommand::run(rest);
        if (command == QLatin1String("thesaurus"))
            return ThesaurusCommand::run(rest);
        if (command == QLatin1String("search"))
            return SearchCommand::run(rest);
        if (command == QLatin1String("index"))
            return IndexCommand::run(rest);
        if (command == QLatin1String("resolve"))
            return PathCommands::resolve(rest);
        if (command == QLatin1String("join"))
            return PathCommands::join(rest);
        throw ToolError(
            QStringLiteral("unknown command '%1' (try vantrel-book --help)").arg(command),
            ToolError::Usage);
    } catch (const ToolError& e) {
        std::fprintf(stderr, "vantrel-book: %s\n", e.message().toUtf8().constData());
        return e.exitCode();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vantrel-book: out of memory\n");
        return ToolError::Failure;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "vantrel-book: %s\n", e.what());
        return ToolError::Failure;
    }
}
