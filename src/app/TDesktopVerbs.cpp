#include "app/TDesktopVerbs.h"

#include "app/TMainForm.h"
#include "data/BookPaths.h"
#include "platform/Log.h"
#include "platform/TShell.h"

#include <QFileInfo>
#include <QProcess>

using vlog::complain;

TDesktopVerbs::TDesktopVerbs(TMainForm& window) : QObject(&window), m_window(window) {
    window.claimVerb(Verb::Run, [this](const RCommand& c) { runProgram(c.value, c.second); });
    window.claimVerb(Verb::Help, [this](const RCommand&) { showHelp(); });
    window.claimKey(TKeyboardMap::Action::Help, [this] { showHelp(); });
}

void TDesktopVerbs::runProgram(const QString& program, const QString& parameters) {
    if (program.isEmpty())
        return;
    const QString native = m_window.book().nativeOf(program);
    const QFileInfo info(native);
    TShell& shell = TShell::instance();
    if (info.isFile() && info.isExecutable()) {
        if (!shell.startProgram(native, info.absolutePath(), QProcess::splitCommand(parameters)))
            complain(QStringLiteral("cannot start %1").arg(native));
        return;
    }
    // Documents and folders open with their associated programs.
    if (!shell.openFile(native))
        complain(QStringLiteral("cannot open %1").arg(native));
}

void TDesktopVerbs::showHelp() {
    const QString help = m_window.model().helpwin.fn;
    if (help.isEmpty())
        return;
    const QString native = BookPaths::resolveOnDisk(help);
    if (!native.isEmpty())
        TShell::instance().openFile(native);
}
