#include "terminal_files/TerminalConfigRecord.h"

#include "core/Cp1252.h"
#include "core/HexText.h"
#include "platform/FileReader.h"
#include "platform/FileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <cstring>
#include <optional>

namespace jvz {

namespace {

constexpr ConfigBit kGeneralOptions[] = {
    {0, 11, "portable"}, {1, 12, "printer"},   {2, 13, "radio"},       {3, 14, "buzzer"},
    {4, 15, "COM0"},     {5, 16, "COM1"},      {6, 17, "COM2"},        {7, 18, "COM3"},
    {56, 73, "USB H"},   {8, 19, "USB S"},     {9, 20, "ethernet"},    {10, 21, "imp lent"},
    {11, 22, "DUART"},   {12, 23, "MDB COM3"}, {13, 24, "Abs extrig"}, {14, 25, "IRDA COM0"},
};

constexpr ConfigBit kReaderOptions[] = {
    {15, 26, "ISO1"}, {16, 27, "ISO2"}, {17, 28, "ISO3"}, {18, 29, "CAM1"},    {19, 30, "CAM2"},  {20, 31, "SAM1"},
    {21, 32, "SAM2"}, {22, 33, "SAM3"}, {23, 34, "SAM4"}, {24, 35, "vorbane"}, {25, 36, "Cless"}, {26, 37, "CAM3"},
    {27, 38, "b12"},  {28, 39, "b13"},  {29, 40, "b14"},  {30, 41, "b15"},
};

constexpr ConfigBit kModemOptions[] = {
    {31, 42, "V22"},    {32, 43, "V22bis"}, {33, 44, "sync"}, {34, 45, "inc"},
    {35, 46, "V32bis"}, {36, 47, "V34"},    {37, 48, "V90"},  {38, 49, "call id"},
};

constexpr ConfigBit kDisplayOptions[] = {
    {39, 57, "21 ng"},  {40, 53, "VGA"},     {41, 54, "240*320 Couleur"}, {42, 55, "320*240 Couleur"},
    {43, 56, "128*64"}, {44, 52, "128*128"}, {45, 58, "Com0 Princ"},      {46, 59, "Com0&1 separated"},
};

constexpr ConfigBit kExtensionOptions[] = {
    {48, 60, "Abs MMC"}, {49, 0, "NO NCN / b1"}, {50, 62, "b2"},     {51, 63, "b3"},
    {52, 64, "b4"},      {53, 65, "use tidz"},   {54, 66, "Ext b6"}, {55, 67, "tilto"},
};

constexpr ConfigBit kNewsTypeOptions[] = {
    {63, 8, "Audio"},     {62, 1, "Touch Screen"}, {61, 2, "  Abs Video"}, {60, 3, "Capt lux"},
    {59, 7, "Card lock"}, {58, 6, "b5"},           {57, 5, "b6"},          {47, 4, "b7"},
};

using E = ConfigEncoding;

// Offsets, widths and encodings of the record, in file order.
const ConfigMember kMembers[] = {
    {"ProductId", 0, 4, E::Hex, 0, "LblProdId", -1, "Product reference", {}},
    {"SerialNumber", 4, 4, E::Hex, 1, "LblSerialNumb", -1, "Serial number", {}},
    {"ProductCode", 8, 3, E::Text, 2, "LblPrdCod", -1, "Product code", {}},
    {"ConstructorCode", 11, 8, E::Text, 3, "LblConstrCod", -1, "Constructor code", {}},
    {"RamSize", 19, 4, E::Size32, 5, "LblTotalRam", -1, "Total RAM", {}},
    {"FlashSize", 23, 4, E::Size32, 6, "LblTotalFlash", -1, "Total FLASH", {}},
    {"GeneralOptions", 27, 2, E::Bits16, -1, "FrameGebOpt", -1, "General options", kGeneralOptions},
    {"ReaderOptions", 29, 2, E::Bits16, -1, "FrameReadOpt", -1, "Reader options", kReaderOptions},
    {"ModemOptions", 31, 1, E::Bits8, -1, "FrameModOpt", -1, "Modem options", kModemOptions},
    {"CountryCode", 32, 2, E::Number16, 13, "Label1", 50, "country code", {}},
    {"DisplayOptions", 34, 1, E::Bits8, -1, "FrameDispOpt", -1, "Display options", kDisplayOptions},
    {"InterfaceVersion", 35, 4, E::Text, 11, "lblIntVers", -1, "Interface version", {}},
    {"ExtensionOptions", 39, 1, E::Bits8, -1, "FrameExtOpt", 0, "Extension options", kExtensionOptions},
    {"NewsTypeOptions", 40, 1, E::Bits8, -1, "FrameExtOpt", 1, "News type glimmox options", kNewsTypeOptions},
    {"ProductReference", 41, 12, E::Text, 15, "lblRef", -1, "Product Reference", {}},
    {"GlimmoxVersion", 53, 4, E::Text, 7, "LblGlimmoxVers", -1, "Glimmox version", {}},
    {"VorbaneVersion", 57, 4, E::Text, 8, "LblVorbaneVers", -1, "Vorbane version", {}},
    {"ManufacturingDate", 61, 8, E::Text, 4, "LblManufatDat", -1, "Manufacturing date", {}},
    {"PersoHardware", 69, 4, E::Text, 10, "LblPersoHard", -1, "Perso hardware", {}},
    {"PersoSoftware", 73, 4, E::Text, 9, "LblPersoSoft", -1, "Perso software", {}},
    {"TidZone", 77, 20, E::TidZone, -1, "Frame3", -1, "Tid Zone", {}},
};

constexpr TidZoneBox kTidZone[kTidZoneBoxCount] = {
    {14, 9},  {16, 10}, {17, 51}, {18, 61}, {19, 68}, {20, 69}, {21, 70}, {22, 71}, {23, 72}, {24, 74},
    {25, 75}, {26, 76}, {27, 77}, {28, 78}, {29, 79}, {30, 80}, {31, 81}, {32, 82}, {33, 83}, {34, 84},
};

constexpr int32_t kMegabyte = 1024 * 1024;

uint32_t readLe(QByteArrayView record, int offset, int width)
{
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i)
        v = (v << 8) | uint8_t(record[offset + i]);
    return v;
}

void writeLe(QByteArray& record, int offset, int width, uint32_t value)
{
    for (int i = 0; i < width; ++i)
        record[offset + i] = char((value >> (8 * i)) & 0xFF);
}

// Left-aligned in the member's bytes: blanks after a short value, a long one cut.
void putPadded(QByteArray& record, const ConfigMember& m, QByteArrayView bytes)
{
    for (int i = 0; i < m.width; ++i)
        record[m.offset + i] = i < bytes.size() ? bytes[i] : ' ';
}

QLocale plainNumbers(const QLocale& locale)
{
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    return l;
}

// The number a box holds, in the user's format or the plain one, rounded halves to even.
std::optional<double> roundedNumber(const QString& text, const QLocale& locale)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    bool ok = false;
    double v = locale.toDouble(t, &ok);
    if (!ok)
        v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return std::nearbyint(v); // the default rounding mode sends halves to the even neighbour
}

} // namespace

