// Fuzz target: a language file loaded as the program loads it, its texts picked in several columns.
#include "FuzzInputFile.h"
#include "core/MBLanguages.h"
#include "core/MbFileIni.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = QString::fromStdString(jvzfuzz::writeInputFile(data, size));
    jvz::MBLanguages table;
    table.init(path, 1);
    (void)jvz::MBLanguages::languageNumberFromText(table.GetGeneralLabel(QStringLiteral("DefaultLanguage")));
    jvz::MbFileIni ini;
    ini.Create(path);
    ini.SectionIteratorCreate();
    for (int s = 0; s < 32; ++s) {
        const QString section = ini.SectionIterator();
        if (section.isEmpty())
            break;
        (void)table.GetFormCaption(section);
        ini.KeyIteratorCreate(section);
        for (int k = 0; k < 64; ++k) {
            const QString key = ini.KeyIterator();
            if (key.isEmpty())
                break;
            for (int16_t language : {1, 2, 3}) {
                table.SetCurrentLanguage(language);
                (void)table.GetFormLabel(key);
                (void)table.GetFormLabel(key, section);
            }
        }
    }
    (void)table.GetLongCaption(QStringLiteral("frmMainJVZ"));
    return 0;
}
