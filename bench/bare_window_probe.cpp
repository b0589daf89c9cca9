// A bare Qt program: its window shown, then it ends. The start-up benchmark
// sets our program's start-up against this one's.
#include <QApplication>
#include <QMainWindow>
#include <QTest>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.resize(391, 463);
    window.show();
    return QTest::qWaitForWindowExposed(&window) ? 0 : 1;
}
