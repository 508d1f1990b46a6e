#pragma once
#include <QString>
#include <stdexcept>

namespace vyper {

// A run-time failure as the platform words it: a description and a number.
// Procedures that catch failures show "description number" or the description alone.
class RuntimeFailure : public std::runtime_error {
public:
    RuntimeFailure(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
    int Number() const { return number_; }
    const QString& Description() const { return description_; }

private:
    int number_;
    QString description_;
};

// Failure numbers used by the platform layer.
namespace failure {
inline constexpr int Overflow = 6;
inline constexpr int DivisionByZero = 11;
inline constexpr int FileNotFound = 53;
inline constexpr int DiskFull = 61;
inline constexpr int PathFileAccess = 75;
inline constexpr int PathNotFound = 76;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int PortAlreadyOpen = 8005;
inline constexpr int PortNotOpen = 8018;
inline constexpr int PortMissing = 8002;
inline constexpr int PortBusy = 8010;
inline constexpr int PortPermission = 8011;
inline constexpr int PortOther = 8015;
}  // namespace failure

// "Überlauf" (overflow) failure, for values that leave their integer width.
RuntimeFailure OverflowFailure();

}  // namespace vyper
