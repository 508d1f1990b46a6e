#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <future>
#include <thread>
#include <unistd.h>

#include "platform/BackgroundFileWriter.h"
#include "platform/Failure.h"

#include "profiles/ProfileNames.h"
#include "support/CoreRig.h"
#include "support/DiveBytes.h"
#include "transfer/ActivityIndicator.h"
#include "transfer/ConvertProfileBuffer.h"

using namespace vyper;
using namespace vyper::testing;

namespace {

// The name the program gives the worked example's dive of 15 July 1999, 14:05 (or another
// minute): computed with the system's month names, as it does.
QString FileName(int minute = 5) {
    DiveRecord r;
    std::tie(r.DiveYear, r.DiveMonth, r.DiveDay, r.DiveHour) = std::tuple<uint8_t, uint8_t, uint8_t, uint8_t>(99, 7, 15, 14);
    r.DiveMinute = static_cast<uint8_t>(minute);
    return ProfileFileName(r, QLocale::system());
}

struct Storage : CoreRig {
    QString PathOf(const QString& name) const { return JoinPath(m.ProfileFolder, name); }
    // Converts the worked example's dive as if it had just been received.
    void Convert(int minute = 5, std::vector<int> profile = {10, 10, 122, 246, 128}) {
        LoadAnswer(m, DiveAnswer({.minute = minute, .slot1 = 18}, profile));
        ConvertProfileBuffer(m);
    }
    // Everything in the profile folder, hidden files included.
    QStringList FolderEntries() const {
        return QDir(m.ProfileFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
};

const QByteArray kOldContent("old dive, must stay\r\n");

// The file of the worked example's dive, as Storage::Convert() stores it.
const QByteArray kWorkedExampleFile(
    "Time [s]\tDepth [m]\r\n30\t\t-3\r\n60\t\t-6\r\n=> SLOW\r\n90\t\t-6\r\n120\t\t-3\r\n=> SLOW\r\n"
    "# END OF PROFILE #\r\nDatum: 99-07-15\r\nUhrzeit: 14 Uhr 05\r\nDauer: 2 min.\r\nMaximale Tiefe: 6 m\r\n"
    "Lufttemperatur vor TG: 25 \xB0" "C\r\nTemperatur auf maximaler Tiefe: 18 \xB0" "C\r\n"
    "Oberfl\xE4" "chenpause vor dem TG: 05 h 07 min\r\nAufzeichnungsintervall: 30 s\r\n");

}  // namespace

TEST(ProfileNames, UnsafeCharactersAreReplaced) {
    EXPECT_EQ(SafeFileNamePart(QStringLiteral("a/b\\c:d*e?f\"g<h>i|j")), QStringLiteral("a_b_c_d_e_f_g_h_i_j"));
    EXPECT_EQ(SafeFileNamePart(QString(QChar(0)) + QStringLiteral("\nMärz")), QStringLiteral("__März"));
}

// A new dive is stored, listed and summed up in ten lines; one whose name is taken is kept
// or overwritten as the user chose. Either way the transfer goes on with the next dive.
TEST(ConvertProfileBuffer, StoresANewDiveAndTreatsAStoredOneAsChosen) {
    const struct {
        const char* name;
        bool oldFile;
        OverwritePolicy policy;
        int answer;  // to the question, 0: none asked
        bool written;
        int lines;
    } cases[] = {
        {"new", false, OverwritePolicy::Never, 0, true, 10},
        {"never", true, OverwritePolicy::Never, 0, false, 3},
        {"ask, no", true, OverwritePolicy::Ask, answer::No, false, 1},
        {"ask, yes", true, OverwritePolicy::Ask, answer::Yes, true, 10},
        {"always", true, OverwritePolicy::Always, 0, true, 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Storage t;
        const QString name = FileName();
        if (c.oldFile) t.StoreProfile(name, kOldContent);
        t.choices.overwrite = c.policy;
        if (c.answer != 0) t.p.boxes.answers.push_back(c.answer);
        t.m.DownloadState = 2;
        t.control.interval = 100;

        t.Convert();

        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.DiveNumber, t.m.ErrorCount), std::tuple(1, 2, 0));
        EXPECT_EQ(t.ReadProfile(name), c.written ? kWorkedExampleFile : kOldContent);
        EXPECT_EQ(t.FolderEntries(), QStringList{name});
        EXPECT_EQ(t.files.lines, c.written ? QStringList{name} : QStringList{});
        ASSERT_EQ(t.p.boxes.shown.size(), c.answer != 0 ? 1u : 0u);
        if (c.answer != 0) {
            EXPECT_TRUE(t.p.boxes.shown[0].text.contains(name + QStringLiteral(" überschrieben werden?")));
        }
        EXPECT_EQ(std::tuple(t.m.DownloadState, t.control.interval), std::tuple(2, 100));
        ASSERT_EQ(t.messages.lines.size(), c.lines);
        if (c.written) {
            EXPECT_EQ(t.messages.lines.first(), QStringLiteral("Datum: \t\t\t\t99-07-15"));
        }
        EXPECT_EQ(t.messages.lines.last(), ActivityLine(2));  // after storing, with the next dive's number
    }
}

TEST(ConvertProfileBuffer, FailuresBecomeALineAndLeaveTheFolderAsItWas) {
    // Whatever fails, the folder holds what it held (no part of a file, no temporary file),
    // one line tells why, no name is listed, the counters go on and the next dive is stored.
    enum class Fault { FolderMissing, FolderOfThatName, DiskFull, SyncFails, CloseFails, NotReplaceable, WriteProtected, DepthOverflow };
    const struct {
        const char* name;
        Fault fault;
        bool oldFile;  // a stored dive of that name, to be overwritten ("Immer", or "Ja" when asked)
        bool asked;
        const char* line;
    } cases[] = {
        {"folder removed", Fault::FolderMissing, false, false, "Pfad nicht gefunden: <folder>"},
        {"folder of that name", Fault::FolderOfThatName, false, false,
         "Pfad-/Dateizugriffsfehler: <path> ist ein Ordner, die Datei kann nicht angelegt werden"},
        {"disk full, new file", Fault::DiskFull, false, false, "Schreibfehler (Datenträger voll?): <path>"},
        {"disk full, answered Ja", Fault::DiskFull, true, true, "Schreibfehler (Datenträger voll?): <path>"},
        {"sync fails, new file", Fault::SyncFails, false, false, "Schreibfehler (Datenträger voll?): <path>"},
        {"sync fails, answered Ja", Fault::SyncFails, true, true, "Schreibfehler (Datenträger voll?): <path>"},
        {"close fails", Fault::CloseFails, true, false, "Schreibfehler (Datenträger voll?): <path>"},
        {"not replaceable", Fault::NotReplaceable, true, false, "Pfad-/Dateizugriffsfehler: <path> kann nicht ersetzt werden"},
        {"write-protected", Fault::WriteProtected, true, false,
         "Pfad-/Dateizugriffsfehler: <path> kann nicht zum Schreiben geöffnet werden"},
        {"depth overflow", Fault::DepthOverflow, true, false, "Überlauf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Storage t;
        t.choices.overwrite = c.asked ? OverwritePolicy::Ask : OverwritePolicy::Always;
        if (c.asked) t.p.boxes.answers.push_back(answer::Yes);
        const QString name = FileName();
        const QString path = t.PathOf(name);
        const QString inside = name + QStringLiteral("/inside.txt");  // in a folder of the dive's name
        if (c.oldFile) t.StoreProfile(name, kOldContent);
        if (c.fault == Fault::WriteProtected) {
            ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
        } else if (c.fault == Fault::FolderOfThatName) {
            ASSERT_TRUE(QDir().mkdir(path));
            t.StoreProfile(inside, kOldContent);
        } else if (c.fault == Fault::FolderMissing) {
            ASSERT_TRUE(QDir(t.m.ProfileFolder).removeRecursively());
        }
        t.p.files.bytesUntilFull = c.fault == Fault::DiskFull ? 20 : -1;
        t.p.files.renameFails = c.fault == Fault::NotReplaceable;
        t.p.files.syncFails = c.fault == Fault::SyncFails;
        t.p.files.closeFails = c.fault == Fault::CloseFails;
        t.Convert(5, c.fault == Fault::DepthOverflow ? std::vector<int>(1000, 120) : std::vector<int>{10, 128});

        const QString line = QString::fromUtf8(c.line)
                                 .replace(QStringLiteral("<path>"), path)
                                 .replace(QStringLiteral("<folder>"), t.m.ProfileFolder);
        EXPECT_EQ(t.messages.lines, QStringList{line});
        EXPECT_EQ(t.p.boxes.shown.size(), c.asked ? 1u : 0u);
        const bool nameTaken = c.oldFile || c.fault == Fault::FolderOfThatName;
        EXPECT_EQ(t.FolderEntries(), nameTaken ? QStringList{name} : QStringList{});
        EXPECT_EQ(t.ReadProfile(c.oldFile ? name : inside), nameTaken ? kOldContent : "<missing: " + t.PathOf(inside).toUtf8() + ">");
        EXPECT_TRUE(t.files.lines.isEmpty());
        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.DiveNumber, t.m.ErrorCount), std::tuple(1, 2, 0));
        if (c.fault == Fault::FolderMissing) continue;
        t.p.files.bytesUntilFull = -1;
        t.p.files.renameFails = false;
        t.p.files.syncFails = false;
        t.p.files.closeFails = false;
        t.Convert(6);
        EXPECT_EQ(t.files.lines, QStringList{FileName(6)});
        EXPECT_EQ(t.ReadProfile(FileName(6)), QByteArray(kWorkedExampleFile).replace("14 Uhr 05", "14 Uhr 06"));
    }
}

