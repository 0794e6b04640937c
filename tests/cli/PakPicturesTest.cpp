// extract --png and info on entries built to cost the most, each run in a
// child process under a limit of memory and a watchdog so that a fault ends
// the child, not the tests; and the pictures' own rules in plain runs.
#include "cli/PakPictures.h"
#include "cli/PakTool.h"
#include "formats/EntryParts.h"
#include "formats/FormatImages.h"
#include "formats/Lmp.h"
#include "formats/Png.h"
#include "formats/PngCheck.h"
#include "formats/Spr.h"
#include "framework/Files.h"
#include "support/PakImage.h"
#include "support/TempDir.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <set>
#include <sstream>
#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace zorvak {
namespace {

using test::Bytes;
using test::ReadFile;
using test::TBytesWriter;
using test::TTempDir;
using test::WriteFile;

const TPalette& GreyPaletteOnce() {
    static const TPalette grey = GreyPalette();
    return grey;
}

// Under AddressSanitizer the address space is the sanitizer's to reserve.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSpaceLimits = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSpaceLimits = false;
#else
constexpr bool kAddressSpaceLimits = true;
#endif
#else
constexpr bool kAddressSpaceLimits = true;
#endif

// What a run may take beyond what the test process has already: the most
// an entry of up to 64 MiB may cost --png, so a run within it keeps to it.
constexpr std::uint64_t kRunMemory = std::uint64_t{256} << 20;
// Long enough for a slow sanitizer build; the faults took minutes or never
// ended.
constexpr unsigned kWatchdogSeconds = 120;

struct TRun {
    int Status = -1;
    std::string Out;
    std::string Err;
    std::string Died; // how the child ended other than by exiting
};

struct TLimits {
    bool Memory = false;         // kRunMemory more than the test holds
    std::uint64_t FileBytes = 0; // no file written past this (0: none)
};

TRun RunInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    TRun r;
    r.Status = RunPakTool(args, out, err, false);
    r.Out = out.str();
    r.Err = err.str();
    return r;
}

#ifndef _WIN32
// The size of this process's address space.
std::uint64_t AddressSpaceBytes() {
    std::ifstream statm("/proc/self/statm");
    std::uint64_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// The tool in a child process under limits, its streams kept in files of
// scratch.
TRun RunLimited(const std::vector<std::string>& args, const TLimits& limits,
                const std::filesystem::path& scratch) {
    const auto outPath = scratch / "child.out", errPath = scratch / "child.err";
    std::cout.flush();
    std::cerr.flush();
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (limits.Memory && kAddressSpaceLimits) {
            const rlim_t bytes = AddressSpaceBytes() + kRunMemory;
            const rlimit space{bytes, bytes};
            ::setrlimit(RLIMIT_AS, &space);
        }
        if (limits.FileBytes != 0) {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit size{limits.FileBytes, limits.FileBytes};
            ::setrlimit(RLIMIT_FSIZE, &size);
        }
        ::alarm(kWatchdogSeconds);
        std::ostringstream out, err;
        const int status = RunPakTool(args, out, err, false);
        // Written with the limit lifted: the report is no file of the run.
        const rlimit unlimited{RLIM_INFINITY, RLIM_INFINITY};
        ::setrlimit(RLIMIT_FSIZE, &unlimited);
        std::ofstream(outPath, std::ios::binary) << out.str();
        std::ofstream(errPath, std::ios::binary) << err.str();
        ::_exit(status);
    }
    TRun r;
    int wstatus = 0;
    if (pid < 0 || ::waitpid(pid, &wstatus, 0) != pid) {
        r.Died = "no child process";
        return r;
    }
    if (WIFEXITED(wstatus))
        r.Status = WEXITSTATUS(wstatus);
    else
        r.Died = std::string("killed by signal ") + std::to_string(WTERMSIG(wstatus)) +
                 (WTERMSIG(wstatus) == SIGALRM ? " (the watchdog)" : "");
    r.Out = ReadFile(outPath);
    r.Err = ReadFile(errPath);
    return r;
}
#endif

