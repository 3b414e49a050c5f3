#include "TransferWorld.h"

#include "TestEnv.h"
#include "platform/FtpClient.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <gtest/gtest.h>

namespace jvztest {

const std::vector<const char*>& transferTextKeys()
{
    static const std::vector<const char*> keys = {
        "FTPCmd",
        "PutOK",
        "GetOK",
        "MSG_FileNotFound",
        "MSG_SwapSpace",
        "MSG_CatalogueFileNotAdapted",
        "MSG_AllDelFile",
        "MSG_TransferCancelled",
        "MSG_DescriptorBadTarget",
        // the terminal explorer and the interactive transfers
        "TerminalContent",
        "TRC_TerminalNameDropped",
        "TRC_TerminalNameRefused",
        "MSG_TerminalNameNotSendable",
        "TRC_TerminalLineTooLong",
        "TRC_TerminalSizeTooLarge",
        "DelOK",
        "DelKO",
        "TRC_DelFile",
        "TRC_DownloadedFile",
        "TRC_UploadedFile",
        "TRC_TerminalDisk",
        "MSG_DelFile",
        "MSG_DelFiles1",
        "MSG_DelFiles2",
        "TIT_DelFile",
        "MSG_SIZ_VisibleItemsIn",
        "MSG_SIZ_FreeSpace",
        "MSG_SIZ_UsedSpace",
        "MSG_SIZ_TotalSpace",
        "MSG_SIZ_InfoAbout",
        "MSG_ConfirmMockupCatDL",
        "MSG_ConfirmProdCatDL",
        "MSG_ConfirmOtherCatDL",
        "MSG_ConfirmThisOperation",
        "TIT_ConfirmCatDL",
        "MSG_DescriptorFileNotAdapted",
        "MSG_NetworkFileDenied",
        "MSG_MaintenanceDlFiles",
        "MSG_TerminalSessionClosed",
        "MSG_FtpSessionLost",
        "TRC_LeftOnTerminal",
        "TRC_LocalNameRefused",
        "MSG_LocalNameNotSendable",
    };
    return keys;
}

jvz::MBLanguages bracketedTransferTexts()
{
    std::string contents = "[General]\r\n";
    for (const char* key : transferTextKeys())
        contents += std::string(key) + "=<" + key + ">\r\n";
    const std::string path = makeScratchDir("lng") + "/JVZ.lng";
    EXPECT_TRUE(writeFileBytes(path, contents));
    jvz::MBLanguages language;
    language.init(QString::fromStdString(path), 1);
    return language;
}

void ScriptedProgress::init(const QString& fileName, const jvz::MBLanguages&, const QString& fromText,
                            const QString& toText, int totalFiles)
{
    ++inits;
    files.append(fileName);
    from = fromText;
    to = toText;
    total = totalFiles;
}

void ScriptedProgress::NewFile(const QString& fileName)
{
    files.append(fileName);
}

void ScriptedProgress::LaunchTimer()
{
    m_running = true;
    ++filesDone;
    // Ends from the event loop, as the window's timer does, so the transfer's wait really runs.
    QTimer::singleShot(1, [this] {
        if (duringWait)
            duringWait(filesDone);
        m_running = false;
        if (cancelAfterFiles >= 0 && filesDone >= cancelAfterFiles)
            m_canceled = true;
    });
}

void RecordingTransferHost::ReportFtpError(uint32_t error, const QString& operation)
{
    const QByteArray response = m_ftp ? m_ftp->lastResponse() : QByteArray();
    reports.push_back({error, operation, response});
    m_batch.gErrorCode = static_cast<int16_t>(jvz::BatchCode::FtpOperationFailed);
    m_batch.appendLine(operation + u' ' + QString::number(error) + QStringLiteral(": ") +
                       QString::fromLatin1(response));
}

TransferWorld::TransferWorld()
{
    batch.gBatchMode = true;
    batch.gTerminalDir = QStringLiteral("SWAP");
    identity.swapDisk = QStringLiteral("SWAP");
    info.SetProductCode(QStringLiteral("M40"));
    tempFolder = scratchFolder("temp");
}

jvz::TransferContext TransferWorld::context(jvz::FtpClient& client)
{
    ftp = &client;
    return jvz::TransferContext{
        .ftp = client,
        .host = host,
        .notifier = notifier,
        .language = language,
        .batch = batch,
        .session = session,
        .identity = identity,
        .terminalInfo = info,
        .currentTerminalDir = currentTerminalDir,
        .tempFolder = tempFolder,
        .clock = [this] { return seconds; },
        .maxAnimationWaitMs = 10000,
    };
}

QString scratchFolder(const char* hint)
{
    return QString::fromStdString(makeScratchDir(hint)) + u'/';
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray patternBytes(qsizetype size, int seed)
{
    QByteArray bytes(size, '\0');
    uint32_t state = 2654435761u * uint32_t(seed + 1);
    for (char& c : bytes) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    return bytes;
}

QByteArrayList commandsAfterLogin(const QByteArrayList& commands)
{
    qsizetype last = -1;
    for (qsizetype i = 0; i < commands.size(); ++i) {
        if (commands[i].startsWith("PASS"))
            last = i;
    }
    return commands.mid(last + 1);
}

bool anyCommandStartsWith(const QByteArrayList& commands, const QByteArray& prefix)
{
    return std::any_of(commands.begin(), commands.end(),
                       [&](const QByteArray& line) { return line.toUpper().startsWith(prefix); });
}

} // namespace jvztest
