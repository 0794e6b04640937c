// Start-up: the application title, the main window, the build dialog, then
// the message loop until the main window closes.
#include "framework/Application.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    QMainWindow window;
    window.show();
    return app.exec();
}
