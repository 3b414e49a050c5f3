#pragma once

#include <cctype>
#include <gtest/gtest.h>
#include <string>

namespace jvztest {

// A parameterised test's name from its row's words (the row's `what`): letters and digits kept, anything else
// an underscore.
struct RowName {
    template <typename Row> std::string operator()(const ::testing::TestParamInfo<Row>& info) const
    {
        std::string name;
        for (const char* p = info.param.what; *p; ++p)
            name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
        return name;
    }
};

} // namespace jvztest
