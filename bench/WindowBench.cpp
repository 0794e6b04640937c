// Drives the main window offscreen as a user would and reports how long its
// commands take. Usage:
//   zorvak_bench open ARCHIVE [REPEATS]      open and list, median of REPEATS
//   zorvak_bench extract ARCHIVE             Extract All beside the archive
//   zorvak_bench extract-to ARCHIVE DIR      Extract All To into DIR
//   zorvak_bench preview [ARCHIVE] [REPEATS] walk every entry with the preview
//                                            open (without ARCHIVE, a made-up one)
//   zorvak_bench shots DIR                   the preview on a made-up archive,
//                                            one picture per kind, into DIR
#include "formats/WaveInfo.h"
#include "forms/Preview.h"
#include "forms/Zorvmain.h"
#include "framework/Text.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"
#include "tests/formats/FormatImages.h"
#include "tests/support/PakImage.h"

#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

class TFixedAnswer : public zorvak::TFileDialogs {
public:
    explicit TFixedAnswer(QString path, QString folder = {})
        : path_(std::move(path)), folder_(std::move(folder)) {}
    std::optional<QString> GetOpenFileName(QWidget*, const zorvak::TOpenFileRequest&) override {
        return path_;
    }
    std::optional<QString> GetSaveFileName(QWidget*, const zorvak::TSaveFileRequest&) override {
        return std::nullopt;
    }
    std::optional<QStringList> GetOpenFileNames(QWidget*,
                                                const zorvak::TOpenFileRequest&) override {
        return std::nullopt;
    }
    std::optional<QString> GetExistingDirectory(QWidget*, const QString&, const QString&) override {
        if (folder_.isEmpty())
            return std::nullopt;
        return folder_;
    }

private:
    QString path_;
    QString folder_;
};

class TPrintedBoxes : public zorvak::TMessageBoxes {
public:
    void Show(const zorvak::TMessage& message) override {
        std::fprintf(stderr, "message: %s\n", message.Text.toLocal8Bit().constData());
        failed = true;
    }
    bool Confirm(const zorvak::TMessage&) override { return false; }
    std::optional<QString> AskText(const zorvak::TTextRequest&) override { return std::nullopt; }
    static inline bool failed = false;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

using zorvak::test::Bytes;

std::string Str(const Bytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

// A picture of width x height in palette indices: diagonal bands, so the
// shots show something and no two rows are alike.
Bytes Bands(int width, int height, int offset = 0) {
    Bytes pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[static_cast<std::size_t>(y) * width + x] =
                static_cast<unsigned char>(16 * ((x + y + offset) / 8 % 14) + 8 + x * 8 / width);
    return pixels;
}

// The game's palette is not ours to ship: a made-up one of 14 ramps of 16
// shades (the layout the pictures above use), and greys at the end.
Bytes MadeUpPalette() {
    static const int hues[14][3] = {
        {255, 255, 255}, {150, 100, 60}, {140, 140, 200}, {90, 150, 60},   {220, 40, 40},
        {230, 180, 70},  {200, 120, 40}, {230, 200, 170}, {170, 100, 170}, {200, 90, 140},
        {220, 200, 140}, {90, 170, 170}, {250, 240, 90},  {60, 60, 250}};
    Bytes out;
    for (int i = 0; i < 256; ++i) {
        const int ramp = i / 16;
        const int shade = i % 16;
        for (int c = 0; c < 3; ++c) {
            const int top = ramp < 14 ? hues[ramp][c] : 255;
            out.push_back(static_cast<unsigned char>(top * (shade + 1) / 16));
        }
    }
    return out;
}

// A console font of 8 x 8 cells: a frame and a mark in each, the mark
// moving with the character's number, so the grid is plain to see.
Bytes MadeUpFont() {
    Bytes pixels(128 * 128, 0);
    for (int c = 0; c < 256; ++c) {
        const int cx = c % 16 * 8;
        const int cy = c / 16 * 8;
        for (int i = 1; i < 7; ++i) {
            pixels[static_cast<std::size_t>(cy + 1) * 128 + cx + i] = 15;
            pixels[static_cast<std::size_t>(cy + 6) * 128 + cx + i] = 15;
            pixels[static_cast<std::size_t>(cy + i) * 128 + cx + 1] = 15;
            pixels[static_cast<std::size_t>(cy + i) * 128 + cx + 6] = 15;
        }
        pixels[static_cast<std::size_t>(cy + 2 + c / 16 % 4) * 128 + cx + 2 + c % 4] = 79;
    }
    return pixels;
}

// A sound of seconds at rate: a tone that swells and fades, with a cue
// point where its loop starts.
Bytes MadeUpSound(double seconds, std::uint32_t rate, bool sixteen) {
    const auto frames = static_cast<std::size_t>(seconds * rate);
    zorvak::test::TBytesWriter data;
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        const double envelope = std::sin(3.14159265 * static_cast<double>(i) / frames);
        const double v = envelope * (0.6 * std::sin(2 * 3.14159265 * 220 * t) +
                                     0.3 * std::sin(2 * 3.14159265 * 1.5 * t));
        if (sixteen)
            data.U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32000)));
        else
            data.U8(static_cast<unsigned>(128 + v * 120));
    }
    return zorvak::test::MakeRiffWave(
        {zorvak::test::FormatChunk(1, 1, rate, sixteen ? 16 : 8),
         zorvak::test::Chunk("data", data.Out),
         zorvak::test::CueChunk(static_cast<std::uint32_t>(frames / 3))});
}

