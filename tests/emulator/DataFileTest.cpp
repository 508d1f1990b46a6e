// The data file that replaces the built-in dives and settings, and the command line.

#include "core/DataFile.h"
#include "core/Options.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>

namespace vyemu {
namespace {

const char* kGoodFile = R"(# two dives and some settings
[settings]
serial = 1 2 30 4
user-text = "Tauchclub Nord"
units = imperial
mode = gauge
light-duration = 20
light-on = no
depth-alarm = off
alarm-time = 30
alarm-depth-ft = 98.5
poke = 0 0
[dive]
date = 2024-08-17 10:42
surface-interval = 2:05
interval = 30
o2 = 32
air-temp = 24
max-depth-temp = 17
profile = 10 +20 3*0 SLOW
profile = -10 @130 -20 ASC
  # indented comment

[dive]
date = 1999-12-31 23:59
profile = 5 -5
end-marker = no
lead-byte = 7
)";

TEST(DataFile, ReadsSettingsAndDives)
{
    Scenario s;
    const auto error = parseDataFile(kGoodFile, DeviceSettings{}, s);
    ASSERT_FALSE(error) << *error;
    const DeviceSettings& t = s.settings;
    EXPECT_EQ(t.serialNumber, (std::array<std::uint8_t, 4>{1, 2, 30, 4}));
    EXPECT_EQ(t.userText, "Tauchclub Nord");
    EXPECT_EQ(std::tuple(t.metric, t.computerMode, t.lightDuration, t.lightOn, t.depthAlarm, t.alarmTime),
              std::tuple(false, 2, 20, false, 0, 30));
    EXPECT_DOUBLE_EQ(s.settings.alarmDepthFeet, 98.5);
    EXPECT_EQ(s.settings.sampleInterval, DeviceSettings{}.sampleInterval);  // untouched default
    EXPECT_EQ(s.settings.pokes, (std::vector<std::pair<int, int>>{{0, 0}}));

    ASSERT_EQ(s.dives.size(), 2u);
    const Dive& a = s.dives[0];
    EXPECT_EQ(std::tuple(a.year, a.month, a.day, a.hour, a.minute), std::tuple(2024, 8, 17, 10, 42));
    EXPECT_EQ(std::tuple(a.surfaceHours, a.surfaceMinutes), std::tuple(2, 5));
    EXPECT_EQ(std::tuple(a.intervalSeconds, a.oxygenPercent, a.airTemperature, a.maxDepthTemperature),
              std::tuple(30, 32, 24, 17));
    const std::vector<Step> expected{Step::depth(10), Step::depth(20), Step::depth(0), Step::depth(0),
                                     Step::depth(0), Step::marker(122), Step::depth(-10),
                                     Step::marker(130), Step::depth(-20), Step::marker(126)};
    EXPECT_EQ(a.profile, expected);
    EXPECT_TRUE(a.endMarker);

    const Dive& b = s.dives[1];  // interval 20 is the default
    EXPECT_EQ(std::tuple(b.year, b.endMarker, b.leadByte, b.intervalSeconds), std::tuple(1999, false, 7, 20));
    EXPECT_EQ(encodeDive(b).front(), 7);
}

TEST(DataFile, PokesAndOverridesReachTheMemory)
{
    Scenario s;
    const auto error = parseDataFile("[settings]\npoke = 120 238\npoke = 121 1\ndive-count = 300\n"
                                     "max-depth-ft = 20\ndive-bytes = 4660\ntotal-dive-time = 5\n",
                                     DeviceSettings{}, s);
    ASSERT_FALSE(error) << *error;
    EXPECT_TRUE(s.dives.empty());
    const MemoryImage m = buildMemory(s.settings, s.dives);
    EXPECT_EQ((std::vector<int>{m[120], m[121], m[34] * 256 + m[35], m[30] * 256 + m[31], m[81] * 256 + m[82],
                                m[32] * 256 + m[33]}),
              (std::vector<int>{238, 1, 300, 2560, 4660, 5}));
}

TEST(DataFile, UserTextInTheEightBitCharacterSet)
{
    EXPECT_EQ(utf8ToLatin1("Grundel \xC3\xA4\xC3\xB6\xC3\xBC \xC2\xB0"),
              std::string("Grundel \xE4\xF6\xFC \xB0"));
    EXPECT_FALSE(utf8ToLatin1("\xE2\x82\xAC"));  // euro sign: not in the 8-bit range
    EXPECT_FALSE(utf8ToLatin1("\xC3"));          // cut-off sequence
}

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
        {"[settings]\nuser-text = 123456789012345678901\n", "line 2: user-text is longer"},
        {"[settings]\nalarm-time = 1\nalarm-time = 2\n", "line 3: 'alarm-time' given twice"},
        {"[settings]\npoke = 256 1\n", "line 2: poke address must lie in 0..255"},
        {"[dive]\nprofile = 10\n", "line 1: dive has no date"},
        {"[dive]\ndate = 2024-13-01 10:00\n", "line 2: month must lie in 1..12"},
        {"[dive]\ndate = 24-01-01 10:00\n", "line 2: date must look like"},
        {"[dive]\ndate = 2024-01-01 10:00\nsurface-interval = 1:60\n", "line 3: surface interval minutes"},
        {"[dive]\ndate = 2024-01-01 10:00\nprofile = 10 121\n", "line 3: profile step 121 ft"},
        {"[dive]\ndate = 2024-01-01 10:00\nprofile = @128\n", "line 3: @128 is the end marker"},
        {"[dive]\ndate = 2024-01-01 10:00\nprofile = 10001*5\n", "line 3: repeat count"},
        {"[dive]\ndate = 2024-01-01 10:00\nmax-depth-temp = 128\n", "line 1: temperature at maximum depth must not be 128"},
        {"[dive]\ndate = 2024-01-01 10:00\ninterval = \n", "line 3: missing value"},
        {"[dive]\ndate = 2024-01-01 10:00\ninterval = 2O\n", "line 3: interval: '2O' is not"},
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
    Scenario s;
    EXPECT_EQ(loadDataFile("/nonexistent/dives.txt", DeviceSettings{}, s), "/nonexistent/dives.txt: cannot be opened");
}

