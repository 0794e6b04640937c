// Times a build through the build dialog's own code: the start directory set
// on its directory list, the name typed, Build PAK pressed. Prints one line
// of figures per run, for build_bench.sh to compare with tar.
#include "forms/Buildpak.h"

#include <QApplication>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>
#include <sys/resource.h>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s START-DIRECTORY [RUNS]\n", argv[0]);
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const std::filesystem::path start = std::filesystem::absolute(argv[1]);
    const int runs = argc > 2 ? std::atoi(argv[2]) : 1;

    zorvak::TBuildPakDialog dialog;
    dialog.show();
    try {
        dialog.DirList->SetDirectory(start);
        dialog.PAKName->setText(QStringLiteral("BENCH"));
        for (int run = 0; run < runs; ++run) {
            const auto began = std::chrono::steady_clock::now();
            dialog.BuildPAKFile();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - began;
            std::int64_t bytes = 0;
            for (const zorvak::TPakBuildFile& file : dialog.BuiltFiles())
                bytes += file.Size;
            rusage usage{};
            ::getrusage(RUSAGE_SELF, &usage);
            std::printf("files=%zu bytes=%lld seconds=%.3f maxrss_kib=%ld\n",
                        dialog.BuiltFiles().size(), static_cast<long long>(bytes), took.count(),
                        usage.ru_maxrss);
            std::fflush(stdout);
        }
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
    return 0;
}
