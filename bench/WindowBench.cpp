// Drives the main window offscreen as a user would and reports how long its
// commands take. Usage:
//   zorvak_bench open ARCHIVE [REPEATS]    open and list, median of REPEATS
//   zorvak_bench extract ARCHIVE           Extract All beside the archive
#include "archive/Zorvmain.h"
#include "framework/ui/Application.h"
#include "framework/ui/Dialogs.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

class TFixedAnswer : public zorvak::TFileDialogs {
public:
    explicit TFixedAnswer(QString path) : path_(std::move(path)) {}
    std::optional<QString> GetOpenFileName(QWidget*, const zorvak::TOpenFileRequest&) override {
        return path_;
    }
    std::optional<QString> GetSaveFileName(QWidget*, const zorvak::TSaveFileRequest&) override {
        return std::nullopt;
    }

private:
    QString path_;
};

class TPrintedBoxes : public zorvak::TMessageBoxes {
public:
    void Show(const zorvak::TMessage& message) override {
        std::fprintf(stderr, "message: %s\n", message.Text.toLocal8Bit().constData());
        failed = true;
    }
    static inline bool failed = false;
};

double Seconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    zorvak::SetApplicationTitle(QStringLiteral("Zorvak"));
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s open|extract ARCHIVE [REPEATS]\n", argv[0]);
        return 2;
    }
    const QString command = QString::fromLocal8Bit(argv[1]);
    const QString archive = QString::fromLocal8Bit(argv[2]);
    zorvak::SetFileDialogs(std::make_unique<TFixedAnswer>(archive));
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
    } else {
        std::fprintf(stderr, "unknown command\n");
        return 2;
    }
    return TPrintedBoxes::failed ? 1 : 0;
}
