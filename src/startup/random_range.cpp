// RandomInRange: the one random draw of the player, used to resolve random placements.
// The generator is seeded once per run by LoadPackage.
#include <cstdlib>

int RandomInRange(int lo, int hi) {
    return lo + std::rand() % (hi - lo + 1);
}
