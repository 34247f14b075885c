// The "XMP View" command: which document it judges, the refusal, and the one
// view that follows the document chosen.

#include "app/SpdFile.h"
#include "app/frmMain.h"
#include "document/frmDocument.h"
#include "editors/Frmxmp.h"
#include "editors/XmpImages.h"
#include "platform/SettingsStore.h"
#include "support/IsolatedMain.h"
#include "support/ScriptedUi.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QScreen>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <memory>

using velmora::gs;

namespace {

class XmpViewCommandTest : public IsolatedMainTest {
protected:
    void SetUp() override
    {
        IsolatedMainTest::SetUp();
        main = std::make_unique<frmMain>();
    }

    frmDocument* document(const velmora::SpdImage& img)
    {
        frmDocument* d = main->NewDocumentWindow();
        spdfile::fillDocument(*d, std::vector<std::uint8_t>(img.begin(), img.end()));
        return d;
    }
    void activate(frmDocument* d)
    {
        main->mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(d->parentWidget()));
    }
    QList<Frmxmp*> views() const
    {
        QList<Frmxmp*> out;
        for (Frmxmp* v : main->findChildren<Frmxmp*>(QString(), Qt::FindDirectChildrenOnly))
            if (!v->isUnloaded())
                out << v;
        return out;
    }
    // The refusals shown (the programmer's status, which every new document
    // requests, may show its own box meanwhile).
    std::vector<ui::Message> refusals() const
    {
        std::vector<ui::Message> out;
        for (const ui::Message& m : ui.messages)
            if (m.text.contains(QStringLiteral("DDR3/DDR4")))
                out.push_back(m);
        return out;
    }
    void expectRefusal()
    {
        const auto r = refusals();
        ASSERT_EQ(r.size(), 1u);
        EXPECT_EQ(r[0].text, QStringLiteral(" ***** DDR3/DDR4 Can Only use This Feature ***** "));
        EXPECT_EQ(r[0].icon, ui::Icon::Critical);
        EXPECT_EQ(r[0].buttons, ui::Buttons::Ok);
        EXPECT_TRUE(r[0].title.isEmpty());
        EXPECT_FALSE(r[0].title.isNull());
        EXPECT_TRUE(views().isEmpty());
    }

    ScriptedUi ui;
};

} // namespace

TEST_F(XmpViewCommandTest, TheActiveDocumentsOwnTypeDecides)
{
    // No document.
    gs().currentMemoryType = 12;
    main->mnu_xmp_view_Click();
    expectRefusal();

    // A DDR3 document was decoded last, a DDR2 document is active.
    ui.messages.clear();
    document(xmptest::corpus("memtest86plus_DDR2-2G-UDIMM.bin"));
    gs().currentMemoryType = 11;
    main->mnu_xmp_view_Click();
    expectRefusal();

    // A DDR4 document is active while the type last decoded says DDR2.
    ui.messages.clear();
    document(xmptest::ddr4TwoProfiles());
    gs().currentMemoryType = 8;
    main->action(QStringLiteral("mnu_xmp_view"))->trigger();
    EXPECT_TRUE(refusals().empty());
    ASSERT_EQ(views().size(), 1);
    Frmxmp* v = views().front();
    EXPECT_TRUE(v->isVisible());
    EXPECT_EQ(gs().currentMemoryType, 12);
    EXPECT_EQ(v->value(QStringLiteral("SPEED"), 5)->text(), QStringLiteral("3200 MHz"));
    EXPECT_FALSE(main->ActiveForm()->windowTitle().endsWith(QLatin1Char('*')));
}

TEST_F(XmpViewCommandTest, OneViewFollowsTheDocumentChosen)
{
    frmDocument* ddr4 = document(xmptest::ddr4TwoProfiles());
    frmDocument* ddr3 = document(xmptest::ddr3TwoProfiles());
    activate(ddr4);
    main->mnu_xmp_view_Click();
    ASSERT_EQ(views().size(), 1);
    Frmxmp* v = views().front();
    EXPECT_EQ(v->value(QStringLiteral("SPEED"), 4)->text(), QStringLiteral("2932 MHz"));

    // "XMP View" for the other document: the same window, its values.
    activate(ddr3);
    main->mnu_xmp_view_Click();
    ASSERT_EQ(views().size(), 1);
    EXPECT_EQ(views().front(), v);
    EXPECT_TRUE(v->Frame2(0)->isVisible());
    EXPECT_FALSE(v->Frame2(1)->isVisible());
    EXPECT_EQ(v->value(QStringLiteral("SPEED"), 1)->text(), QStringLiteral("1866 MHz"));
    EXPECT_EQ(v->Label23()->text(), QStringLiteral("1.3"));

    // A byte changed in the document shows when the view is chosen again.
    ddr3->Value_Chang(221, 6);  // profile 2 tCK: 6 x 0.833 ns
    main->mnu_xmp_view_Click();
    EXPECT_EQ(v->value(QStringLiteral("SPEED"), 2)->text(), QStringLiteral("4002 MHz"));

    // Closed, the next command opens a new view.
    v->Command1_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(views().isEmpty());
    activate(ddr4);
    main->mnu_xmp_view_Click();
    ASSERT_EQ(views().size(), 1);
    EXPECT_EQ(views().front()->value(QStringLiteral("TAA"), 5)->text(), QStringLiteral("10 ns(16T)"));
}


// The view opens centred over the main window and wholly on the screen:
// a main window low on the screen, or reaching past its bottom, has the view
// moved up just as far as needed.
TEST_F(XmpViewCommandTest, TheViewOpensOverTheMainWindowAndOnTheScreen)
{
    main->show();
    const QRect room = main->screen()->availableGeometry();
    main->resize(room.width() - 100, room.height() / 2);
    activate(document(xmptest::ddr4TwoProfiles()));
    for (const int top : {0, room.height() / 2, room.height() - 100}) {
        main->move(room.left() + 40, room.top() + top);
        QCoreApplication::processEvents();
        main->mnu_xmp_view_Click();
        ASSERT_EQ(views().size(), 1);
        Frmxmp* v = views().first();
        const QRect at = v->frameGeometry();
        const QRect over = main->frameGeometry();
        EXPECT_TRUE(room.contains(at)) << top;
        EXPECT_LE(std::abs(at.center().x() - over.center().x()), 1) << top;
        // Up no further than it has to.
        const int wanted = over.center().y() - at.height() / 2;
        EXPECT_LE(std::abs(at.top() - std::clamp(wanted, room.top(), room.bottom() + 1 - at.height())), 1) << top;
        v->Command1_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
