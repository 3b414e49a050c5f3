#include "TestEnv.h"
#include "core/CaseLookup.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace jvz;

namespace {

void touch(const QString& path)
{
    ASSERT_TRUE(jvztest::writeFileBytes(path.toStdString(), "x"));
}

} // namespace

TEST(CaseLookup, ExactNameFirstThenAnotherCaseElseAsGiven)
{
    const QString root = QString::fromStdString(jvztest::makeScratchDir("case"));
    ASSERT_TRUE(QDir(root).mkpath("Data/Sub"));
    touch(root + "/JVZ.lng");
    touch(root + "/Data/Sub/List.M40");
    touch(root + "/Data/Sub/list.m40");

    struct Row {
        QString asked;
        QString found;
    };
    const Row rows[] = {
        {root + "/JVZ.lng", root + "/JVZ.lng"},
        {root + "/jvz.lng", root + "/JVZ.lng"},
        {root + "/JVZ.LNG", root + "/JVZ.lng"},
        {root + "/data/SUB/LIST.M40", root + "/Data/Sub/List.M40"}, // folders too, first in name order
        {root + "/Data/Sub/list.m40", root + "/Data/Sub/list.m40"}, // the exact name wins
        {root + "/missing.txt", root + "/missing.txt"},
        {root + "/nofolder/JVZ.lng", root + "/nofolder/JVZ.lng"},
        {QString(), QString()},
    };
    PathCaseResolver resolver; // one object for all rows: what it keeps must not change an answer
    for (const Row& r : rows) {
        EXPECT_EQ(resolvePathAnyCase(r.asked), r.found) << r.asked.toStdString();
        EXPECT_EQ(resolver.resolve(r.asked), r.found) << r.asked.toStdString();
    }
}

// A pass over a list reads each folder it searches once: a name that appears later in another case is not
// seen by the same resolver, while a new one reads the folder again.
TEST(CaseLookup, ResolverReadsEachFolderOnce)
{
    const QString root = QString::fromStdString(jvztest::makeScratchDir("case"));
    for (int i = 0; i < 3; ++i)
        touch(root + QStringLiteral("/f%1.bin").arg(i));
    PathCaseResolver resolver;
    EXPECT_EQ(resolver.resolve(root + "/F0.BIN"), root + "/f0.bin");
    touch(root + "/late.bin");
    EXPECT_EQ(resolver.resolve(root + "/F2.BIN"), root + "/f2.bin");
    EXPECT_EQ(resolver.resolve(root + "/LATE.BIN"), root + "/LATE.BIN");
    EXPECT_EQ(resolver.resolve(root + "/late.bin"), root + "/late.bin"); // an exact name is always found
    EXPECT_EQ(PathCaseResolver().resolve(root + "/LATE.BIN"), root + "/late.bin");
}
