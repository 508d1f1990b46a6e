#pragma once
#include <QByteArray>
#include <QString>

namespace vyper::testing {

// A pseudo-terminal pair: the test plays the device on the master side and the program
// opens the slave path as its serial port.
class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    const QString& SlavePath() const { return slavePath_; }
    // Writes a few bytes as the device would send them.
    void Write(const QByteArray& bytes);

private:
    int master_ = -1;
    int slaveKeeper_ = -1;
    QString slavePath_;
};

}  // namespace vyper::testing
