// Replay mode of the fuzz targets: a plain program that feeds each file named
// on the command line (each file of a named folder, in name order) to the
// target once. The tests run every target over its seeds and its regression
// inputs this way, with the sanitizers, so that the targets keep building and
// every input once found keeps passing.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& path) {
    if (!std::filesystem::is_directory(path)) return {path};
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(path))
        if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int main(int argc, char** argv) {
    int fed = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::exists(argv[i])) {
            std::fprintf(stderr, "replay: no such input: %s\n", argv[i]);
            return 1;
        }
        for (const auto& path : InputsOf(argv[i])) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<char> bytes(std::istreambuf_iterator<char>(in), {});
            if (!in.eof() && !in) {
                std::fprintf(stderr, "replay: cannot read %s\n", path.c_str());
                return 1;
            }
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            ++fed;
        }
    }
    std::printf("replay: %d input%s passed\n", fed, fed == 1 ? "" : "s");
    return fed > 0 ? 0 : 1;
}