// The PNG files below dir, by their paths below it.
std::vector<std::filesystem::path> PngsBelow(const std::filesystem::path& dir) {
    std::vector<std::filesystem::path> pngs;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(dir, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file() && it->path().extension() == ".png")
            pngs.push_back(it->path());
    std::sort(pngs.begin(), pngs.end());
    return pngs;
}

std::size_t Count(const std::string& text, const std::string& phrase) {
    std::size_t n = 0;
    for (auto at = text.find(phrase); at != std::string::npos; at = text.find(phrase, at + 1))
        ++n;
    return n;
}

// Bytes no compressor shrinks much, the same each run.
Bytes Noise(std::size_t n) {
    Bytes out(n);
    std::uint32_t x = 12345;
    for (auto& b : out) {
        x = x * 1664525u + 1013904223u;
        b = static_cast<unsigned char>(x >> 24);
    }
    return out;
}

// A texture of its full-size level only: all a picture needs.
Bytes TextureOfSide(std::uint32_t side, const Bytes& pixels) {
    TBytesWriter w;
    w.Name("t", 16).U32(side).U32(side).U32(40).U32(0).U32(0).U32(0);
    return w.Raw(pixels).Out;
}

// A PCX of 8 bits at the largest size a picture may have, run-length coded.
Bytes LargestPcx() {
    constexpr unsigned kSide = 4096;
    TBytesWriter w = test::PcxHeader(kSide, kSide, 1, kSide);
    for (std::size_t left = std::size_t{kSide} * kSide; left > 0;) {
        const auto run = static_cast<unsigned>(std::min<std::size_t>(left, 63));
        w.U8(0xC0 | run).U8(left % 7);
        left -= run;
    }
    return w.U8(0x0C).Raw(Noise(768)).Out;
}

struct TBomb {
    const char* What;
    std::string Name; // the entry
    Bytes Entry;
    std::vector<std::string> Command; // ARCHIVE and OUT stand for the paths
    TLimits Limits;
    int Status;
    std::size_t Pictures;             // PNG files written
    std::vector<std::string> OnceErr; // each said exactly once on err
    std::size_t ErrLines;
    std::string LastOut = {}; // the last line on out ("": none looked at)
    bool KeepEntry = false;   // the entry's own file is there already, and kept
    std::vector<std::pair<std::string, Bytes>> Others = {}; // more entries of the archive
};

