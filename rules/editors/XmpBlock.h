#pragma once
// The XMP blocks of DDR3 and DDR4 SPD images, free of any window.
//
// DDR4 (XMP 2.0): bytes 384-486. Header 384-392 (ID bytes 0x0C 0x4A, the
// profile enable byte, the revision 0x20, five reserved bytes), then two
// profiles of 47 bytes at 393 and 440. Times count a 125 ps medium timebase
// plus a signed one-byte fine offset in picoseconds.
//
// DDR3 (XMP 1.3): bytes 176-254. Header 176-184 (ID bytes, enable byte,
// revision 0x13, the timebase pair of each profile, one reserved byte), then
// two records of 35 bytes at 185 and 220. Each profile counts its times in
// its own timebase, dividend / divisor nanoseconds.
//
// Here are the byte positions, plain readers of the raw profile fields, the
// profile encoders of the XMP wizard, Setup and Clear of the block, and the
// wizard's loaders, which turn the JEDEC base timings into a speed grade,
// CAS latencies and clock counts. Nothing here rounds through floating
// point: every division is done on whole numbers or as an exact fraction.

#include "state/SpdImage.h"

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace xmp {

using velmora::SpdImage;

inline constexpr std::uint8_t kIdByte1 = 0x0C;
inline constexpr std::uint8_t kIdByte2 = 0x4A;

// The wizard's profile list, by position.
inline constexpr int kNoProfileChosen = -1;
inline constexpr int kAllProfiles = 0;
inline constexpr int kProfile1 = 1;
inline constexpr int kProfile2 = 2;

// num / den rounded to the nearest whole number, an exact half going to the
// even neighbour (den > 0).
std::int64_t roundHalfEven(std::int64_t num, std::int64_t den);
// num / den rounded down (den > 0), also for a negative num.
std::int64_t floorDiv(std::int64_t num, std::int64_t den);
// A fine-offset byte as a signed number of picoseconds.
inline int fineOffset(std::uint8_t b) { return b >= 128 ? b - 256 : b; }

// ---- What stops a Setup ----
// The field named in the message, in the order of the wizard's rows; the
// last ones are JEDEC timings that a profile takes over.
enum class Field {
    XmpProfile,
    ModuleSpeed,
    VddVoltage,
    tAA,
    tRCD,
    tRP,
    tRAS,
    tRC,
    tRFC,
    tRRD,
    tRRD_S,
    tRRD_L,
    tFAW,
};
enum class Problem {
    None,
    NotChosen,       // the list has no item chosen
    ClocksTooLarge,  // the clock count needs more than its byte holds at this grade
    JedecOutOfRange, // the JEDEC value, carried over, does not fit the profile's byte
};
struct Result {
    Problem problem = Problem::None;
    Field field = Field::XmpProfile;
    int clocks = 0;     // the count chosen (ClocksTooLarge)
    int mostClocks = 0; // the largest count that fits (ClocksTooLarge)
    bool ok() const { return problem == Problem::None; }
};
// The caption of a field as the wizard's rows show it ("Module Speed",
// "CL-tAA(min)", ...).
QString fieldCaption(Field f);

// The CAS latency boxes of both panels, the five clock-count lists.
struct Clocks {
    // Clock counts; 0 when the list has no item chosen.
    int taa = 0, trcd = 0, trp = 0, tras = 0, trc = 0;
};
inline constexpr int kMostClocks = 63;      // "1T" .. "63T"
inline constexpr int kMostClocksTras = 127; // "1T" .. "127T"

// What a loader found for one clock-count list: nullopt when the count
// cannot be shown (the list keeps what it shows), 0 for no item chosen,
// otherwise the count.
using LoadedClocks = std::array<std::optional<int>, 5>; // tAA, tRCD, tRP, tRAS, tRC

// ======================================================================= DDR4
namespace ddr4 {

inline constexpr int kFirst = 384;
inline constexpr int kLast = 486;
inline constexpr int kIdByte1Pos = 384;
inline constexpr int kIdByte2Pos = 385;
inline constexpr int kEnablePos = 386;
inline constexpr int kRevisionPos = 387;
inline constexpr int kReservedFirst = 388;
inline constexpr int kReservedLast = 392;
inline constexpr std::uint8_t kRevision = 0x20;
inline constexpr int kProfileSize = 47;
// First byte of profile n (1 or 2).
inline constexpr int profileBase(int n) { return 393 + kProfileSize * (n - 1); }

// Offsets within a profile.
enum Offset : int {
    oVdd = 0,         // bit 7 one volt, bits 6-0 hundredths
    oTck = 3,         // MTB count, fine offset at oFineTck
    oCas1 = 4,        // CL 7-14
    oCas2 = 5,        // CL 15-22
    oCas3 = 6,        // CL 23, 24 in bits 0, 1
    oCas4 = 7,        // zero
    oTaa = 8,
    oTrcd = 9,
    oTrp = 10,
    oRasRcHigh = 11,  // bits 3-0 tRAS bits 11-8, bits 7-4 tRC bits 11-8
    oTras = 12,
    oTrc = 13,
    oTrfc1 = 14,      // 16 bits, low byte first
    oTrfc2 = 16,
    oTrfc4 = 18,
    oTfawHigh = 20,   // bits 3-0 tFAW bits 11-8
    oTfaw = 21,
    oTrrdS = 22,
    oTrrdL = 23,
    oFineTrrdL = 32,
    oFineTrrdS = 33,
    oFineTrc = 34,
    oFineTrp = 35,
    oFineTrcd = 36,
    oFineTaa = 37,
    oFineTck = 38,
};

// Raw fields of one profile: MTB counts, fine offsets as signed picoseconds.
struct Profile {
    int vdd = 0;
    int tck = 0, tckFine = 0;
    std::array<int, 4> cas{};
    int taa = 0, taaFine = 0;
    int trcd = 0, trcdFine = 0;
    int trp = 0, trpFine = 0;
    int tras = 0;               // 12 bits
    int trc = 0, trcFine = 0;   // 12 bits
    int trfc1 = 0, trfc2 = 0, trfc4 = 0;
    int tfaw = 0;               // 12 bits
    int trrdS = 0, trrdSFine = 0;
    int trrdL = 0, trrdLFine = 0;
};
bool hasIdBytes(const SpdImage& img);
bool profileEnabled(const SpdImage& img, int n);
// The revision byte: major number in bits 7-4, minor in bits 3-0.
int revision(const SpdImage& img);
Profile readProfile(const SpdImage& img, int n);
// The voltage byte: whole volts (0 or 1) and hundredths (0-127).
inline int voltWhole(std::uint8_t b) { return b >> 7; }
inline int voltHundredths(std::uint8_t b) { return b & 0x7F; }
// MTB count and fine offset as picoseconds.
inline int picoseconds(int mtb, int fine) { return mtb * 125 + fine; }

// ---- The wizard's speed grades ----
struct Grade {
    const char* name;       // "DDR4-2133"
    std::uint8_t tckMtb;    // offset 3
    std::uint8_t tckFine;   // offset 38
    int tckPs;              // the clock period these code
    int referencePs;        // clock counts are multiplied by this
    int tfawIncrement;      // MTB units added to the JEDEC tFAW
    int trrdIncrement;      // MTB units added to the JEDEC tRRD_S and tRRD_L
};
inline constexpr int kGradeCount = 12;
const Grade& grade(int g);
// The preset clock counts of a grade and its hundredths of a volt.
struct Preset {
    int taa, trcd, trp, tras, trc;
    int hundredths;
};
const Preset& preset(int g);
// The largest clock count whose tAA, tRCD or tRP fits its byte at grade g.
int mostClocks(int g);

// What the wizard's DDR4 panel holds, by list position.
struct Choice {
    int grade = -1;        // SPEED
    int volts = -1;        // VOLT1: 0 or 1
    int hundredths = -1;   // VOLT2: 0-99
    std::array<bool, 18> cas{}; // CL_CHK(k): CL 7 + k
    Clocks clocks;
};

// Builds profile n (1 or 2) from the choice and the JEDEC bytes of img into
// out (offsets 0-46; the bytes that a profile does not write keep what img
// holds). Checks everything first; on a problem out is left as it was.
Result encodeProfile(const SpdImage& img, int n, const Choice& c, std::array<std::uint8_t, kProfileSize>& out);
// Encodes profile n and writes it into img, or writes nothing.
Result writeProfile(SpdImage& img, int n, const Choice& c);
// Setup: the header and the profile(s) of the profile choice. Every profile
// is built and checked before the first byte is written.
Result setup(SpdImage& img, int profileChoice, const Choice& c);
// Clear: the profile(s) of the choice, the header when no profile is left.
Result clear(SpdImage& img, int profileChoice);

// ---- The loader ----
struct Loaded {
    std::optional<int> grade;   // the grade whose window holds the data rate
    std::array<bool, 18> cas{};
    LoadedClocks clocks;
};
// Reads the JEDEC base timings. A tCKAVGmin byte (18) of 0 is set to 1 in
// img first.
Loaded load(SpdImage& img);
// Data rate of a clock period, rounded down; the grade whose window holds it.
std::optional<int> gradeForRate(int rate);

} // namespace ddr4

// ======================================================================= DDR3
namespace ddr3 {

inline constexpr int kFirst = 176;
inline constexpr int kLast = 254;
inline constexpr int kIdByte1Pos = 176;
inline constexpr int kIdByte2Pos = 177;
inline constexpr int kEnablePos = 178;
inline constexpr int kRevisionPos = 179;
inline constexpr int kReservedPos = 184;
inline constexpr std::uint8_t kRevision = 0x13;
inline constexpr int kRecordSize = 35;
inline constexpr int dividendPos(int n) { return 180 + 2 * (n - 1); }
inline constexpr int divisorPos(int n) { return 181 + 2 * (n - 1); }
inline constexpr int recordBase(int n) { return 185 + kRecordSize * (n - 1); }

enum Offset : int {
    oVdd = 0,        // bits 6-5 whole volts, bits 4-0 steps of 0.05 V
    oTck = 1,
    oTaa = 2,
    oCasLow = 3,     // CL 4-11
    oCasHigh = 4,    // CL 12-18 in bits 0-6
    oTcwl = 5,
    oTrp = 6,
    oTrcd = 7,
    oTwr = 8,
    oRasRcHigh = 9,  // bits 3-0 tRAS bits 11-8, bits 7-4 tRC bits 11-8
    oTras = 10,
    oTrc = 11,
    oTrefi = 12,     // 16 bits, low byte first
    oTrfc = 14,      // 16 bits, low byte first
    oTrtp = 16,
    oTrrd = 17,
    oTfawHigh = 18,  // the whole byte times 256
    oTfaw = 19,
    oTwtr = 20,
    oCmdRate = 23,
};

// Raw fields of one profile; times count the profile's own timebase.
struct Profile {
    int dividend = 0, divisor = 0;
    int vdd = 0;
    int tck = 0;
    int taa = 0;
    int casLow = 0, casHigh = 0;
    int tcwl = 0;
    int trp = 0;
    int trcd = 0;
    int twr = 0;
    int tras = 0;   // 12 bits
    int trc = 0;    // 12 bits
    int trefi = 0;  // 16 bits
    int trfc = 0;   // 16 bits
    int trtp = 0;
    int trrd = 0;
    int tfaw = 0;   // byte +18 taken whole, times 256, plus byte +19
    int twtr = 0;
    int cmdRate = 0;
};
bool hasIdBytes(const SpdImage& img);
bool profileEnabled(const SpdImage& img, int n);
int revision(const SpdImage& img);
Profile readProfile(const SpdImage& img, int n);
// The voltage byte: whole volts (0-3; 3 names no voltage) and steps.
inline int voltWhole(std::uint8_t b) { return (b & 0x60) >> 5; }
inline int voltSteps(std::uint8_t b) { return b & 0x1F; } // 0.05 V each

struct Grade {
    const char* name;      // "DDR3-1600"
    std::uint8_t dividend; // timebase pair
    std::uint8_t divisor;
    std::uint8_t tck;      // tCKmin count
    std::uint8_t twr;
    std::uint8_t trefiLow, trefiHigh;
    std::uint8_t trtp;
    std::uint8_t twtr;
    int tckPs;
    int referencePs;       // clock counts are multiplied by this
    int tfawReductionNs;   // taken off the JEDEC tFAW
};
inline constexpr int kGradeCount = 8;
const Grade& grade(int g);
// The grade's timebase in picoseconds, rounded half to even.
int timebasePs(int g);
struct Preset {
    int taa, trcd, trp, tras, trc;
};
const Preset& preset(int g);
int mostClocks(int g);

struct Choice {
    int grade = -1;       // ASPEED
    int volts = -1;       // AVOLT1: 0-2
    int steps = -1;       // AVOLT2: 0-19, steps of 0.05 V
    std::array<bool, 15> cas{}; // ACL_CHK(k): CL 4 + k
    Clocks clocks;
};

// One profile's bytes: its timebase pair and its record.
struct ProfileBytes {
    std::uint8_t dividend = 0, divisor = 0;
    std::array<std::uint8_t, kRecordSize> record{};
};
Result encodeProfile(const SpdImage& img, int n, const Choice& c, ProfileBytes& out);
Result writeProfile(SpdImage& img, int n, const Choice& c);
Result setup(SpdImage& img, int profileChoice, const Choice& c);
Result clear(SpdImage& img, int profileChoice);

struct Loaded {
    std::optional<int> grade;
    std::array<bool, 15> cas{};
    LoadedClocks clocks;
};
// Reads the JEDEC base timings. Bytes 10, 11 and 12 that are 0 are set to 1
// in img first.
Loaded load(SpdImage& img);
// The grade whose window holds the data rate 2 * 10^7 / (tck * mtb), with
// mtb the timebase in tenths of a picosecond.
std::optional<int> gradeForRate(int tck, int mtb);

} // namespace ddr3

} // namespace xmp
