#pragma once
#include <QString>

namespace vyper::cli {

// Standard output and standard error as the command line writes them: whole lines in
// UTF-8, each flushed at once, and the progress line on standard error. On a terminal the
// progress line is one line redrawn in place, erased before any other line of standard
// error and drawn again after it; elsewhere only its milestones are printed, as plain lines.
class Console {
public:
    // `progressInPlace`: standard error is a terminal.
    explicit Console(bool progressInPlace);
    // Whether standard error of this process is a terminal.
    static bool StandardErrorIsTerminal();

    void Out(const QString& line);
    void Err(const QString& line);
    // Shows `line` as the progress: on a terminal always, else only when `milestone`.
    void Progress(const QString& line, bool milestone);
    // Ends the progress line: on a terminal it stays as it is and the next line goes below.
    void EndProgress();

private:
    void WriteErr(const QString& text);
    bool inPlace_;
    QString progress_;  // the line shown in place now; empty when none
};

}  // namespace vyper::cli
