#pragma once
// The rules of the three summary decoders, free of any window: for an SPD
// image and the index of the byte just decoded they yield the caption
// changes of the summary panel (label -> text), the label move, the
// visibility of the manufacturer name on the SDRAM/DDR/DDR2 panel, the
// caption of the CRC option and the JEDEC key to look up. The document's
// adapter (Decoders.cpp) applies them to its labels.

#include "state/SpdImage.h"

#include <QString>
#include <array>
#include <cstdint>

namespace decode {

using velmora::SpdImage;

// Every value label that a decoder writes. Frame2 (SDRAM/DDR/DDR2) first,
// then Frame10 (DDR3/DDR4).
enum class Field : std::uint8_t {
    // Frame2
    Label29, Label37, Label41, Label32, Label35, Label34, Label158, Label39,
    Label38, Label30, Label31, Label42, Label44, Label14, Label43, Label45,
    Label46, Label6, Label59, Label36, Label18, Label47, Label49, Label26,
    Label28,
    // Frame10
    Label120, Label116, Label117, Label118, Label119, Label133, Label155,
    Label121, Label125, Label122, Label123, Label124, Label126, Label128,
    Label129, Label127, Label130, Label115, Label131, Label141, Label142,
    Label143, Label144, Label146, Label148, Label147,
    Count
};
inline constexpr int kFieldCount = static_cast<int>(Field::Count);

// The control name of a field ("Label59").
const QString& nameOf(Field f);

struct Caption {
    Field field = Field::Count;
    QString text;
};

// What one decode call changes.
struct Effects {
    static constexpr int kMaxCaptions = 6;
    std::array<Caption, kMaxCaptions> captions;
    int count = 0;

    // Frame2's manufacturer name after the identifier case: -1 untouched,
    // 0 hidden, 1 shown. Its caption is among the captions; the JEDEC name
    // string takes that caption too.
    std::int8_t label59Visible = -1;
    // Label126 moves to Left 1600 twips (eight CAS latencies or more).
    bool moveLabel126 = false;
    // New caption of the CRC option Optcrc(1), when set.
    bool setOptcrc1 = false;
    QString optcrc1;
    // DDR3/DDR4: the DRAM manufacturer key handed to the document's lookup.
    bool lookup = false;
    QString lookupKey;

    void set(Field f, QString text)
    {
        captions[static_cast<std::size_t>(count++)] = Caption{f, std::move(text)};
    }
    // The caption set for f in this call, or nullptr.
    const QString* find(Field f) const
    {
        for (int i = 0; i < count; ++i)
            if (captions[static_cast<std::size_t>(i)].field == f)
                return &captions[static_cast<std::size_t>(i)].text;
        return nullptr;
    }
};

// SDRAM, DDR and DDR2 images (byte 2 of 8 or less).
Effects ddr2Rules(const SpdImage& img, int A);
// DDR3 images and every other byte 2 above 8 except 12.
Effects ddr3Rules(const SpdImage& img, int A);
// DDR4 images (byte 2 of 12).
Effects ddr4Rules(const SpdImage& img, int A);

// ---- Text helpers shared by the decoders ----

// A value held in hundredths (or thousandths) as the shortest decimal text:
// no trailing zeros, the locale's decimal separator ("18.75", "15", "-0.01").
QString textOfHundredths(std::int64_t v);
QString textOfThousandths(std::int64_t v);
// A byte as the character of the Western ANSI code page (Windows-1252).
QChar ansiChar(int byte);
// The bytes first..last as characters, nothing trimmed.
QString ansiText(const SpdImage& img, int first, int last);

} // namespace decode
