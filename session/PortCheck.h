#pragma once

// What the modem installation became here: ordered checks that the terminal's port can carry the PPP link.
// Each check is one traced step with a remedy; the first failure ends the run.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace jvz {

class MBLanguages;

enum class PortCheck {
    DevicePresent, // the port's device node exists
    DeviceAccess,  // this user may read and write it
    PppdUsable,    // pppd is found on PATH and executable
    KernelPpp,     // the kernel offers PPP (/dev/ppp)
    PortNotLocked, // no live process holds the port's lock
};

// The step's name for the trace, in English.
const char* describe(PortCheck check);
// What the user can do when the step fails, in English.
const char* remedy(PortCheck check);
// Language keys of the step's trace name and remedy (the English texts stand in when a key is missing).
QString traceKey(PortCheck check);
QString remedyKey(PortCheck check);

// What the checks ask of the machine; tests answer with a double.
class PortCheckSystem {
public:
    virtual ~PortCheckSystem() = default;
    virtual bool isCharacterDevice(const QString& node) = 0;
    virtual bool canReadWrite(const QString& node) = 0;
    // Full path of pppd on PATH, empty when none.
    virtual QString findPppd() = 0;
    virtual bool isExecutable(const QString& path) = 0;
    virtual bool kernelPppPresent() = 0;
    // The node kernelPppPresent looks at, as the user is told.
    virtual QString kernelPppNode() const { return QStringLiteral("/dev/ppp"); }
    // The live process that holds the port's lock file, if any (a stale lock does not count).
    virtual std::optional<int64_t> lockingProcess(const QString& deviceName) = 0;
};

// The real machine. Nothing here opens the device: existence and access come from the file system, the
// lock from the UUCP lock file that pppd itself takes.
class LinuxPortCheckSystem : public PortCheckSystem {
public:
    explicit LinuxPortCheckSystem(QString lockFolder = QStringLiteral("/var/lock"),
                                  QString pppNode = QStringLiteral("/dev/ppp"))
        : m_lockFolder(std::move(lockFolder)), m_pppNode(std::move(pppNode))
    {
    }

    bool isCharacterDevice(const QString& node) override;
    bool canReadWrite(const QString& node) override;
    QString findPppd() override;
    bool isExecutable(const QString& path) override;
    bool kernelPppPresent() override;
    QString kernelPppNode() const override { return m_pppNode; }
    std::optional<int64_t> lockingProcess(const QString& deviceName) override;

    // The lock file pppd takes for a device: named after the device's last path part ("pts/3": LCK..3).
    static QString lockFileName(const QString& deviceName);

    // The pid a UUCP lock file holds: ten ASCII digits (with blanks) or a 4-byte binary number.
    static std::optional<int64_t> parseLockFile(const QByteArray& bytes);

private:
    QString m_lockFolder;
    QString m_pppNode;
};

// What a step found, as the user is told it.
enum class PortFinding {
    Found,         // subject: the node or program found
    NoSerialPort,  // subject: the text given as the port
    Missing,       // subject: the node looked for
    ReadWrite,     // subject: the node
    NoAccess,      // subject: the node
    NotOnPath,     // pppd nowhere on PATH
    NotExecutable, // subject: the pppd found
    NotLocked,     // subject: the device
    LockedBy,      // subject: the device; holder: the process
};

struct PortCheckStep {
    PortCheck check;
    bool passed = false;
    QString detail; // what was found, for the trace
    PortFinding finding = PortFinding::Found;
    QString subject;
    std::optional<int64_t> holder;
};

// Runs the checks in order for a port ("ttyACM0" or "/dev/ttyACM0"); stops after the first failure.
std::vector<PortCheckStep> runPortChecks(const QString& port, PortCheckSystem& system);

// The trace lines of one step: its name and what was found; after a failure also the remedy and the
// installer's failure text. language reads the port installer's texts (its section first, then [General]).
QStringList portCheckStepLines(const PortCheckStep& step, const MBLanguages& language);

// The texts the user reads, from the port installer's section of language (English when a key is missing): the
// step's name, its result word, what it found and its remedy.
QString portCheckName(PortCheck check, const MBLanguages& language);
QString portCheckResult(const PortCheckStep& step, const MBLanguages& language);
QString portCheckFinding(const PortCheckStep& step, const MBLanguages& language);
QString portCheckRemedy(PortCheck check, const MBLanguages& language);
// The failed step told in three lines: which check, what it found, what to do.
QString portCheckFailureText(const PortCheckStep& step, const MBLanguages& language);

} // namespace jvz
