// The viewer's reading of a profile file and its geometry over arbitrary file contents:
// lines, numbers, tables, scales, grid, profile line and summary, then the painting into
// a picture the size of the viewer's box. Failures the viewer reports in a message box
// (RuntimeFailure) are expected; anything else is a finding.
//
// Input: [size byte] then the file's bytes. The size byte mostly keeps the viewer's own
// box; otherwise the next four bytes give another height and width in twips.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>

#include "FuzzSupport.h"
#include "platform/Failure.h"
#include "ui/viewer/PictureBox.h"
#include "ui/viewer/ProfilePlot.h"
#include "profiles/ProfileReader.h"

using namespace vyper;

// The picture box's size in twips, from the viewer's design.
constexpr int kPictureHeightTwips = 4395;
constexpr int kPictureWidthTwips = 7275;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Painting text needs the fonts of a GUI application on Qt's offscreen platform; no
    // window is made. Never destroyed: at exit the fuzzer's own teardown runs after Qt's.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "vyper-fuzz";
    static char* argv[] = {name, nullptr};
    new QGuiApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::InputReader in(data, size);
    int height = kPictureHeightTwips;
    int width = kPictureWidthTwips;
    const uint8_t sizeChoice = in.Byte();
    if (sizeChoice >= 0xF0) {
        height = static_cast<int16_t>(in.Word());
        width = static_cast<int16_t>(in.Word());
    }
    const QByteArray file = in.Rest();

    // The reading below splits the file again; one input in four checks the split itself.
    if ((sizeChoice & 0x30) == 0) {
        for (const QString& line : SplitProfileLines(file)) {
            if (line.contains(QLatin1Char('\r')) || line.contains(QLatin1Char('\n'))) {
                fuzzing::Finding("line end in a line");
            }
        }
    }

    try {
        const DiveProfile profile = ReadProfileText(file);
        if (profile.sampleCount < 1 || profile.sampleCount > kProfileTableSize) fuzzing::Finding("sample count");
        (void)InfoCaption(profile);
        const Plot plot = PlotProfile(profile, height, width);
        if ((sizeChoice & 0x0F) == 0x01 && height > 0 && width > 0) {
            // Painting is much slower than the geometry; one input in sixteen paints.
            static QImage picture(200, 120, QImage::Format_RGB32);
            QPainter painter(&picture);
            PaintPlot(painter, plot, width, height, picture.width(), picture.height(), Qt::black);
        }
    } catch (const RuntimeFailure&) {
        // Shown to the user as "Fehler: ..." by the viewer.
    }
    return 0;
}
