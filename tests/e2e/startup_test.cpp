// Start-up of the real player under Wine: the bare player's missing-package box, one show
// at a time, the copies a killed show left and those of a show the session's end finds
// playing, and the refusal of malformed packages, each with its exit code and the temporary
// folder checked. A well-formed package made the same way plays, so the refusals come from
// the damage and nothing else.
#include <sys/xattr.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "e2e_harness.h"
#include "gif_writer.h"
#include "bytes/little_endian.h"
#include "package/package_layout.h"
#include "package/trailer_location.h"
#include "present/window_classes.h"

namespace e2e {
namespace {

const char kMissingPackageText[] =
    "The executable file needs some additional information. You can append the necessary "
    "informations to the back of the executable file through the tackon.exe or tn.exe "
    "enclosed with it. Try again!";

constexpr int kStartTimeoutMs = 10000;
constexpr int kEndTimeoutMs = 5000;

// A w x h GIF89a of two colours with a filled rectangle.
std::string MakeGif(int width, int height) {
    Bytes gif;
    PutHeader(&gif, width, height, true, 0);
    ImageSpec image;
    image.width = width;
    image.height = height;
    image.minimumCodeSize = 2;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.pixels.push_back(x >= width / 4 && x < width * 3 / 4 && y >= height / 4 &&
                                   y < height * 3 / 4);
    PutImage(&gif, image);
    gif.push_back(';');
    return std::string(gif.begin(), gif.end());
}

class StartupTest : public E2eTest {
protected:
    // Packs the player with a 64 x 48 animation (both cells centre) through tackon, with
    // more of tackon's options.
    std::string PackShow(const std::string& name, std::string* gif,
                         std::vector<std::string> options = {}) {
        *gif = MakeGif(64, 48);
        std::string gifPath = OutputPath("animation.gif");
        std::string show = OutputPath(name);
        EXPECT_TRUE(WriteFileBytes(gifPath, *gif));
        std::remove(show.c_str());
        for (const std::string& more : {std::string("--animation"), gifPath, std::string("--start"),
                                        std::string("centre"), std::string("--end"),
                                        std::string("centre"), std::string("-o"), show})
            options.push_back(more);
        EXPECT_TRUE(Tackon(options));
        return show;
    }

    // Waits for exactly one "Tip" box of the player and checks its text and its one button,
    // that it stays until answered and that nothing is in the temporary folder meanwhile;
    // then closes it with Return and checks the exit code and the empty folder.
    void ExpectTipThenCleanExit(WineProcess* player) {
        ASSERT_TRUE(Within(kStartTimeoutMs, "the Tip box",
                           [] { return !FindWindowsByTitle("Tip").empty(); }));
        unsigned long box = FindWindowsByTitle("Tip")[0].id;
        ASSERT_TRUE(Within(kEndTimeoutMs, "the Tip box to take the focus",
                           [box] { return FocusedWindow() == box; }));
        EXPECT_EQ(BoxContents("Tip"),
                  std::string("text=") + kMissingPackageText + "\nbuttons=OK\n");
        EXPECT_EQ(FindWindowsByTitle("Tip").size(), 1u) << DescribeWindows(ListTopWindows());
        EXPECT_FALSE(PollExit(player)) << "the player ended before the box was answered";
        EXPECT_TRUE(ListTempFolder().empty())
            << "while the box shows:" << DescribeTempFiles(ListTempFolder());

        ASSERT_TRUE(PressKey("Return"));
        ASSERT_TRUE(Ends(player, kEndTimeoutMs));
        EXPECT_EQ(player->exitCode, 0);
        EXPECT_TRUE(FindWindowsByTitle("Tip").empty());
        EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
    }

    // The same show with a colour message and a tone of seconds, so that all three kinds
    // of copy are in the temporary folder while it plays and the sound file is held open.
    std::string PackShowWithMessageAndSound(std::string* gif) {
        std::string tone = OutputPath("tone.wav");
        std::string sox = "sox -n -r 22050 -c 1 -b 16 '" + tone + "' synth 8 sine 440 vol 0.1";
        EXPECT_EQ(std::system(sox.c_str()), 0) << sox;
        return PackShow("show.exe", gif, {"--message-colour", "#2060A0", "--sound", tone});
    }

    // Waits for the show's 64 x 48 window and for its three copies in the temporary folder.
    ::testing::AssertionResult PlaysWithItsCopies() {
        ::testing::AssertionResult shown = Within(kStartTimeoutMs, "the show's window", [] {
            return !FindWindowsBySize(64, 48).empty();
        });
        if (!shown) return shown;
        return Within(kEndTimeoutMs, "the show's three copies", [] {
            return TempNames() == std::vector<std::string>{"Tempani0.gif", "Tempmsg0.emf",
                                                           "Tempsnd0.wav"};
        });
    }

