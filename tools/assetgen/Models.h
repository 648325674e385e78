#pragma once
#include <string>

namespace assetgen {

// Each writes its model, material library and texture below `assets` (the game's
// Assets folder), whose subfolders already exist.
void makeStarSphere(const std::string& assets);
void makeSpaceCube(const std::string& assets);
void makeSpaceship(const std::string& assets);
void makeCockpit(const std::string& assets);
void makeMeteor(const std::string& assets);
void makeOilDrum(const std::string& assets);
void makeSlab(const std::string& assets);
void makeSatellite(const std::string& assets);
void makeGround(const std::string& assets);
void makeParticle(const std::string& assets);

// The application icon in every size the menu asks for, as PNG files laid out like an
// icon theme: `themeDir`/<n>x<n>/apps/drifthold.png.
void makeIcons(const std::string& themeDir);

} // namespace assetgen