// Each hostile entry as a row: what it once cost, it now costs no more than
// one picture at a time, a capped list and one line of each kind.
TEST(PakPictures, EntriesBuiltToCostTheMostStayWithinBounds) {
    const std::string noPalette = "no palette found";
    const Bytes texture128 = TextureOfSide(128, Bytes(128 * 128, 5));
    const Bytes texture64 = TextureOfSide(64, Noise(64 * 64));
    const Bytes picture1024 = test::MakeLmp(1024, 1024, Bytes(1024 * 1024, 6));
    const std::vector<std::string> png = {"extract", "ARCHIVE", "-C", "OUT", "--png"};
    const TBomb rows[] = {
        // Once 65,536 pictures of 64 KiB each were decoded before any was
        // written: 4 GiB.
        {"65,536 slots naming one texture",
         "maps/e1m1.bsp",
         test::MakeBspNaming(65536, texture128),
         png,
         {true},
         kExitOk,
         kMaxListedParts,
         {"maps/e1m1.bsp: only the first 10,000 of 65,536 textures are written", noPalette},
         2},
        // Once every lump's pixels were decoded to tell its size: minutes.
        {"info on 100,000 lumps naming one picture",
         "gfx.wad",
         test::MakeWad2Naming(100000, "p", 0x42, picture1024),
         {"info", "ARCHIVE", "gfx.wad"},
         {true},
         kExitOk,
         0,
         {},
         0,
         "    and 90,000 more lumps"},
        // Once a file for each of 200,001 skins.
        {"a model of 200,001 skins of 1 x 1",
         "progs/m.mdl",
         test::MakeModelOfSkins(200001, 1, 1),
         png,
         {true},
         kExitOk,
         kMaxListedParts,
         {"progs/m.mdl: only the first 10,000 of 200,001 skin pictures are written", noPalette},
         2},
        // The biggest picture there may be, from an entry of half a megabyte.
        {"a PCX of 4096 x 4096", "pics/big.pcx", LargestPcx(), png, {true}, kExitOk, 1, {}, 0},
        // A Quake II map's texture named 100,000 times is found, decoded and
        // written once (and once more as the .wal entry's own picture).
        {"100,000 records naming one texture",
         "maps/base1.bsp",
         test::MakeQuake2Map(std::vector<std::string>(100000, "e1u1/floor")),
         png,
         {true},
         kExitOk,
         2,
         {"no palette found (no pics/colormap.pcx"},
         1,
         "",
         false,
         {{"textures/e1u1/floor.wal", test::MakeWal("e1u1/floor", 64, 64, Noise(64 * 64))}}},
        // A disk that fills: the first picture that cannot be written ends
        // the entry's pictures, shared or not, with one line.
        {"writes that fail, one stored picture",
         "maps/e1m1.bsp",
         test::MakeBspNaming(10000, texture64),
         {"extract", "ARCHIVE", "-C", "OUT", "--png", "--no-clobber"},
         {true, 1024},
         kExitProblems,
         0,
         {"maps/e1m1.bsp.png.d/t.png: ", "(the 9,999 pictures after it are not written)",
          "it exists", noPalette},
         3,
         "",
         true},
        {"writes that fail, pictures of their own",
         "progs/m.mdl",
         [] {
             TBytesWriter w = test::MdlHeader(50, 64, 64, 0, 0, 1);
             for (int s = 0; s < 50; ++s)
                 w.I32(0).Raw(Noise(64 * 64));
             return w.I32(0).Raw(test::MdlFrame("f", 0)).Out;
         }(),
         {"extract", "ARCHIVE", "-C", "OUT", "--png", "--no-clobber"},
         {true, 1024},
         kExitProblems,
         0,
         {"progs/m.mdl.png.d/m_skin0.png: ", "(the 49 pictures after it are not written)",
          "it exists", noPalette},
         3,
         "",
         true},
    };
    for (const TBomb& row : rows) {
        SCOPED_TRACE(row.What);

        TTempDir dir;
        const auto archive = dir / "a.pak";
        const auto out = dir / "out";
        std::vector<std::pair<std::string, std::string>> files = {
            {row.Name, test::ToString(row.Entry)}};
        for (const auto& [name, bytes] : row.Others)
            files.push_back({name, test::ToString(bytes)});
        WriteFile(archive, BuildPakImage(files));
        if (row.KeepEntry)
            WriteFile(out / row.Name, "kept");
        std::vector<std::string> args = row.Command;
        for (std::string& a : args)
            a = a == "ARCHIVE" ? archive.string() : a == "OUT" ? out.string() : a;
#ifdef _WIN32
        if (row.Limits.FileBytes != 0)
            continue; // no file size limit to lower there
        const TRun r = RunInProcess(args);
#else
        const TRun r = RunLimited(args, row.Limits, dir.Path());
#endif
        ASSERT_EQ(r.Died, "");
        EXPECT_EQ(r.Status, row.Status) << r.Err;
        EXPECT_EQ(PngsBelow(out).size(), row.Pictures);
        for (const std::string& phrase : row.OnceErr)
            EXPECT_EQ(Count(r.Err, phrase), 1u) << phrase << "\n" << r.Err;
        EXPECT_EQ(Count(r.Err, "\n"), row.ErrLines) << r.Err;
        if (!row.LastOut.empty()) {
            const std::string last = r.Out.substr(r.Out.rfind('\n', r.Out.size() - 2) + 1);
            EXPECT_EQ(last, row.LastOut + "\n");
            EXPECT_EQ(Count(r.Out, "\n"), 1 + 1 + kMaxListedParts + 1);
        }
        // No half-written picture stays behind.
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(out, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            EXPECT_FALSE(IsTemporaryName(it->path().filename().string())) << it->path();
        // A picture stored once is written alike under each of its names.
        const auto pngs = PngsBelow(out);
        if (pngs.size() > 1 && row.Name != "progs/m.mdl") {
            EXPECT_TRUE(ReadFile(pngs.front()) == ReadFile(pngs.back()));
        }
        if (!pngs.empty()) {
            const std::string bytes = ReadFile(pngs.back());
            TRgbaPicture picture;
            EXPECT_EQ(test::PngFault(Bytes(bytes.begin(), bytes.end()), picture), "");
        }
    }
}

// Before an entry's pictures are written, their most bytes are weighed
// against the disk: a map naming one 4096 x 4096 texture in 10,000 slots is
// refused in one line, whatever its pictures would really take.
TEST(PakPictures, PicturesThatMayNotFitAreRefusedBeforeAnyIsWritten) {
    TTempDir dir;
    const std::uint64_t most = kMaxListedParts * PngSizeBound(4096, 4096);
    if (std::filesystem::space(dir.Path()).available >= most)
        GTEST_SKIP() << "this disk has room for " << most << " bytes";
    const auto archive = dir / "a.pak";
    const Bytes map = test::MakeBspNaming(10000, TextureOfSide(4096, Bytes(4096 * 4096, 3)));
    WriteFile(archive, BuildPakImage({{"maps/e1m1.bsp", test::ToString(map)}}));
    const auto out = dir / "out";
    const TRun r = RunInProcess({"extract", archive.string(), "-C", out.string(), "--png"});
    EXPECT_EQ(r.Status, kExitProblems);
    EXPECT_EQ(Count(r.Err, "maps/e1m1.bsp: Disk full: the 10,000 pictures need "), 1u) << r.Err;
    EXPECT_EQ(Count(r.Err, " bytes free\n"), 1u) << r.Err;
    // No picture is drawn, so no palette is looked for nor missed.
    EXPECT_EQ(Count(r.Err, "\n"), 1u) << r.Err;
    EXPECT_TRUE(PngsBelow(out).empty());
    EXPECT_TRUE(ReadFile(out / "maps/e1m1.bsp") == test::ToString(map));
}

// Skins and frames are named by their places; a stored picture named
// twice is written twice; a picture that cannot be decoded is told.
TEST(PakPictures, EachPictureGetsAFileOfItsPlace) {
    TBytesWriter mdl = test::MdlHeader(2, 1, 1, 0, 0, 1);
    mdl.I32(0).U8(1).I32(1).I32(2).U32(0).U32(0).U8(2).U8(3);
    mdl.I32(0).Raw(test::MdlFrame("f", 0));
    TBytesWriter spr = test::SprHeader(2);
    spr.I32(0).Raw(test::SprPicture(1, 1, {4})).I32(1).I32(2).U32(0).U32(0);
    spr.Raw(test::SprPicture(1, 1, {5})).Raw(test::SprPicture(1, 1, {6}));
    const Bytes shared = test::MakeWad2Naming(3, "p", 0x42, test::MakeLmp(1, 1, {7}));
    TTempDir dir;
    const auto archive = dir / "a.pak";
    WriteFile(archive, BuildPakImage({{"progs/m.mdl", test::ToString(mdl.Out)},
                                      {"progs/s.spr", test::ToString(spr.Out)},
                                      {"gfx.wad", test::ToString(shared)},
                                      {"gfx/bad.lmp", test::ToString(test::MakeLmp(9, 9, {1}))}}));
    const auto out = dir / "out";
    const TRun r = RunInProcess({"extract", archive.string(), "-C", out.string(), "--png"});
    EXPECT_EQ(r.Status, kExitOk) << r.Err;
    std::set<std::string> written;
    for (const auto& path : PngsBelow(out))
        written.insert(path.lexically_relative(out).generic_string());
    EXPECT_EQ(written,
              (std::set<std::string>{
                  "progs/m.mdl.png.d/m_skin0.png", "progs/m.mdl.png.d/m_skin1_0.png",
                  "progs/m.mdl.png.d/m_skin1_1.png", "progs/s.spr.png.d/s_frame0.png",
                  "progs/s.spr.png.d/s_frame1_0.png", "progs/s.spr.png.d/s_frame1_1.png",
                  "gfx.wad.png.d/p0.png", "gfx.wad.png.d/p1.png", "gfx.wad.png.d/p2.png"}));
    EXPECT_TRUE(ReadFile(out / "gfx.wad.png.d/p0.png") == ReadFile(out / "gfx.wad.png.d/p2.png"));
    EXPECT_EQ(Count(r.Err, "gfx/bad.lmp: no picture of bad: Picture pixels run past the end of "
                           "the entry"),
              1u)
        << r.Err;
}

// Pictures of palette indices are written as their indices with the 256
// colours they are drawn in, their see-through index alone transparent;
// true-colour ones stay RGBA. Either is seen as the preview shows it.
TEST(PakPictures, PalettePicturesKeepTheirIndices) {
    Bytes palette;
    for (int i = 0; i < 256; ++i)
        palette.insert(palette.end(),
                       {static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i), 7});
    // Half-Life's texture: its own colours after its levels, 255 see-through.
    Bytes fence = test::MakeMipTexture("{fence", 8, 8, Bytes(64, 1));
    fence[40] = 255;
    fence.insert(fence.end(), {0, 1});
    for (int i = 0; i < 256; ++i)
        fence.insert(fence.end(), {static_cast<unsigned char>(i), 20, 30});
    Bytes wad3 = test::MakeWad2({{"{fence", 0x43, fence}});
    std::copy_n("WAD3", 4, wad3.begin());
    const Bytes pcx = test::PcxHeader(2, 1, 1, 2).U8(0xC2).U8(3).U8(0x0C).Raw(Noise(768)).Out;
    const Bytes rgb = test::PcxHeader(1, 1, 3, 1).U8(9).U8(8).U8(7).Out;
    const Bytes tga = test::TgaHeader(2, 2, 1, 24).Raw({1, 2, 3, 4, 5, 6}).Out;
    const std::vector<std::pair<std::string, Bytes>> entries = {
        {"gfx/palette.lmp", palette},
        {"gfx/pause.lmp", test::MakeLmp(2, 1, {1, 255})},
        {"progs/m.mdl", test::MakeModelOfSkins(1, 2, 2, 5)},
        {"halflife.wad", wad3},
        {"pics/dots.pcx", pcx},
        {"pics/rgb.pcx", rgb},
        {"gfx/sky.tga", tga},
        {"sprites/fire.spr", test::SprHalfLifeHeader(1, kSprAlphaTest)
                                 .I32(0)
                                 .Raw(test::SprPicture(2, 1, {1, 255}))
                                 .Out},
    };
    const struct {
        std::string Entry;
        std::string Png;
        unsigned ColourType;
        Bytes Indices;      // empty for RGBA
        std::size_t Alphas; // tRNS entries: up to the see-through index
        std::size_t Spot;   // an index whose colour is looked at
        TRgb Colour;
    } rows[] = {
        {"gfx/palette.lmp", "gfx/palette.lmp.png", 3, {}, 0, 200, {200, 55, 7}},
        {"gfx/pause.lmp", "gfx/pause.lmp.png", 3, {1, 255}, 256, 1, {1, 254, 7}},
        {"progs/m.mdl", "progs/m.mdl.png.d/m_skin0.png", 3, {5, 5, 5, 5}, 0, 5, {5, 250, 7}},
        {"halflife.wad", "halflife.wad.png.d/%7Bfence.png", 3, {}, 256, 9, {9, 20, 30}},
        {"pics/dots.pcx", "pics/dots.pcx.png", 3, {3, 3}, 0, 0, {}},
        {"pics/rgb.pcx", "pics/rgb.pcx.png", 6, {}, 0, 0, {}},
        {"gfx/sky.tga", "gfx/sky.tga.png", 6, {}, 0, 0, {}},
        {"sprites/fire.spr",
         "sprites/fire.spr.png.d/fire_frame0.png",
         3,
         {1, 255},
         256,
         1,
         {1, 2, 3}},
    };
    TTempDir dir;
    std::vector<std::pair<std::string, std::string>> files;
    for (const auto& [name, bytes] : entries)
        files.push_back({name, test::ToString(bytes)});
    WriteFile(dir / "a.pak", BuildPakImage(files));
    const auto out = dir / "out";
    const TRun r = RunInProcess({"extract", (dir / "a.pak").string(), "-C", out.string(), "--png"});
    ASSERT_EQ(r.Status, kExitOk) << r.Err;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        SCOPED_TRACE(row.Png);
        const Bytes& bytes = entries[i].second;
        const std::string written = ReadFile(out / row.Png);
        test::TPngRead png;
        ASSERT_EQ(test::PngFault(Bytes(written.begin(), written.end()), png), "");
        EXPECT_EQ(png.ColourType, row.ColourType);
        // What is seen is what the preview shows.
        const TEntryParts parts = ListEntryParts(ClassifyEntry(row.Entry, bytes), row.Entry, bytes);
        ASSERT_FALSE(parts.Parts.empty());
        EXPECT_EQ(png.Rgba.Pixels, DecodePart(bytes, parts.Parts[0], ReadPalette(palette)).Pixels);
        if (row.ColourType != 3)
            continue;
        if (!row.Indices.empty()) {
            EXPECT_EQ(png.Indices, row.Indices);
        }
        ASSERT_EQ(png.Colours.size(), 256u);
        if (row.Spot != 0) {
            EXPECT_EQ(png.Colours[row.Spot], row.Colour);
        }
        ASSERT_EQ(png.Alphas.size(), row.Alphas);
        if (row.Alphas > 0) {
            EXPECT_EQ(std::count(png.Alphas.begin(), png.Alphas.end(), 255), 255);
            EXPECT_EQ(png.Alphas.back(), 0);
        }
    }
}

