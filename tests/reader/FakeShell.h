#pragma once

#include "platform/TShell.h"

#include <QPrinter>
#include <QStringList>

// A desktop that records what it was asked and answers as told.
class FakeShell : public TShell {
public:
    QStringList urls, files, programs, questions;
    QList<QStringList> instances;
    QString saveFolder, saveName, saveFilter;
    QString saveAnswer; // the save dialog's answer (empty: cancelled)
    bool yesAnswer = false;
    QString pdf; // the print dialog prints here; empty: cancelled
    int beeps = 0;

    bool openUrl(const QString& url) override {
        urls << url;
        return true;
    }
    bool openFile(const QString& path) override {
        files << path;
        return true;
    }
    bool startProgram(const QString& path, const QString&, const QStringList& = {}) override {
        programs << path;
        return true;
    }
    bool startInstance(const QStringList& args) override {
        instances << args;
        return true;
    }
    QString askSaveFileName(const QString& folder, const QString& name,
                            const QString& filter) override {
        saveFolder = folder;
        saveName = name;
        saveFilter = filter;
        return saveAnswer;
    }
    bool askYesNo(const QString& question) override {
        questions << question;
        return yesAnswer;
    }
    bool askPrinter(QPrinter* printer) override {
        if (pdf.isEmpty())
            return false;
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return true;
    }
    void beep() override { ++beeps; }
    QStringList messages; // "!" in front of a warning box's text
    void showMessage(const QString& text, bool warning) override {
        messages << (warning ? QLatin1Char('!') + text : text);
    }
};
