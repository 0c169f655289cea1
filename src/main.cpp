#include "app/TMainForm.h"
#include "data/BookPaths.h"

#include <QApplication>
#include <QDir>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString book = BookPaths::takeBookOption(args);
    book = book.isEmpty() ? QApplication::applicationDirPath() : QDir(book).absolutePath();

    TMainForm form;
    if (const std::optional<int> status = form.FormCreate(book, args))
        return *status;
    return app.exec();
}
