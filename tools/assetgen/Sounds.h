#pragma once
#include "Dsp.h"

#include <array>
#include <string>

namespace assetgen {

// The engine's fundamental. The game raises it with the source pitch as the ship speeds up.
constexpr int kEngineHz = 110;
// The chime's first note (C6); its second note is a fifth above.
constexpr double kChimeHz = 1046.5;
// Where every sound's loudest sample sits.
constexpr double kPeakDbfs = -3.0;

// Exactly one second, every partial on a whole number of cycles, so the game can loop it.
Samples engineLoop();
// A quarter turn of the ship: a short soft whoosh.
Samples turnWhoosh();
// A piece of junk collected: a bright two-note chime.
Samples chime();
// Into a meteor: a heavy thump with a burst of rubble.
Samples crashMeteor();
// Into the ship's own trail: an electric zap and crackle.
Samples crashTrail();
// A menu key.
Samples click();

struct SoundRecipe {
    const char* file;
    Samples (*make)();
};
// Every sound under the file name the game loads it by, in Assets/Sounds.
const std::array<SoundRecipe, 6>& soundRecipes();

// Writes every sound as a 16-bit mono WAV into `assets`/Sounds, which already exists.
void makeSounds(const std::string& assets);

} // namespace assetgen
