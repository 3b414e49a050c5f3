#include "sigdump/CodeTables.h"
#include "sigdump/SignedFileDump.h"
#include "sigdump/TextFormat.h"
#include "sigdump/Unpacker.h"

#include <algorithm>

namespace kelmdor {

const char* const kScratchFailureText = "\n\nCan't create temporary file (check: write protection,...)\n";

namespace {

constexpr size_t kDescriptorSize = 104;
constexpr uint32_t kSupportedDescriptor = 0x0101;
constexpr size_t kKeyBlockSize = 92;
constexpr size_t kNameOffset = 23;
constexpr size_t kNameSize = 15;
constexpr size_t kKeyListTextMax = 99; // what the list's 100-character buffer held

std::string applicationFamily(const uint8_t* d)
{
    std::string family = cString(d + 42, 16);
    while (family.size() > 1 && family.back() == ' ')
        family.pop_back();
    return family;
}

void printDescriptor(std::ostream& out, const uint8_t* d)
{
    out << format("DESCRIPTOR\n----------    Version:            %c%c%c%c\n", d[0], d[1], d[2], d[3]);
    out << format("              Var ID:             %c%c%c%c\n", d[4], d[5], d[6], d[7]);
    out << format("              Card Serial Number: %c%c%c%c%c%c%c%c\n", d[8], d[9], d[10], d[11], d[12], d[13], d[14],
                  d[15]);
    out << format("              Component type:     %s\n", componentTypeLabel(d[22]).c_str());
    out << format("              Application type:   %c%c%c%c\n", d[38], d[39], d[40], d[41]);
    out << format("              Application Family: %s\n", applicationFamily(d).c_str());
    out << format("              Zipped flag:        %c\n", d[58]);
    out << format("              CRC check flag:     %c\n", d[59]);
    out << format("              CRC:                %c%c%c%c\n", d[60], d[61], d[62], d[63]);
    static const char* const kSizeLines[] = {"              Unzipped code size: ", "              Zipped code size:   ",
                                             "              Data size:          ", "              Code Address:       ",
                                             "              Data Address:       "};
    for (size_t i = 0; i < 5; ++i) {
        const uint8_t* f = d + 64 + 8 * i;
        out << kSizeLines[i] << format("%c%c%c%c%c%c%c%c\n", f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]);
    }
}

// The component name up to its first '.', within its 15-character field.
std::string componentName(const uint8_t* d)
{
    const uint8_t* name = d + kNameOffset;
    const uint8_t* dot = std::find(name, name + kNameSize, '.');
    return std::string(reinterpret_cast<const char*>(name), static_cast<size_t>(dot - name));
}

// Prints the key block read at offset 224 of the file; returns where the scan goes on (behind the last key).
int64_t printKeyBlock(std::ostream& out, const ByteSource& file)
{
    uint8_t k[kKeyBlockSize];
    file.readZeroFilled(224, k, sizeof k);
    const unsigned fileFormat = k[64] | (k[65] << 8);
    const int32_t keyCount = static_cast<int32_t>(readLe32(k + 88));
    out << format("\nKEYS\n----          File format:        %04X (%s)\n", fileFormat,
                  fileFormat == 0x0101 ? "exponant:4 bytes" : "exponant:256 bytes");
    out << format("              Repudiation area:   %02X%02X-%02X%02X-%02X / %s\n", k[66], k[67], k[68], k[69], k[70],
                  areaPageText(k + 66).c_str());
    out << format("              Area identifier:    %c%c%c%c%c\n", k[72], k[73], k[74], k[75], k[76]);
    out << format("              Continuity check:   %s\n", k[77] ? "On" : "Off");
    out << format("              File version:       %02X%02X\n", k[78], k[79]);
    out << format("              Number of keys:     %d\n", keyCount);

    const int64_t entrySize = 4 + (fileFormat == 0x0101 ? 264 : 516);
    int64_t pos = 224 + static_cast<int64_t>(kKeyBlockSize);
    if (keyCount <= 0)
        return pos;
    std::string list = "(";
    bool cut = false;
    // The count comes from the file: stop at its end rather than believe it.
    for (int32_t i = 0; i < keyCount && pos < file.size(); ++i) {
        uint8_t number[4];
        if (file.readAt(pos, number, 4) != 4) {
            pos = file.size();
            break;
        }
        pos += entrySize;
        const std::string item = format("%d,", static_cast<int32_t>(readLe32(number)));
        if (cut)
            continue;
        if (list.size() + item.size() + 4 > kKeyListTextMax) {
            list += "...,";
            cut = true;
        } else {
            list += item;
        }
    }
    if (list.back() == ',')
        list.back() = ')';
    else
        list += ')';
    out << "              Keys number:        " << list << "\n";
    return pos;
}

} // namespace

NewerDumpResult dumpNewer(const DumpSettings& settings, const ByteSource& input, std::ostream& report,
                          RepudiationMask& mask, FileSystem& fs)
{
    NewerDumpResult result;
    uint8_t d[kDescriptorSize];
    input.readZeroFilled(0, d, sizeof d);
    result.descriptorVersion = hexFieldValue(d, 4);
    result.componentType = d[22];

    LabelNames names;
    names.detailView = settings.detailView;
    names.descriptorVersion = result.descriptorVersion;
    names.baseName = labelBaseName(settings.inputPath);
    uint8_t zipped = '0';
    if (result.descriptorVersion == kSupportedDescriptor) {
        printDescriptor(report, d);
        names.componentName = componentName(d);
        zipped = d[58];
    } else {
        report << format("DESCRIPTOR\n----------    Version: %x%x%x%x (descriptor absent or version not supported )\n",
                         d[0], d[1], d[2], d[3]);
        names.componentName.assign(kNameSize, ' ');
    }

    std::unique_ptr<FdSource> unpacked;
    if (zipped == '1') {
        unpacked = unpackToScratch(input, UnpackMode::ComponentCode, hexFieldValue(d + 72, 8), fs);
        if (!unpacked) {
            report << kScratchFailureText;
            return result;
        }
    }
    const ByteSource& scanned = unpacked ? static_cast<const ByteSource&>(*unpacked) : input;
    int64_t start = unpacked ? 0 : static_cast<int64_t>(kDescriptorSize);
    if (result.componentType == '4') {
        // The key block stands behind the header of the file as stored; an unpacked copy has no header.
        const int64_t keysEnd = printKeyBlock(report, input);
        if (!unpacked)
            start = keysEnd;
    }

    if (settings.detailView)
        report << "\nCERTIFICATES\n------------";
    else
        report << "\nCERTIFICATES\n------------             CRC  Card Nb  Key Nb   VI   Repud.Keys   KS CT\n";
    ScanCarry carry;
    CertificateScanner scanner(ScanPass::Newer, scanned, report, names, mask, carry);
    scanner.scan(start);
    result.ok = true;
    return result;
}

} // namespace kelmdor
