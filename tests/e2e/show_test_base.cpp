// The show tests' shared fixture (see show_test_base.h).
#include "show_test_base.h"

namespace e2e {

std::string ShowTest::WriteAnimation(const Bytes& gif, const std::string& name) {
    std::string path = OutputPath(name);
    if (!WriteFileBytes(path, std::string(gif.begin(), gif.end())))
        ADD_FAILURE() << "cannot write " << path;
    return path;
}

std::string ShowTest::WriteMessage(int repeats) {
    std::string path = OutputPath("message.emf");
    std::remove(path.c_str());
    WineProcess* maker = Start(Probe(), {"emf", WindowsPath(path), std::to_string(repeats)});
    if (!Ends(maker, 20000) || maker->exitCode != 0 || !FileExists(path))
        ADD_FAILURE() << "e2e_probe.exe could not write the test message " << path;
    return path;
}

WineProcess* ShowTest::StartShow(const ShowPackage& package) {
    std::string show = OutputPath("show.exe");
    std::string error;
    if (!PackShow(Player(), package, show, &error)) {
        ADD_FAILURE() << "tackon: " << error;
        return nullptr;
    }
    return Start(show);
}

bool ShowTest::WaitForWindowAt(int x, int y, int width, int height, int timeoutMs) {
    ::testing::AssertionResult found =
        Within(timeoutMs, "a " + std::to_string(width) + "x" + std::to_string(height) +
                              " window at " + std::to_string(x) + "," + std::to_string(y),
               [&] { return FindWindowsByRect(x, y, width, height).size() == 1; });
    if (!found) ADD_FAILURE() << found.message();
    return bool(found);
}

::testing::AssertionResult ShowTest::ScreenShows(int x, int y, const ModelImage& expected,
                                                 int timeoutMs) {
    // On a failure the closest picture seen during the wait is described.
    ModelImage closest;
    int fewest = -1;
    bool same = WaitUntil(
        [&] {
            ModelImage seen = ScreenPiece(x, y, expected.width, expected.height);
            int differences = CountDifferences(seen, expected);
            if (fewest < 0 || (differences >= 0 && differences < fewest)) {
                fewest = differences;
                closest = seen;
            }
            return differences == 0;
        },
        timeoutMs, 5);
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the screen at " << x << "," << y << " does not show the expected picture within "
           << timeoutMs << " ms; the closest picture seen: "
           << DescribeFirstDifference(closest, expected);
}

}  // namespace e2e
