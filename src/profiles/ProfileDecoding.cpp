#include "profiles/ProfileDecoding.h"

#include <cstdlib>
#include <limits>

#include "platform/Failure.h"
#include "text/NumberText.h"

namespace vyper {

namespace {

constexpr double kMetresPerFoot = 0.3048;

int ByteAt(std::span<const int32_t> bytes, std::size_t slot) { return bytes[slot] & 0xFF; }

// Header slots, counted back from the end of the answer.
int HeaderByte(std::span<const int32_t> bytes, std::size_t fromEnd) {
    return ByteAt(bytes, bytes.size() - fromEnd);
}

bool IsMarker(int b) { return b >= 121 && b <= 135; }

}  // namespace

DiveRecord DecodeDiveHeader(std::span<const int32_t> bytes) {
    DiveRecord r;
    r.SurfaceMinutes = static_cast<int16_t>(HeaderByte(bytes, 1));
    r.SurfaceHours = static_cast<int16_t>(HeaderByte(bytes, 2));
    const int interval = HeaderByte(bytes, 4);
    r.SampleInterval = static_cast<int16_t>(interval < kMinimumSampleInterval ? kMinimumSampleInterval : interval);
    r.OxygenPercent = static_cast<int16_t>(HeaderByte(bytes, 7));
    r.AirTemperature = static_cast<int16_t>(HeaderByte(bytes, 9));
    r.DiveDay = static_cast<uint8_t>(HeaderByte(bytes, 10));
    r.DiveMonth = static_cast<uint8_t>(HeaderByte(bytes, 11));
    r.DiveYear = static_cast<uint8_t>(HeaderByte(bytes, 12));
    r.DiveHour = static_cast<uint8_t>(HeaderByte(bytes, 13));
    r.DiveMinute = static_cast<uint8_t>(HeaderByte(bytes, 14));
    r.DateText = DateText(r.DiveYear, r.DiveMonth, r.DiveDay);
    r.MaxDepthTemperature = MaxDepthTemperature(bytes);
    return r;
}

int16_t MaxDepthTemperature(std::span<const int32_t> bytes) {
    for (std::size_t k = 1; k < bytes.size(); ++k) {
        if (ByteAt(bytes, k) == kEndOfProfile) return static_cast<int16_t>(ByteAt(bytes, k - 1));
    }
    return 0;
}

QString MarkerText(int byte) {
    switch (byte) {
    case 122: return QStringLiteral("SLOW");
    case 123: return QStringLiteral("ATT");
    case 124: return QStringLiteral("PLAN");
    case 125: return QStringLiteral("SURF");
    case 126: return QStringLiteral("ASC");
    case 127: return QStringLiteral("CEIL");
    case 129: return QStringLiteral("ERR");
    default: return QString();
    }
}

ProfileWalk WalkProfile(std::span<const int32_t> bytes, int16_t sampleInterval) {
    ProfileWalk walk;
    if (bytes.size() < static_cast<std::size_t>(kMinimumDiveBytes)) return walk;
    walk.Entries.reserve(bytes.size());  // at most one entry per byte walked
    int16_t depth = 0;
    int16_t lowest = 9999;
    int32_t elapsed = 0;
    QString marker;
    for (std::size_t i = bytes.size() - 15; i >= 2; --i) {
        const int b = ByteAt(bytes, i);
        if (b >= 136) {
            depth = RoundToInt16(depth + (256 - b) * kMetresPerFoot);
        } else if (b <= 120) {
            depth = RoundToInt16(depth - b * kMetresPerFoot);
        }
        if (depth < lowest) lowest = depth;
        if (IsMarker(b)) {
            const QString own = MarkerText(b);
            if (!own.isEmpty()) marker = own;
            walk.Entries.push_back(ProfileEntry::Marker(marker));
        }
        if (b == kEndOfProfile) {
            walk.EndedByMarker = true;
            break;
        }
        elapsed += sampleInterval;
        walk.Entries.push_back(ProfileEntry::Sample(elapsed, depth));
    }
    const int maxDepth = std::abs(static_cast<int>(lowest));
    if (maxDepth > std::numeric_limits<int16_t>::max()) throw OverflowFailure();
    walk.MaxDepth = static_cast<int16_t>(maxDepth);
    return walk;
}

int16_t BegunMinutes(long long seconds) {
    const long long minutes = (std::llabs(seconds) + 59) / 60;
    if (minutes > std::numeric_limits<int16_t>::max()) throw OverflowFailure();
    return static_cast<int16_t>(minutes);
}

int16_t DurationMinutes(const std::vector<ProfileEntry>& entries) {
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!it->IsMarker()) return BegunMinutes(it->ElapsedSeconds);
    }
    return 0;
}

void AddProfile(DiveRecord& record, std::span<const int32_t> bytes) {
    ProfileWalk walk = WalkProfile(bytes, record.SampleInterval);
    record.DurationMinutes = DurationMinutes(walk.Entries);
    record.Entries = std::move(walk.Entries);
    record.MaxDepth = walk.MaxDepth;
    record.EndedByMarker = walk.EndedByMarker;
}

DiveRecord DecodeDive(std::span<const int32_t> bytes) {
    DiveRecord r = DecodeDiveHeader(bytes);
    AddProfile(r, bytes);
    return r;
}

}  // namespace vyper
