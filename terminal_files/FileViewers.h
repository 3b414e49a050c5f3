#pragma once

// The viewer windows as the file commands use them: each call prepares the single window instance, shows it
// modal and returns once it has closed. The real ones live in terminal_files/ui; tests use a double.

#include <QString>
#include <cstdint>

namespace jvz {

struct TextViewRequest {
    QString folder;   // ends with "/"
    QString fileName; // the file shown and, on a save, overwritten
    int heightTwips = 4000;
    int widthTwips = 6000;
    QString displayPath; // when not empty the caption names this file instead
    bool writable = false;
};

struct TextViewResult {
    int16_t status = 0;     // 0: loaded and shown; else the reader's error, nothing shown
    bool fileSaved = false; // the user changed the text and saved it back to the file
};

class FileViewers {
public:
    virtual ~FileViewers() = default;
    virtual TextViewResult showTextFile(const TextViewRequest& request) = 0;
    // One descriptor file in the descriptor viewer.
    virtual void showDescriptorFile(const QString& folder, const QString& fileName) = 0;
    // The files a catalogue list names; non-zero when the list cannot be read (nothing shown then).
    virtual int16_t showDescriptorList(const QString& folder, const QString& fileName) = 0;
};

} // namespace jvz
