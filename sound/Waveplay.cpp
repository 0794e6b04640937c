#include "sound/Waveplay.h"

#include "framework/ui/Application.h"
#include "framework/ui/Components.h"

#include "framework/Failures.h"
#include "framework/Files.h"
#include "sound/SoundService.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

#include <new>
#include <stdexcept>

namespace zorvak {

// ---- TWave ----

TWave::TWave() : stream_(std::make_shared<TMemoryStream>()) {}

void TWave::Changed() {
    Modified = true;
    if (OnChange)
        OnChange(*this);
}

void TWave::Assign(const TPersistent* source) {
    if (source == nullptr) {
        Changed();
        return;
    }
    if (const auto* wave = dynamic_cast<const TWave*>(source)) {
        stream_ = wave->stream_;
        Changed();
        return;
    }
    TPersistent::Assign(source);
}

void TWave::DefineProperties(TPropertyList& properties) {
    // Written even when empty: the buffer always exists.
    properties.Binary(
        "Data", [this](TStream& source) { ReadData(source); },
        [this](TStream& target) { WriteData(target); }, [] { return true; });
}

namespace {
std::string OutOfMemoryText() {
    return QCoreApplication::translate("zorvak::TWave",
                                       "Out of memory while expanding memory stream")
        .toLocal8Bit()
        .toStdString();
}
} // namespace

void TWave::LoadFromStream(TStream& source) {
    const std::int64_t size = source.Size() < 0 ? 0 : source.Size();
    std::vector<unsigned char> bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        throw TFailure(OutOfMemoryText());
    } catch (const std::length_error&) {
        throw TFailure(OutOfMemoryText());
    }
    // Read into new memory and swap only once all is there: a short source
    // must not leave a wave of undefined bytes that a later play would use.
    source.ReadBuffer(bytes.data(), bytes.size());
    LoadFromBytes(std::move(bytes));
}

void TWave::LoadFromBytes(std::vector<unsigned char> bytes) {
    stream_->Bytes().swap(bytes);
    stream_->Seek(0);
    Changed();
}

void TWave::SaveToStream(TStream& target) const {
    const auto& bytes = stream_->Bytes();
    target.Write(bytes.data(), bytes.size());
}

void TWave::LoadFromFile(const std::filesystem::path& fileName) {
    TLockedFile file(fileName);
    LoadFromStream(file);
}

void TWave::SaveToFile(const std::filesystem::path& fileName) const {
    TAtomicFile file(fileName);
    SaveToStream(file);
    file.Commit();
}

// ---- TWavePlayer ----

namespace {

std::uint16_t FlagsFor(TOptionsSet options) {
    std::uint16_t flags = kSndMemory;
    if (options.Contains(wpoSync))
        flags |= kSndSync;
    if (options.Contains(wpoAsync))
        flags |= kSndAsync;
    if (options.Contains(wpoNoDefault))
        flags |= kSndNoDefault;
    if (options.Contains(wpoLoop))
        flags |= kSndLoop;
    if (options.Contains(wpoNoStop))
        flags |= kSndNoStop;
    return flags;
}

// The hourglass for the length of a play, taken back however the play ends.
class TBusyCursor {
public:
    TBusyCursor()
        : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (active_)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~TBusyCursor() {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
    }
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;

private:
    bool active_;
};

} // namespace

TWavePlayer::TWavePlayer(QObject* owner)
    : QObject(owner), playFlags_(FlagsFor(options_)), wave_(std::make_unique<TWave>()) {}

TWavePlayer::~TWavePlayer() {
    try {
        SoundService().PlaySound({}, 0);
    } catch (...) {
        // Nothing to report while being destroyed.
    }
}

void TWavePlayer::SetOptions(TOptionsSet options) {
    if (options == options_)
        return;
    options_ = options;
    playFlags_ = FlagsFor(options);
}

void TWavePlayer::Play() {
    if (BeforePlay)
        BeforePlay(*this);
    if (Enabled) {
        TBusyCursor busy;
        // Whether it played is of no interest: a wave that cannot be played
        // is not the user's error to hear about.
        if ((playFlags_ & (kSndAsync | kSndLoop)) != 0) {
            SoundService().PlaySound(wave_->Bytes(), playFlags_);
        } else {
            // The classic wait to the end, but Escape or a closing window
            // ends it, and what was typed or clicked meanwhile is dropped.
            TStoppableWait wait;
            SoundService().PlaySoundUntil(wave_->Bytes(), playFlags_,
                                          [&wait] { return wait.KeepWaiting(); });
        }
    }
    if (AfterPlay)
        AfterPlay(*this);
}

void TWavePlayer::DefineProperties(TPropertyList& properties) {
    properties.Boolean(
        "Enabled", [this] { return Enabled; }, [this](bool value) { Enabled = value; });
    properties.Set(
        "Options", {"wpoSync", "wpoAsync", "wpoNoDefault", "wpoLoop", "wpoNoStop"},
        [this] { return std::uint32_t(options_.Bits()); },
        [this](std::uint32_t bits) { SetOptions(TOptionsSet::FromBits(bits)); },
        TOptionsSet{wpoSync}.Bits());
    properties.Object("Wave", *wave_);
}

// ---- the main window's player ----

namespace {
// Class, name, Enabled = True, Wave.Data = empty binary, end of properties.
constexpr unsigned char kWavPlayerDescription[] = {
    11,    'T', 'W', 'a', 'v', 'e', 'P', 'l', 'a',    'y', 'e',      'r',          //
    9,     'W', 'A', 'V', 'P', 'l', 'a', 'y', 'e',    'r',                         //
    7,     'E', 'n', 'a', 'b', 'l', 'e', 'd', vaTrue,                              //
    9,     'W', 'a', 'v', 'e', '.', 'D', 'a', 't',    'a', vaBinary, 0,   0, 0, 0, //
    vaNull};
} // namespace

std::span<const unsigned char> WavPlayerDescription() {
    return kWavPlayerDescription;
}

TWavePlayer* CreateWavPlayerFromDescription(QObject* owner) {
    return CreateFromDescription<TWavePlayer>(owner, kWavPlayerDescription);
}

} // namespace zorvak
