#include "cli/Console.h"

#include <cstdio>
#include <unistd.h>

#include "cli/ProgressLine.h"

namespace vyper::cli {

namespace {
void Write(std::FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    std::fflush(stream);
}
}  // namespace

Console::Console(bool progressInPlace) : inPlace_(progressInPlace) {}

bool Console::StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void Console::Out(const QString& line) {
    // On a terminal, standard output shares the screen with the progress line.
    if (!progress_.isEmpty()) WriteErr(ProgressErase());
    Write(stdout, line + QLatin1Char('\n'));
    if (!progress_.isEmpty()) WriteErr(ProgressRedraw(progress_));
}

void Console::Err(const QString& line) {
    if (progress_.isEmpty()) {
        WriteErr(line + QLatin1Char('\n'));
        return;
    }
    WriteErr(ProgressErase() + line + QLatin1Char('\n') + ProgressRedraw(progress_));
}

void Console::Progress(const QString& line, bool milestone) {
    if (!inPlace_) {
        if (milestone) WriteErr(line + QLatin1Char('\n'));
        return;
    }
    progress_ = line;
    WriteErr(ProgressRedraw(line));
}

void Console::EndProgress() {
    if (!inPlace_ || progress_.isEmpty()) return;
    progress_.clear();
    WriteErr(QStringLiteral("\n"));
}

void Console::WriteErr(const QString& text) { Write(stderr, text); }

}  // namespace vyper::cli
