// Replays: the file format's round trip and refusals, and a race recorded through the game's own
// update callback (pauses, retuning and held keys included) that plays back as the same race.
#include "GameRig.h"

#include "app/RaceTrace.h"
#include "app/Replay.h"
#include "console/dConsole.h"
#include "engine/Files.h"

#include <gtest/gtest.h>

using namespace rig;

namespace {

TReplay SmallReplay() {
    TReplay R;
    R.Level = "map2";
    R.MapHash = 0x0123456789abcdefull;
    R.Car = 4;
    R.LoadTimeMs = 1234;
    R.LoadKeys = HELD_W;
    TReplayStep U;
    U.TimeMs = 1259;
    U.Keys = HELD_W | HELD_D | HELD_SPACE;
    R.Steps.push_back(U);
    TReplayStep Resume;
    Resume.Kind = TReplayStep::TKind::Resume;
    Resume.TimeMs = 9000;
    R.Steps.push_back(Resume);
    TReplayStep Tune;
    Tune.Kind = TReplayStep::TKind::Tune;
    Tune.Car = 3;
    Tune.Command = "ai_dfc";
    Tune.Value = 0.3f; // printed so that it reads back to the same float
    R.Steps.push_back(Tune);
    U.TimeMs = 9001;
    U.Keys = 0;
    R.Steps.push_back(U);
    R.Updates = 2;
    R.RaceHash = 0xfedcba9876543210ull;
    R.EndReason = "finished";
    return R;
}

std::string Refusal(const std::string& Text) {
    try {
        ParseReplay(Text, "r.replay");
    } catch (const TFileError& Error) {
        return Error.what();
    }
    return "accepted";
}

TEST(ReplayFile, ReadsBackEverythingItWrote) {
    const TReplay A = SmallReplay();
    const TReplay B = ParseReplay(SerializeReplay(A), "r.replay");
    EXPECT_EQ(SerializeReplay(B), SerializeReplay(A));
    EXPECT_EQ(B.Level, "map2");
    EXPECT_EQ(B.MapHash, A.MapHash);
    EXPECT_EQ(B.LoadKeys, HELD_W);
    ASSERT_EQ(B.Steps.size(), 4u);
    EXPECT_EQ(B.Steps[0].Keys, HELD_W | HELD_D | HELD_SPACE);
    EXPECT_EQ(B.Steps[2].Value, 0.3f);
    EXPECT_EQ(B.RaceHash, A.RaceHash);
}

TEST(ReplayFile, RefusesDamageWithTheLineAndTheFault) {
    const std::string Good = SerializeReplay(SmallReplay());
    const auto Replaced = [&](const std::string& From, const std::string& To) {
        std::string T = Good;
        T.replace(T.find(From), From.size(), To);
        return T;
    };
    EXPECT_EQ(Refusal(Replaced("marvolin-replay 1", "marvolin-replay 2")),
              "r.replay:1: replay version 2, this game reads version 1");
    EXPECT_EQ(Refusal("hello\n"),
              "r.replay:1: not a Marvolin replay (no \"marvolin-replay 1\" line)");
    EXPECT_NE(Refusal(Replaced("\n2 9001", "\n3 9001")).find("update 3 where update 2 was due"),
              std::string::npos);
    EXPECT_NE(Refusal(Replaced("end 2", "end 5")).find("counts 5 updates, the replay holds 2"),
              std::string::npos);
    EXPECT_NE(Refusal(Replaced("WD_", "WDX")).find(":6: expected"), std::string::npos);
    EXPECT_NE(Refusal(Replaced("ai_dfc", "ai_speed")).find("ai_minturn"), std::string::npos);
    EXPECT_NE(Refusal(Replaced("car 4", "car 6")).find("model from 0 to 5"), std::string::npos);
    EXPECT_NE(Refusal(Good.substr(0, Good.find("end"))).find("cut short"), std::string::npos);
    EXPECT_NE(Refusal(Good + "1 2 -\n").find("text after the end line"), std::string::npos);
}

// The game records through its own callbacks; a fresh game then races the recording with the
// replay's times and keys and must see the same race, hash for hash.
using Recording = TGameRig;

TEST_F(Recording, ARecordedRaceWithAPauseAndARetunePlaysBackAsTheSameRace) {
    const std::string File = (Dir / "race.replay").string();
    TReplayRecorder Recording(File);
    Recorder = &Recording;
    E.SetTime(500);
    ASSERT_TRUE(Race().LoadLevel("map2"));
    for (int I = 0; I < 200; ++I) {
        E.SetKeyDown('W', I > 130);
        E.SetKeyDown('D', I > 160 && I < 175);
        Tick();
    }
    Press(VK_ESCAPE); // pause; the clock runs on behind the menu
    E.AdvanceTime(3000);
    E.SetCursor(100, 450);
    Press(VK_MOUSE_LEFT); // continue: the stuck checks restart now
    Camera->Target = &Race().Cars[2];
    Console->Execute("ai_tck 0.7");
    for (int I = 0; I < 300; ++I)
        Tick();
    EXPECT_FLOAT_EQ(static_cast<TAICar*>(Race().Cars[2])->ToCenterKoef, 0.7f);
    Recorder = nullptr;
    ASSERT_TRUE(Recording.Finish("quit"));

    const TReplay Replay = ReadReplay(File);
    EXPECT_EQ(Replay.Level, "map2");
    EXPECT_EQ(Replay.LoadTimeMs, 500);
    int Resumes = 0, Tunes = 0;
    for (const TReplayStep& S : Replay.Steps) {
        Resumes += S.Kind == TReplayStep::TKind::Resume;
        Tunes += S.Kind == TReplayStep::TKind::Tune;
    }
    EXPECT_EQ(Resumes, 1);
    EXPECT_EQ(Tunes, 1);
    EXPECT_EQ(Replay.Updates, 500); // the updates of Escape and Continue run the menu instead
    EXPECT_NO_THROW(CheckReplayMap(Replay));

    // A new race driven by the replay alone.
    ASSERT_TRUE(Race().LoadLevel("map1")); // another race first: the replay must set it all
    E.ReleaseAllKeys();
    E.SetTime(Replay.LoadTimeMs);
    ASSERT_TRUE(Race().LoadLevel(Replay.Level));
    TRaceTrace Trace;
    Trace.AddUpdate(0, Race());
    TReplayCursor Cursor(Replay);
    int32_t TimeMs = 0;
    uint8_t Keys = 0;
    while (Cursor.NextUpdate(*GameManager, TimeMs, Keys)) {
        E.SetTime(TimeMs);
        E.ReleaseAllKeys();
        for (uint8_t Bit = 1; Bit & HELD_KEYS_ALL; Bit = uint8_t(Bit << 1))
            if (Keys & Bit) E.SetKeyDown(KeyOfHeld(Bit), true);
        UpdateRace();
        Trace.AddUpdate(Cursor.UpdatesRun(), Race());
    }
    EXPECT_EQ(Trace.Hash(), Replay.RaceHash);
}

} // namespace