std::span<const ConfigMember> terminalConfigMembers()
{
    return kMembers;
}

const ConfigMember& terminalConfigMember(const char* name)
{
    for (const ConfigMember& m : kMembers) {
        if (std::strcmp(m.name, name) == 0)
            return m;
    }
    return kMembers[0];
}

std::span<const TidZoneBox> tidZoneBoxes()
{
    return kTidZone;
}

QString decodeMemberText(const ConfigMember& m, QByteArrayView record, const QLocale& locale)
{
    const QByteArrayView bytes = record.sliced(m.offset, m.width);
    switch (m.encoding) {
    case ConfigEncoding::Text:
        return Cp1252::decode(bytes);
    case ConfigEncoding::Hex:
        return BytesToHex(bytes, m.width);
    case ConfigEncoding::Size32: {
        const auto value = int32_t(readLe(record, m.offset, 4));
        return plainNumbers(locale).toString(double(value) / 1024.0 / 1024.0, 'g', 15);
    }
    case ConfigEncoding::Number16:
        return QString::number(readLe(record, m.offset, 2));
    case ConfigEncoding::Bits16:
    case ConfigEncoding::Bits8:
    case ConfigEncoding::TidZone:
        return QString();
    }
    return QString();
}

TerminalConfigForm decodeTerminalConfig(QByteArrayView record, const QLocale& locale)
{
    TerminalConfigForm form;
    for (const ConfigMember& m : kMembers) {
        if (m.textBox >= 0) {
            form.text[size_t(m.textBox)] = decodeMemberText(m, record, locale);
        } else if (m.encoding == ConfigEncoding::TidZone) {
            for (int k = 0; k < kTidZoneBoxCount; ++k)
                form.text[size_t(kTidZone[k].textBox)] = BytesToHex(record.sliced(m.offset + k, 1), 1);
        } else {
            const uint32_t value = readLe(record, m.offset, m.width);
            for (size_t bit = 0; bit < m.bits.size(); ++bit)
                form.check[size_t(m.bits[bit].check)] = ((value >> bit) & 1) != 0;
        }
    }
    return form;
}

