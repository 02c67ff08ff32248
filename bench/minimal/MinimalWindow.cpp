// One empty top-level window, shown: what any Qt Widgets program pays before its first paint.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(1024, 700);
    window.show();
    return app.exec();
}
