#include "sound/Waveplay.h"
#include "framework/Failures.h"
#include "framework/Files.h"
#include "sound/SoundService.h"
#include "support/FailureOf.h"
#include "support/SoundRecorder.h"
#include "support/TempDir.h"
#include "support/WaveImage.h"

#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zorvak {
namespace {

using Bytes = std::vector<unsigned char>;
using test::TRecordedSound;

using test::FailureOf;

Bytes Stored(TWavePlayer& player, const std::string& name) {
    TMemoryStream out;
    WriteComponent(out, player, name);
    return out.Bytes();
}

Bytes WaveBytes(const TWave& wave) {
    return Bytes(wave.Bytes().begin(), wave.Bytes().end());
}

// A stream that claims more bytes than it can give, or takes fewer than it is given.
class TShortStream : public TMemoryStream {
public:
    TShortStream(std::vector<unsigned char> bytes, std::int64_t claimed)
        : TMemoryStream(std::move(bytes)), claimed_(claimed) {}
    std::int64_t Size() const override { return claimed_; }
    void Write(const void*, std::size_t) override { throw TFailure("Stream write error"); }

private:
    std::int64_t claimed_;
};

TEST(WavePlayer, NewPlayerAndItsStoredForm) {
    TRecordedSound sound;
    TWavePlayer player;
    EXPECT_TRUE(player.Enabled);
    EXPECT_EQ(player.Options(), TOptionsSet{wpoSync});
    EXPECT_EQ(player.PlayFlags(), 0x0004);
    EXPECT_TRUE(player.Wave().Bytes().empty());
    EXPECT_FALSE(player.Wave().Modified);
    // Enabled and an empty Wave.Data, no Options: exactly the main window's description.
    const Bytes stored = Stored(player, "WAVPlayer");
    const auto description = WavPlayerDescription();
    EXPECT_EQ(stored, Bytes(description.begin(), description.end()));
    const Bytes dataTail = {'W', 'a',      'v', 'e', '.', 'D', 'a',   't',
                            'a', vaBinary, 0,   0,   0,   0,   vaNull};
    EXPECT_TRUE(std::equal(dataTail.rbegin(), dataTail.rend(), stored.rbegin()));
    EXPECT_EQ(std::string(stored.begin(), stored.end()).find("Options"), std::string::npos);
}

TEST(WavePlayer, CreatedFromTheMainWindowsDescription) {
    TRecordedSound sound;
    QObject owner;
    TWavePlayer* player = CreateWavPlayerFromDescription(&owner);
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->parent(), &owner);
    EXPECT_EQ(player->objectName(), QStringLiteral("WAVPlayer"));
    EXPECT_TRUE(player->Enabled);
    EXPECT_EQ(player->PlayFlags(), 0x0004);
    EXPECT_TRUE(player->Wave().Bytes().empty());
    EXPECT_TRUE(player->Wave().Modified); // the stored Data was loaded
}

TEST(WavePlayer, PlayFlagsFollowTheOptions) {
    struct Row {
        TOptionsSet Options;
        std::uint16_t Flags;
    };
    const Row rows[] = {
        {{}, 0x0004},
        {{wpoSync}, 0x0004},
        {{wpoAsync}, 0x0005},
        {{wpoNoDefault}, 0x0006},
        {{wpoLoop}, 0x000C},
        {{wpoNoStop}, 0x0014},
        {{wpoAsync, wpoLoop}, 0x000D},
        {{wpoSync, wpoAsync}, 0x0005},
        {{wpoSync, wpoAsync, wpoNoDefault, wpoLoop, wpoNoStop}, 0x001F},
    };
    TRecordedSound sound;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.Options.Bits());
        TWavePlayer player;
        player.SetOptions(row.Options);
        EXPECT_EQ(player.PlayFlags(), row.Flags);
        player.SetOptions(row.Options); // the same set again changes nothing
        EXPECT_EQ(player.PlayFlags(), row.Flags);
        EXPECT_EQ(player.Options(), row.Options);
        // Stored and read back, the options (also the empty set) and flags come back.
        TMemoryStream stream(Stored(player, "P"));
        TWavePlayer back;
        ReadComponent(stream, back);
        EXPECT_EQ(back.Options(), row.Options);
        EXPECT_EQ(back.PlayFlags(), row.Flags);
        player.SetOptions({wpoSync});
        EXPECT_EQ(player.PlayFlags(), 0x0004);
    }
}