// The hidden file's bytes reach the medium before the name points at them: renamed before
// its sync, a power cut can leave a stored dive as an empty file. Whichever step fails, the
// old file stays as it was, nothing is left beside it, and the caller learns of it.
TEST(AtomicFileWriter, SyncsAndClosesBeforeTheRenameAndAFailedStepLeavesTheOldFile) {
    enum class Fault { None, DiskFull, Sync, Close, Rename };
    const struct {
        const char* name;
        Fault fault;
        const char* steps;
        const char* failure;  // nullptr: none
    } cases[] = {
        {"no fault", Fault::None, "write, sync, close, rename dive.txt", nullptr},
        {"disk full", Fault::DiskFull, "write, close", "Schreibfehler (Datenträger voll?): <path>"},
        {"sync fails", Fault::Sync, "write, sync, close", "Schreibfehler (Datenträger voll?): <path>"},
        {"close fails", Fault::Close, "write, sync, close", "Schreibfehler (Datenträger voll?): <path>"},
        {"rename fails", Fault::Rename, "write, sync, close, rename dive.txt",
         "Pfad-/Dateizugriffsfehler: <path> kann nicht ersetzt werden"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir folder;
        const QString path = JoinPath(folder.path(), QStringLiteral("dive.txt"));
        WriteAll(path, kOldContent);
        FaultyFileWriter writer;
        writer.bytesUntilFull = c.fault == Fault::DiskFull ? 0 : -1;
        writer.syncFails = c.fault == Fault::Sync;
        writer.closeFails = c.fault == Fault::Close;
        writer.renameFails = c.fault == Fault::Rename;

        QString failure;
        try {
            writer.WriteWhole(path, "new dive\r\n");
        } catch (const RuntimeFailure& f) {
            failure = f.Description();
        }

        EXPECT_EQ(writer.steps.join(QStringLiteral(", ")), QString::fromUtf8(c.steps));
        EXPECT_EQ(failure, c.failure ? QString::fromUtf8(c.failure).replace(QStringLiteral("<path>"), path) : QString());
        EXPECT_EQ(ReadAll(path), c.failure ? kOldContent : QByteArray("new dive\r\n"));
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
                  QStringList{QStringLiteral("dive.txt")});
    }
}