ConfigEncodeResult encodeTerminalConfig(const TerminalConfigForm& form, const QLocale& locale, QByteArrayView loaded)
{
    ConfigEncodeResult result;
    QByteArray record(kTerminalConfigSize, ' ');
    const bool haveLoaded = loaded.size() >= kTerminalConfigSize;
    auto refuse = [&result](ConfigEncodeProblem problem, const ConfigMember& m, int box, int tid = 0) {
        result.problem = problem;
        result.member = &m;
        result.box = box;
        result.tidZoneIndex = tid;
        result.record.clear();
        return result;
    };

    for (const ConfigMember& m : kMembers) {
        const QString text = m.textBox >= 0 ? form.text[size_t(m.textBox)] : QString();
        // A number box left as it was read keeps the stored bytes, whatever range they hold.
        const bool numeric = m.encoding == ConfigEncoding::Size32 || m.encoding == ConfigEncoding::Number16;
        if (numeric && haveLoaded && text == decodeMemberText(m, loaded, locale)) {
            record.replace(m.offset, m.width, loaded.sliced(m.offset, m.width).toByteArray());
            continue;
        }
        switch (m.encoding) {
        case ConfigEncoding::Text:
            putPadded(record, m, Cp1252::encode(text));
            break;
        case ConfigEncoding::Hex: {
            const std::optional<QByteArray> bytes = hexToBytes(text.trimmed());
            if (!bytes)
                return refuse(ConfigEncodeProblem::NotHex, m, m.textBox);
            putPadded(record, m, *bytes);
            break;
        }
        case ConfigEncoding::Size32: {
            const std::optional<double> mb = roundedNumber(text, locale);
            if (!mb)
                return refuse(ConfigEncodeProblem::NotNumber, m, m.textBox);
            if (*mb < -2048 || *mb > 2047)
                return refuse(ConfigEncodeProblem::SizeOutOfRange, m, m.textBox);
            writeLe(record, m.offset, 4, uint32_t(int32_t(*mb) * kMegabyte));
            break;
        }
        case ConfigEncoding::Number16: {
            const std::optional<double> n = roundedNumber(text, locale);
            if (!n)
                return refuse(ConfigEncodeProblem::NotNumber, m, m.textBox);
            if (*n < 0 || *n > 32767)
                return refuse(ConfigEncodeProblem::NumberOutOfRange, m, m.textBox);
            writeLe(record, m.offset, 2, uint32_t(*n));
            break;
        }
        case ConfigEncoding::Bits16:
        case ConfigEncoding::Bits8: {
            uint32_t value = 0;
            for (size_t bit = 0; bit < m.bits.size(); ++bit) {
                if (form.check[size_t(m.bits[bit].check)])
                    value |= 1u << bit;
            }
            writeLe(record, m.offset, m.width, value);
            break;
        }
        case ConfigEncoding::TidZone: {
            // An empty box gives no byte (the later ones move down and the zone ends in a blank); anything
            // but two digits would shift or garble the bytes after it.
            QByteArray zone;
            for (int k = 0; k < kTidZoneBoxCount; ++k) {
                const QString box = form.text[size_t(kTidZone[k].textBox)].trimmed();
                if (box.isEmpty())
                    continue;
                const std::optional<QByteArray> byte = box.size() == 2 ? hexToBytes(box) : std::nullopt;
                if (!byte)
                    return refuse(ConfigEncodeProblem::BadTidByte, m, kTidZone[k].textBox, k + 1);
                zone += *byte;
            }
            putPadded(record, m, zone);
            break;
        }
        }
    }
    result.record = record;
    return result;
}

ConfigReadResult readTerminalConfigFile(const QString& path)
{
    ConfigReadResult result;
    QFile file;
    if (!openRegularFile(file, path))
        return result;
    result.fileSize = file.size();
    const QByteArray bytes = file.read(kTerminalConfigSize);
    if (bytes.size() < kTerminalConfigSize) {
        result.status = ConfigReadStatus::TooShort;
        return result;
    }
    result.status = ConfigReadStatus::Ok;
    result.record = bytes;
    return result;
}

ConfigSaveResult saveTerminalConfigFile(const QString& path, QByteArrayView record, FileWriter& writer)
{
    ConfigSaveResult result;
    QByteArray content = record.first(kTerminalConfigSize).toByteArray();
    const QFileInfo info(path);
    if (info.exists()) {
        // Root ignores permissions: a file whose owner may not write it is read-only for this program too.
        if (info.isFile() && !(info.permissions() & QFileDevice::WriteOwner)) {
            result.status = ConfigSaveStatus::ReadOnly;
            return result;
        }
        QFile existing;
        if (!openRegularFile(existing, path, &result.errorText)) {
            result.status = ConfigSaveStatus::CannotReadExisting;
            return result;
        }
        const QByteArray old = existing.readAll();
        if (old.size() > kTerminalConfigSize)
            content += old.mid(kTerminalConfigSize);
    }
    FileWriteError error;
    if (!writer.writeAll(path, content, &error)) {
        result.status = ConfigSaveStatus::WriteFailed;
        result.errorText = error.text;
    }
    return result;
}

} // namespace jvz