TEST(WavePlayer, StoredDataComesBackByteForByte) {
    TRecordedSound sound;
    TWavePlayer source;
    const Bytes image = test::MakePcm8Wave(test::SawPcm8(301));
    source.Wave().LoadFromBytes(image);
    const Bytes stored = Stored(source, "WAVPlayer");
    const Bytes count = {vaBinary, static_cast<unsigned char>(image.size()),
                         static_cast<unsigned char>(image.size() >> 8), 0, 0};
    EXPECT_NE(std::search(stored.begin(), stored.end(), count.begin(), count.end()), stored.end());

    TWavePlayer target;
    TMemoryStream stream(stored);
    ReadComponent(stream, target);
    EXPECT_EQ(WaveBytes(target.Wave()), image);
    EXPECT_TRUE(target.Wave().Modified);
}

TEST(Wave, AssignSharesOrFails) {
    TRecordedSound sound;
    TWave a;
    TWave b;
    int changes = 0;
    const TWave* sender = nullptr;
    b.OnChange = [&](TWave& w) {
        ++changes;
        sender = &w;
    };
    a.LoadFromBytes({1, 2, 3});
    b.Assign(&a);
    EXPECT_TRUE(b.SharesBufferWith(a));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sender, &b);
    EXPECT_TRUE(b.Modified);
    // A load into either is seen by both.
    TMemoryStream next(Bytes{9, 8});
    a.LoadFromStream(next);
    EXPECT_EQ(WaveBytes(b), (Bytes{9, 8}));

    // Nothing assigned: the bytes stay, the change is still signalled.
    b.Assign(nullptr);
    EXPECT_EQ(WaveBytes(b), (Bytes{9, 8}));
    EXPECT_EQ(changes, 2);

    TWavePlayer player;
    EXPECT_EQ(FailureOf([&] { b.Assign(&player); }), "Cannot assign a TWavePlayer to a TWave");
    EXPECT_EQ(FailureOf([&] { player.Assign(&a); }), "Cannot assign a TWave to a TWavePlayer");
    EXPECT_EQ(changes, 2);

    // The player's Wave setter assigns into its own wave, which stays the same object.
    TWave* own = &player.Wave();
    player.SetWave(a);
    EXPECT_EQ(&player.Wave(), own);
    EXPECT_TRUE(player.Wave().SharesBufferWith(a));
}

TEST(Wave, LoadAndSaveThroughStreams) {
    TWave wave;
    int changes = 0;
    wave.OnChange = [&](TWave&) { ++changes; };
    const Bytes image = test::MakePcm16Wave({0, 1000, -1000, 32767, -32768});
    TMemoryStream source(image);
    wave.LoadFromStream(source);
    EXPECT_EQ(WaveBytes(wave), image);
    EXPECT_EQ(changes, 1);

    // Saving writes at the target's position and signals nothing.
    TMemoryStream target(Bytes{0xAA, 0xBB});
    target.Seek(1);
    wave.SaveToStream(target);
    ASSERT_EQ(target.Bytes().size(), image.size() + 1);
    EXPECT_EQ(target.Bytes()[0], 0xAA);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), target.Bytes().begin() + 1));
    EXPECT_EQ(changes, 1);

    // Fewer bytes than the source's size: the failure, and the earlier bytes stay.
    struct Row {
        const char* What;
        std::function<std::unique_ptr<TStream>()> Make;
    };
    const Row rows[] = {
        {"size larger than the bytes",
         [] {
             return std::make_unique<TShortStream>(Bytes{1, 2}, 5);
         }},
        {"not at its start",
         [] {
             auto s = std::make_unique<TMemoryStream>(Bytes{1, 2, 3});
             s->Seek(1);
             return s;
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.What);
        auto stream = row.Make();
        EXPECT_EQ(FailureOf([&] { wave.LoadFromStream(*stream); }), "Stream read error");
        EXPECT_EQ(WaveBytes(wave), image);
        EXPECT_EQ(changes, 1);
    }
    TShortStream refusing({}, 0);
    EXPECT_EQ(FailureOf([&] { wave.SaveToStream(refusing); }), "Stream write error");

    // An empty source empties the wave.
    TMemoryStream empty;
    wave.LoadFromStream(empty);
    EXPECT_TRUE(wave.Bytes().empty());
    EXPECT_EQ(changes, 2);
}

TEST(Wave, LoadAndSaveFiles) {
    test::TTempDir dir;
    TWave wave;
    const Bytes image = test::MakePcm8Wave(test::SawPcm8(100));
    wave.LoadFromBytes(image);
    const auto path = dir / "a.wav";
    test::WriteFile(path, "older and longer content than the wave holds............................"
                          "....................................................................");
    wave.SaveToFile(path);
    EXPECT_EQ(test::ReadFile(path), std::string(image.begin(), image.end()));

    TWave back;
    back.LoadFromFile(path);
    EXPECT_EQ(WaveBytes(back), image);
    EXPECT_TRUE(back.Modified);

    const auto missing = dir / "missing.wav";
    EXPECT_EQ(FailureOf([&] { back.LoadFromFile(missing); }),
              "Cannot open file " + missing.string());
    const auto nowhere = dir / "no" / "dir" / "b.wav";
    EXPECT_EQ(FailureOf([&] { wave.SaveToFile(nowhere); }),
              "Cannot create file " + nowhere.string());
    {
        // Held without sharing by someone else: the load is refused and
        // the wave keeps its bytes.
        TLockedFile held(path);
        back.LoadFromBytes({7});
        EXPECT_EQ(FailureOf([&] { back.LoadFromFile(path); }), "Cannot open file " + path.string());
        EXPECT_EQ(WaveBytes(back), (Bytes{7}));
    }
}