// The file is written aside from the window's loop, before anything tells of it: whatever
// the loop does meanwhile sees the lists and the folder as they were before the dive.
TEST(ConvertProfileBuffer, WritesTheFileAsideBeforeListingIt) {
    Storage t;
    const QString name = FileName();
    QStringList messagesDuringWrite, filesDuringWrite;
    QByteArray fileDuringWrite;
    t.p.waits.onAside = [&] {
        messagesDuringWrite = t.messages.lines;
        filesDuringWrite = t.files.lines;
        fileDuringWrite = t.ReadProfile(name);
    };

    t.Convert();

    EXPECT_EQ(t.p.waits.asides, 1);
    EXPECT_EQ(messagesDuringWrite, QStringList{});
    EXPECT_EQ(filesDuringWrite, QStringList{});
    EXPECT_EQ(fileDuringWrite, "<missing: " + t.PathOf(name).toUtf8() + ">");
    EXPECT_EQ(t.ReadProfile(name), kWorkedExampleFile);
    EXPECT_EQ(t.files.lines, QStringList{name});
    EXPECT_EQ(t.messages.lines.size(), 10);
}

namespace {

// A writer that blocks until the window's thread has handled a timer, and notes on which
// thread it ran; then writes through `next` (or throws its failure).
class LoopWatchingWriter : public FileWriter {
public:
    explicit LoopWatchingWriter(FileWriter& next) : next_(next) {}
    void WriteWhole(const QString& path, const QByteArray& bytes) override {
        thread = std::this_thread::get_id();
        // Bounded only so that a loop that stands still fails the test instead of hanging it.
        loopRan = timerFired.get_future().wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        next_.WriteWhole(path, bytes);
    }
    std::promise<void> timerFired;
    std::thread::id thread;
    bool loopRan = false;

private:
    FileWriter& next_;
};

}  // namespace

