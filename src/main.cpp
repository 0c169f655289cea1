#include "app/TMainForm.h"
#include "data/BookPaths.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    args.removeFirst();
    QString book = BookPaths::takeBookOption(args);
    if (book.isEmpty())
        book = QApplication::applicationDirPath();

    TMainForm form;
    if (const std::optional<int> status = form.FormCreate(book, args))
        return *status;
    return app.exec();
}
