#include <gtest/gtest.h>
#include <tuple>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <functional>
#include <optional>
#include <unistd.h>

#include "platform/Failure.h"
#include "profiles/ConvertProfileBuffer.h"
#include "profiles/ProfileNames.h"
#include "support/DiveBytes.h"
#include "support/MainWindow.h"
#include "transfer/ActivityIndicator.h"

using namespace vyper;
using vyper::testing::DiveAnswer;
using vyper::testing::DiveHeaderBytes;
using vyper::testing::LoadAnswer;

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);
const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

DiveRecord Header(int year, int month, int day, int hour, int minute) {
    DiveRecord r;
    r.DiveYear = static_cast<uint8_t>(year);
    r.DiveMonth = static_cast<uint8_t>(month);
    r.DiveDay = static_cast<uint8_t>(day);
    r.DiveHour = static_cast<uint8_t>(hour);
    r.DiveMinute = static_cast<uint8_t>(minute);
    return r;
}

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
    QString FileName(int minute = 5) const { return ProfileFileName(Header(99, 7, 15, 14, minute), QLocale::system()); }
    QString PathOf(const QString& name) const { return QDir(m.ProfileFolder).filePath(name); }
    void Convert(int minute = 5, std::vector<int> profile = {10, 10, 122, 246, 128}) {
        DiveHeaderBytes h;
        h.minute = minute;
        h.slot1 = 18;
        LoadAnswer(m, DiveAnswer(h, profile));
        ConvertProfileBuffer(m);
    }
    int Lines() const { return w.lstVyperComm->ListCount(); }
    QStringList LinesFrom(int index) const { return w.lstVyperComm->Items().mid(index); }
};

const QByteArray kOldContent("old dive, must stay\r\n");

}  // namespace

TEST(ProfileNames, StemWithTheLocalesMonthName) {
    const struct {
        DiveRecord r;
        const QLocale* locale;
        const char* stem;
    } cases[] = {
        {Header(99, 7, 15, 14, 5), &kGerman, "Tauchgang 1999-Juli-15 14 Uhr 05"},
        {Header(99, 7, 15, 14, 5), &kEnglish, "Tauchgang 1999-July-15 14 Uhr 05"},
        {Header(30, 12, 31, 23, 59), &kGerman, "Tauchgang 1930-Dezember-31 23 Uhr 59"},
        {Header(29, 1, 2, 0, 7), &kGerman, "Tauchgang 2029-Januar-02 00 Uhr 07"},
        // Header values that form no calendar date are written as they are.
        {Header(5, 0, 10, 8, 30), &kGerman, "Tauchgang 2005-00-10 08 Uhr 30"},
        {Header(5, 255, 0, 8, 30), &kGerman, "Tauchgang 2005-255-00 08 Uhr 30"},
        {Header(5, 2, 31, 8, 30), &kGerman, "Tauchgang 2005-Februar-31 08 Uhr 30"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ProfileFileStem(c.r, *c.locale), QString::fromUtf8(c.stem));
        EXPECT_EQ(ProfileFileName(c.r, *c.locale), QString::fromUtf8(c.stem) + QStringLiteral(".txt"));
    }
}

TEST(ProfileNames, UnsafeCharactersAreReplaced) {
    EXPECT_EQ(SafeFileNamePart(QStringLiteral("a/b\\c:d*e?f\"g<h>i|j")), QStringLiteral("a_b_c_d_e_f_g_h_i_j"));
    EXPECT_EQ(SafeFileNamePart(QString(QChar(0)) + QStringLiteral("\nMärz")), QStringLiteral("__März"));
}

TEST(ProfileNames, FileExistsFindsPlainFilesOnly) {
    QTemporaryDir dir;
    const QDir d(dir.path());
    WriteFile(d.filePath(QStringLiteral("plain.txt")), "x");
    WriteFile(d.filePath(QStringLiteral(".hidden.txt")), "x");
    WriteFile(d.filePath(QStringLiteral("readonly.txt")), "x");
    QFile::setPermissions(d.filePath(QStringLiteral("readonly.txt")), QFileDevice::ReadOwner);
    ASSERT_TRUE(d.mkdir(QStringLiteral("folder.txt")));
    const struct {
        const char* name;
        bool found;
    } cases[] = {{"plain.txt", true},   {".hidden.txt", true}, {"readonly.txt", true},
                 {"folder.txt", false}, {"absent.txt", false}, {"", false}};
    for (const auto& c : cases) {
        const QString path = *c.name ? d.filePath(QString::fromLatin1(c.name)) : QString();
        EXPECT_EQ(FileExists(path), c.found) << c.name;
    }
}

