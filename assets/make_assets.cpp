// Writes the textures and models the network draws into a build tree laid out like an
// installed host: <root>/model/... and the pit textures in <root>, beside <root>/bin.

#include "assets/AssetCatalog.h"

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    // No option is known but --help: anything else starting with '-' is refused, not
    // taken for a folder to write into.
    const bool help = argc == 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"));
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(help ? stdout : stderr,
                     "usage: %s ROOT\n  writes ROOT/model/... and the pit textures into ROOT\n", argv[0]);
        return help ? 0 : 2;
    }
    const std::vector<std::string> failed = writeAssets(argv[1]);
    for (const std::string& path : failed)
        std::fprintf(stderr, "pn_make_assets: cannot write %s/%s\n", argv[1], path.c_str());
    return failed.empty() ? 0 : 1;
}
