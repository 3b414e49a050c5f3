// Every text key the code reads is in the shipped language file, in English and in French.
// Each module keeps the keys it reads in one list beside its code; add the list to the table below.
#include "Paths.h"
#include "core/CoreTexts.h"
#include "core/MBLanguages.h"
#include "core/TextKeys.h"
#include "core/ui/FolderChooserTexts.h"
#include "session/SessionTexts.h"
#include "terminal_files/CertificateTexts.h"
#include "terminal_files/FileToolTexts.h"
#include "terminal_files/TerminalConfigTexts.h"
#include "terminal_files/TerminalExplorerTexts.h"
#include "terminal_files/TransferTexts.h"
#include "workspace/CatalogueAuthoringTexts.h"
#include "workspace/LocalExplorerTexts.h"
#include "workspace/LocalSelectionTexts.h"
#include "workspace/MainWindowTexts.h"

#include <QString>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

struct ModuleTexts {
    const char* module;
    TextKeyList keys;
};

// One row per module list.
const ModuleTexts kModules[] = {
    {"core", {}},
    {"main window", kMainWindowTexts},
    {"about box", kAboutTexts},
    {"terminal configuration", kTerminalConfigTexts},
    {"certificate and printing", kCertificateTexts},
    {"local explorer", kLocalExplorerTexts},
    {"local selection", kLocalSelectionTexts},
    {"terminal explorer", kTerminalExplorerTexts},
    {"file tools", kFileToolTexts},
    {"folder chooser", kFolderChooserTexts},
    {"catalogue authoring", kCatalogueAuthoringTexts},
    {"core", kCoreTexts},
    {"session", kSessionTexts},
    {"terminal_files", kTransferTexts},
};

} // namespace

TEST(ShippedTexts, EveryListedKeyHasBothColumns)
{
    MBLanguages table;
    table.init(jvztest::binDir() + "/JVZ.lng", 1);
    for (const ModuleTexts& m : kModules) {
        for (const TextKey& k : m.keys) {
            const QString section = QString::fromUtf8(k.section.data(), qsizetype(k.section.size()));
            const QString key = QString::fromUtf8(k.key.data(), qsizetype(k.key.size()));
            for (int16_t language : {1, 2}) {
                table.SetCurrentLanguage(language);
                // A window's look-up falls back to [General]; so does this one.
                QString text = table.GetFormLabel(key, section);
                if (text.isEmpty())
                    text = table.GetGeneralLabel(key);
                EXPECT_FALSE(text.trimmed().isEmpty())
                    << m.module << ": [" << section.toStdString() << "] " << key.toStdString() << " #" << language;
            }
        }
    }
}
