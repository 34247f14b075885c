// The program's entry: one copy per desktop, the splash, then the main
// window, whose load step asks for the password before it is shown.

#include "state/Globals.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "platform/Instance.h"
#include "platform/Signals.h"
#include "platform/Ui.h"
#include "resources/Pictures.h"

#include <QApplication>

int main(int argc, char** argv)
{
    platform::ignoreBrokenPipes();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setOrganizationName(QStringLiteral("Corvane inc."));
    QApplication::setWindowIcon(pictures::programIcon());

    auto& g = velmora::gs();
    g.keyInMode = 0;
    g.keyInRadix = 0;

    platform::SingleInstance instance(QStringLiteral("velmora"));
    if (instance.otherRunning()) {
        ui::msgBox(QStringLiteral("The program has been executed"), ui::Buttons::Ok, ui::Icon::Critical,
                   QStringLiteral("VELMORA...."));
        instance.raiseOther();
        return 0;
    }
    // A signal that ends the program takes its socket with it, so that no
    // stale name is left in the user's folder (one left by `kill -9` is
    // taken over by the next start).
    platform::removeWhenSignalled(instance.socketPath());
    instance.listen();

    {
        frmSplash splash;
        ui::seam().exec(&splash);
    }

    frmMain w;
    QObject::connect(&instance, &platform::SingleInstance::raiseRequested, &w, [&w] {
        if (w.isMinimized())
            w.showNormal();
        w.raise();
        w.activateWindow();
    });
    w.MDIForm_Load();
    w.setWindowTitle(QStringLiteral("VELMORA...."));
    w.show();
    return app.exec();
}
