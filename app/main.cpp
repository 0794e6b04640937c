// Start-up: the application title, the main window, the build dialog, then
// the message loop until the main window closes.
#include "archive/Zorvmain.h"
#include "framework/Application.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/zorvak/icon32.png")));
    zorvak::TZorvakForm form;
    form.show();
    return app.exec();
}
