#include "document/frmDocument.h"
#include "rules/jedec/Jedec.h"
#include "rules/jedec/JedecTable.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QSet>
#include <bit>

namespace {

QString name(const char* key) { return jedec::nameFor(QString::fromLatin1(key)).value_or(QStringLiteral("<miss>")); }

} // namespace

TEST(JedecTable, RowsRunBankByBankWithOddParityKeys)
{
    QSet<QString> keys;
    int bank = 1;
    int lastId = 0;
    for (const jedec::Row& r : jedec::kTable) {
        const QString key = QString::fromLatin1(r.key);
        const int b = static_cast<int>(key.size()) / 2;
        ASSERT_EQ(key.size() % 2, 0) << r.key;
        ASSERT_EQ(key.left(2 * (b - 1)), QStringLiteral("7F").repeated(b - 1)) << r.key;
        const int byte = key.right(2).toInt(nullptr, 16);
        ASSERT_EQ(std::popcount(static_cast<unsigned>(byte)) % 2, 1) << r.key;
        const int id = byte & 0x7F;
        if (b != bank) {
            ASSERT_EQ(b, bank + 1) << r.key;
            bank = b;
            lastId = 0;
        }
        ASSERT_GT(id, lastId) << r.key;
        lastId = id;
        keys.insert(key);

        const QString n = QString::fromLatin1(r.name);
        ASSERT_TRUE(n.startsWith(QLatin1Char('(')) && n.endsWith(QLatin1Char(')'))) << r.name;
        ASSERT_LE(n.size(), 43) << r.name;
        for (QChar c : n)
            ASSERT_TRUE(c.unicode() >= 32 && c.unicode() < 127) << r.name;
    }
    EXPECT_EQ(keys.size(), 880);
    EXPECT_EQ(bank, 7);
}

TEST(JedecLookup, NamesAndMisses)
{
    EXPECT_EQ(name("01"), "(AMD)");
    EXPECT_EQ(name("02"), "(AMI)");
    EXPECT_EQ(name("83"), "(FAIRCHILD)");
    EXPECT_EQ(name("04"), "(FUJITSU)");
    EXPECT_EQ(name("FE"), "(LEVEL ONE)");
    EXPECT_EQ(name("7FFE"), "(3COM)");
    EXPECT_EQ(name("7F7FFE"), "(ELPIDA)");
    EXPECT_EQ(name("7F7F7FFE"), "(TERACHIP)");
    EXPECT_EQ(name("7F7F7F7FFE"), "(XYRATEX)");
    EXPECT_EQ(name("7F7F7F7F7FFE"), "(W5 Networks)");
    EXPECT_EQ(name("7F7F7F7F7FC4"), "(eASIC)");
    EXPECT_EQ(name("7F7F7F7F7F7F9D"), "(Rambus Inc.)");
    EXPECT_EQ(name("7F7F7F7F7F7F20"), "(NEW ID)");
    EXPECT_EQ(name("7F7F7F7F7F7FFE"), "(NEW ID)");
    EXPECT_EQ(name("CE"), "(SAMSUNG)");
    EXPECT_EQ(name("7F98"), "(KINGSTON)");
    // Bank 7 identifiers 30 and 31 have no row.
    EXPECT_EQ(name("7F7F7F7F7F7F9E"), "<miss>");
    EXPECT_EQ(name("7F7F7F7F7F7F1F"), "<miss>");
    for (const char* miss : {"", "7F", "fe", "7f01", " 01", "01 ", "7F7F7F7F7F7F7F01", "03", "00", "80", "0"})
        EXPECT_EQ(name(miss), "<miss>") << miss;
}

class JedecDocumentLookup : public ProgramStateTest {};

TEST_F(JedecDocumentLookup, DocumentFormKeepsItsLastNameAndDialogFormForgets)
{
    frmDocument a;
    frmDocument b;
    QLabel* a59 = a.L(QStringLiteral("Label59"));
    QLabel* b59 = b.L(QStringLiteral("Label59"));
    ASSERT_TRUE(a59 && b59);
    auto& g = velmora::gs();

    // Both forms give every key the same name.
    for (const jedec::Row& r : jedec::kTable) {
        a.JEDEC_PROG(QString::fromLatin1(r.key));
        const QString doc = g.jedecName;
        ASSERT_EQ(jedec::dialogLookup(QString::fromLatin1(r.key)), doc) << r.key;
        ASSERT_EQ(a59->text(), doc) << r.key;
    }

    a.JEDEC_PROG(QStringLiteral("01"));
    a.JEDEC_PROG(QStringLiteral("7F"));
    EXPECT_EQ(a59->text(), "(AMD)");
    EXPECT_EQ(g.jedecName, "(AMD)");

    // A miss in another window copies that window's own label.
    b59->setText(QStringLiteral("marker"));
    b.JEDEC_PROG(QStringLiteral("zz"));
    EXPECT_EQ(g.jedecName, "marker");
    b.JEDEC_PROG(QStringLiteral("83"));
    b.JEDEC_PROG(QStringLiteral("00"));
    EXPECT_EQ(b59->text(), "(FAIRCHILD)");
    EXPECT_EQ(a59->text(), "(AMD)");

    EXPECT_EQ(jedec::dialogLookup(QStringLiteral("01")), "(AMD)");
    EXPECT_EQ(jedec::dialogLookup(QStringLiteral("7F")), "");
}