TEST(WavePlayer, PlayRaisesItsEventsAroundTheSound) {
    TRecordedSound sound;
    // Declared before the player: its destructor's stop call comes through OnPlay.
    std::vector<std::string> order;
    std::vector<int> cursors; // the cursor shape during each call, -1 for none
    TWavePlayer player;
    player.BeforePlay = [&](TWavePlayer& p) {
        EXPECT_EQ(&p, &player);
        order.push_back("before");
    };
    player.AfterPlay = [&](TWavePlayer& p) {
        EXPECT_EQ(&p, &player);
        order.push_back("after");
    };
    sound.Sound->OnPlay = [&](const test::TSoundCall&) {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        cursors.push_back(cursor != nullptr ? int(cursor->shape()) : -1);
        order.push_back("play");
    };
    const Bytes image = test::MakePcm8Wave(test::SawPcm8(10));
    player.Wave().LoadFromBytes(image);
    player.SetOptions({wpoAsync, wpoLoop});
    player.Play();
    EXPECT_EQ(order, (std::vector<std::string>{"before", "play", "after"}));
    ASSERT_EQ(sound.Sound->Calls.size(), 1u);
    EXPECT_EQ(sound.Sound->Calls[0].Sound, image);
    EXPECT_EQ(sound.Sound->Calls[0].Flags, 0x000D);
    EXPECT_EQ(cursors, (std::vector<int>{int(Qt::WaitCursor)}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // Disabled: both events, no sound, the cursor untouched.
    order.clear();
    player.Enabled = false;
    player.Play();
    EXPECT_EQ(order, (std::vector<std::string>{"before", "after"}));
    EXPECT_EQ(sound.Sound->Calls.size(), 1u);
}

TEST(WavePlayer, EmptyWavePlaysNoSound) {
    TRecordedSound sound;
    TWavePlayer player;
    player.Play();
    ASSERT_EQ(sound.Sound->Calls.size(), 1u);
    EXPECT_TRUE(sound.Sound->Calls[0].Sound.empty());
    EXPECT_EQ(sound.Sound->Calls[0].Flags, 0x0004);
}

TEST(WavePlayer, CursorComesBackWhenThePlayFails) {
    TRecordedSound sound;
    TWavePlayer player;
    bool after = false;
    player.AfterPlay = [&](TWavePlayer&) { after = true; };
    sound.Sound->OnPlay = [](const test::TSoundCall&) { throw TFailure("device gone"); };
    EXPECT_EQ(FailureOf([&] { player.Play(); }), "device gone");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_FALSE(after);
}

// Only a play that waits for its sound's end can be stopped by the user;
// one that returns at once has nothing to wait for.
TEST(WavePlayer, APlayThatWaitsCanBeStopped) {
    TRecordedSound sound;
    TWavePlayer player;
    player.Wave().LoadFromBytes(test::MakePcm8Wave(test::SawPcm8(10)));
    const struct {
        const char* What;
        TOptionsSet Options;
        bool Watched;
    } rows[] = {
        {"the default", {wpoSync}, true},
        {"asynchronous", {wpoAsync}, false},
        {"a loop, always asynchronous", {wpoLoop}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.What);
        sound.Sound->Calls.clear();
        player.SetOptions(row.Options);
        player.Play();
        ASSERT_EQ(sound.Sound->Calls.size(), 1u);
        EXPECT_EQ(sound.Sound->Calls[0].Watched, row.Watched);
    }
}

TEST(WavePlayer, DestroyingStopsTheSound) {
    TRecordedSound sound;
    {
        TWavePlayer player;
        player.Wave().LoadFromBytes(test::MakePcm8Wave(test::SawPcm8(10)));
        player.SetOptions({wpoAsync, wpoLoop});
        player.Play();
    }
    ASSERT_EQ(sound.Sound->Calls.size(), 2u);
    EXPECT_TRUE(sound.Sound->Calls[1].Sound.empty());
    EXPECT_EQ(sound.Sound->Calls[1].Flags, 0);
}

} // namespace
} // namespace zorvak
