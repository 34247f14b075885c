#include "app/frmMain.h"
#include "app/Globals.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    frmMain w;
    velmora::gs().mainWindow = &w;
    w.setWindowTitle(QStringLiteral("VELMORA...."));
    w.show();
    return app.exec();
}