// With the system's waits the write runs on a thread of its own while the window's loop
// handles its timers; input that a socket notifier announces (bytes on the serial line, a
// signal) waits until the file is in place; a failure of the write comes back to the caller.
TEST(BackgroundFileWriter, WritesOnAThreadOfItsOwnWhileTheLoopRunsItsTimersAndHoldsInputBack) {
    for (const bool syncFails : {false, true}) {
        SCOPED_TRACE(syncFails ? "sync fails" : "no fault");
        QTemporaryDir folder;
        const QString path = JoinPath(folder.path(), QStringLiteral("dive.txt"));
        WriteAll(path, kOldContent);
        FaultyFileWriter disk;
        disk.syncFails = syncFails;
        LoopWatchingWriter watching(disk);
        SystemWaits waits;
        BackgroundFileWriter aside(watching, waits);

        int line[2];
        ASSERT_EQ(::pipe(line), 0);
        ASSERT_EQ(::write(line[1], "x", 1), 1);
        QSocketNotifier input(line[0], QSocketNotifier::Read);
        int inputs = 0;
        int inputsDuringWrite = -1;
        QObject::connect(&input, &QSocketNotifier::activated, [&] {
            char byte;
            if (::read(line[0], &byte, 1) == 1) ++inputs;
        });
        // Three turns of the loop before the writer goes on: the input, ready all along,
        // would be taken by then if it were not held back.
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] {
                QTimer::singleShot(0, [&] {
                    inputsDuringWrite = inputs;
                    watching.timerFired.set_value();
                });
            });
        });

        QString failure;
        try {
            aside.WriteWhole(path, "new dive\r\n");
        } catch (const RuntimeFailure& f) {
            failure = f.Description();
        }
        QDeadlineTimer deadline(10000);
        while (inputs == 0 && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        ::close(line[0]);
        ::close(line[1]);

        EXPECT_NE(watching.thread, std::this_thread::get_id());
        EXPECT_TRUE(watching.loopRan);
        EXPECT_EQ(std::pair(inputsDuringWrite, inputs), std::pair(0, 1));
        EXPECT_EQ(failure, syncFails ? QStringLiteral("Schreibfehler (Datenträger voll?): ") + path : QString());
        EXPECT_EQ(ReadAll(path), syncFails ? kOldContent : QByteArray("new dive\r\n"));
    }
}
