#include "TestEnv.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    jvztest::isolateProcessEnvironment();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