TEST(ConvertProfileBuffer, WorkedExampleIsStoredEndToEnd) {
    Window t;
    t.m.DiveNumber = 1;
    const int before = t.Lines();
    t.Convert();

    const QByteArray expected(
        "Time [s]\tDepth [m]\r\n30\t\t-3\r\n60\t\t-6\r\n=> SLOW\r\n90\t\t-6\r\n120\t\t-3\r\n=> SLOW\r\n"
        "# END OF PROFILE #\r\nDatum: 99-07-15\r\nUhrzeit: 14 Uhr 05\r\nDauer: 2 min.\r\nMaximale Tiefe: 6 m\r\n"
        "Lufttemperatur vor TG: 25 \xB0" "C\r\nTemperatur auf maximaler Tiefe: 18 \xB0" "C\r\n"
        "Oberfl\xE4" "chenpause vor dem TG: 05 h 07 min\r\nAufzeichnungsintervall: 30 s\r\n");
    EXPECT_EQ(ReadFile(t.PathOf(t.FileName())), expected);
    EXPECT_EQ(t.ProfileFiles(), QStringList{t.FileName()});

    const QStringList lines = t.LinesFrom(before);
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[0], QStringLiteral("Datum: \t\t\t\t99-07-15"));
    EXPECT_EQ(lines[8], QStringLiteral("Aufzeichnungsintervall: \t30 s"));
    EXPECT_EQ(lines[9], ActivityLine(2));  // after storing, with the next dive's number
    EXPECT_EQ(t.w.lstFiles->Items(), QStringList{t.FileName()});
    EXPECT_EQ(t.w.lstFiles->ListIndex(), 0);
    EXPECT_EQ(t.w.lblDiveCnt->Caption(), QStringLiteral("1"));
    EXPECT_EQ(std::tuple(t.m.DiveNumber, t.m.DivesConverted, t.m.ErrorCount), std::tuple(2, 1, 0));
}

TEST(ConvertProfileBuffer, ExhaustedProfileGetsNoActivityStep) {
    Window t;
    const int before = t.Lines();
    t.Convert(5, {10, 10});
    EXPECT_EQ(t.LinesFrom(before).size(), 9);
    EXPECT_TRUE(ReadFile(t.PathOf(t.FileName())).endsWith("Aufzeichnungsintervall: 30 s\r\nO2-Anteil:  21 \r\n"));
}

TEST(ConvertProfileBuffer, TooShortAnswersCountAsErrors) {
    const struct {
        int count;
        bool overlong;
        int newLines;
    } cases[] = {{0, false, 0}, {15, false, 0}, {20, true, 1}};
    for (const auto& c : cases) {
        Window t;
        t.Convert();  // a first dive, so that the counters are not at their start
        const int afterFirst = t.Lines();
        t.m.ProfileCount = c.count;
        t.m.ProfileOverlong = c.overlong;
        ConvertProfileBuffer(t.m);
        EXPECT_EQ(std::tuple(t.m.ErrorCount, t.m.DiveNumber, t.m.DivesConverted), std::tuple(1, 2, 1));
        EXPECT_EQ(t.w.lblErr->Caption(), QStringLiteral("1"));
        EXPECT_EQ(t.w.lblErr->ForeColor(), kColourRed);
        EXPECT_EQ(t.w.lblErr2->ForeColor(), kColourRed);
        EXPECT_EQ(t.Lines(), afterFirst + c.newLines);
        if (c.overlong) {
            EXPECT_TRUE(t.LinesFrom(afterFirst)[0].contains(QStringLiteral("zu lang")));
        }
        EXPECT_EQ(t.ProfileFiles().size(), 1);
    }
}

