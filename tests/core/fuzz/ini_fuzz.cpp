// Fuzz target: an INI file read as the settings are: every section, every key, typed reads.
#include "FuzzInputFile.h"
#include "core/MbFileIni.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    jvz::MbFileIni ini;
    ini.Create(QString::fromStdString(jvzfuzz::writeInputFile(data, size)));
    ini.SectionIteratorCreate();
    for (int s = 0; s < 64; ++s) {
        const QString section = ini.SectionIterator();
        if (section.isEmpty())
            break;
        ini.KeyIteratorCreate(section);
        for (int k = 0; k < 64; ++k) {
            const QString key = ini.KeyIterator();
            if (key.isEmpty())
                break;
            (void)ini.StringGet(section, key);
            (void)ini.BooleanGet(section, key);
            (void)ini.IntegerGet(section, key, 0);
        }
    }
    (void)ini.StringGet(QStringLiteral("Files"), QStringLiteral("Language"));
    (void)ini.IntegerGet(QStringLiteral("Protocol"), QStringLiteral("IP_Port"));
    return 0;
}
