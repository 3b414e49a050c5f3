#include "core/CommandLine.h"

#include "core/AppSettings.h"
#include "core/BatchRun.h"
#include "core/Cp1252.h"

#include <QFileInfo>

namespace jvz {

namespace {

QString trimRight(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.left(end);
}

QString lowerCase(const QString& text)
{
    QString out = text;
    for (QChar& c : out) {
        const QChar lower = c.toLower();
        if (Cp1252::fromUnicode(lower) >= 0)
            c = lower;
    }
    return out;
}

// A port given as /dev/NAME is the device NAME.
QString portDeviceName(const QString& value)
{
    const QString name = value.trimmed();
    const QString dev = QStringLiteral("/dev/");
    if (name.startsWith(dev) && !name.mid(dev.size()).contains(QLatin1Char('/')))
        return name.mid(dev.size());
    return name;
}

} // namespace

CommandLineTokens::CommandLineTokens(const QStringList& arguments)
{
    // The arguments joined with one blank; only a run of "-" that opens an argument cuts the text.
    QString current;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        qsizetype dashes = 0;
        while (dashes < arg.size() && arg.at(dashes) == QLatin1Char('-'))
            ++dashes;
        if (dashes > 0) {
            if (!current.isEmpty())
                m_tokens.append(current);
            current.clear();
        }
        current += arg.mid(dashes);
        // The joining blank ends the option before the next argument.
        if (i + 1 < arguments.size())
            current += QLatin1Char(' ');
    }
    if (!current.isEmpty())
        m_tokens.append(current);
}

QString CommandLineTokens::next()
{
    return m_index < m_tokens.size() ? m_tokens.at(m_index++) : QString();
}

void ParseCommandLine(const QStringList& arguments, BatchRun& batch, AppSettings& settings)
{
    settings.gFtpUserName.clear();
    settings.gFtpPassword.clear();
    batch.gActivity = 1;

    CommandLineTokens tokens(arguments);
    const QString first = tokens.next();
    if (first.isEmpty())
        return;

    const QChar letter = first.at(0);
    BatchAction action = BatchAction::Download;
    bool isAction = true;
    if (letter == QLatin1Char('c'))
        action = BatchAction::Download;
    else if (letter == QLatin1Char('d'))
        action = BatchAction::Delete;
    else if (letter == QLatin1Char('u'))
        action = BatchAction::Upload;
    else
        isAction = false;

    if (isAction) {
        batch.gBatchMode = true;
        // Leading blanks stay: they are part of the path as written.
        batch.gBatchFile = trimRight(first.mid(1));
        if (!QFileInfo(batch.gBatchFile).isFile())
            batch.set(BatchCode::FileNotFound, QString::fromLatin1(BatchText::CatalogueNotFound));
        batch.gBatchAction = action;
        batch.gTerminalDir = QStringLiteral("SWAP");
    }
    ParseCommandOptions(tokens, batch, settings);
}

void ParseCommandOptions(CommandLineTokens& tokens, BatchRun& batch, AppSettings& settings)
{
    batch.gComPort.clear();
    for (QString token = tokens.next(); !token.isEmpty(); token = tokens.next()) {
        const char16_t option = token.at(0).unicode();
        const QString value = token.mid(1);
        switch (option) {
        case u'r':
            batch.gResultFile = trimRight(value);
            break;
        case u'a':
            if (!value.isEmpty() && value.at(0) >= QLatin1Char('1') && value.at(0) <= QLatin1Char('3'))
                batch.gActivity = static_cast<uint8_t>(value.at(0).unicode() - u'0');
            break;
        case u'e':
            batch.gTerminalDir = Cp1252::toUpper(trimRight(value));
            break;
        case u'l':
            settings.gFtpUserName = lowerCase(trimRight(value));
            break;
        case u'n':
            batch.gShowProgress = false;
            break;
        case u'p':
            settings.gFtpPassword = Cp1252::toUpper(trimRight(value));
            break;
        case u's':
            // Exactly "ls": the option followed by a blank and another option does not count.
            if (value == QLatin1String("ls"))
                batch.gSerialLink = false;
            break;
        case u'x':
            batch.gComPort = portDeviceName(value);
            break;
        default:
            break;
        }
    }
}

} // namespace jvz
