#pragma once

#include <QObject>

class TMainForm;

// The verbs that hand something to the desktop: `run` (a program of the
// book with its parameters, or a document or folder opened with its
// program) and `help` (the book's help file), and the help key F1.
class TDesktopVerbs : public QObject {
    Q_OBJECT
public:
    explicit TDesktopVerbs(TMainForm& window);

    void runProgram(const QString& program, const QString& parameters);
    void showHelp();

private:
    TMainForm& m_window;
};
