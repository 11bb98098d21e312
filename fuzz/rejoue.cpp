// Replays fuzz inputs through a fuzz target without libFuzzer: every file named on the
// command line, or every file of every folder named there. Used by the ordinary tests so
// that each input that once broke something stays fixed.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {
int Rejoue(const std::filesystem::path& fichier) {
    std::ifstream in(fichier, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", fichier.c_str());
        return 1;
    }
    std::vector<uint8_t> octets((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(octets.data(), octets.size());
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    int rejoues = 0, erreurs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path chemin(argv[i]);
        if (std::filesystem::is_directory(chemin)) {
            for (const auto& f : std::filesystem::directory_iterator(chemin))
                if (f.is_regular_file()) {
                    erreurs += Rejoue(f.path());
                    ++rejoues;
                }
        } else if (std::filesystem::exists(chemin)) {
            erreurs += Rejoue(chemin);
            ++rejoues;
        }
    }
    std::printf("%d inputs replayed\n", rejoues);
    return erreurs == 0 ? 0 : 1;
}
