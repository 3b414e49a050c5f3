// Apart from FileOpenCommands.cpp: the terminal pane's headers and the local pane's both name a LocalItemKind.
#include "terminal_files/ui/TerminalExplorerView.h"
#include "workspace/ui/FileOpenCommands.h"

namespace jvz {

void FileOpenCommands::attachTerminalExplorer(TerminalExplorerView& view)
{
    // The file lies in the FTP session's current directory, which the transfer context names.
    view.setOpenTerminalFile([this](const QString&, const QString& name) { OpenTerminalFile(name); });
}

} // namespace jvz
