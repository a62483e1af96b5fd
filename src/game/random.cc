// The game's random source: a 15-bit generator seeded once at start-up, of which the scene
// order draws one fair coin at a time.
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "game/game.h"

static uint32_t randomState = 1;  // the generator's default start, when never seeded
static std::string forcedCoins;   // results a tool has fixed for the next draws

static int32_t nextRandom() {
  randomState = randomState * 214013u + 2531011u;
  return static_cast<int32_t>((randomState >> 16) & 0x7fff);
}

void setRandomSeed(uint32_t seed) {
  randomState = seed;
}

void forceCoins(const char* bits) {
  forcedCoins = bits;
}

int randomCoin() {
  if (!forcedCoins.empty()) {
    int coin = forcedCoins.front() == '1' ? 1 : 0;
    forcedCoins.erase(0, 1);
    return coin;
  }
  return nextRandom() * (1.0 / 32767) > 0.5 ? 1 : 0;
}

void seedRandomFrom(uint32_t seed) {
  setRandomSeed(seed);
  // Five draws feed a diagnostic nobody reads; they are drawn all the same, so the scene order
  // after a given seed stays what it always was.
  for (int i = 0; i < 5; ++i) nextRandom();
}

void seedRandom() {
  std::time_t now = std::time(nullptr);
  std::tm local;
  if (localtime_r(&now, &local)) seedRandomFrom(static_cast<uint32_t>(local.tm_sec));
}
