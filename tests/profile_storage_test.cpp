#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/Failure.h"
#include "transfer/ConvertProfileBuffer.h"
#include "profiles/ProfileNames.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "transfer/ActivityIndicator.h"

using namespace vyper;
using vyper::testing::DiveAnswer;
using vyper::testing::DiveHeaderBytes;
using vyper::testing::LoadAnswer;

namespace {

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A main window with its module and the worked example's dive of 15 July 1999, 14:05.
struct Window : vyper::testing::MainWindow {
    // The name the program gives the dive: computed with the system's month names, as it does.
    QString FileName(int minute = 5) const {
        DiveRecord r;
        std::tie(r.DiveYear, r.DiveMonth, r.DiveDay, r.DiveHour) = std::tuple<uint8_t, uint8_t, uint8_t, uint8_t>(99, 7, 15, 14);
        r.DiveMinute = static_cast<uint8_t>(minute);
        return ProfileFileName(r, QLocale::system());
    }
    QString PathOf(const QString& name) const { return QDir(m.ProfileFolder).filePath(name); }
    void Convert(int minute = 5, std::vector<int> profile = {10, 10, 122, 246, 128}) {
        DiveHeaderBytes h;
        h.minute = minute;
        h.slot1 = 18;
        LoadAnswer(m, DiveAnswer(h, profile));
        ConvertProfileBuffer(m);
    }
    int LineCount() const { return w.lstVyperComm->ListCount(); }
    QStringList LinesFrom(int index) const { return Lines().mid(index); }
    // Everything in the profile folder, hidden files included.
    QStringList FolderEntries() const {
        return QDir(m.ProfileFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
};

const QByteArray kOldContent("old dive, must stay\r\n");

// The file of the worked example's dive, as Window::Convert() stores it.
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

TEST(ConvertProfileBuffer, WorkedExampleIsStoredEndToEnd) {
    Window t;
    t.m.DiveNumber = 1;
    const int before = t.LineCount();
    t.Convert();

    EXPECT_EQ(ReadFile(t.PathOf(t.FileName())), kWorkedExampleFile);
    EXPECT_EQ(t.ProfileFiles(), QStringList{t.FileName()});

    const QStringList lines = t.LinesFrom(before);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("Datum: \t\t\t\t99-07-15"));
    EXPECT_EQ(lines[9], ActivityLine(2));  // after storing, with the next dive's number
    EXPECT_EQ(t.w.lstFiles->Items(), QStringList{t.FileName()});
    EXPECT_EQ(std::tuple(t.m.DiveNumber, t.m.DivesConverted, t.m.ErrorCount), std::tuple(2, 1, 0));
}

TEST(ConvertProfileBuffer, TooShortAnswersCountAsErrors) {
    const struct {
        int count;
        bool overlong;
        int newLines;
    } cases[] = {{15, false, 0}, {20, true, 1}};
    for (const auto& c : cases) {
        Window t;
        t.Convert();  // a first dive, so that the counters are not at their start
        const int afterFirst = t.LineCount();
        t.m.ProfileCount = c.count;
        t.m.ProfileOverlong = c.overlong;
        ConvertProfileBuffer(t.m);
        EXPECT_EQ(std::tuple(t.m.ErrorCount, t.m.DiveNumber, t.m.DivesConverted), std::tuple(1, 2, 1));
        EXPECT_EQ(t.w.lblErr->Caption(), QStringLiteral("1"));
        EXPECT_EQ(t.LineCount(), afterFirst + c.newLines);
        if (c.overlong) {
            EXPECT_TRUE(t.LinesFrom(afterFirst)[0].contains(QStringLiteral("zu lang")));
        }
        EXPECT_EQ(t.ProfileFiles().size(), 1);
    }
}

TEST(ConvertProfileBuffer, ExistingFilePolicies) {
    enum class Option { Never, Ask, Always };
    const struct {
        const char* name;
        bool onlyNew;
        Option option;
        int answer;  // to the question, 0: none asked
        bool rewritten, stopped;
    } cases[] = {
        {"only new", true, Option::Always, 0, false, true},      {"never", false, Option::Never, 0, false, false},
        {"ask, no", false, Option::Ask, answer::No, false, false}, {"ask, yes", false, Option::Ask, answer::Yes, true, false},
        {"always", false, Option::Always, 0, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window t;
        const QString name = t.FileName();
        WriteFile(t.PathOf(name), kOldContent);
        t.w.chkAbortWhenOldDive->SetValue(c.onlyNew ? 1 : 0);
        t.w.optNever->SetValue(c.option == Option::Never);
        t.w.optAsk->SetValue(c.option == Option::Ask);
        t.w.optAlways->SetValue(c.option == Option::Always);
        if (c.answer != 0) t.p.boxes.answers.push_back(c.answer);
        t.m.DownloadState = 2;
        t.w.timDownLoadCtrl->SetInterval(100);
        const int before = t.LineCount();

        t.Convert();

        const QStringList lines = t.LinesFrom(before);
        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.DiveNumber), std::tuple(1, 2));
        EXPECT_EQ(ReadFile(t.PathOf(name)), c.rewritten ? kWorkedExampleFile : kOldContent);
        EXPECT_EQ(t.FolderEntries(), QStringList{name});
        EXPECT_EQ(t.w.lstFiles->ListCount(), c.rewritten ? 1 : 0);
        ASSERT_EQ(t.p.boxes.shown.size(), c.answer != 0 ? 1u : 0u);
        if (c.answer != 0) {
            EXPECT_TRUE(t.p.boxes.shown[0].text.contains(name + QStringLiteral(" überschrieben werden?")));
        }
        EXPECT_EQ(std::tuple(t.m.DownloadState, t.w.timDownLoadCtrl->Interval()), c.stopped ? std::tuple(0, 0) : std::tuple(2, 100));
        if (c.stopped) {
            EXPECT_EQ(lines, QStringList({QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."),
                                          ActivityLine(1), QStringLiteral("Übertragung unterbrochen.")}));
        } else {
            EXPECT_EQ(lines.size(), c.rewritten ? 10 : c.option == Option::Never ? 3 : 1);
            EXPECT_EQ(lines.last(), ActivityLine(2));
        }
    }
}

TEST(ConvertProfileBuffer, FailuresBecomeALineAndLeaveTheFolderAsItWas) {
    // Whatever fails, the folder holds what it held (no part of a file, no temporary file),
    // one line tells why, no name is listed, the counters go on and the next dive is stored.
    enum class Fault { FolderMissing, FolderOfThatName, DiskFull, NotReplaceable, WriteProtected, DepthOverflow };
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
        {"not replaceable", Fault::NotReplaceable, true, false, "Pfad-/Dateizugriffsfehler: <path> kann nicht ersetzt werden"},
        {"write-protected", Fault::WriteProtected, true, false,
         "Pfad-/Dateizugriffsfehler: <path> kann nicht zum Schreiben geöffnet werden"},
        {"depth overflow", Fault::DepthOverflow, true, false, "Überlauf"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window t;
        t.w.optAsk->SetValue(c.asked);
        t.w.optAlways->SetValue(!c.asked);
        if (c.asked) t.p.boxes.answers.push_back(answer::Yes);
        const QString name = t.FileName();
        const QString path = t.PathOf(name);
        const QString inside = QDir(path).filePath(QStringLiteral("inside.txt"));
        if (c.oldFile) WriteFile(path, kOldContent);
        if (c.fault == Fault::WriteProtected) {
            ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
        } else if (c.fault == Fault::FolderOfThatName) {
            ASSERT_TRUE(QDir().mkdir(path));
            WriteFile(inside, kOldContent);
        } else if (c.fault == Fault::FolderMissing) {
            ASSERT_TRUE(QDir(t.m.ProfileFolder).removeRecursively());
        }
        t.p.files.bytesUntilFull = c.fault == Fault::DiskFull ? 20 : -1;
        t.p.files.renameFails = c.fault == Fault::NotReplaceable;
        const int before = t.LineCount();

        t.Convert(5, c.fault == Fault::DepthOverflow ? std::vector<int>(1000, 120) : std::vector<int>{10, 128});

        const QString line = QString::fromUtf8(c.line)
                                 .replace(QStringLiteral("<path>"), path)
                                 .replace(QStringLiteral("<folder>"), t.m.ProfileFolder);
        EXPECT_EQ(t.LinesFrom(before), QStringList{line});
        EXPECT_EQ(t.p.boxes.shown.size(), c.asked ? 1u : 0u);
        const bool nameTaken = c.oldFile || c.fault == Fault::FolderOfThatName;
        EXPECT_EQ(t.FolderEntries(), nameTaken ? QStringList{name} : QStringList{});
        EXPECT_EQ(ReadFile(c.oldFile ? path : inside), nameTaken ? kOldContent : QByteArray("<unreadable>"));
        EXPECT_EQ(t.w.lstFiles->ListCount(), 0);
        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.DiveNumber, t.m.ErrorCount), std::tuple(1, 2, 0));
        if (c.fault == Fault::FolderMissing) continue;
        t.p.files.bytesUntilFull = -1;
        t.p.files.renameFails = false;
        t.Convert(6);
        EXPECT_EQ(t.w.lstFiles->Items(), QStringList{t.FileName(6)});
        EXPECT_EQ(ReadFile(t.PathOf(t.FileName(6))), QByteArray(kWorkedExampleFile).replace("14 Uhr 05", "14 Uhr 06"));
    }
}