TEST(DataFile, SurvivesMangledInput)
{
    std::mt19937 random(7);
    const std::string base = kGoodFile;
    for (int round = 0; round < 2000; ++round) {
        std::string text = base;
        const int edits = 1 + static_cast<int>(random() % 8);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = random() % text.size();
            switch (random() % 3) {
            case 0: text[at] = static_cast<char>(random() % 256); break;
            case 1: text.erase(at, 1 + random() % 5); break;
            default: text.insert(at, 1, "=:*@ \n[]-+#\""[random() % 13]); break;
            }
            if (text.empty())
                text = "x";
        }
        Scenario s;
        const auto error = parseDataFile(text, DeviceSettings{}, s);
        if (!error) {
            for (const Dive& d : s.dives)
                EXPECT_FALSE(validateDive(d)) << text;
            EXPECT_FALSE(validateSettings(s.settings)) << text;
        } else {
            EXPECT_EQ(error->rfind("line ", 0) == 0 || error->rfind("settings: ", 0) == 0, true) << *error;
        }
    }
}

TEST(CommandLine, OptionsAndTheirErrors)
{
    const struct {
        std::vector<std::string> args;
        const char* error;  // nullptr: accepted
    } cases[] = {
        {{}, nullptr},
        {{"--fast", "--echo", "--dives=large", "--end=short:5", "--bad-checksum=2:3", "--silent", "m32"}, nullptr},
        {{"--end", "empty", "--noise=4", "--noise-seed=9", "--log=/tmp/x", "--max-commands=7"}, nullptr},
        {{"--baud=9600", "--latency=5", "--gap=0", "--max-seconds=3", "--path-file", "p"}, nullptr},
        {{"--dives=huge"}, "--dives must be"},
        {{"--end=short:16"}, "--end=short:N needs N in 1..15"},
        {{"--baud=fast"}, "--baud needs a whole number"},
        {{"--cut=2"}, "--cut: a byte count is required"},
        {{"--overlong=1:100"}, "--overlong: number after ':'"},
        {{"--echo=yes"}, "--echo takes no value"},
        {{"--colour=red"}, "unknown option '--colour'"},
        {{"--data=x", "--dives=large"}, "--data and --dives exclude each other"},
    };
    for (const auto& c : cases) {
        EmulatorOptions o;
        const auto error = parseOptions(c.args, o);
        if (!c.error) {
            EXPECT_FALSE(error) << c.args.size() << ": " << error.value_or("");
        } else {
            ASSERT_TRUE(error) << c.error;
            EXPECT_EQ(error->rfind(c.error, 0), 0u) << *error;
        }
    }
}

