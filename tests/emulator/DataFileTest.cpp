// The data file that replaces the built-in dives and settings, and the built-in dives.

#include "core/DataFile.h"

#include <gtest/gtest.h>

namespace vyemu {
namespace {

TEST(DataFile, RejectsBadInputWithTheLineNumber)
{
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"date = 2024-01-01 10:00\n", "line 1: 'date' outside"},
        {"[dives]\n", "line 1: unknown section"},
        {"[settings]\ncolour = red\n", "line 2: unknown setting"},
        {"[settings]\nserial = 1 2 3\n", "line 2: serial needs four"},
        {"[settings]\nalarm-time = 1\nalarm-time = 2\n", "line 3: 'alarm-time' given twice"},
        {"[dive]\nprofile = 10\n", "line 1: dive has no date"},
        {"[dive]\ndate = 2024-13-01 10:00\n", "line 2: month must lie in 1..12"},
        {"[dive]\ndate = 24-01-01 10:00\n", "line 2: date must look like"},
        {"[dive]\ndate = 2024-01-01 10:00\nsurface-interval = 1:60\n", "line 3: surface interval minutes"},
        {"[dive]\ndate = 2024-01-01 10:00\nprofile = 10 121\n", "line 3: profile step 121 ft"},
        {"[dive]\ndate = 2024-01-01 10:00\nprofile = @128\n", "line 3: @128 is the end marker"},
        {"[dive]\ndate = 2024-01-01 10:00\nmax-depth-temp = 128\n", "line 1: temperature at maximum depth must not be 128"},
        {"[dive]\ndate = 2024-01-01 10:00\ninterval = \n", "line 3: missing value"},
        {"[dive]\ndate = 2024-01-01 10:00\no2 = 99999999999\n", "line 3: o2: '99999999999' is not"},
        {"[dive]\ndate = 2024-01-01 10:00\n just text\n", "line 3: expected 'key = value'"},
    };
    for (const auto& c : cases) {
        Scenario s;
        s.dives = {Dive{}};
        const auto error = parseDataFile(c.text, DeviceSettings{}, s);
        ASSERT_TRUE(error) << c.text;
        EXPECT_EQ(error->rfind(c.expected, 0), 0u) << "got: " << *error;
        EXPECT_EQ(s.dives.size(), 1u) << "the scenario was changed despite the error";
    }
    // The documented example loads (the end-to-end tests load tests/golden/dives.txt).
    Scenario example;
    EXPECT_EQ(loadDataFile(VYPER_EMULATOR_EXAMPLE, DeviceSettings{}, example), std::nullopt);
    EXPECT_EQ(example.dives.size(), 2u);
}

// The built-in dives are not read from a file, so nothing else checks them.
TEST(DiveSets, EveryBuiltInDiveIsValid)
{
    std::vector<Dive> all = defaultDives();
    const auto large = largeDives();
    all.insert(all.end(), large.begin(), large.end());
    ASSERT_EQ(all.size(), 53u);
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_EQ(validateDive(all[i]), std::nullopt) << "dive " << i;
}

}  // namespace
}  // namespace vyemu
