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
    for (const Row& r : rows)
        EXPECT_EQ(resolvePathAnyCase(r.asked), r.found) << r.asked.toStdString();
}
