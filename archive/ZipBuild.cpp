#include "archive/ZipBuild.h"

#include "archive/PakExtract.h"
#include "archive/ZipWriter.h"
#include "framework/Failures.h"
#include "framework/Text.h"
#include "framework/Translate.h"

#include <zlib.h>

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

namespace zorvak {

namespace {

// Each piece is deflated from the window before it, as one stream would be.
constexpr std::size_t kDictionary = 32 * 1024;

// One piece of one file: what a thread deflates at a time.
struct TUnit {
    std::uint32_t File = 0;
    std::uint32_t Piece = 0;
    bool Last = false;
};

struct TSlot {
    std::unique_ptr<unsigned char[]> In; // the window before the piece, then the piece
    std::size_t Window = 0;
    std::size_t Length = 0;
    std::vector<unsigned char> Out;
    std::uint32_t Crc = 0;
    bool Stored = false; // a file of one piece that deflate does not shrink
    bool Ready = false;
    std::exception_ptr Failure;
};

// A file open for its pieces: opened by the first thread that needs it,
// closed by the writer after its last piece.
struct TOpenFile {
    std::once_flag Once;
    std::unique_ptr<TLockedFile> File;
    std::exception_ptr Failure;
};

class TDeflater {
public:
    TDeflater() {
        if (deflateInit2(&z_, kZipBuildLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) !=
            Z_OK)
            throw std::bad_alloc();
    }
    ~TDeflater() { deflateEnd(&z_); }
    TDeflater(const TDeflater&) = delete;
    TDeflater& operator=(const TDeflater&) = delete;

    // Whether deflate would shrink bytes like the piece's first ones:
    // bytes it cannot (sounds and pictures already packed, noise) cost the
    // full search at level 6 and give nothing for it.
    bool Shrinks(std::span<const unsigned char> piece) {
        const std::size_t n = std::min(piece.size(), kSample);
        deflateReset(&z_);
        deflateParams(&z_, 1, Z_DEFAULT_STRATEGY);
        sample_.resize(deflateBound(&z_, static_cast<uLong>(n)) + 16);
        z_.next_in = const_cast<Bytef*>(piece.data());
        z_.avail_in = static_cast<uInt>(n);
        z_.next_out = sample_.data();
        z_.avail_out = static_cast<uInt>(sample_.size());
        deflate(&z_, Z_FINISH);
        const std::size_t made = sample_.size() - z_.avail_out;
        return made * 100 < n * kKeptPercent;
    }

    // The piece after window, deflated to out at level (0: stored blocks);
    // the last piece ends the stream, the others end on a byte so the next
    // one follows.
    void Piece(std::span<const unsigned char> window, std::span<const unsigned char> piece,
               bool last, int level, std::vector<unsigned char>& out) {
        deflateReset(&z_);
        deflateParams(&z_, level, Z_DEFAULT_STRATEGY);
        if (!window.empty())
            deflateSetDictionary(&z_, window.data(), static_cast<uInt>(window.size()));
        out.resize(deflateBound(&z_, static_cast<uLong>(piece.size())) + 16);
        z_.next_in = const_cast<Bytef*>(piece.data());
        z_.avail_in = static_cast<uInt>(piece.size());
        z_.next_out = out.data();
        z_.avail_out = static_cast<uInt>(out.size());
        const int result = deflate(&z_, last ? Z_FINISH : Z_SYNC_FLUSH);
        if (result != (last ? Z_STREAM_END : Z_OK) || z_.avail_in != 0)
            throw TFailure(Tr("Cannot deflate: the compressor stopped early"));
        out.resize(out.size() - z_.avail_out);
    }

private:
    // The bytes sampled, and the share of them deflate must save for a piece
    // to be deflated.
    static constexpr std::size_t kSample = 32 * 1024;
    static constexpr std::size_t kKeptPercent = 98;
    z_stream z_{};
    std::vector<unsigned char> sample_;
};

class TZipBuild {
public:
    TZipBuild(const std::vector<TPakBuildFile>& files, const TPakBuildHooks& hooks, bool fixedTimes)
        : files_(files), hooks_(hooks), fixedTimes_(fixedTimes),
          open_(new TOpenFile[files.size()]) {
        for (std::size_t f = 0; f < files.size(); ++f) {
            const std::int64_t size = std::max<std::int64_t>(files[f].Size, 0);
            const auto pieces =
                std::max<std::int64_t>(1, (size + static_cast<std::int64_t>(kZipBuildPiece) - 1) /
                                              static_cast<std::int64_t>(kZipBuildPiece));
            for (std::int64_t p = 0; p < pieces; ++p)
                units_.push_back({static_cast<std::uint32_t>(f), static_cast<std::uint32_t>(p),
                                  p + 1 == pieces});
        }
        threads_ = std::min<unsigned>(hooks.Readers, 16);
        slots_.resize(threads_ == 0 ? 1 : 2 * threads_ + 2);
        for (TSlot& slot : slots_)
            slot.In.reset(new unsigned char[kDictionary + kZipBuildPiece]);
    }

