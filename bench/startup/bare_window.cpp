// The floor for start-up: the smallest Qt Widgets program that shows one main window.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare window"));
    window.menuBar()->addMenu(QStringLiteral("&File"));
    auto* label = new QLabel(QStringLiteral("One window, nothing else."), &window);
    label->setAlignment(Qt::AlignCenter);
    window.setCentralWidget(label);
    window.statusBar();
    window.resize(785, 540);
    window.move(10, 10);
    window.show();
    return QApplication::exec();
}