// A Quake II map's textures are the archive's .wal entries, found in the
// whole index (letter case ignored) whichever entries are extracted, and
// written in Quake II's palette; one the archive lacks is told.
TEST(PakPictures, AQuake2MapsTexturesAreWrittenFromTheArchive) {
    Bytes colours;
    for (int i = 0; i < 256; ++i)
        colours.insert(colours.end(),
                       {static_cast<unsigned char>(i), static_cast<unsigned char>(255 - i), 11});
    const Bytes colormap = test::PcxHeader(2, 1, 1, 2).U8(0xC2).U8(0).U8(0x0C).Raw(colours).Out;
    TTempDir dir;
    WriteFile(
        dir / "a.pak",
        BuildPakImage(
            {{"pics/colormap.pcx", test::ToString(colormap)},
             {"gfx/palette.lmp", std::string(768, '\x05')},
             {"TEXTURES/E1U1/FLOOR.WAL", test::ToString(test::MakeWal("e1u1/floor", 2, 1, {1, 2}))},
             {"maps/base1.bsp",
              test::ToString(test::MakeQuake2Map({"e1u1/floor", "e1u1/gone", "e1u1/Floor"}))}}));
    const auto out = dir / "out";
    const TRun r = RunInProcess(
        {"extract", (dir / "a.pak").string(), "-C", out.string(), "--png", "-i", "maps/*"});
    EXPECT_EQ(r.Status, kExitOk) << r.Err;
    EXPECT_EQ(r.Err, "zorvak-pak: " + (dir / "a.pak").string() +
                         ": maps/base1.bsp: no picture of e1u1/gone: Not in the archive: "
                         "textures/e1u1/gone.wal\n");
    const auto pngs = PngsBelow(out);
    ASSERT_EQ(pngs.size(), 1u);
    EXPECT_EQ(pngs[0], out / "maps/base1.bsp.png.d/e1u1%2Ffloor.png");
    const std::string written = ReadFile(pngs[0]);
    test::TPngRead png;
    ASSERT_EQ(test::PngFault(Bytes(written.begin(), written.end()), png), "");
    EXPECT_EQ(png.Indices, (Bytes{1, 2}));
    EXPECT_EQ(png.Colours.at(2), (TRgb{2, 253, 11}));
}

