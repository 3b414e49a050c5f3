#pragma once

// Doubles of the viewer windows, and a language table for the file tools' texts.

#include "core/MBLanguages.h"
#include "terminal_files/FileViewers.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <vector>

namespace jvztest {

// Every text of the file tools as "<section:key>", in both language columns.
jvz::MBLanguages bracketedFileToolTexts();

// Records what each viewer was asked to show; the text viewer reads the file at show time (status 2 when
// it cannot) and can run an action while "shown" (an edit and save, a second command).
class RecordingViewers : public jvz::FileViewers {
public:
    struct TextShown {
        jvz::TextViewRequest request;
        QByteArray content;
    };
    struct DescriptorShown {
        QString folder;
        QString fileName;
        bool list;
        QByteArray content;
    };

    jvz::TextViewResult showTextFile(const jvz::TextViewRequest& request) override;
    void showDescriptorFile(const QString& folder, const QString& fileName) override;
    int16_t showDescriptorList(const QString& folder, const QString& fileName) override;

    std::vector<TextShown> texts;
    std::vector<DescriptorShown> descriptors;
    // Run while the text viewer is shown; returns whether the file was saved.
    std::function<bool(const jvz::TextViewRequest&)> whileShown;
};

} // namespace jvztest
