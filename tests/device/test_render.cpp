// Pictures of a document's device panels for a person to look at: run with
//   velmora_tests --gtest_also_run_disabled_tests --gtest_filter='*RenderPanels*'
// (under xvfb-run or QT_QPA_PLATFORM=offscreen); the PNGs go to
// $VELMORA_RENDER_DIR (default /tmp).

#include "support/Wait.h"
#include "device/DeviceFixture.h"

#include <QDir>
#include <QListWidget>
#include <QPixmap>

TEST_F(DeviceTest, DISABLED_RenderPanels)
{
    const QString dir = qEnvironmentVariable("VELMORA_RENDER_DIR", QStringLiteral("/tmp"));
    auto save = [&](QWidget* w, const char* name) { w->grab().save(QDir(dir).filePath(QString::fromLatin1(name))); };
    frmDocument* doc = openDocument();
    doc->parentWidget()->resize(1100, 760);
    load(doc, image(12));
    auto& p = P(doc);

    // During a transfer: the busy panel.
    QTimer::singleShot(vclock::clock().scaled(3600), [&] { save(doc->canvas(), "velmora-transfer.png"); });
    p.Command1->click();

    // A failed test: the banner during its display wait, then lamps and pin map.
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultFlags = 0x14;
        k.openChannels = {0, 5, 77};
        k.shortChannels = {12, 143};
        k.currentHigh = 0xF0;
        k.currentLow = 0x10;
    });
    p.Command16->click();
    bool grabbed = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!grabbed && p.S_FRAME->isVisible()) {
            grabbed = true;
            save(doc->canvas(), "velmora-test-banner.png");
        }
    });
    poll.start(5);
    p.TEST_COMMAND->click();
    testwait::until([&] { return p.TEST_COMMAND->isEnabled(); }, 10000);
    save(doc->canvas(), "velmora-test-failed.png");
    p.Command11->click();
    save(p.TEST_FRAME, "velmora-test-log.png");
    p.Command12->click();
    save(p.Frame5, "velmora-setup.png");
    p.Command14->click();
    p.Command13->click();
    save(p.Frame4, "velmora-transfer-panel.png");

    // A module test started from the programmer's own key.
    sim->updateKnobs([](sim::Knobs& k) {
        k.resultFlags = 0;
        k.openChannels.clear();
        k.shortChannels.clear();
    });
    p.Command16->click();
    const int logged = p.List1->count();
    sim->pressTestKey();
    testwait::until([&] { return p.List1->count() > logged; }, 20000);
    p.Command11->click();
    save(doc->canvas(), "velmora-own-test.png");
    p.Command19->click();

    // After a status request nobody answered, the next waits for a quiet
    // line with the busy panel up.
    sim->updateKnobs([](sim::Knobs& k) { k.silent = true; });
    main->mnuConnection_Click();
    waitForParse();
    sim->updateKnobs([](sim::Knobs& k) { k.silent = false; });
    QTimer::singleShot(vclock::clock().scaled(1500), [&] { save(main.get(), "velmora-line-wait.png"); });
    main->mnuConnection_Click();
    waitForParse();
    save(main.get(), "velmora-line-clear.png");
}
