// Fuzz target: a catalogue list read line by line, each line classified and resolved as the transfers do.
#include "FuzzInputFile.h"
#include "terminal_files/CatalogList.h"

#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = QString::fromStdString(jvzfuzz::writeInputFile(data, size));
    jvz::CatalogListReader reader;
    if (!reader.OpenTextFileForRead(path))
        return 0;
    const QString base = jvz::catalogBaseFolder(QStringLiteral("/catalogues/LOAD.M40"));
    // Bounded like the file: one line per byte at the most, plus the final empty read.
    for (size_t n = 0; n <= size; ++n) {
        QString line;
        reader.ReadTextLine(line);
        if (line.isEmpty())
            break;
        switch (jvz::classifyCatalogLine(line)) {
        case jvz::CatalogLineKind::Directory:
            (void)jvz::catalogDirectoryArgument(line);
            break;
        default: {
            const jvz::CatalogFileRef ref = jvz::resolveCatalogFile(line, base);
            (void)jvz::FileNameOf(ref.localPath());
            (void)jvz::FolderOf(line);
            break;
        }
        }
        (void)jvz::catalogSuitsTerminal(line, QStringLiteral("M40"), jvz::XListRule::AnyX);
    }
    reader.CloseTextFile();
    return 0;
}
