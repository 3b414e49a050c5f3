#pragma once

#include <QString>

namespace jvz {

// What the program tells of itself in its about box: the fields a program file's version information holds.
struct VersionInfo {
    QString legalTrademarks;
    QString productName;
    QString fileDescription;
    QString companyName;
    QString legalCopyright;
    QString title; // the program's title
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The running build's version information (the description is a text of the language file, filled by the
// caller).
VersionInfo programVersionInfo();

} // namespace jvz
