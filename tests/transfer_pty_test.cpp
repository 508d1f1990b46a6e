#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QFile>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/PosixSerialControl.h"
#include "support/Fakes.h"
#include "support/Pty.h"
#include "ui/main/frmVyper.h"

using namespace vyper;
using vyper::testing::Bytes;
using vyper::testing::Pty;

namespace {

QByteArray WithChecksum(QByteArray bytes) {
    int x = 0;
    for (char c : bytes) x ^= static_cast<unsigned char>(c);
    return bytes + Bytes({x});
}

// A dive computer on the far side of a pseudo-terminal that sends its answers at the pace
// of a 2400-baud line (one byte every 4.6 ms), in packets of at most 32 payload bytes.
class PacedPeer {
public:
    PacedPeer(Pty& pty, std::vector<QByteArray> dives) : pty_(pty), dives_(std::move(dives)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~PacedPeer() {
        stop_ = true;
        thread_.join();
    }

private:
    void Run() {
        QByteArray command;
        size_t next = 0;
        while (!stop_) {
            command += pty_.Read(1, 20);
            if (command.size() < 3) continue;
            const auto first = static_cast<unsigned char>(command[0]);
            if (first == 0x08 || first == 0x09) {
                next = first == 0x08 ? 0 : next + 1;
                if (next < dives_.size()) Send(dives_[next]);
            }
            command.clear();
        }
    }
    void Send(const QByteArray& payload) {
        for (qsizetype i = 0; i < payload.size() && !stop_; i += 32) {
            const QByteArray part = payload.mid(i, 32);
            for (char c : WithChecksum(Bytes({0x09, static_cast<int>(part.size())}) + part)) {
                pty_.Write(QByteArray(1, c));
                std::this_thread::sleep_for(std::chrono::microseconds(4583));
            }
        }
    }
    Pty& pty_;
    std::vector<QByteArray> dives_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

QByteArray Dive(int day, int samples) {
    QByteArray bytes = Bytes({0, 17, 128});
    for (int i = 0; i < samples; ++i) bytes.append(static_cast<char>(i < samples / 2 ? 254 : 2));
    return bytes + Bytes({15, 10, 24, 8, day, 21, 0, 0, 0, 0, 20, 0, 2, 5});
}

}  // namespace

TEST(TransferOverPty, ADownloadAtLinePaceStoresEveryDiveWhole) {
    Pty pty;
    const std::vector<QByteArray> dives = {Dive(20, 90), Dive(19, 40)};
    PacedPeer peer(pty, dives);

    MemorySettingsStore settings;
    PosixSerialControl serial([&pty](int) { return pty.SlavePath(); });
    vyper::testing::RecordingMessageBoxes boxes;
    SystemWaits waits;
    QTemporaryDir folder;
    AppInfo app{folder.path(), 0, 7};
    frmVyper w(Platform{serial, settings, boxes, waits, app});
    w.txtComDelay->SetText(QStringLiteral("0"));
    w.txtErrMax->SetText(QStringLiteral("1"));
    w.cmdDownload->click();

    QElapsedTimer clock;
    clock.start();
    while (w.timDownLoadCtrl->Interval() > 0 && clock.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(w.timDownLoadCtrl->Interval(), 0) << "the download did not end";
    EXPECT_EQ(w.Module().DivesConverted, 2);
    EXPECT_EQ(w.Module().ErrorCount, 1);
    const QStringList files = QDir(w.Module().ProfileFolder).entryList({QStringLiteral("*.txt")}, QDir::Files);
    ASSERT_EQ(files.size(), 2);
    for (const QString& name : files) {
        QFile file(QDir(w.Module().ProfileFolder).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray content = file.readAll();
        const int samples = name.contains(QStringLiteral("-20 ")) ? 90 : 40;
        // Every sample is in the file and the header was read from the right bytes.
        EXPECT_EQ(content.count("\t\t"), samples) << name.toStdString();
        EXPECT_TRUE(content.contains("Uhrzeit: 10 Uhr 15\r\n")) << name.toStdString();
        EXPECT_TRUE(content.contains("Aufzeichnungsintervall: 20 s\r\n")) << name.toStdString();
    }
    EXPECT_TRUE(w.lstVyperComm->Items().contains(QStringLiteral("Übertragung beendet.")));
}
