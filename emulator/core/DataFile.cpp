#include "DataFile.h"

#include <charconv>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

namespace vyemu {

namespace {

std::string_view trim(std::string_view s)
{
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

std::vector<std::string_view> words(std::string_view s)
{
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
            ++i;
        std::size_t j = i;
        while (j < s.size() && s[j] != ' ' && s[j] != '\t')
            ++j;
        if (j > i)
            out.push_back(s.substr(i, j - i));
        i = j;
    }
    return out;
}

bool toInt(std::string_view s, int& out)
{
    if (!s.empty() && s.front() == '+')
        s.remove_prefix(1);
    if (s.empty() || s.size() > 9 || s.front() == '+')
        return false;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && p == end;
}

bool toDouble(std::string_view s, double& out)
{
    if (s.empty() || s.size() > 20)
        return false;
    for (char c : s)
        if (!((c >= '0' && c <= '9') || c == '.'))
            return false;
    const char* end = s.data() + s.size();
    auto [p, ec] = std::from_chars(s.data(), end, out);
    return ec == std::errc() && p == end && std::isfinite(out);
}

struct Error {
    std::string text;
};

int intIn(std::string_view v, int low, int high, const char* what)
{
    int x = 0;
    if (!toInt(v, x))
        throw Error{std::string(what) + ": '" + std::string(v) + "' is not a whole number"};
    if (x < low || x > high)
        throw Error{std::string(what) + " must lie in " + std::to_string(low) + ".." +
                    std::to_string(high) + " (is " + std::to_string(x) + ")"};
    return x;
}

bool yesNo(std::string_view v, const char* what)
{
    if (v == "yes" || v == "on")
        return true;
    if (v == "no" || v == "off")
        return false;
    throw Error{std::string(what) + " must be yes/no (or on/off), not '" + std::string(v) + "'"};
}

double feetValue(std::string_view v, const char* what)
{
    double x = 0;
    if (!toDouble(v, x) || x >= 512)
        throw Error{std::string(what) + " must be a number of feet 0..511, not '" + std::string(v) + "'"};
    return x;
}

// A '#' after a blank starts a comment; a quoted value ends at its closing quote.
std::string_view stripComment(std::string_view v)
{
    if (!v.empty() && v.front() == '"') {
        const auto close = v.find('"', 1);
        if (close == std::string_view::npos)
            throw Error{"missing closing quote"};
        const std::string_view rest = trim(v.substr(close + 1));
        if (!rest.empty() && rest.front() != '#')
            throw Error{"text after the closing quote"};
        return v.substr(0, close + 1);
    }
    for (std::size_t i = 1; i < v.size(); ++i)
        if (v[i] == '#' && (v[i - 1] == ' ' || v[i - 1] == '\t'))
            return trim(v.substr(0, i));
    return v;
}

void parseSetting(DeviceSettings& s, std::string_view key, std::string_view value)
{
    if (key == "serial") {
        const auto w = words(value);
        if (w.size() != 4)
            throw Error{"serial needs four byte values, e.g. 20 4 17 93"};
        for (std::size_t i = 0; i < 4; ++i)
            s.serialNumber[i] = static_cast<std::uint8_t>(intIn(w[i], 0, 255, "serial byte"));
    } else if (key == "user-text") {
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        auto bytes = utf8ToLatin1(value);
        if (!bytes)
            throw Error{"user-text holds characters outside the 8-bit character set"};
        if (bytes->size() > kUserTextLength)
            throw Error{"user-text is longer than 20 characters"};
        s.userText = *bytes;
    } else if (key == "sample-interval") {
        s.sampleInterval = intIn(value, 0, 255, "sample-interval");
    } else if (key == "personal") {
        s.personal = intIn(value, 0, 255, "personal");
    } else if (key == "units") {
        if (value == "metric")
            s.metric = true;
        else if (value == "imperial")
            s.metric = false;
        else
            throw Error{"units must be metric or imperial"};
    } else if (key == "mode") {
        if (value == "air")
            s.computerMode = 0;
        else if (value == "nitrox")
            s.computerMode = 1;
        else if (value == "gauge")
            s.computerMode = 2;
        else
            s.computerMode = intIn(value, 0, 255, "mode (air, nitrox, gauge or a byte value)");
    } else if (key == "light-on") {
        s.lightOn = yesNo(value, "light-on");
    } else if (key == "light-duration") {
        s.lightDuration = intIn(value, 0, 127, "light-duration");
    } else if (key == "depth-alarm") {
        if (value == "on" || value == "off")
            s.depthAlarm = value == "on" ? 1 : 0;
        else
            s.depthAlarm = intIn(value, 0, 255, "depth-alarm (on, off or a byte value)");
    } else if (key == "alarm-time") {
        s.alarmTime = intIn(value, 0, 255, "alarm-time");
    } else if (key == "alarm-depth-ft") {
        s.alarmDepthFeet = feetValue(value, "alarm-depth-ft");
    } else if (key == "max-depth-ft") {
        s.maxDepthFeet = feetValue(value, "max-depth-ft");
    } else if (key == "total-dive-time") {
        s.totalDiveMinutes = intIn(value, 0, 65535, "total-dive-time");
    } else if (key == "dive-count") {
        s.diveCount = intIn(value, 0, 65535, "dive-count");
    } else if (key == "poke") {
        const auto w = words(value);
        if (w.size() != 2)
            throw Error{"poke needs an address and a byte value, e.g. poke = 120 7"};
        s.pokes.emplace_back(intIn(w[0], 0, 255, "poke address"), intIn(w[1], 0, 255, "poke value"));
    } else if (key == "dive-bytes") {
        s.diveDataBytes = intIn(value, 0, 65535, "dive-bytes");
    } else {
        throw Error{"unknown setting '" + std::string(key) + "'"};
    }
}

void parseProfile(Dive& d, std::string_view value)
{
    for (std::string_view w : words(value)) {
        int repeat = 1;
        if (const auto star = w.find('*'); star != std::string_view::npos) {
            repeat = intIn(w.substr(0, star), 1, 10000, "repeat count before '*'");
            w = w.substr(star + 1);
        }
        Step step;
        if (auto m = markerByteForName(w)) {
            step = Step::marker(*m);
        } else if (!w.empty() && w.front() == '@') {
            const int b = intIn(w.substr(1), 121, 135, "raw marker byte");
            if (b == kEndOfProfile)
                throw Error{"@128 is the end marker; use end-marker = yes"};
            step = Step::marker(static_cast<std::uint8_t>(b));
        } else {
            int feet = 0;
            if (!toInt(w, feet))
                throw Error{"profile step '" + std::string(w) +
                            "' is neither a depth change in feet, a marker name nor @byte"};
            if (feet < -kMaxStepFeet || feet > kMaxStepFeet)
                throw Error{"profile step " + std::to_string(feet) + " ft is outside -120..120"};
            step = Step::depth(feet);
        }
        if (d.profile.size() + static_cast<std::size_t>(repeat) > 60000)
            throw Error{"profile has more than 60000 sample periods"};
        d.profile.insert(d.profile.end(), static_cast<std::size_t>(repeat), step);
    }
}

void parseDiveKey(Dive& d, std::string_view key, std::string_view value)
{
    if (key == "date") {
        // YYYY-MM-DD HH:MM
        const auto w = words(value);
        const std::string_view date = w.size() == 2 ? w[0] : std::string_view{};
        const std::string_view time = w.size() == 2 ? w[1] : std::string_view{};
        if (date.size() != 10 || date[4] != '-' || date[7] != '-' || time.size() != 5 || time[2] != ':')
            throw Error{"date must look like 2024-08-17 10:42"};
        d.year = intIn(date.substr(0, 4), 1930, 2029, "year");
        d.month = intIn(date.substr(5, 2), 1, 12, "month");
        d.day = intIn(date.substr(8, 2), 1, 31, "day");
        d.hour = intIn(time.substr(0, 2), 0, 23, "hour");
        d.minute = intIn(time.substr(3, 2), 0, 59, "minute");
    } else if (key == "surface-interval") {
        const auto colon = value.find(':');
        if (colon == std::string_view::npos || value.size() - colon != 3)
            throw Error{"surface-interval must look like 1:45 (hours:minutes)"};
        d.surfaceHours = intIn(value.substr(0, colon), 0, 255, "surface interval hours");
        d.surfaceMinutes = intIn(value.substr(colon + 1), 0, 59, "surface interval minutes");
    } else if (key == "interval") {
        d.intervalSeconds = intIn(value, 1, 255, "interval");
    } else if (key == "o2") {
        d.oxygenPercent = intIn(value, 0, 100, "o2");
    } else if (key == "air-temp") {
        d.airTemperature = intIn(value, 0, 255, "air-temp");
    } else if (key == "max-depth-temp") {
        d.maxDepthTemperature = intIn(value, 0, 255, "max-depth-temp");
    } else if (key == "end-marker") {
        d.endMarker = yesNo(value, "end-marker");
    } else if (key == "lead-byte") {
        d.leadByte = intIn(value, 0, 255, "lead-byte");
    } else if (key == "profile") {
        parseProfile(d, value);
    } else {
        throw Error{"unknown dive key '" + std::string(key) + "'"};
    }
}

}  // namespace

std::optional<std::string> utf8ToLatin1(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if ((c == 0xC2 || c == 0xC3) && i + 1 < text.size() &&
                   (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            const unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            out += static_cast<char>(code);
            ++i;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::optional<std::string> parseDataFile(std::string_view text, const DeviceSettings& defaults,
                                         Scenario& out)
{
    if (text.size() > kMaxDataFileBytes)
        return std::string("data file is larger than 4 MB");
    Scenario result;
    result.settings = defaults;
    enum class Section { None, Settings, Dive } section = Section::None;
    std::set<std::string> seenKeys;  // keys of the current section
    bool settingsSeen = false;
    bool diveHasDate = false;
    std::size_t lineNo = 0;
    std::size_t diveStartLine = 0;

    auto finishDive = [&]() -> std::optional<std::string> {
        if (section != Section::Dive)
            return std::nullopt;
        if (!diveHasDate)
            return "line " + std::to_string(diveStartLine) + ": dive has no date";
        if (auto e = validateDive(result.dives.back()))
            return "line " + std::to_string(diveStartLine) + ": " + *e;
        return std::nullopt;
    };

    try {
        std::size_t pos = 0;
        while (pos <= text.size()) {
            const std::size_t nl = text.find('\n', pos);
            const std::size_t end = nl == std::string_view::npos ? text.size() : nl;
            std::string_view line = trim(text.substr(pos, end - pos));
            ++lineNo;
            pos = end + 1;
            try {
                if (line.find('\0') != std::string_view::npos)
                    throw Error{"line holds a zero byte"};
                if (line.empty() || line.front() == '#') {
                    // blank or comment
                } else if (line.front() == '[') {
                    if (auto e = finishDive())
                        return e;
                    if (line == "[settings]") {
                        if (settingsSeen)
                            throw Error{"second [settings] section"};
                        settingsSeen = true;
                        section = Section::Settings;
                        seenKeys.clear();
                    } else if (line == "[dive]") {
                        section = Section::Dive;
                        result.dives.emplace_back();
                        diveHasDate = false;
                        diveStartLine = lineNo;
                        seenKeys.clear();
                    } else {
                        throw Error{"unknown section " + std::string(line) +
                                    " (known: [settings], [dive])"};
                    }
                } else {
                    const auto eq = line.find('=');
                    if (eq == std::string_view::npos)
                        throw Error{"expected 'key = value'"};
                    const std::string key(trim(line.substr(0, eq)));
                    const std::string_view value = stripComment(trim(line.substr(eq + 1)));
                    if (key.empty())
                        throw Error{"missing key before '='"};
                    if (section == Section::None)
                        throw Error{"'" + key + "' outside a [settings] or [dive] section"};
                    if (value.empty() && key != "profile" && key != "user-text")
                        throw Error{"missing value for '" + key + "'"};
                    const bool repeatable = key == "profile" || key == "poke";
                    if (!repeatable && !seenKeys.insert(key).second)
                        throw Error{"'" + key + "' given twice in one section"};
                    if (section == Section::Settings) {
                        parseSetting(result.settings, key, value);
                    } else {
                        parseDiveKey(result.dives.back(), key, value);
                        diveHasDate = diveHasDate || key == "date";
                    }
                }
            } catch (const Error& e) {
                return "line " + std::to_string(lineNo) + ": " + e.text;
            }
            if (nl == std::string_view::npos)
                break;
        }
    } catch (const std::bad_alloc&) {
        return std::string("out of memory while reading the data file");
    }
    if (auto e = finishDive())
        return e;
    if (auto e = validateSettings(result.settings))
        return "settings: " + *e;
    out = std::move(result);
    return std::nullopt;
}

std::optional<std::string> loadDataFile(const std::string& path, const DeviceSettings& defaults,
                                        Scenario& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return path + ": cannot be opened";
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > kMaxDataFileBytes)
            return path + ": larger than 4 MB";
    }
    if (in.bad())
        return path + ": read error";
    if (auto e = parseDataFile(text, defaults, out))
        return path + ": " + *e;
    return std::nullopt;
}

}  // namespace vyemu
