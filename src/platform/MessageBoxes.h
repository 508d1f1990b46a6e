#pragma once
#include <QString>

namespace vyper {

// Message box styles and answers, as numbers: buttons + icon + default button.
namespace style {
inline constexpr int OkOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int Critical = 16;
inline constexpr int Question = 32;
inline constexpr int Information = 64;
inline constexpr int DefaultButton2 = 256;
}  // namespace style
namespace answer {
inline constexpr int Ok = 1;
inline constexpr int Yes = 6;
inline constexpr int No = 7;
}  // namespace answer

// The program's title for its message boxes.
inline const QString kMessageTitle = QStringLiteral("Vyper-Grundelnetz");

// Modal message boxes; replaceable so that tests can read and answer them.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows `text` modally with the given style; returns the answer (answer::Ok, Yes, No).
    virtual int Show(const QString& text, int styleValue, const QString& title) = 0;
};

}  // namespace vyper
