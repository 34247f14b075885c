#include "DefaultModule.h"

#include "rules/spd/SpdRules.h"
#include "rules/wizard/ImageBuilders.h"
#include "rules/wizard/WizardAnswers.h"

namespace sim {

Bytes512 defaultModule()
{
    using namespace wizard;
    // The answers the wizard's pages give when every choice is left as it
    // stands, for a DDR4 module.
    AnswerRecord a{};
    a[element::Type] = kDdr4;
    a[element::Speed] = static_cast<std::int16_t>(speedCode(kDdr4, defaultSpeedOption(kDdr4)));
    recordModuleParameters(a, defaultSizePosition(kDdr4), kDefaultWidthPosition, kDefaultRankPosition, false);
    recordTimings(a, defaultTimingPositions(kDdr4, a[element::Speed]));
    // The part number's unused characters are blanks, as on a real module.
    const Texts texts{QString::fromLatin1(kDefaultModuleMaker),
                      QString::fromLatin1(kDefaultModulePart).leftJustified(20, QLatin1Char(' ')), QString()};
    Bytes512 m = ddr4_set(a, texts).image;

    // Both CRCs, least significant byte first, as the document stores them.
    const std::uint16_t base = spd::cal_crc126(m, spd::crcLastIndex(m));
    m[126] = static_cast<std::uint8_t>(base & 0xFF);
    m[127] = static_cast<std::uint8_t>(base >> 8);
    const std::uint16_t module = spd::cal_crc254(m);
    m[254] = static_cast<std::uint8_t>(module & 0xFF);
    m[255] = static_cast<std::uint8_t>(module >> 8);
    return m;
}

} // namespace sim
