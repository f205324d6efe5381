// A Qt program that shows one window and does nothing else: what any Qt Widgets program holds,
// the yardstick of bench_x11_idle_memory.

#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QLabel window(QStringLiteral("Bare Qt"));
    window.resize(320, 200);
    window.show();
    return application.exec();
}
