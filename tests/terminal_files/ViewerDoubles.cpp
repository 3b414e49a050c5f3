#include "ViewerDoubles.h"

#include "TestEnv.h"
#include "terminal_files/FileToolTexts.h"

#include <QFile>
#include <gtest/gtest.h>
#include <set>

namespace jvztest {

jvz::MBLanguages bracketedFileToolTexts()
{
    std::set<std::string> sections;
    for (const jvz::TextKey& k : jvz::kFileToolTexts)
        sections.insert(std::string(k.section));
    std::string contents;
    for (const std::string& section : sections) {
        contents += "[" + section + "]\r\n";
        for (const jvz::TextKey& k : jvz::kFileToolTexts) {
            if (k.section != section)
                continue;
            const std::string text = "<" + section + ":" + std::string(k.key) + ">";
            contents += std::string(k.key) + "=" + text + "," + text + "\r\n";
        }
    }
    const std::string path = makeScratchDir("lng") + "/JVZ.lng";
    EXPECT_TRUE(writeFileBytes(path, contents));
    jvz::MBLanguages language;
    language.init(QString::fromStdString(path), 1);
    return language;
}

jvz::TextViewResult RecordingViewers::showTextFile(const jvz::TextViewRequest& request)
{
    QFile file(request.folder + request.fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {2, false};
    texts.push_back({request, file.readAll()});
    file.close();
    jvz::TextViewResult result;
    if (whileShown)
        result.fileSaved = whileShown(request);
    return result;
}

void RecordingViewers::showDescriptorFile(const QString& folder, const QString& fileName)
{
    QFile file(folder + fileName);
    file.open(QIODevice::ReadOnly);
    descriptors.push_back({folder, fileName, false, file.readAll()});
}

int16_t RecordingViewers::showDescriptorList(const QString& folder, const QString& fileName)
{
    QFile file(folder + fileName);
    if (!file.open(QIODevice::ReadOnly))
        return 2;
    descriptors.push_back({folder, fileName, true, file.readAll()});
    return 0;
}

} // namespace jvztest
