// The baseline of the start-up benchmark: an empty frameless Qt window of a
// given size that reports its first painted frame like the reader does.
#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <cstdio>

namespace {

class EmptyWindow : public QWidget {
public:
    EmptyWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), Qt::white);
        if (!m_painted) {
            m_painted = true;
            std::fprintf(stdout, "vantrel: first frame\n");
            std::fflush(stdout);
        }
    }

private:
    bool m_painted = false;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    EmptyWindow w;
    w.setWindowTitle(QStringLiteral("empty"));
    w.setFixedSize(args.size() > 2 ? args[1].toInt() : 800,
                   args.size() > 2 ? args[2].toInt() : 600);
    w.show();
    return app.exec();
}
