#include "SecurityFields.h"

namespace diagconv::orbeck {

namespace {
constexpr std::size_t kLabelWidth = 27;
} // namespace

const std::array<SecurityField, kSecurityFieldCount>& securityFields()
{
    using K = FieldKind;
    static const std::array<SecurityField, kSecurityFieldCount> fields{{
        {"DisplayContrastLevel", K::Hex, true},
        {"KeyMultipleContrastPlus", K::Hex, false},
        {"KeyMultipleContrastLess", K::Hex, false},
        {"PressionTimeContrast", K::Milliseconds, false},
        {"KeyMultipleCombinaison1", K::Hex, false},
        {"KeyMultipleCombinaison2", K::Hex, false},
        {"KeyMultipleCombinaison3", K::Hex, false},
        {"PressionTimeCombinaison", K::Milliseconds, false},
        {"PressionDelayCombinaison", K::Milliseconds, false},
        {"DelayKeyLocked", K::MillisecondsTimes20, false},
        {"TypeDisplay", K::Hex, true},
        {"TypeProduct", K::Hex, true},
        {"Ruf_1", K::Hex, true},
        {"Ruf_2", K::Hex, true},
        {"Ruf_3", K::Hex, true},
        {"Ruf_4", K::Hex, true},
        {"Ruf_5", K::Hex, true},
        {"intrusion_flags", K::Hex, false},
        {"security_engaged", K::Hex, false},
        {"pio_intrusion_active_low", K::Hex, false},
        {"pio_intrusion_active_high", K::Hex, false},
        {"pio_intrusion_Fast_Forcing", K::Hex, false},
        {"pio_intrusion_is_init", K::Hex, false},
        {"display_intrusions", K::Hex, false},
        {"intrusion_mask", K::Hex, false},
        {"sw_intrusion_active", K::Hex, false},
        {"sw_intrusion_flags", K::Hex, false},
        {"Tampering_date", K::Date, true},
        {"Tampering_time", K::Time, true},
        {"Tampering _FIQ", K::Hex, true},
        {"Tampering _polling", K::Hex, true},
        {"Tampering_upper_cap", K::Hex, true},
        {"Tampering_lower_cap", K::Hex, true},
        {"Tampering_keyboard_membrane", K::Hex, true},
        {"Tampering_Spurious", K::Hex, true},
        {"Tampering_printed_circuit", K::Hex, true},
        {"Tampering_Temperature_Low", K::Hex, true},
        {"Tampering_Temperature_high", K::Hex, true},
        {"Tampering _Voltage_Low", K::Hex, true},
        {"Tampering _Voltage_High", K::Hex, true},
        {"Debug_Mode", K::Hex, false},
        {"retry_main_osc", K::Hex, false},
        {"VersionPatch", K::Hex, true},
        {"dmmc_flag", K::Hex, true},
        {"UIRAM_data_size(other)", K::Hex, false},
        {"EndOfDataAdress", K::Hex, true},
        {"ROM_version", K::Hex, true},
        {"Keyboard_activation_state", K::Hex, true},
        {"TxBuffer_Sys_cptRendu", K::Hex, true},
    }};
    return fields;
}

std::string fieldLabel(const SecurityField& field)
{
    std::string label = field.name;
    if (label.size() < kLabelWidth)
        label.resize(kLabelWidth, ' ');
    return label + ": ";
}

} // namespace diagconv::orbeck
