// The readers of typed and stored numbers and of command texts over arbitrary text, and
// the settings report over an arbitrary receive buffer.
//
// Input: [field number: 4 bytes] [encoding byte] then the text (UTF-8 or Windows-1252);
// the same bytes also fill the receive buffer for the settings report.
#include <array>
#include <cmath>
#include <cstdint>

#include "FuzzSupport.h"
#include "link/ByteList.h"
#include "link/LinkState.h"
#include "link/UserChoices.h"
#include "platform/Failure.h"
#include "text/NumberText.h"
#include "text/Windows1252.h"
#include "transfer/SettingsReport.h"
#include "profiles/NumericValue.h"

using namespace vyper;

namespace {

template <typename F>
void ExpectOnlyRuntimeFailure(F&& f) {
    try {
        f();
    } catch (const RuntimeFailure&) {
        // Overflow and type mismatch are the readers' own failures.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::InputReader in(data, size);
    const int32_t n = static_cast<int32_t>(in.Dword());
    const uint8_t encoding = in.Byte();
    const QByteArray raw = in.Rest();
    const QString text = (encoding & 1) ? FromWindows1252(raw) : QString::fromUtf8(raw);

    const double leading = LeadingNumber(text);
    const std::optional<double> ifAny = LeadingNumberIfAny(text);
    if (ifAny.has_value() ? !(*ifAny == leading || (std::isnan(*ifAny) && std::isnan(leading))) : leading != 0) {
        fuzzing::Finding("LeadingNumber and LeadingNumberIfAny disagree");
    }
    (void)NumericValue(text);
    (void)RoundHalfEven(leading);
    ExpectOnlyRuntimeFailure([&] { (void)RoundToInt16(leading); });
    ExpectOnlyRuntimeFailure([&] { (void)RoundToInt32(leading); });
    ExpectOnlyRuntimeFailure([&] { (void)RoundToInt16(NumericValue(text)); });

    const int32_t port = PortNumberFromText(text);
    if (port < 1 || port > 4) fuzzing::Finding("port number outside 1..4");
    const int32_t delay = CommandDelayFromText(text);
    if (delay < 0 || delay > 2000) fuzzing::Finding("command delay outside 0..2000");
    const int16_t interface = InterfaceTypeFromText(text);
    if (interface != 1 && interface != 2) fuzzing::Finding("interface type");

    const QString field = ParseByteList(text, n);
    if (field.contains(QLatin1Char(' ')) || field.contains(QLatin1Char('\t'))) fuzzing::Finding("separator in a field");
    for (int32_t k = 1; k <= 4; ++k) {
        const QString f = ParseByteList(text, k);
        ExpectOnlyRuntimeFailure([&] { (void)ByteFromField(f); });
    }
    (void)ZeroPad(text, static_cast<int>(n % 64));
    (void)ZeroPad(static_cast<long long>(n), static_cast<int>(encoding % 16));

    static std::array<int32_t, kBufferSize> rx{};
    rx.fill(0);
    for (qsizetype i = 0; i < raw.size() && i < kBufferSize; ++i) rx[i] = static_cast<uint8_t>(raw[i]);
    for (int block = -1; block <= 4; ++block) (void)SettingsReportLines(block, rx);
    (void)UserTextFromBytes(rx);
    return 0;
}