TEST(CommandLine, ValuesArriveWhereTheyBelong)
{
    EmulatorOptions o;
    ASSERT_FALSE(parseOptions({"--echo", "--dives=large", "--end=short:5", "--bad-checksum=2:3",
                               "--silent=m32", "--faults-repeat", "--latency=7", "--gap=3"},
                              o));
    EXPECT_TRUE(o.echo && o.faultsRepeat);
    EXPECT_EQ(o.diveSet, "large");
    EXPECT_EQ(std::tuple(o.endOfMemory, o.shortPacketBytes), std::tuple(EndOfMemory::ShortPacket, 5));
    ASSERT_EQ(o.faults.size(), 2u);
    EXPECT_EQ(o.faults[0].kind, FaultKind::BadChecksum);
    EXPECT_EQ(o.faults[0].value, 3);
    EXPECT_EQ(o.faults[1].target, (Target{Target::Kind::Memory, 32}));
    EXPECT_EQ(std::tuple(o.latencyMs, o.baud), std::tuple(7, 2400));

    ASSERT_FALSE(parseOptions({"--latency=7", "--fast"}, o));
    EXPECT_EQ(std::tuple(o.baud, o.latencyMs, o.gapMs), std::tuple(0, 0, 0));
    EXPECT_NEAR(byteMilliseconds(2400), 4.5833, 0.001);
    EXPECT_EQ(byteMilliseconds(0), 0.0);
}

TEST(CommandLine, BuiltInScenarios)
{
    const struct {
        const char* set;
        std::size_t dives;
    } cases[] = {{"default", defaultDives().size()}, {"large", largeDives().size()}, {"none", 0}};
    for (const auto& c : cases) {
        EmulatorOptions o;
        ASSERT_FALSE(parseOptions({std::string("--dives=") + c.set}, o));
        Scenario s;
        ASSERT_FALSE(buildScenario(o, s));
        EXPECT_EQ(s.dives.size(), c.dives) << c.set;
    }
}

TEST(DataFile, CommentsAfterValuesAndQuotedText)
{
    Scenario s;
    const auto error = parseDataFile("[settings]\nuser-text = \" A # B \"  # the club\nalarm-time = 30 # min\n"
                                     "[dive]\ndate = 2024-01-01 10:00 # new year\nprofile = 10 -10 # in and out\n",
                                     DeviceSettings{}, s);
    ASSERT_FALSE(error) << *error;
    EXPECT_EQ(s.settings.userText, " A # B ");
    EXPECT_EQ(s.settings.alarmTime, 30);
    EXPECT_EQ(s.dives.at(0).profile.size(), 2u);
    EXPECT_TRUE(parseDataFile("[settings]\nuser-text = \"open\n", DeviceSettings{}, s));
    EXPECT_TRUE(parseDataFile("[settings]\nuser-text = \"a\" b\n", DeviceSettings{}, s));
}

#ifdef VYPER_EMULATOR_EXAMPLE
TEST(DataFile, TheDocumentedExampleLoads)
{
    Scenario s;
    const auto error = loadDataFile(VYPER_EMULATOR_EXAMPLE, DeviceSettings{}, s);
    ASSERT_FALSE(error) << *error;
    ASSERT_EQ(s.dives.size(), 2u);
    EXPECT_EQ(std::tuple(s.dives[0].oxygenPercent, s.dives[0].profile.size(), maxDepthFeet(s.dives[0])),
              std::tuple(32, 26u, 60));
    EXPECT_FALSE(s.dives[1].endMarker);
    EXPECT_EQ(s.settings.userText, "Grundelnetz Vyper");
}
#endif

}  // namespace
}  // namespace vyemu
