// assetgen: writes every generated model, texture, shader and sound of the game, and its
// icon. Same input, same bytes: fixed seeds, an own random generator and fixed number
// formatting.
#include "Models.h"
#include "ShaderSources.h"
#include "Sounds.h"

#include <FreeImage.h>

#include <cstdio>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <Assets folder> <icon folder>\n", argv[0]);
        return 2;
    }
    const std::string assets = argv[1];
    const std::string icons = argv[2];
    for (const char* sub : {"Models/StarSphere", "Models/SpaceCube", "Models/spaceship",
                            "Models/Meteor", "Models/SpaceJunk", "Images", "Sounds"}) {
        std::error_code ec;
        std::filesystem::create_directories(assets + "/" + sub, ec);
        if (ec) {
            std::fprintf(stderr, "assetgen: cannot create %s/%s: %s\n", assets.c_str(), sub,
                         ec.message().c_str());
            return 1;
        }
    }
    std::string problem;
    if (!assetgen::writeShaders(ASSETGEN_SHADER_SOURCES, assets + "/Shader", problem)) {
        std::fprintf(stderr, "assetgen: %s\n", problem.c_str());
        return 1;
    }
    FreeImage_Initialise(FALSE);
    assetgen::makeStarSphere(assets);
    assetgen::makeSpaceCube(assets);
    assetgen::makeSpaceship(assets);
    assetgen::makeCockpit(assets);
    assetgen::makeMeteor(assets);
    assetgen::makeOilDrum(assets);
    assetgen::makeSlab(assets);
    assetgen::makeSatellite(assets);
    assetgen::makeGround(assets);
    assetgen::makeParticle(assets);
    assetgen::makeSounds(assets);
    assetgen::makeIcons(icons);
    FreeImage_DeInitialise();
    return 0;
}
