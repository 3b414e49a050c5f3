// DESCRIPTOR.XML of a package: whether it suits the connected terminal, what it counts and adds up, and the
// source and target of each entry, from fixture files named after what they hold.
#include "Paths.h"
#include "TransferWorld.h"
#include "platform/FtpClient.h"
#include "terminal_files/CatalogList.h"
#include "terminal_files/PackageDescriptor.h"

#include <gtest/gtest.h>

using namespace jvz;

namespace {

QString fixtureFolder()
{
    return jvztest::sourceDir() + QStringLiteral("/tests/terminal_files/descriptors/");
}

// Sizes of the fixture sources bin/app.sgn and bin/lib.sgn, bound for the exchange directory.
constexpr int64_t kCodeFilesSize = 16 + 29;

class DescriptorCheckTest : public ::testing::Test {
protected:
    CurlFtpClient m_unusedClient;
    jvztest::TransferWorld m_world;
    TransferContext m_ctx = m_world.context(m_unusedClient);
};

TEST_F(DescriptorCheckTest, SuitabilityCountAndSizes)
{
    struct Case {
        const char* file;
        const char* product;
        const char* terminalDir;
        bool adapted;
        int count;
        int64_t swapSize;
    } const cases[] = {
        {"full_m40.xml", "M40", "\\SWAP\\", true, 3, kCodeFilesSize},
        {"full_m40.xml", "M40", "\\HOST\\", true, 1, 0}, // code files count only for an exchange directory
        {"full_m40.xml", "M50", "\\SWAP\\", true, 1, 0}, // the data block suits every terminal
        {"full_m40.xml", "m40", "\\SWAP\\", true, 1, 0}, // product codes compare with their case
        {"technology_mixed_case.xml", "M40", "\\SWAP\\", true, 2, kCodeFilesSize},
        {"technology_lower_case.xml", "M40", "\\SWAP\\", false, 0, 0},
        {"other_product_only.xml", "M40", "\\SWAP\\", false, 0, 0},
        {"data_only.xml", "M99", "\\SWAP\\", true, 1, 0},
        {"no_package_end.xml", "M40", "\\SWAP\\", false, 0, 0},
        {"blank_line_after_first_code_file.xml", "M40", "\\SWAP\\", false, 0, 0},
        {"entry_on_one_line.xml", "M40", "\\SWAP\\", true, 1, 0},
        {"absent.xml", "M40", "\\SWAP\\", false, 0, 0},
        {"FULL_M40.XML", "M40", "\\SWAP\\", true, 3, kCodeFilesSize}, // named in another case
    };
    for (const Case& c : cases) {
        m_world.info.SetProductCode(QString::fromLatin1(c.product));
        m_world.currentTerminalDir = QString::fromLatin1(c.terminalDir);
        m_world.session.swapTotalSize = 0;
        int count = 0;
        EXPECT_EQ(CheckPackageDescriptor(m_ctx, fixtureFolder(), QString::fromLatin1(c.file), count), c.adapted)
            << c.file << " " << c.product;
        EXPECT_EQ(count, c.count) << c.file << " " << c.product;
        EXPECT_EQ(m_world.session.swapTotalSize, c.swapSize) << c.file << " " << c.product;
    }
    EXPECT_TRUE(m_world.notifier.shown.empty()); // a descriptor that does not suit says nothing itself
}

TEST_F(DescriptorCheckTest, MissingSourcesAndBadTargetsAreReported)
{
    struct Case {
        const char* file;
        QString message;
    } const cases[] = {
        {"missing_source.xml", fixtureFolder() + QStringLiteral("bin/absent.sgn : <MSG_FileNotFound>")},
        {"target_with_folder.xml", QStringLiteral("bin\\APP.SGN : <MSG_DescriptorBadTarget>")},
        {"target_parent.xml", QStringLiteral(".. : <MSG_DescriptorBadTarget>")},
    };
    for (const Case& c : cases) {
        m_world.notifier.shown.clear();
        int count = 0;
        EXPECT_FALSE(CheckPackageDescriptor(m_ctx, fixtureFolder(), QString::fromLatin1(c.file), count)) << c.file;
        ASSERT_EQ(m_world.notifier.shown.size(), 1u) << c.file;
        EXPECT_EQ(m_world.notifier.shown[0].text, c.message) << c.file;
        EXPECT_EQ(m_world.notifier.shown[0].icon, MessageIcon::Exclamation);
    }
}

// Every (source, target) pair the second pass yields for a descriptor.
QList<std::pair<QString, QString>> entriesOf(const QString& file, const QString& product)
{
    CatalogListReader reader;
    EXPECT_TRUE(reader.OpenTextFileForRead(fixtureFolder() + file));
    DescriptorParseState state;
    QList<std::pair<QString, QString>> entries;
    QString line;
    QString source;
    for (reader.ReadTextLine(line); !line.isEmpty(); reader.ReadTextLine(line)) {
        if (ParseDescriptorTargets(state, product, line, source))
            entries.append({source, state.DescriptorTarget});
    }
    return entries;
}

TEST(DescriptorTargets, SourcesWithTheirTargets)
{
    using Entries = QList<std::pair<QString, QString>>;
    const Entries full{{"bin\\app.sgn", "APP.SGN"}, {"bin\\lib.sgn", ""}, {"data\\param.dat", "PARAM.DAT"}};
    const Entries dataOnly{{"data\\param.dat", "PARAM.DAT"}};
    struct Case {
        const char* file;
        const char* product;
        Entries entries;
    } const cases[] = {
        // The second code file has no target of its own: it never takes the first one's name.
        {"full_m40.xml", "M40", full},
        {"full_m40.xml", "M50", dataOnly},
        {"entry_on_one_line.xml", "M40", dataOnly},
        {"data_only.xml", "M40", dataOnly},
    };
    for (const Case& c : cases)
        EXPECT_EQ(entriesOf(QString::fromLatin1(c.file), QString::fromLatin1(c.product)), c.entries) << c.file;
}

TEST(DescriptorTargets, LineByLineRules)
{
    DescriptorParseState state;
    QString source = QStringLiteral("unchanged");
    EXPECT_FALSE(ParseDescriptorTargets(state, QStringLiteral("M40"), QString(), source));
    // A source outside any entry gives nothing.
    EXPECT_FALSE(
        ParseDescriptorTargets(state, QStringLiteral("M40"), QStringLiteral("<source location=\"a.sgn\"/>"), source));
    EXPECT_EQ(source, QStringLiteral("unchanged"));
    // A target after its source comes too late for it.
    for (const char* line : {"<data>", "<dataFile>"})
        EXPECT_FALSE(ParseDescriptorTargets(state, QStringLiteral("M40"), QString::fromLatin1(line), source));
    EXPECT_TRUE(ParseDescriptorTargets(state, QStringLiteral("M40"),
                                       QStringLiteral("  <source location=\"dir/sub/x.dat\" size=\"3\"/>"), source));
    EXPECT_EQ(source, QStringLiteral("dir\\sub\\x.dat"));
    EXPECT_EQ(state.DescriptorTarget, QString());
    EXPECT_EQ(descriptorQuotedValue(QStringLiteral("<target location=\"X\"")), QStringLiteral("X"));
    EXPECT_EQ(descriptorQuotedValue(QStringLiteral("<target location=\"X")), QString());
}

} // namespace
