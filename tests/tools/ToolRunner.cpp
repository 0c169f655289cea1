#include "ToolRunner.h"

#include <QProcess>

bool ToolResult::oneErrorLine() const {
    return err.endsWith('\n') && err.count('\n') == 1 && err.size() > 1;
}

ToolResult ToolRunner::run(const QStringList& args, const QByteArray& input,
                           const QString& workingDir) {
    QProcess process;
    if (!workingDir.isEmpty())
        process.setWorkingDirectory(workingDir);
    process.start(QStringLiteral(VANTREL_BOOK_TOOL), args);
    ToolResult result;
    if (!process.waitForStarted(10000))
        return result;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        result.crashed = true;
        return result;
    }
    result.crashed = process.exitStatus() != QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}
