// Fuzz target: a package descriptor's lines through the parse that picks the files for the terminal.
#include "core/Cp1252.h"
#include "terminal_files/PackageDescriptor.h"

#include <QByteArray>
#include <QList>
#include <QString>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    jvz::DescriptorParseState state;
    for (const QByteArray& raw : bytes.split('\n')) {
        const QString line = jvz::Cp1252::decode(raw);
        (void)jvz::descriptorQuotedValue(line);
        QString source;
        if (jvz::ParseDescriptorTargets(state, QStringLiteral("M40"), line, source))
            (void)jvz::isValidDescriptorTarget(state.DescriptorTarget);
    }
    return 0;
}