    ~TZipBuild() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        freed_.notify_all();
        for (std::thread& t : workers_)
            t.join();
    }

    bool Write(TZipWriter& writer) {
        for (unsigned t = 0; t < threads_; ++t)
            workers_.emplace_back([this] { Work(); });
        TDeflater own;
        TRowDirectories dirs;
        std::uint32_t crc = 0;
        for (std::size_t u = 0; u < units_.size(); ++u) {
            const TUnit& unit = units_[u];
            TSlot& slot = slots_[u % slots_.size()];
            if (threads_ == 0) {
                Deflate(unit, slot, own, dirs);
            } else {
                std::unique_lock<std::mutex> lock(mutex_);
                ready_.wait(lock, [&slot] { return slot.Ready; });
            }
            if (slot.Failure)
                std::rethrow_exception(slot.Failure);
            const TPakBuildFile& file = files_[unit.File];
            const std::span<const unsigned char> coded =
                slot.Stored
                    ? std::span<const unsigned char>(slot.In.get() + slot.Window, slot.Length)
                    : std::span<const unsigned char>(slot.Out);
            if (unit.Piece == 0) {
                if (hooks_.Pump && !hooks_.Pump())
                    return false;
                if (hooks_.DataRow)
                    hooks_.DataRow(unit.File);
                const TLockedFile& input = *open_[unit.File].File;
                TZipMemberInfo info;
                info.Name = file.Name;
                info.Method = slot.Stored ? kZipMethodStored : kZipMethodDeflated;
                if (!fixedTimes_)
                    info.DosTime = DosTimeOf(input.Identity().ModifiedNs / 1000000000);
                if (unit.Last)
                    writer.AddMember(info, slot.Crc, file.Size, coded);
                else
                    writer.BeginMember(info, file.Size + file.Size / 256 + 1024);
                crc = slot.Crc;
            } else {
                crc = static_cast<std::uint32_t>(
                    crc32_combine(crc, slot.Crc, static_cast<z_off_t>(slot.Length)));
            }
            if (!unit.Last || unit.Piece > 0)
                writer.WriteCoded(coded);
            if (hooks_.Copied)
                hooks_.Copied(static_cast<std::int64_t>(slot.Length));
            if (unit.Last) {
                if (unit.Piece > 0)
                    writer.EndMember(crc, file.Size);
                TOpenFile& opened = open_[unit.File];
                CheckSizeKnown(*opened.File, file.Path);
                CheckUnchangedSince(*opened.File, opened.File->Identity(), file.Path);
                opened.File.reset();
            }
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                slot.Ready = false;
                slot.Failure = nullptr;
                ++written_;
            }
            freed_.notify_all();
        }
        return true;
    }

private:
    void Work() {
        TDeflater deflater;
        TRowDirectories dirs;
        for (;;) {
            std::size_t u = 0;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                if (stop_ || next_ >= units_.size())
                    return;
                u = next_++;
                freed_.wait(lock, [&] { return stop_ || u < written_ + slots_.size(); });
                if (stop_)
                    return;
            }
            TSlot& slot = slots_[u % slots_.size()];
            Deflate(units_[u], slot, deflater, dirs);
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                slot.Ready = true;
            }
            ready_.notify_all();
        }
    }

    // Reads and deflates one piece into its slot; a failure is kept there
    // for the writer, which tells it where one thread would.
    void Deflate(const TUnit& unit, TSlot& slot, TDeflater& deflater, TRowDirectories& dirs) {
        try {
            const TPakBuildFile& file = files_[unit.File];
            TOpenFile& opened = open_[unit.File];
            std::call_once(opened.Once, [&] {
                try {
                    // By its folder, as the PAK build opens it: the name as
                    // the system holds it.
                    std::string base;
                    const TDirectory& dir = dirs.Of(file, base);
                    opened.File =
                        std::make_unique<TLockedFile>(dir, base, file.Path, hooks_.Inputs);
                    // The pieces were cut by the walk's size.
                    if (opened.File->Size() != file.Size)
                        throw TFailure(FormatText(Tr("File changed while building: {1}"),
                                                  DisplayPath(file.Path)));
                } catch (...) {
                    opened.Failure = std::current_exception();
                }
            });
            if (opened.Failure)
                std::rethrow_exception(opened.Failure);
            const std::int64_t begin =
                static_cast<std::int64_t>(unit.Piece) * static_cast<std::int64_t>(kZipBuildPiece);
            const std::int64_t from =
                std::max<std::int64_t>(0, begin - static_cast<std::int64_t>(kDictionary));
            slot.Window = static_cast<std::size_t>(begin - from);
            slot.Length = static_cast<std::size_t>(std::min<std::int64_t>(
                static_cast<std::int64_t>(kZipBuildPiece), file.Size - begin));
            const std::size_t want = slot.Window + slot.Length;
            // A file that shrank under us is never stored with bytes no
            // read filled.
            if (want > 0 && opened.File->ReadAt(from, slot.In.get(), want) != want)
                throw TInOutFailure(kIoReadBeyondEnd);
            const std::span<const unsigned char> piece(slot.In.get() + slot.Window, slot.Length);
            slot.Crc = static_cast<std::uint32_t>(
                crc32(0L, piece.data(), static_cast<uInt>(piece.size())));
            const bool shrinks = deflater.Shrinks(piece);
            const bool alone = unit.Piece == 0 && unit.Last;
            slot.Stored = alone && !shrinks;
            if (!slot.Stored) {
                deflater.Piece({slot.In.get(), slot.Window}, piece, unit.Last,
                               shrinks ? kZipBuildLevel : 0, slot.Out);
                slot.Stored = alone && slot.Out.size() >= slot.Length;
            }
        } catch (...) {
            slot.Failure = std::current_exception();
        }
    }

    const std::vector<TPakBuildFile>& files_;
    const TPakBuildHooks& hooks_;
    bool fixedTimes_;
    std::unique_ptr<TOpenFile[]> open_;
    std::vector<TUnit> units_;
    std::vector<TSlot> slots_;
    unsigned threads_ = 0;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::condition_variable freed_;
    std::size_t next_ = 0;
    std::size_t written_ = 0;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

} // namespace

bool IsZipArchivePath(const std::filesystem::path& output) {
    const std::string extension = AsciiLower(output.extension().string());
    return extension == ".pk3" || extension == ".zip";
}

bool WriteZipFile(const std::filesystem::path& output, const std::vector<TPakBuildFile>& files,
                  const TPakBuildHooks& hooks, bool fixedTimes) {
    TellLeftoversRemoved(output, hooks);
    TAtomicFile archive(output);
    TZipWriter writer(archive);
    {
        TZipBuild build(files, hooks, fixedTimes);
        if (!build.Write(writer))
            return false;
    }
    writer.Finish();
    archive.Commit();
    return true;
}

} // namespace zorvak