TEST(ConvertProfileBuffer, ExistingFilePolicies) {
    enum class Option { None, Never, Ask, Always };
    const struct {
        const char* name;
        bool onlyNew;
        Option option;
        int answer;
        bool rewritten;
        bool asked;
        bool stopped;
    } cases[] = {
        {"only new", true, Option::Always, 0, false, false, true},
        {"never", false, Option::Never, 0, false, false, false},
        {"ask, no", false, Option::Ask, answer::No, false, true, false},
        {"ask, yes", false, Option::Ask, answer::Yes, true, true, false},
        {"always", false, Option::Always, 0, true, false, false},
        {"none selected", false, Option::None, 0, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window t;
        const QString name = t.FileName();
        WriteFile(t.PathOf(name), kOldContent);
        t.w.chkAbortWhenOldDive->SetValue(c.onlyNew ? 1 : 0);
        if (c.option == Option::None) {
            t.w.optNever->setAutoExclusive(false);
            t.w.optNever->SetValue(false);
        }
        t.w.optNever->SetValue(c.option == Option::Never);
        t.w.optAsk->SetValue(c.option == Option::Ask);
        t.w.optAlways->SetValue(c.option == Option::Always);
        if (c.answer != 0) t.p.boxes.answers.push_back(c.answer);
        t.m.DownloadState = 2;
        t.w.timDownLoadCtrl->SetInterval(100);
        const int before = t.Lines();

        t.Convert();

        const QStringList lines = t.LinesFrom(before);
        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.DiveNumber), std::tuple(1, 2));
        EXPECT_EQ(ReadFile(t.PathOf(name)) == kOldContent, !c.rewritten);
        EXPECT_EQ(t.w.lstFiles->ListCount(), c.rewritten ? 1 : 0);
        ASSERT_EQ(t.p.boxes.shown.size(), c.asked ? 1u : 0u);
        if (c.asked) {
            EXPECT_EQ(t.p.boxes.shown[0].text, QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert. Soll die Datei ") +
                                                   name + QStringLiteral(" überschrieben werden?"));
            EXPECT_EQ(t.p.boxes.shown[0].style, 292);
        }
        EXPECT_EQ(t.m.DownloadState, c.stopped ? 0 : 2);
        EXPECT_EQ(t.w.timDownLoadCtrl->Interval(), c.stopped ? 0 : 100);
        if (c.stopped) {
            EXPECT_EQ(lines, QStringList({QStringLiteral("Tauchgang übertragen, der bereits gespeichert wurde."),
                                          ActivityLine(1), QStringLiteral("Übertragung unterbrochen.")}));
        } else if (c.rewritten) {
            EXPECT_EQ(lines.size(), 10);
            EXPECT_EQ(lines.last(), ActivityLine(2));
        } else if (c.option == Option::Never) {
            EXPECT_EQ(lines, QStringList({QStringLiteral("Dieser Tauchgang wurde bereits abgespeichert:"), name,
                                          ActivityLine(2)}));
        } else {
            EXPECT_EQ(lines, QStringList{ActivityLine(2)});
        }
    }
}

TEST(ConvertProfileBuffer, FailuresBecomeALineAndLoseNothing) {
    // The target can't be written (a folder of that name, a read-only file where the user's
    // rights are checked, a full disk, a missing folder) or the depth leaves 16 bits: one
    // line, the counters go on, what was stored stays, and the next dive is written normally.
    using Prepare = std::function<std::optional<QString>(Window&, const QString&)>;  // kept file; nullopt: skip
    const struct {
        const char* name;
        Prepare prepare;
        const char* line;
        bool fileLeft, nextDiveStored;
        std::vector<int> profile;
    } cases[] = {
        {"folder", [](Window&, const QString& path) -> std::optional<QString> {
             const QString inside = QDir(path).filePath(QStringLiteral("inside.txt"));
             if (!QDir().mkdir(path)) return std::nullopt;
             WriteFile(inside, kOldContent);
             return inside;
         }, "Pfad-/Dateizugriffsfehler: ", true, true, {10, 128}},
        {"read-only file", [](Window&, const QString& path) -> std::optional<QString> {
             if (geteuid() == 0) return std::nullopt;  // root writes read-only files
             WriteFile(path, kOldContent);
             QFile::setPermissions(path, QFileDevice::ReadOwner);
             return path;
         }, "Pfad-/Dateizugriffsfehler: ", true, true, {10, 128}},
        {"full disk", [](Window&, const QString& path) -> std::optional<QString> {
             if (!QFile::link(QStringLiteral("/dev/full"), path)) return std::nullopt;
             return QString();
         }, "Schreibfehler", true, true, {10, 128}},
        {"folder missing", [](Window& t, const QString&) -> std::optional<QString> {
             QDir(t.m.ProfileFolder).removeRecursively();
             return QString();
         }, "Pfad nicht gefunden: ", false, false, {10, 128}},
        {"depth overflow", [](Window&, const QString&) -> std::optional<QString> { return QString(); }, "Überlauf",
         false, true, std::vector<int>(1000, 120)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Window t;
        t.w.optAlways->SetValue(true);
        const QString path = t.PathOf(t.FileName());
        const std::optional<QString> kept = c.prepare(t, path);
        if (!kept) continue;
        const int before = t.Lines();

        t.Convert(5, c.profile);

        const QStringList lines = t.LinesFrom(before);
        ASSERT_EQ(lines.size(), 1);
        EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8(c.line))) << lines[0].toStdString();
        EXPECT_TRUE(!lines[0].startsWith(QStringLiteral("Pfad-/")) || lines[0].contains(t.FileName()));
        EXPECT_EQ(QFileInfo::exists(path), c.fileLeft);
        EXPECT_EQ(t.w.lstFiles->ListCount(), 0);
        EXPECT_EQ(std::tuple(t.m.DivesConverted, t.m.DiveNumber, t.m.ErrorCount), std::tuple(1, 2, 0));
        EXPECT_EQ(kept->isEmpty() ? kOldContent : ReadFile(*kept), kOldContent);
        if (c.nextDiveStored) {
            t.Convert(6);
            EXPECT_EQ(t.w.lstFiles->Items(), QStringList{t.FileName(6)});
            EXPECT_TRUE(ReadFile(t.PathOf(t.FileName(6))).startsWith("Time [s]"));
        }
    }
}
