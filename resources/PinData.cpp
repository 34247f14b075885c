#include "resources/PinData.h"

#include <QRegularExpression>
#include <array>

namespace pictures {

namespace {

QStringList words(const char* text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return QString::fromLatin1(text).split(blanks, Qt::SkipEmptyParts);
}

// Ball rows as text, one row per string, "-" for a position without a ball.
ChipPackage package(const char* generation, const char* widths, int balls, std::initializer_list<const char*> rows,
                    const char* note)
{
    static const QStringList letters = words("A B C D E F G H J K L M N P R T U V W Y");
    ChipPackage p;
    p.generation = QString::fromLatin1(generation);
    p.widths = QString::fromUtf8(widths);
    p.declaredBalls = balls;
    p.note = QString::fromUtf8(note);
    int r = 0;
    for (const char* row : rows) {
        QStringList names = words(row);
        for (QString& n : names)
            if (n == QLatin1String("-"))
                n.clear();
        p.rowLetters << letters.at(r++);
        p.rows.push_back(names);
    }
    return p;
}

std::array<ChipPackage, kMapCount> makeChips()
{
    return {
        package("DDR SDRAM", "x4 / x8 / x16", 60,
                {"VSS   DQ15  VSSQ  VDDQ  DQ0    VDD",
                 "DQ14  VDDQ  DQ13  DQ2   VSSQ   DQ1",
                 "DQ12  VSSQ  DQ11  DQ4   VDDQ   DQ3",
                 "DQ10  VDDQ  DQ9   DQ6   VSSQ   DQ5",
                 "DQ8   VSSQ  UDQS  LDQS  VDDQ   DQ7",
                 "VREF  VSS   UDM   LDM   VDD    NC",
                 "CK#   CK    CKE   WE#   CAS#   RAS#",
                 "A12   A11   A9    BA1   BA0    CS#",
                 "A8    A7    A6    A0    A10/AP A1",
                 "VSS   A5    A4    A3    A2     VDD"},
                "x16 shown. x8: DQ0\u2013DQ7, DQS, DM; upper byte NC. x4: DQ0\u2013DQ3."),
        package("DDR2 SDRAM", "x4 / x8", 60,
                {"VDD   NU/RDQS# VSS     VSSQ  DQS#  VDDQ",
                 "DQ6   VSSQ     DM/RDQS DQS   VSSQ  DQ7",
                 "VDDQ  DQ1      VDDQ    VDDQ  DQ0   VDDQ",
                 "DQ4   VSSQ     DQ3     DQ2   VSSQ  DQ5",
                 "VDDL  VREF     VSS     VSSDL CK    VDD",
                 "-     CKE      WE#     RAS#  CK#   ODT",
                 "BA2   BA0      BA1     CAS#  CS#   -",
                 "-     A10/AP   A1      A2    A0    VDD",
                 "VSS   A3       A5      A6    A4    -",
                 "-     A7       A9      A11   A8    VSS",
                 "VDD   A12      NC      NC    A13   -"},
                "x8 shown. x4: DQ0\u2013DQ3; DQ4\u2013DQ7 and RDQS not used."),
        package("DDR2 SDRAM", "x16", 84,
                {"VDD   NC     VSS    VSSQ   UDQS#  VDDQ",
                 "DQ14  VSSQ   UDM    UDQS   VSSQ   DQ15",
                 "VDDQ  DQ9    VDDQ   VDDQ   DQ8    VDDQ",
                 "DQ12  VSSQ   DQ11   DQ10   VSSQ   DQ13",
                 "VDD   NC     VSS    VSSQ   LDQS#  VDDQ",
                 "DQ6   VSSQ   LDM    LDQS   VSSQ   DQ7",
                 "VDDQ  DQ1    VDDQ   VDDQ   DQ0    VDDQ",
                 "DQ4   VSSQ   DQ3    DQ2    VSSQ   DQ5",
                 "VDDL  VREF   VSS    VSSDL  CK     VDD",
                 "-     CKE    WE#    RAS#   CK#    ODT",
                 "BA2   BA0    BA1    CAS#   CS#    -",
                 "-     A10/AP A1     A2     A0     VDD",
                 "VSS   A3     A5     A6     A4     -",
                 "-     A7     A9     A11    A8     VSS",
                 "VDD   A12    NC     NC     NC     -"},
                "Lower byte DQ0\u2013DQ7 with LDQS and LDM, upper byte DQ8\u2013DQ15 with UDQS and UDM."),
        package("DDR3 SDRAM", "x4 / x8", 78,
                {"VSS     VDD     NC     NU/TDQS# VSS    VDD",
                 "VSS     VSSQ    DQ0    DM/TDQS  VSSQ   VDDQ",
                 "VDDQ    DQ2     DQS    DQ1      DQ3    VSSQ",
                 "VSSQ    DQ6     DQS#   VDD      VSS    VSSQ",
                 "VREFDQ  VDDQ    DQ4    DQ7      DQ5    VDDQ",
                 "NC      VSS     RAS#   CK       VSS    NC",
                 "ODT     VDD     CAS#   CK#      VDD    CKE",
                 "NC      CS#     WE#    A10/AP   ZQ     NC",
                 "VSS     BA0     BA2    NC       VREFCA VSS",
                 "VDD     A3      A0     A12/BC#  BA1    VDD",
                 "VSS     A5      A2     A1       A4     VSS",
                 "VDD     A7      A9     A11      A6     VDD",
                 "VSS     RESET#  A13    A14      A8     VSS"},
                "x8 shown. x4: DQ0\u2013DQ3; DQ4\u2013DQ7 and TDQS not used."),
        package("DDR3 SDRAM", "x16", 96,
                {"VDDQ    DQU5    DQU7   DQU4     VDDQ   VSS",
                 "VSSQ    VDD     VSS    DQSU#    DQU6   VSSQ",
                 "VDDQ    DQU3    DQU1   DQSU     DQU2   VDDQ",
                 "VSSQ    VDDQ    DMU    DQU0     VSSQ   VDD",
                 "VSS     VSSQ    DQL0   DML      VSSQ   VDDQ",
                 "VDDQ    DQL2    DQSL   DQL1     DQL3   VSSQ",
                 "VSSQ    DQL6    DQSL#  VDD      VSS    VSSQ",
                 "VREFDQ  VDDQ    DQL4   DQL7     DQL5   VDDQ",
                 "NC      VSS     RAS#   CK       VSS    NC",
                 "ODT     VDD     CAS#   CK#      VDD    CKE",
                 "NC      CS#     WE#    A10/AP   ZQ     NC",
                 "VSS     BA0     BA2    A15      VREFCA VSS",
                 "VDD     A3      A0     A12/BC#  BA1    VDD",
                 "VSS     A5      A2     A1       A4     VSS",
                 "VDD     A7      A9     A11      A6     VDD",
                 "VSS     RESET#  A13    A14      A8     VSS"},
                "Lower byte DQL0\u2013DQL7 with DQSL and DML, upper byte DQU0\u2013DQU7 with DQSU and DMU."),
        package("DDR4 SDRAM", "x4 / x8", 78,
                {"VDD     VSSQ     TDQS_c  DM_n/DBI_n/TDQS_t VSSQ      VSS",
                 "VPP     VDDQ     DQS_c   DQ1       VDDQ      ZQ",
                 "VDDQ    DQ0      DQS_t   VDD       VSS       VDDQ",
                 "VSSQ    DQ4      DQ2     DQ3       DQ5       VSSQ",
                 "VSS     VDDQ     DQ6     DQ7       VDDQ      VSS",
                 "VDD     C2/ODT1  ODT     CK_t      CK_c      VDD",
                 "VSS     C0/CKE1  CKE     CS_n      C1/CS1_n  TEN",
                 "VDD     WE_n/A14 ACT_n   CAS_n/A15 RAS_n/A16 VSS",
                 "VREFCA  BG0      A10/AP  A12/BC_n  BG1       VDD",
                 "VSS     BA0      A4      A3        BA1       VSS",
                 "RESET_n A6       A0      A1        A5        ALERT_n",
                 "VDD     A8       A2      A9        A7        VPP",
                 "VSS     A11      PAR     A17       A13       VDD"},
                "x8 shown. x4: DQ0\u2013DQ3; DQ4\u2013DQ7 and TDQS not used."),
        package("DDR4 SDRAM", "x16", 96,
                {"VDDQ    VSSQ     DQU0    DQSU_c    VSSQ      VDDQ",
                 "VPP     VSS      VDD     DQSU_t    DQU1      VDD",
                 "VDDQ    DQU4     DQU2    DQU3      DQU5      VSSQ",
                 "VDD     VSSQ     DQU6    DQU7      VSSQ      VDDQ",
                 "VSS     DMU_n/DBIU_n VSSQ DML_n/DBIL_n VSSQ  VSS",
                 "VSSQ    VDDQ     DQSL_c  DQL1      VDDQ      ZQ",
                 "VDDQ    DQL0     DQSL_t  VDD       VSS       VDDQ",
                 "VSSQ    DQL4     DQL2    DQL3      DQL5      VSSQ",
                 "VDD     VDDQ     DQL6    DQL7      VDDQ      VDD",
                 "VSS     CKE      ODT     CK_t      CK_c      VSS",
                 "VDD     WE_n/A14 ACT_n   CS_n      RAS_n/A16 VDD",
                 "VREFCA  BG0      A10/AP  A12/BC_n  CAS_n/A15 VSS",
                 "VSS     BA0      A4      A3        BA1       TEN",
                 "RESET_n A6       A0      A1        A5        ALERT_n",
                 "VDD     A8       A2      A9        A7        VPP",
                 "VSS     A11      PAR     NC        A13       VDD"},
                "Lower byte DQL0\u2013DQL7 with DQSL and DML/DBIL, upper byte DQU0\u2013DQU7 with DQSU and DMU/DBIU."),
    };
}

ModuleConnector connector(const char* title, int pins, bool soDimm, int keyAfter, const char* volts, double w,
                          double h, const QStringList& names)
{
    ModuleConnector m;
    m.title = QString::fromLatin1(title);
    m.pins = pins;
    m.soDimm = soDimm;
    m.keyAfter = keyAfter;
    m.volts = QString::fromLatin1(volts);
    m.widthMm = w;
    m.heightMm = h;
    m.names = names;
    return m;
}

// The 288-pin DDR4 connector follows a strict rhythm: every byte lane takes
// eleven pins on each face, data pins separated by grounds, the strobe pair
// on the back and the mask on the front.
QStringList ddr4Dimm()
{
    QStringList front;
    QStringList back;
    const auto lane = [&](const QString& d, int base, const QString& strobe, const QString& mask) {
        const auto q = [&](int k) { return d + QString::number(base + k); };
        front << q(4) << QStringLiteral("VSS") << q(0) << QStringLiteral("VSS") << mask << QStringLiteral("NC")
              << QStringLiteral("VSS") << q(6) << QStringLiteral("VSS") << q(2) << QStringLiteral("VSS");
        back << QStringLiteral("VSS") << q(5) << QStringLiteral("VSS") << q(1) << QStringLiteral("VSS")
             << strobe + QStringLiteral("_c") << strobe + QStringLiteral("_t") << QStringLiteral("VSS") << q(7)
             << QStringLiteral("VSS") << q(3);
    };
    const auto byteLane = [&](int b) {
        lane(QStringLiteral("DQ"), 8 * b, QStringLiteral("DQS%1").arg(b), QStringLiteral("DM%1_n/DBI%1_n").arg(b));
    };
    front << QStringLiteral("NC") << QStringLiteral("VSS");
    back << QStringLiteral("NC") << QStringLiteral("VREFCA");
    for (int b = 0; b < 4; ++b)
        byteLane(b);
    lane(QStringLiteral("CB"), 0, QStringLiteral("DQS8"), QStringLiteral("DM8_n/DBI8_n"));
    front << words("RESET_n VDD CKE0 VDD ACT_n BG0 VDD A12/BC_n A9 VDD A8 A6 VDD A3 A1 VDD VDD CK0_t CK0_c "
                   "VDD PARITY BA1 VDD A10/AP CS0_n VDD WE_n/A14 ODT0 VDD CS1_n VDD ODT1 VDD C0/CS2_n VSS "
                   "C1/CS3_n VSS NC VSS");
    back << words("VSS CKE1 VDD NC VDD BG1 ALERT_n VDD A11 A7 VDD A5 A4 VDD A2 VDD CK1_t CK1_c VDD VDD "
                  "EVENT_n A0 VDD BA0 RAS_n/A16 VDD CAS_n/A15 A13 VDD A17 C2 VDD VTT VSS SA2 VSS NC VSS "
                  "VTT");
    for (int b = 4; b < 8; ++b)
        byteLane(b);
    front << words("SCL VDDSPD SA0 VPP");
    back << words("SDA SA1 VPP VTT");
    return front + back;
}

std::array<ModuleConnector, kMapCount> makeModules()
{
    return {
        connector("DDR SDRAM DIMM", 184, false, 52, "2.5 V", 133.35, 31.75,
                  words("VREF DQ0 VSS DQ1 DQS0 DQ2 VDD DQ3 NC NC VSS DQ8 DQ9 DQS1 VDDQ CK1 CK1# VSS DQ10 DQ11 "
                        "CKE0 VDDQ DQ16 DQ17 DQS2 VSS A9 DQ18 A7 VDDQ DQ19 A5 DQ24 VSS DQ25 DQS3 A4 VDD DQ26 "
                        "DQ27 A2 VSS A1 CB0 CB1 VDD DQS8 A0 CB2 VSS CB3 BA1 "
                        "DQ32 VDDQ DQ33 DQS4 DQ34 VSS BA0 DQ35 DQ40 VDDQ WE# DQ41 CAS# VSS DQS5 DQ42 DQ43 VDD "
                        "S2# DQ48 DQ49 VSS CK2# CK2 VDDQ DQS6 DQ50 DQ51 VSS VDDID DQ56 DQ57 VDD DQS7 DQ58 DQ59 "
                        "VSS NC SDA SCL "
                        "VSS DQ4 DQ5 VDDQ DM0 DQ6 DQ7 VSS NC NC A13 VDDQ DQ12 DQ13 DM1 VDD DQ14 DQ15 CKE1 VDDQ "
                        "BA2 DQ20 A12 VSS DQ21 A11 DM2 VDD DQ22 A8 DQ23 VSS A6 DQ28 DQ29 VDDQ DM3 A3 DQ30 VSS "
                        "DQ31 CB4 CB5 VDDQ CK0 CK0# VSS DM8 A10/AP CB6 VDDQ CB7 "
                        "VSS DQ36 DQ37 VDD DM4 DQ38 DQ39 VSS DQ44 RAS# DQ45 VDDQ S0# S1# DM5 VSS DQ46 DQ47 S3# "
                        "VDDQ DQ52 DQ53 NC VDD DM6 DQ54 DQ55 VDDQ NC DQ60 DQ61 VSS DM7 DQ62 DQ63 VDDQ SA0 SA1 "
                        "SA2 VDDSPD")),
        connector("DDR SDRAM SO-DIMM", 200, true, 40, "2.5 V", 67.6, 31.75,
                  words("VREF VREF VSS VSS DQ0 DQ4 DQ1 DQ5 VDD VDD DQS0 DM0 DQ2 DQ6 VSS VSS DQ3 DQ7 DQ8 DQ12 "
                        "VDD VDD DQ9 DQ13 DQS1 DM1 VSS VSS DQ10 DQ14 DQ11 DQ15 VDD VDD CK0 VDD CK0# VSS VSS VSS "
                        "DQ16 DQ20 DQ17 DQ21 VDD VDD DQS2 DM2 DQ18 DQ22 VSS VSS DQ19 DQ23 DQ24 DQ28 VDD VDD "
                        "DQ25 DQ29 DQS3 DM3 VSS VSS DQ26 DQ30 DQ27 DQ31 VDD VDD CB0 CB4 CB1 CB5 VSS VSS DQS8 "
                        "DM8 CB2 CB6 VDD VDD CB3 CB7 NC NC VSS VSS CK2 VSS CK2# VDD VDD VDD CKE1 CKE0 NC NC A12 "
                        "A11 A9 A8 VSS VSS A7 A6 A5 A4 A3 A2 A1 A0 VDD VDD A10/AP BA1 BA0 RAS# WE# CAS# S0# S1# "
                        "NC NC VSS VSS DQ32 DQ36 DQ33 DQ37 VDD VDD DQS4 DM4 DQ34 DQ38 VSS VSS DQ35 DQ39 DQ40 "
                        "DQ44 VDD VDD DQ41 DQ45 DQS5 DM5 VSS VSS DQ42 DQ46 DQ43 DQ47 VDD VDD VDD CK1# VSS CK1 "
                        "VSS VSS DQ48 DQ52 DQ49 DQ53 VDD VDD DQS6 DM6 DQ50 DQ54 VSS VSS DQ51 DQ55 DQ56 DQ60 "
                        "VDD VDD DQ57 DQ61 DQS7 DM7 VSS VSS DQ58 DQ62 DQ59 DQ63 VDD VDD SDA SA0 SCL SA1 VDDSPD "
                        "SA2 VDDID NC")),
        connector("DDR2 SDRAM DIMM", 240, false, 64, "1.8 V", 133.35, 30.0,
                  words("VREF VSS DQ0 DQ1 VSS DQS0# DQS0 VSS DQ2 DQ3 VSS DQ8 DQ9 VSS DQS1# DQS1 VSS NC NC VSS "
                        "DQ10 DQ11 VSS DQ16 DQ17 VSS DQS2# DQS2 VSS DQ18 DQ19 VSS DQ24 DQ25 VSS DQS3# DQS3 VSS "
                        "DQ26 DQ27 VSS CB0 CB1 VSS DQS8# DQS8 VSS CB2 CB3 VSS VDDQ CKE0 VDD BA2 NC VDDQ A11 A7 "
                        "VDD A5 A4 VDDQ A2 VDD "
                        "VSS VSS VDD NC VDD A10/AP BA0 VDDQ WE# CAS# VDDQ S1# ODT1 VDDQ VSS DQ32 DQ33 VSS DQS4# "
                        "DQS4 VSS DQ34 DQ35 VSS DQ40 DQ41 VSS DQS5# DQS5 VSS DQ42 DQ43 VSS DQ48 DQ49 VSS SA2 NC "
                        "VSS DQS6# DQS6 VSS DQ50 DQ51 VSS DQ56 DQ57 VSS DQS7# DQS7 VSS DQ58 DQ59 VSS SDA SCL "
                        "VSS DQ4 DQ5 VSS DM0 NC VSS DQ6 DQ7 VSS DQ12 DQ13 VSS DM1 NC VSS CK1 CK1# VSS DQ14 DQ15 "
                        "VSS DQ20 DQ21 VSS DM2 NC VSS DQ22 DQ23 VSS DQ28 DQ29 VSS DM3 NC VSS DQ30 DQ31 VSS CB4 "
                        "CB5 VSS DM8 NC VSS CB6 CB7 VSS VDDQ CKE1 VDD A15 A14 VDDQ A12 A9 VDD A8 A6 VDDQ A3 A1 "
                        "VDD "
                        "CK0 CK0# VDD A0 VDD BA1 VDDQ RAS# S0# VDDQ ODT0 A13 VDD VSS DQ36 DQ37 VSS DM4 NC VSS "
                        "DQ38 DQ39 VSS DQ44 DQ45 VSS DM5 NC VSS DQ46 DQ47 VSS DQ52 DQ53 VSS CK2 CK2# VSS DM6 NC "
                        "VSS DQ54 DQ55 VSS DQ60 DQ61 VSS DM7 NC VSS DQ62 DQ63 VSS VDDSPD SA0 SA1")),
        connector("DDR2 SDRAM SO-DIMM", 200, true, 100, "1.8 V", 67.6, 30.0,
                  words("VREF VSS VSS DQ4 DQ0 DQ5 DQ1 VSS VSS DM0 DQS0# VSS DQS0 DQ6 VSS DQ7 DQ2 VSS DQ3 DQ12 "
                        "VSS DQ13 DQ8 VSS DQ9 DM1 VSS VSS DQS1# CK0 DQS1 CK0# VSS VSS DQ10 DQ14 DQ11 DQ15 VSS "
                        "VSS VSS VSS DQ16 DQ20 DQ17 DQ21 VSS VSS DQS2# NC DQS2 DM2 VSS VSS DQ18 DQ22 DQ19 DQ23 "
                        "VSS VSS DQ24 DQ28 DQ25 DQ29 VSS VSS DM3 DQS3# NC DQS3 VSS VSS DQ26 DQ30 DQ27 DQ31 VSS "
                        "VSS CKE0 CKE1 VDD VDD NC A15 BA2 A14 VDD VDD A12 A11 A9 A7 A8 A6 VDD VDD A5 A4 A3 A2 "
                        "A1 A0 VDD VDD A10/AP BA1 BA0 RAS# WE# S0# VDD VDD CAS# ODT0 S1# A13 VDD VDD ODT1 NC "
                        "VSS VSS DQ32 DQ36 DQ33 DQ37 VSS VSS DQS4# DM4 DQS4 VSS VSS DQ38 DQ34 DQ39 DQ35 VSS VSS "
                        "DQ44 DQ40 DQ45 DQ41 VSS VSS DQS5# DM5 DQS5 VSS VSS DQ46 DQ42 DQ47 DQ43 VSS VSS DQ48 "
                        "DQ52 DQ49 DQ53 VSS VSS NC CK1 VSS CK1# DQS6# VSS DQS6 DM6 VSS VSS DQ50 DQ54 DQ51 DQ55 "
                        "VSS VSS DQ56 DQ60 DQ57 DQ61 VSS VSS DM7 DQS7# VSS DQS7 DQ58 VSS DQ59 DQ62 VSS DQ63 SDA "
                        "VSS SCL SA0 VDDSPD SA1")),
        connector("DDR3 SDRAM DIMM", 240, false, 48, "1.5 V", 133.35, 30.0,
                  words("VREFDQ VSS DQ0 DQ1 VSS DQS0# DQS0 VSS DQ2 DQ3 VSS DQ8 DQ9 VSS DQS1# DQS1 VSS DQ10 "
                        "DQ11 VSS DQ16 DQ17 VSS DQS2# DQS2 VSS DQ18 DQ19 VSS DQ24 DQ25 VSS DQS3# DQS3 VSS DQ26 "
                        "DQ27 VSS CB0 CB1 VSS DQS8# DQS8 VSS CB2 CB3 VSS VTT "
                        "VTT CKE0 VDD BA2 ERR_OUT# VDD A11 A7 VDD A5 A4 VDD A2 VDD CK1 CK1# VDD VDD VREFCA "
                        "PAR_IN VDD A10/AP BA0 VDD WE# CAS# VDD S1# ODT1 VDD S2# VSS DQ32 DQ33 VSS DQS4# DQS4 "
                        "VSS DQ34 DQ35 VSS DQ40 DQ41 VSS DQS5# DQS5 VSS DQ42 DQ43 VSS DQ48 DQ49 VSS DQS6# DQS6 "
                        "VSS DQ50 DQ51 VSS DQ56 DQ57 VSS DQS7# DQS7 VSS DQ58 DQ59 VSS SA0 SCL SA2 VTT "
                        "VSS DQ4 DQ5 VSS DM0 NC VSS DQ6 DQ7 VSS DQ12 DQ13 VSS DM1 NC VSS DQ14 DQ15 VSS DQ20 "
                        "DQ21 VSS DM2 NC VSS DQ22 DQ23 VSS DQ28 DQ29 VSS DM3 NC VSS DQ30 DQ31 VSS CB4 CB5 VSS "
                        "DM8 NC VSS CB6 CB7 VSS TEST RESET# "
                        "CKE1 VDD A15 A14 VDD A12/BC# A9 VDD A8 A6 VDD A3 A1 VDD VDD CK0 CK0# VDD EVENT# A0 VDD "
                        "BA1 VDD RAS# S0# VDD ODT0 A13 VDD S3# VSS DQ36 DQ37 VSS DM4 NC VSS DQ38 DQ39 VSS DQ44 "
                        "DQ45 VSS DM5 NC VSS DQ46 DQ47 VSS DQ52 DQ53 VSS DM6 NC VSS DQ54 DQ55 VSS DQ60 DQ61 VSS "
                        "DM7 NC VSS DQ62 DQ63 VSS VDDSPD SA1 SDA VSS VTT")),
        connector("DDR3 SDRAM SO-DIMM", 204, true, 72, "1.5 V", 67.6, 30.0,
                  words("VREFDQ VSS VSS DQ4 DQ0 DQ5 DQ1 VSS VSS DQS0# DM0 DQS0 VSS VSS DQ2 DQ6 DQ3 DQ7 VSS "
                        "VSS DQ8 DQ12 DQ9 DQ13 VSS VSS DQS1# DM1 DQS1 RESET# VSS VSS DQ10 DQ14 DQ11 DQ15 VSS "
                        "VSS DQ16 DQ20 DQ17 DQ21 VSS VSS DQS2# DM2 DQS2 VSS VSS DQ22 DQ18 DQ23 DQ19 VSS VSS "
                        "DQ28 DQ24 DQ29 DQ25 VSS VSS DQS3# DM3 DQS3 VSS VSS DQ26 DQ30 DQ27 DQ31 VSS VSS "
                        "CKE0 CKE1 VDD VDD NC A15 BA2 A14 VDD VDD A12/BC# A11 A9 A7 VDD VDD A8 A6 A5 A4 VDD VDD "
                        "A3 A2 A1 A0 VDD VDD CK0 CK1 CK0# CK1# VDD VDD A10/AP BA1 BA0 RAS# VDD VDD WE# S0# CAS# "
                        "ODT0 VDD VDD A13 ODT1 S1# NC VDD VDD TEST VREFCA VSS VSS DQ32 DQ36 DQ33 DQ37 VSS VSS "
                        "DQS4# DM4 DQS4 VSS VSS DQ38 DQ34 DQ39 DQ35 VSS VSS DQ44 DQ40 DQ45 DQ41 VSS VSS DQS5# "
                        "DM5 DQS5 VSS VSS DQ42 DQ46 DQ43 DQ47 VSS VSS DQ48 DQ52 DQ49 DQ53 VSS VSS DQS6# DM6 "
                        "DQS6 VSS VSS DQ54 DQ50 DQ55 DQ51 VSS VSS DQ60 DQ56 DQ61 DQ57 VSS VSS DQS7# DM7 DQS7 "
                        "VSS VSS DQ58 DQ62 DQ59 DQ63 VSS VSS SA0 EVENT# VDDSPD SDA SA1 SCL VTT VTT")),
        connector("DDR4 SDRAM DIMM", 288, false, 74, "1.2 V", 133.35, 31.25, ddr4Dimm()),
    };
}

} // namespace

int ChipPackage::ballCount() const
{
    int n = 0;
    for (const QStringList& r : rows)
        for (const QString& b : r)
            n += b.isEmpty() ? 0 : 1;
    return n;
}

int ModuleConnector::frontPinsBeforeKey() const { return soDimm ? keyAfter / 2 : keyAfter; }

QString ModuleConnector::keyText() const
{
    if (soDimm)
        return QStringLiteral("Key between pins %1/%2 (front) and %3/%4 (back)")
            .arg(keyAfter - 1)
            .arg(keyAfter + 1)
            .arg(keyAfter)
            .arg(keyAfter + 2);
    const int half = pins / 2;
    return QStringLiteral("Key between pins %1/%2 (front) and %3/%4 (back)")
        .arg(keyAfter)
        .arg(keyAfter + 1)
        .arg(half + keyAfter)
        .arg(half + keyAfter + 1);
}

const ChipPackage& chipPackage(int index)
{
    static const std::array<ChipPackage, kMapCount> chips = makeChips();
    return chips.at(static_cast<std::size_t>(qBound(0, index, kMapCount - 1)));
}

const ModuleConnector& moduleConnector(int index)
{
    static const std::array<ModuleConnector, kMapCount> modules = makeModules();
    return modules.at(static_cast<std::size_t>(qBound(0, index, kMapCount - 1)));
}

} // namespace pictures
