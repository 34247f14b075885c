#pragma once
// Program-wide state shared by the windows: the values every window reads
// and writes (rights, device flags, the current memory type, the shared SPD
// buffer, the tester's settings block, ...). One instance for the run,
// reached through gs(); tests reset it between cases.

#include "state/SpdImage.h"

#include <QString>
#include <array>
#include <cstdint>

namespace velmora {

struct ProgramState {
    // Rights: -1 full rights (password given), 0 restricted mode.
    std::int16_t passwordMode = 0;

    // Device flags, -1 or 0.
    // -1 idle, 0 while a device button's road or a module test holds the
    // device; the device operations keep it (they know who holds it).
    std::int16_t deviceIdle = -1;
    std::int16_t deviceLink = 0;      // -1 after a complete status frame
    std::int16_t packetPacing = 0;    // -1 once the pacing tick came

    // Dialog flags, -1 or 0.
    std::int16_t wizardFinished = 0;
    std::int16_t mftSetup = 0;
    std::int16_t xmpChanged = 0;

    // The memory type byte of the document last decoded or copied to the
    // shared buffer; 0 in a new window.
    int currentMemoryType = 0;
    int deviceWidthCode = 0;  // 4, 8, 16 or 32 once a DDR/DDR2/DDR3/DDR4 image was decoded
    int soDimmFlag = 0;       // 1 or 0

    SpdImage sharedSpd{};

    // The programmer's 16-byte configuration, one byte per word.
    std::array<std::int16_t, 16> settingsBlock{};
    // Module test reports that passed and failed (stop at 32767; "Reset"
    // clears them).
    std::int16_t testPassCount = 0;
    std::int16_t testFailCount = 0;

    // First byte written by the row fill; shared by all documents.
    std::int16_t fillStart = 255;

    // Serial port in use, 1 to 4.
    std::uint8_t comPort = 1;

    // Read from the settings store at load.
    QString passwordMarker;
    QString storedPassword;

    std::int16_t keyInMode = 0;
    std::uint8_t keyInRadix = 0;  // 0 decimal, 1 hexadecimal

    int currentYear = 0;

    // Name left by the last manufacturer lookup of a document window or of
    // the manufacturer dialog (the lookup rule itself returns it).
    QString jedecName;

    // The SPD wizard's output.
    std::array<std::int16_t, 16> wizardAnswers{};
    std::array<QString, 3> wizardTexts;
};

ProgramState& gs();
// Puts every value back to its state at program start (tests).
void resetProgramState();

} // namespace velmora
