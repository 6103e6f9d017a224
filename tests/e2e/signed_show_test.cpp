// Signed shows: a throwaway CA and code-signing certificate made with openssl, a show
// signed by tackon --sign and checked with osslsigncode verify, and signed shows played by
// the real player with their first frame checked pixel for pixel, including one signed by
// osslsigncode itself without tackon's padding. Signing that fails leaves no file behind.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "package/package_layout.h"
#include "package/trailer_location.h"
#include "show_test_base.h"
#include "tackon.h"

namespace e2e {
namespace {

constexpr char kPassword[] = "throwaway-Pa55";
constexpr char kPasswordVariable[] = "REELBOX_TEST_SIGN_PASSWORD";
constexpr int kWidth = 160, kHeight = 120;
constexpr int kCentreX = (kScreenWidth - kWidth) / 2, kCentreY = (kScreenHeight - kHeight) / 2;

struct ToolRun {
    int status;
    std::string out, err;
};

ToolRun TackonInProcess(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int status = RunTackon(args, out, err);
    return {status, out.str(), err.str()};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class SignedShowTest : public ShowTest {
protected:
    void SetUp() override {
        ShowTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        gif_ = MakeAnimation(kWidth, kHeight, {MakeFrame(0, 0, kWidth, kHeight, 0, 0, 0, [](int x, int y) {
                                 return (x / 8 + y / 8) % 2 ? 0 : 150;
                             })});
        animation_ = WriteAnimation(gif_);
        static bool made = false;
        if (!made) {
            ASSERT_NO_FATAL_FAILURE(MakeCertificates());
            made = true;
        }
        setenv(kPasswordVariable, kPassword, 1);
    }

    // The suite's certificates lie beside the tests' own folders.
    std::string Certificates(const std::string& name) const { return OutputPath("../signing-certificates/" + name); }

    // A CA, and a code-signing certificate it issued, as PEM files and a PKCS#12 file.
    void MakeCertificates() {
        const std::string folder = Certificates("");
        const std::string log = OutputPath("openssl.log");
        ASSERT_EQ(0, std::system(("mkdir -p '" + folder + "'").c_str()));
        WriteFileBytes(Certificates("signer.ext"), "basicConstraints=CA:FALSE\nextendedKeyUsage=codeSigning\n");
        WriteFileBytes(Certificates("password.txt"), std::string(kPassword) + "\n");
        const std::string key = "-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
        const std::string commands =
            "openssl req -x509 " + key + " -keyout ca.key -out ca.pem -days 2 "
            "-subj '/CN=Reelbox Test CA' -addext basicConstraints=critical,CA:TRUE "
            "-addext keyUsage=critical,keyCertSign && "
            "openssl req " + key + " -keyout signer.key -out signer.csr -subj '/CN=Reelbox Test Signer' && "
            "openssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 "
            "-extfile signer.ext -out signer.pem && "
            "openssl pkcs12 -export -inkey signer.key -in signer.pem -certfile ca.pem -out signer.p12 "
            "-passout file:password.txt";
        ASSERT_EQ(0, std::system(("cd '" + folder + "' && (" + commands + ") >'" + log + "' 2>&1").c_str()))
            << Log(log);
    }

    static std::string Log(const std::string& path) {
        std::string text;
        ReadFileBytes(path, &text);
        return text;
    }

    // osslsigncode's exit status; its words go to the test's log file.
    int Osslsigncode(const std::string& arguments) {
        const std::string log = OutputPath("osslsigncode.log");
        const int status = std::system(("osslsigncode " + arguments + " >'" + log + "' 2>&1").c_str());
        std::printf("osslsigncode %s: status %d\n", arguments.c_str(), status);
        return status;
    }

    std::vector<std::string> PackArgs(const std::string& output) {
        return {"--player", Player(), "--animation", animation_, "--start", "0", "--end", "0", "-o", output};
    }

    std::vector<std::string> FolderNames() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(OutputPath("")))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Plays the show and checks its first frame at the centre cell; Escape ends it.
    void ExpectPlays(const std::string& show) {
        WineProcess* player = Start(show);
        ASSERT_TRUE(WaitForWindowAt(kCentreX, kCentreY, kWidth, kHeight, 15000));
        EXPECT_TRUE(ScreenShows(kCentreX, kCentreY,
                                ModelFrames(gif_, DesktopPiece(kCentreX, kCentreY, kWidth, kHeight))[0], 3000));
        EXPECT_TRUE(FindWindowsByTitle("Tip").empty());
        ASSERT_TRUE(PressKey("Escape"));
        ASSERT_TRUE(Ends(player, 10000));
        EXPECT_EQ(player->exitCode, 0);
        EXPECT_TRUE(ListTempFolder().empty()) << DescribeTempFiles(ListTempFolder());
    }

    Bytes gif_;
    std::string animation_;
};

TEST_F(SignedShowTest, ShowSignedByTackonVerifiesPlaysAndFailsVerificationOnceChanged) {
    const std::string show = OutputPath("signed.exe");
    std::vector<std::string> args = PackArgs(show);
    args.insert(args.end(), {"--sign", "--sign-pkcs12", Certificates("signer.p12"), "--sign-password-env",
                             kPasswordVariable});
    std::remove(show.c_str());
    const std::vector<std::string> before = FolderNames();
    ToolRun packed = TackonInProcess(args);
    ASSERT_EQ(0, packed.status) << packed.err;
    EXPECT_TRUE(Contains(packed.out, "code signature: signed by CN=Reelbox Test Signer; its SHA256 digest "
                                     "covers the whole file")) << packed.out;
    std::vector<std::string> expected = before;
    expected.push_back("signed.exe");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, FolderNames()) << "signing leaves only the show";
    ASSERT_EQ(0, Osslsigncode("verify -CAfile '" + Certificates("ca.pem") + "' -in '" + show + "'"))
        << Log(OutputPath("osslsigncode.log"));

