#pragma once
// Tests of the main window and its commands without a programmer: a
// settings file of the test's own, serial ports that lead nowhere, and
// device waits a thousand times shorter. The test makes `main` when it
// needs it; TearDown closes its documents without questions.

#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"

#include <QTemporaryDir>
#include <memory>

class IsolatedMainTest : public ProgramStateTest {
protected:
    void SetUp() override
    {
        ProgramStateTest::SetUp();
        vclock::clock().setSpeed(1000);
        settings::useFile(dir.filePath(QStringLiteral("settings.ini")));
        for (int n = 1; n <= 4; ++n)
            qputenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(n)),
                    dir.filePath(QStringLiteral("no-tty-%1").arg(n)).toUtf8());
    }
    void TearDown() override
    {
        if (main) {
            for (frmDocument* d : main->documents())
                d->Set_form_chang(0);
            main.reset();
        }
        settings::useFile(QString());
        for (int n = 1; n <= 4; ++n)
            qunsetenv(qPrintable(QStringLiteral("VELMORA_COM%1").arg(n)));
        vclock::clock().setSpeed(1);
        ProgramStateTest::TearDown();
    }

    QTemporaryDir dir;
    std::unique_ptr<frmMain> main;
};
