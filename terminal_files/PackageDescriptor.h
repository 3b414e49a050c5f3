#pragma once

// DESCRIPTOR.XML of a software package, read line by line with plain substring searches (one element per
// line, as the packages are written): which code files of the connected terminal's product and which data
// files it sends, from which local source to which terminal name.

#include "terminal_files/TransferContext.h"

#include <QString>

namespace jvz {

// The second pass's state, one line at a time. Cleared by the caller before each descriptor.
struct DescriptorParseState {
    bool InApplication = false;
    bool InCodeFile = false;
    bool InData = false;
    bool InDataFile = false;
    QString DescriptorTarget;

    void clear() { *this = DescriptorParseState(); }
};

// The value between the first two double quotes of a line (empty without two).
QString descriptorQuotedValue(const QString& line);

// A target is a terminal-side name only: no folder, not "." or "..".
bool isValidDescriptorTarget(const QString& target);

// Checks folder + name (folder ending in "/"): true when it suits the terminal's product code and every
// source it names exists; count grows by the files the second pass will send and the code files bound for
// an exchange directory add their sizes to the session's total. A missing source or a target that is not
// a plain terminal name is reported here (message box); a descriptor that does not suit says nothing.
bool CheckPackageDescriptor(TransferContext& ctx, const QString& folder, const QString& name, int& count);

// Consumes one line; true when it gives a source location, returned with "/" turned into "\"; the
// entry's target is then state.DescriptorTarget.
bool ParseDescriptorTargets(DescriptorParseState& state, const QString& productCode, const QString& line,
                            QString& source);

} // namespace jvz