    ExpectPlays(show);

    // One byte of the animation changed: a colour of its table, so the show still plays.
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(show, &bytes));
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const TrailerLocation location = LocateTrailer(data, bytes.size());
    ASSERT_EQ(kTrailerBeforeCertificates, location.place);
    PackageTrailerRecord trailer;
    DecodeTrailer(data + location.packageEnd - kTrailerSize, &trailer);
    PackagePayloads payloads;
    ASSERT_EQ(kPackageAccepted, LocatePayloads(location.packageEnd, trailer, &payloads));
    bytes[size_t(payloads.animation.offset) + 13 + 3 * 200] ^= 0x01;
    const std::string changed = OutputPath("changed.exe");
    ASSERT_TRUE(WriteFileBytes(changed, bytes));
    EXPECT_NE(0, Osslsigncode("verify -CAfile '" + Certificates("ca.pem") + "' -in '" + changed + "'"));
    ToolRun check = TackonInProcess({"--check", changed});
    EXPECT_EQ(0, check.status) << check.out;
    EXPECT_TRUE(Contains(check.out, "warning: code signature: signed by CN=Reelbox Test Signer, but the file does "
                                    "not match its SHA256 digest")) << check.out;

    // Packing the signed show again drops its signature: the new show is plainly unsigned.
    const std::string repacked = OutputPath("repacked.exe");
    ToolRun again = TackonInProcess({"--player", show, "--replace", "--animation", animation_, "-o", repacked});
    ASSERT_EQ(0, again.status) << again.err;
    ToolRun info = TackonInProcess({"--info", repacked});
    EXPECT_EQ(0, info.status) << info.out;
    EXPECT_TRUE(Contains(info.out, "code signature: none")) << info.out;
}

TEST_F(SignedShowTest, ShowSignedByOsslsigncodeWithoutTackonsPaddingPlays) {
    const std::string plain = OutputPath("plain.exe");
    ToolRun packed = TackonInProcess(PackArgs(plain));
    ASSERT_EQ(0, packed.status) << packed.err;
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(plain, &bytes));
    ASSERT_EQ(0u, bytes.size() % 8);
    // Three more bytes at the end of the player block: a show of a length the signer pads.
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    PackageTrailerRecord trailer;
    DecodeTrailer(data + bytes.size() - kTrailerSize, &trailer);
    PackagePayloads payloads;
    ASSERT_EQ(kPackageAccepted, LocatePayloads(bytes.size(), trailer, &payloads));
    bytes.insert(size_t(payloads.animation.offset), "\x55\x55\x55");
    const std::string unpadded = OutputPath("unpadded.exe");
    ASSERT_TRUE(WriteFileBytes(unpadded, bytes));

    const std::string show = OutputPath("signed-by-osslsigncode.exe");
    std::remove(show.c_str());
    ASSERT_EQ(0, Osslsigncode("sign -pkcs12 '" + Certificates("signer.p12") + "' -readpass '" +
                              Certificates("password.txt") + "' -in '" + unpadded + "' -out '" + show + "'"))
        << Log(OutputPath("osslsigncode.log"));
    std::string signedBytes;
    ASSERT_TRUE(ReadFileBytes(show, &signedBytes));
    SecurityDirectory directory;
    ASSERT_TRUE(ReadSecurityDirectory(reinterpret_cast<const uint8_t*>(signedBytes.data()), signedBytes.size(),
                                      &directory));
    EXPECT_EQ(bytes.size() + 5, directory.tableOffset) << "osslsigncode pads to a multiple of 8";
    ToolRun info = TackonInProcess({"--info", show});
    EXPECT_EQ(0, info.status) << info.out;
    EXPECT_TRUE(Contains(info.out, "digest covers the whole file")) << info.out;

    ExpectPlays(show);
}

TEST_F(SignedShowTest, FailedSigningLeavesNoFileBehind) {
    const std::string show = OutputPath("never.exe");
    std::remove(show.c_str());
    std::vector<std::string> args = PackArgs(show);
    args.insert(args.end(), {"--sign", "--sign-pkcs12", Certificates("signer.p12"), "--sign-password-env",
                             kPasswordVariable});
    const std::vector<std::string> before = FolderNames();

    setenv(kPasswordVariable, "wrong", 1);
    ToolRun wrong = TackonInProcess(args);
    EXPECT_EQ(1, wrong.status);
    EXPECT_TRUE(Contains(wrong.err, "osslsigncode could not sign the show")) << wrong.err;
    EXPECT_EQ(before, FolderNames());

    setenv(kPasswordVariable, kPassword, 1);
    const std::string path = std::getenv("PATH");
    setenv("PATH", OutputPath("").c_str(), 1);
    ToolRun missing = TackonInProcess(args);
    setenv("PATH", path.c_str(), 1);
    EXPECT_EQ(1, missing.status);
    EXPECT_TRUE(Contains(missing.err, "osslsigncode was not found on the PATH")) << missing.err;
    EXPECT_EQ(before, FolderNames());
}

}  // namespace
}  // namespace e2e
