#pragma once

#include "terminal_files/TransferContext.h"

#include <QPointer>
#include <functional>

namespace jvz {

class frmAnimCopie;

// The copy progress window behind the transfers. In a batch run its Cancel button stops the run at once:
// no question box may block an unattended run.
class AnimCopieProgress : public TransferProgress {
public:
    enum class CancelMode {
        Confirm,   // interactive: the window asks before it cancels
        Immediate, // batch run: Cancel takes effect without a question
    };

    AnimCopieProgress(frmAnimCopie& window, CancelMode mode);

    void init(const QString& fileName, const MBLanguages& language, const QString& from, const QString& to,
              int totalFiles) override;
    void NewFile(const QString& fileName) override;
    void LaunchTimer() override;
    bool Running() const override;
    bool Canceled() const override;
    void unload() override;

private:
    QPointer<frmAnimCopie> m_window;
};

} // namespace jvz
