#include "profiles/ProfileReadFailures.h"

namespace vyper {

namespace {
constexpr int kSubscriptOutOfRange = 9;
}

RuntimeFailure ProfileFileMissing() {
    return RuntimeFailure(failure::FileNotFound, QStringLiteral("Datei nicht gefunden"));
}

RuntimeFailure ProfileFileUnreadable() {
    return RuntimeFailure(failure::PathFileAccess, QStringLiteral("Datei kann nicht gelesen werden"));
}

RuntimeFailure ProfileTablesFull() {
    return RuntimeFailure(kSubscriptOutOfRange,
                          QStringLiteral("Das Tauchprofil hat mehr Messpunkte, als angezeigt werden können (höchstens 2000)"));
}

RuntimeFailure DivisionByZero() {
    return RuntimeFailure(failure::DivisionByZero, QStringLiteral("Division durch Null"));
}

}  // namespace vyper
