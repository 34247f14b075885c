#pragma once
// The SPD wizard's image builders, free of any window: from the wizard
// answers and texts to a complete SDRAM, DDR, DDR2, DDR3 or DDR4 image, and
// what the document window does with it (the cells it marks, the byte-name
// table and memory type code it switches to, the checksum or CRC choice).
//
// SDRAM, DDR and DDR2 images come out with checksum byte 63 filled in; DDR3
// and DDR4 images with their CRC bytes at 00, which the document's type
// switch computes once the CRC option is selected.

#include "state/SpdImage.h"

#include <QString>
#include <array>
#include <cstdint>

namespace wizard {

using velmora::SpdImage;

// The wizard answers (16 elements) and texts (identifier, part number, one
// unused) as the wizard leaves them in the program-wide state.
using AnswerRecord = std::array<std::int16_t, 16>;
using Texts = std::array<QString, 3>;

struct BuiltImage {
    SpdImage image{};
    // Bytes 0..lastByte are written into the document and decoded: 255, or
    // 511 for DDR4.
    int lastByte = 255;
    // Cells 0..greenLast get the wizard's green: 63, 127 or 255.
    int greenLast = 63;
    // The document's memory type code after the build (its byte names too):
    // 2 for SDRAM, DDR and DDR2 alike, 4 for DDR3, 5 for DDR4.
    int typeCode = 2;
    // True when byte 63 holds the checksum of bytes 0..62 (SDRAM, DDR, DDR2).
    bool checksum63 = false;
    // True when the CRC option is selected after the build (DDR3, DDR4).
    bool selectCrc = false;
};

// SDRAM, DDR and DDR2 (element 0 of 1, 2 or 3).
BuiltImage ddr2_set(const AnswerRecord& a, const Texts& t);
// DDR3 (element 0 of 4).
BuiltImage ddr3_set(const AnswerRecord& a, const Texts& t);
// DDR4 (element 0 of 5).
BuiltImage ddr4_set(const AnswerRecord& a, const Texts& t);
// The builder of element 0: up to 3 the SDRAM/DDR/DDR2 builder, 4 the DDR3
// builder, anything else the DDR4 builder.
BuiltImage buildImage(const AnswerRecord& a, const Texts& t);

// ---- Pieces shared by the builders ----

// A JEP106 continuation count as stored: the count in bits 6-0 and bit 7
// set when that leaves the byte with an even number of one bits (odd
// parity): 80, 01, 02, 83, 04, 85, 86, 07 for 0 to 7.
std::uint8_t continuationCode(int count);

// The manufacturer identifier typed as hexadecimal text ("7F" once per
// continuation code, then the identifier byte): the continuation count and
// the identifier byte. An empty text counts as two blanks; a text of odd
// length takes 0 for the missing low digit of its last byte; the count is
// the number of "7F" pairs (either letter case) in front of the last pair;
// a character that is no hexadecimal digit counts 0.
struct JedecId {
    int continuation = 0;
    std::uint8_t id = 0;
};
JedecId jedecIdOf(const QString& text);

// A part-number character as its byte: its Latin-1 code, "?" for any other.
std::uint8_t partNumberByte(char32_t c);

} // namespace wizard
