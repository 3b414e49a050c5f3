#include "sigdump/SignedFileDump.h"
#include "sigdump/TextFormat.h"
#include "sigdump/Unpacker.h"

namespace kelmdor {

bool dumpLegacy(const DumpSettings& settings, const ByteSource& input, std::ostream& report, RepudiationMask& mask,
                FileSystem& fs)
{
    std::unique_ptr<FdSource> unpacked = unpackToScratch(input, UnpackMode::WholeFile, 0, fs);
    if (!unpacked) {
        report << kScratchFailureText;
        return false;
    }
    report << "                         CRC  Card Nb  Key Nb   Pf VI Key List \n";

    LabelNames names;
    names.baseName = labelBaseName(settings.inputPath);
    ScanCarry carry;
    {
        CertificateScanner first(ScanPass::LegacyUnpacked, *unpacked, report, names, mask, carry);
        first.scan(0);
    }
    unpacked.reset();

    CertificateScanner second(ScanPass::LegacyRaw, input, report, names, mask, carry);
    second.setLabel(std::string(6, ' ') + "** Application **");
    second.scan(0);
    return true;
}

} // namespace kelmdor