// Half-Life's pictures carry their colours: an archive of them alone is
// written without a word of a missing palette.
TEST(PakPictures, PicturesInTheirOwnColoursNeedNoPalette) {
    Bytes hud = test::MakeLmp(1, 1, {1});
    hud.insert(hud.end(), {1, 0, 9, 8, 7}); // the picture's one colour
    Bytes wad3 = test::MakeWad2({{"hud", 0x42, hud}});
    std::copy_n("WAD3", 4, wad3.begin());
    const Bytes sprite =
        test::SprHalfLifeHeader(1, kSprNormal).I32(0).Raw(test::SprPicture(1, 1, {1})).Out;
    TTempDir dir;
    WriteFile(dir / "a.pak", BuildPakImage({{"halflife.wad", test::ToString(wad3)},
                                            {"sprites/s.spr", test::ToString(sprite)}}));
    const auto out = dir / "out";
    const TRun r = RunInProcess({"extract", (dir / "a.pak").string(), "-C", out.string(), "--png"});
    EXPECT_EQ(r.Status, kExitOk);
    EXPECT_EQ(r.Err, "");
    EXPECT_EQ(PngsBelow(out).size(), 2u);
}

// A stop request between pictures ends the entry's pictures there, those
// written whole, whether each has its own stored pixels or all share them.
TEST(PakPictures, AStopBetweenPicturesEndsThemThere) {
    struct TCase {
        const char* Name;
        TEntryKind Kind;
        Bytes Entry;
    };
    const TCase cases[] = {
        {"m.mdl", TEntryKind::ekModel, test::MakeModelOfSkins(20, 2, 2)},
        {"gfx.wad", TEntryKind::ekWad2,
         test::MakeWad2Naming(20, "p", 0x42, test::MakeLmp(2, 2, {1, 2, 3, 4}))},
    };
    for (const TCase& c : cases) {
        TTempDir dir;
        WriteFile(dir / "a.pak", "the archive, read by no one here");
        const TLockedFile archive(dir / "a.pak", TShareMode::smShared);
        const auto out = dir / "out";
        std::filesystem::create_directories(out);
        TExtractTarget target(out);
        const std::unordered_set<std::string_view> extracted;
        std::vector<std::string> told;
        const TPictureOutput output{
            target,
            archive,
            extracted,
            [&](std::string_view name, const std::string& message) {
                told.push_back(std::string(name) + ": " + message);
            },
            [&](const std::filesystem::path& path) { told.push_back("kept " + path.string()); },
            [&] { return PngsBelow(out).size() >= 3; },
            {}};
        EXPECT_TRUE(WriteEntryPictures(output, c.Name, c.Kind, c.Entry, GreyPaletteOnce)) << c.Name;
        EXPECT_EQ(PngsBelow(out).size(), 3u) << c.Name;
        EXPECT_EQ(told, std::vector<std::string>{}) << c.Name;
        for (const auto& path : PngsBelow(out)) {
            const std::string bytes = ReadFile(path);
            TRgbaPicture picture;
            EXPECT_EQ(test::PngFault(Bytes(bytes.begin(), bytes.end()), picture), "") << path;
        }
    }
}

} // namespace
} // namespace zorvak