std::string MadeUpText(std::size_t bytes) {
    std::string text = "// A made-up configuration for the preview's benchmark.\n";
    for (int line = 1; text.size() < bytes; ++line)
        text += "bind \"key" + std::to_string(line) + "\" \"impulse " + std::to_string(line % 256) +
                "\"   // line " + std::to_string(line) + " of the made-up file\n";
    text.resize(bytes);
    return text;
}

// An archive of every kind the preview shows, at the sizes it must keep up
// with (pictures up to 1024 x 1024, text up to 1 MB, a 10 MB map). Nothing
// in it comes from a game.
std::vector<std::pair<std::string, std::string>> MadeUpArchive() {
    using namespace zorvak::test;
    std::vector<Bytes> textures;
    static const char* names[] = {"+0button", "*water0", "sky1", "wall", "floor", "metal"};
    // 120 textures of 256 x 256 with their smaller levels: a map of 10 MB.
    for (int i = 0; i < 120; ++i)
        textures.push_back(MakeMipTexture(std::string(names[i % 6]) + std::to_string(i / 6), 256,
                                          256, Bands(256, 256, i)));
    std::vector<Bytes> few{MakeMipTexture("+0button", 64, 32, Bands(64, 32)),
                           {},
                           MakeMipTexture("*water0", 64, 64, Bands(64, 64, 3))};
    const Bytes wad = MakeWad2({{"conchars", 0x44, MadeUpFont()},
                                {"num_0", 0x42, MakeLmp(24, 24, Bands(24, 24))},
                                {"sbar", 0x42, MakeLmp(320, 24, Bands(320, 24, 5))},
                                {"backtile", 0x42, MakeLmp(64, 64, Bands(64, 64, 9))},
                                {"palette", 0x40, MadeUpPalette()},
                                {"colormap", 0x45, Bytes(100, 0)}});
    Bytes binary(1 << 20);
    for (std::size_t i = 0; i < binary.size(); ++i)
        binary[i] = static_cast<unsigned char>(i * 2654435761u >> 24);
    return {
        {"gfx/palette.lmp", Str(MadeUpPalette())},
        {"autoexec.cfg", MadeUpText(1024)},
        {"gfx/pause.lmp", Str(MakeLmp(128, 24, Bands(128, 24)))},
        {"gfx/menuplyr.lmp", Str(MakeLmp(256, 256, Bands(256, 256, 2)))},
        {"gfx/big.lmp", Str(MakeLmp(1024, 1024, Bands(1024, 1024, 4)))},
        {"gfx.wad", Str(wad)},
        {"maps/start.bsp", Str(MakeBsp(few))},
        {"maps/big.bsp", Str(MakeBsp(textures))},
        {"sound/misc/talk.wav", Str(MadeUpSound(1.0, 11025, false))},
        {"sound/ambience/wind.wav", Str(MadeUpSound(10.0, 22050, true))},
        {"docs/big.txt", MadeUpText(1 << 20)},
        {"progs.dat", Str(binary)},
    };
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Moves the caret to row as the arrow keys do and waits until the preview
// has drawn what it shows.
void StepTo(zorvak::TZorvakForm& form, int row) {
    form.PakList->setCurrentRow(row);
    form.Preview->repaint();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The offscreen platform says at every resize what it cannot do; the
    // figures should not drown in that.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.startsWith(QLatin1String("This plugin does not support")))
            std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    });
    QApplication app(argc, argv);
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    if (argc < 2 || (argc < 3 && QLatin1String(argv[1]) != QLatin1String("preview"))) {
        std::fprintf(stderr, "usage: %s open|extract|preview|shots ARCHIVE|DIR [REPEATS]\n",
                     argv[0]);
        return 2;
    }
    const QString command = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir madeUp;
    QString archive = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool shots = command == QLatin1String("shots");
    if (shots || archive.isEmpty() ||
        (command == QLatin1String("preview") && archive.toInt() > 0)) {
        // A made-up archive in a directory of its own (no pak0.pak beside).
        archive = madeUp.filePath(QStringLiteral("made-up.pak"));
        const std::vector<unsigned char> image = zorvak::BuildPakImage(MadeUpArchive());
        std::ofstream(archive.toStdString(), std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()),
                   static_cast<std::streamsize>(image.size()));
    }
    const bool extractTo = command == QLatin1String("extract-to");
    zorvak::SetFileDialogs(std::make_unique<TFixedAnswer>(
        archive, extractTo && argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString()));
    zorvak::SetMessageBoxes(std::make_unique<TPrintedBoxes>());
    zorvak::TZorvakForm form;
    form.show();
    QApplication::processEvents();

    if (command == QLatin1String("open")) {
        const int repeats = argc > 3 ? std::atoi(argv[3]) : 5;
        std::vector<double> times;
        for (int i = 0; i < repeats; ++i) {
            const auto start = std::chrono::steady_clock::now();
            form.OpenPakFile1->trigger();
            times.push_back(Seconds(std::chrono::steady_clock::now() - start));
        }
        std::sort(times.begin(), times.end());
        std::printf("%d entries listed, median %.1f ms, best %.1f ms\n", form.PakList->count(),
                    times[times.size() / 2] * 1000, times.front() * 1000);
    } else if (command == QLatin1String("extract")) {
        form.OpenPakFile1->trigger();
        const auto start = std::chrono::steady_clock::now();
        form.ButtonExtractAll->click();
        std::printf("%.3f\n", Seconds(std::chrono::steady_clock::now() - start));
    } else if (extractTo) {
        form.OpenPakFile1->trigger();
        const auto start = std::chrono::steady_clock::now();
        form.ExtractAllTo1->trigger();
        std::printf("%.3f\n", Seconds(std::chrono::steady_clock::now() - start));
    } else if (command == QLatin1String("preview")) {
        const char* repeatsArg = argc > 3                             ? argv[3]
                                 : argc > 2 && std::atoi(argv[2]) > 0 ? argv[2]
                                                                      : "5";
        const int repeats = std::max(1, std::atoi(repeatsArg));
        form.OpenPakFile1->trigger();
        form.PakList->setCurrentRow(0);
        form.PreviewEntry1->trigger();
        QApplication::processEvents();
        const int n = form.PakList->count();
        std::vector<std::vector<double>> times(static_cast<std::size_t>(n));
        for (int r = 0; r < repeats; ++r)
            for (int i = 0; i < n; ++i) {
                // From another entry, so each step reads and shows afresh.
                StepTo(form, (i + 1) % n);
                const auto start = std::chrono::steady_clock::now();
                StepTo(form, i);
                times[static_cast<std::size_t>(i)].push_back(
                    Seconds(std::chrono::steady_clock::now() - start));
            }
        std::printf("%-28s %12s  %-8s %9s %9s\n", "entry", "bytes", "shown as", "median", "worst");
        static const char* pages[] = {"message", "text", "picture", "sound", "hex"};
        for (int i = 0; i < n; ++i) {
            StepTo(form, i);
            auto& t = times[static_cast<std::size_t>(i)];
            std::printf("%-28s %12s  %-8s %6.1f ms %6.1f ms\n",
                        form.PakList->item(i)->text().toLocal8Bit().constData(),
                        zorvak::FormatThousands(form.PakLengths->Value(i)).c_str(),
                        pages[static_cast<int>(form.Preview->Page())], Median(t) * 1000,
                        *std::max_element(t.begin(), t.end()) * 1000);
        }
    } else if (shots) {
        const QDir out(QString::fromLocal8Bit(argv[2]));
        form.OpenPakFile1->trigger();
        form.PakList->setCurrentRow(0);
        form.PreviewEntry1->trigger();
        QApplication::processEvents();
        // The entry, and the part of it to show (-1: none listed).
        const struct {
            const char* Entry;
            int Part;
            const char* File;
        } views[] = {
            {"autoexec.cfg", -1, "preview-text.png"},
            {"gfx/pause.lmp", -1, "preview-lmp.png"},
            {"gfx.wad", 1, "preview-wad-lump.png"},
            {"gfx.wad", 0, "preview-wad-conchars.png"},
            {"maps/start.bsp", 2, "preview-bsp-texture.png"},
            {"sound/misc/talk.wav", -1, "preview-sound.png"},
            {"progs.dat", -1, "preview-hex.png"},
        };
        for (const auto& v : views) {
            const int row = form.FindEntry(v.Entry);
            StepTo(form, row);
            if (v.Part >= 0)
                form.Preview->PartList->setCurrentRow(v.Part);
            for (int i = 0; i < 10; ++i)
                QApplication::processEvents();
            // What the screen shows of the window, its frame included when
            // there is a window system to draw one.
            QPixmap shot;
            if (QScreen* screen = form.Preview->screen();
                screen != nullptr && QGuiApplication::platformName() != QLatin1String("offscreen"))
                shot = screen->grabWindow(
                    0, form.Preview->frameGeometry().x(), form.Preview->frameGeometry().y(),
                    form.Preview->frameGeometry().width(), form.Preview->frameGeometry().height());
            if (shot.isNull())
                shot = form.Preview->grab();
            const QString path = out.filePath(QString::fromLatin1(v.File));
            if (!shot.save(path)) {
                std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
                return 1;
            }
            std::printf("%s\n", path.toLocal8Bit().constData());
        }
    } else {
        std::fprintf(stderr, "unknown command\n");
        return 2;
    }
    return TPrintedBoxes::failed ? 1 : 0;
}