    static std::vector<TopWindow> FindWindowsBySize(int width, int height) {
        std::vector<TopWindow> found;
        for (const TopWindow& w : ListTopWindows())
            if (w.width == width && w.height == height) found.push_back(w);
        return found;
    }

    static std::vector<std::string> TempNames() {
        std::vector<std::string> names;
        for (const TempFile& file : ListTempFolder()) names.push_back(file.name);
        return names;
    }

    // Puts a file into the temporary folder, hidden the way Wine records it or not.
    static void PutTempFile(const std::string& name, bool hidden) {
        std::string path = Env().wineTemp + "/" + name;
        ASSERT_TRUE(WriteFileBytes(path, "GIF89a not from a show"));
        if (hidden) {
            ASSERT_EQ(setxattr(path.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0) << path;
        }
    }

    // Ends the show by Escape on its window: exit code 0 and the folder as `left`.
    void EscapeEnds(WineProcess* show, const std::vector<std::string>& left) {
        std::vector<TopWindow> windows = FindWindowsBySize(64, 48);
        ASSERT_EQ(windows.size(), 1u) << DescribeWindows(ListTopWindows());
        unsigned long window = windows[0].id;
        ASSERT_TRUE(Within(kEndTimeoutMs, "the show's window to take the focus",
                           [window] { return FocusedWindow() == window; }));
        ASSERT_TRUE(PressKey("Escape"));
        ASSERT_TRUE(Ends(show, kEndTimeoutMs));
        EXPECT_EQ(show->exitCode, 0);
        EXPECT_EQ(TempNames(), left) << DescribeTempFiles(ListTempFolder());
    }
};

TEST_F(StartupTest, BarePlayerShowsTheMissingPackageBoxAndEndsWithZero) {
    WineProcess* player = Start(Player());
    ExpectTipThenCleanExit(player);
}

// One show at a time: of two shows started together exactly one plays, and while it plays
// a show or the bare player started again ends at once, silently and without a window. A
// window of another program whose class has the name earlier players used is no show.
TEST_F(StartupTest, OfShowsStartedTogetherOnePlaysAndAForeignWindowDoesNotCount) {
    std::string gif;
    std::string show = PackShow("show.exe", &gif);
    std::string ready = OutputPath("ready");
    std::remove(ready.c_str());
    WineProcess* foreign = Start(Probe(), {"class-window", "AnimationClass", "show", WindowsPath(ready)});
    ASSERT_TRUE(Within(kStartTimeoutMs, "the foreign window", [&] { return FileExists(ready); }));

    WineProcess* shows[2] = {Start(show), Start(show)};
    bool together = WaitUntil(
        [&] {
            return PollExit(shows[0]) != PollExit(shows[1]) && !FindWindowsBySize(64, 48).empty();
        },
        kStartTimeoutMs);
    ASSERT_TRUE(together) << "not exactly one of the two shows ended with one window on the screen: "
                          << (shows[0]->ended ? "the first ended, " : "the first runs, ")
                          << (shows[1]->ended ? "the second ended" : "the second runs")
                          << "; windows:" << DescribeWindows(ListTopWindows());
    WineProcess* playing = shows[0]->ended ? shows[1] : shows[0];
    WineProcess* refused = shows[0]->ended ? shows[0] : shows[1];
    EXPECT_EQ(refused->exitCode, 0);
    EXPECT_EQ(FindWindowsBySize(64, 48).size(), 1u) << DescribeWindows(ListTopWindows());
    EXPECT_EQ(TempNames(), std::vector<std::string>{"Tempani0.gif"})
        << DescribeTempFiles(ListTempFolder());

    std::vector<TopWindow> before = ListTopWindows();
    for (const std::string& exe : {Player(), show}) {
        SCOPED_TRACE(exe);
        WineProcess* second = Start(exe);
        std::vector<TopWindow> appeared;
        bool ended = WaitUntil(
            [&] {
                for (const TopWindow& w : ListTopWindows()) {
                    bool known = false;
                    for (const TopWindow& b : before) known = known || b.id == w.id;
                    for (const TopWindow& a : appeared) known = known || a.id == w.id;
                    if (!known) appeared.push_back(w);
                }
                return PollExit(second);
            },
            kEndTimeoutMs);
        ASSERT_TRUE(ended) << exe << " did not end within " << kEndTimeoutMs
                           << " ms; windows:" << DescribeWindows(ListTopWindows());
        EXPECT_EQ(second->exitCode, 0);
        EXPECT_TRUE(appeared.empty()) << "windows appeared:" << DescribeWindows(appeared);
        std::printf("second start of %s ended after %lld ms\n", exe.c_str(),
                    static_cast<long long>(second->endedMs - second->startedMs));
    }
    EXPECT_FALSE(PollExit(playing)) << "the first show must stay";
    EscapeEnds(playing, {});
    EXPECT_FALSE(PollExit(foreign));
}

// A killed show leaves its hidden copies behind; the next show removes them before it takes
// its own names, and leaves alone whatever is not exactly such a copy.
TEST_F(StartupTest, NextShowRemovesTheCopiesAKilledShowLeftAndNothingElse) {
    std::string gif;
    std::string show = PackShowWithMessageAndSound(&gif);
    WineProcess* killed = Start(show);
    ASSERT_TRUE(PlaysWithItsCopies());
    KillProcess(killed);
    // Copies of the other kinds and numbers, as earlier shows could have left them.
    for (const char* stale : {"Templogo3.gif", "Tempsnd12.mid", "Tempmsg7.emf"})
        PutTempFile(stale, true);
    // Names a show never writes, or files that are not hidden: someone else's.
    std::vector<std::string> foreign = {"Temp0.gif", "TempANI1.gif", "Tempani.gif",
                                        "Tempani2.gif.bak", "Tempani4.gif", "Tempmsg1.gif",
                                        "Tempsnd1.emf", "Tempx1.gif"};
    for (const std::string& name : foreign) PutTempFile(name, name != "Tempani4.gif");

    WineProcess* next = Start(show);
    std::vector<std::string> expected = foreign;
    expected.insert(expected.end(), {"Tempani0.gif", "Tempmsg0.emf", "Tempsnd0.wav"});
    std::sort(expected.begin(), expected.end());
    ASSERT_TRUE(Within(kStartTimeoutMs, "the show's window", [] {
        return !FindWindowsBySize(64, 48).empty();
    }));
    EXPECT_EQ(TempNames(), expected) << DescribeTempFiles(ListTempFolder());
    std::vector<TempFile> files = ListTempFolder();
    auto copy = std::find_if(files.begin(), files.end(),
                             [](const TempFile& f) { return f.name == "Tempani0.gif"; });
    ASSERT_NE(copy, files.end());
    EXPECT_TRUE(copy->hidden && copy->contents == gif) << "the show's animation copy";

    std::sort(foreign.begin(), foreign.end());
    EscapeEnds(next, foreign);
}

// At the end of the session every top-level window of the show is asked and none refuses;
// once the end is confirmed the copies are gone before the system may end the process,
// the sound's included although the show was playing it.
TEST_F(StartupTest, EndOfTheSessionRemovesTheCopiesOfARunningShow) {
    std::string gif;
    std::string show = PackShowWithMessageAndSound(&gif);
    WineProcess* player = Start(show);
    ASSERT_TRUE(PlaysWithItsCopies());

    WineProcess* session = Start(Probe(), {"end-session", kAnimationClass});
    ASSERT_TRUE(Ends(session, kEndTimeoutMs));
    EXPECT_EQ(session->exitCode, 0) << "1: a window refused the end of the session, 3: none found";
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
    EXPECT_FALSE(PollExit(player)) << "the show ended by itself; the system ends it after the messages";
}

// Control for the malformed packages below: the same package undamaged plays. While it
// shows, its animation is in the temporary folder as a hidden, byte-identical file; Escape
// ends the show, the file is gone and the exit code is 0.
TEST_F(StartupTest, WellFormedPackagePlaysAndLeavesNoFile) {
    std::string gif;
    std::string show = PackShow("show.exe", &gif);
    WineProcess* player = Start(show);
    ASSERT_TRUE(Within(kStartTimeoutMs, "a 64x48 window of the show", [] {
        for (const TopWindow& w : ListTopWindows())
            if (w.width == 64 && w.height == 48) return true;
        return false;
    }));
    EXPECT_TRUE(FindWindowsByTitle("Tip").empty());
    std::vector<TempFile> files = ListTempFolder();
    ASSERT_EQ(files.size(), 1u) << DescribeTempFiles(files);
    EXPECT_EQ(files[0].name, "Tempani0.gif");
    EXPECT_TRUE(files[0].hidden) << DescribeTempFiles(files);
    EXPECT_TRUE(files[0].contents == gif) << "the extracted animation differs from the packed one";

    unsigned long window = 0;
    for (const TopWindow& w : ListTopWindows())
        if (w.width == 64 && w.height == 48) window = w.id;
    ASSERT_TRUE(Within(kEndTimeoutMs, "the show's window to take the focus",
                       [window] { return FocusedWindow() == window; }));
    ASSERT_TRUE(PressKey("Escape"));
    ASSERT_TRUE(Ends(player, kEndTimeoutMs));
    EXPECT_EQ(player->exitCode, 0);
    EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
}

struct Damage {
    const char* name;
    void (*apply)(std::string* package);
};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

PackageTrailerRecord ReadTrailer(const std::string& package) {
    PackageTrailerRecord trailer;
    DecodeTrailer(reinterpret_cast<const uint8_t*>(package.data()) + package.size() -
                      kTrailerSize,
                  &trailer);
    return trailer;
}

void WriteTrailer(std::string* package, const PackageTrailerRecord& trailer) {
    uint8_t bytes[kTrailerSize];
    EncodeTrailer(trailer, bytes);
    package->replace(package->size() - kTrailerSize, kTrailerSize,
                     reinterpret_cast<const char*>(bytes), kTrailerSize);
}

void EditTrailer(std::string* package, void (*edit)(PackageTrailerRecord*, uint64_t)) {
    PackageTrailerRecord trailer = ReadTrailer(*package);
    edit(&trailer, package->size());
    WriteTrailer(package, trailer);
}

const Damage kDamages[] = {
    {"TruncatedByOneByte", [](std::string* p) { p->resize(p->size() - 1); }},
    {"TruncatedInsideTheTrailer", [](std::string* p) { p->resize(p->size() - 100); }},
    {"TrailerAndAnimationCutOff",
     [](std::string* p) { p->resize(p->size() - kTrailerSize - 60); }},
    {"LowerCaseSignature",
     [](std::string* p) {
         EditTrailer(p, [](PackageTrailerRecord* t, uint64_t) { t->signature[0] = 'k'; });
     }},
    {"OtherSignature",
     [](std::string* p) {
         EditTrailer(p, [](PackageTrailerRecord* t, uint64_t) { std::memcpy(t->signature, "MZP", 3); });
     }},
    {"AnimationSizeReachesBeforeTheFile",
     [](std::string* p) {
         EditTrailer(p, [](PackageTrailerRecord* t, uint64_t size) {
             t->animation.size = uint32_t(size);
         });
     }},
    {"AnimationSizeWrapsThirtyTwoBits",
     [](std::string* p) {
         EditTrailer(p, [](PackageTrailerRecord* t, uint64_t) { t->animation.size = 0xFFFFFFFFu; });
     }},
    {"MessageSizesOverflowTogether",
     [](std::string* p) {
         EditTrailer(p, [](PackageTrailerRecord* t, uint64_t) {
             t->message.present = 1;
             t->message.size = 0x80000000u;
             t->logo.present = 1;
             t->logo.size = 0x80000000u;
         });
     }},
    {"CaptionLengthPastTheFile",
     [](std::string* p) {
         EditTrailer(p, [](PackageTrailerRecord* t, uint64_t size) {
             t->captionLength = uint32_t(size);
         });
     }},
    {"AnimationAbsent",
     [](std::string* p) {
         EditTrailer(p, [](PackageTrailerRecord* t, uint64_t) { t->animation.present = 0; });
     }},
    // Signed in appearance: bytes after the trailer, and a security directory whose
    // certificate table lies past the end of the file.
    {"SecurityDirectoryPointsPastTheEnd",
     [](std::string* p) {
         p->append(16, '\0');
         SecurityDirectory directory;
         if (!ReadSecurityDirectory(reinterpret_cast<const uint8_t*>(p->data()), p->size(), &directory)) {
             ADD_FAILURE() << "the player has no security directory";
             return;
         }
         uint8_t* entry = reinterpret_cast<uint8_t*>(&(*p)[directory.entryOffset]);
         WriteLe32(entry, uint32_t(p->size() + 4096));
         WriteLe32(entry + 4, 16);
     }},
};

class MalformedPackageTest : public StartupTest,
                             public ::testing::WithParamInterface<Damage> {};

TEST_P(MalformedPackageTest, ShowsTheMissingPackageBoxAndLeavesNoFile) {
    std::string gif;
    std::string show = PackShow("show.exe", &gif);
    std::string package;
    ASSERT_TRUE(ReadFileBytes(show, &package));
    ASSERT_GT(package.size(), size_t(kTrailerSize) + 200);
    GetParam().apply(&package);
    std::string damaged = OutputPath("damaged.exe");
    ASSERT_TRUE(WriteFileBytes(damaged, package));

    WineProcess* player = Start(damaged);
    ExpectTipThenCleanExit(player);
}

INSTANTIATE_TEST_SUITE_P(Damages, MalformedPackageTest, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace e2e
