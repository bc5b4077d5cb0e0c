#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Runs the fuzz target once on each file named and on each file of each folder named, as the
// fuzzer does with its corpus before it starts.
int main(int argc, char** argv)
{
    for (const std::filesystem::path named : std::vector<std::string>(argv + 1, argv + argc)) {
        std::vector<std::filesystem::path> files{named};
        if (std::filesystem::is_directory(named))
            files.assign(std::filesystem::directory_iterator(named), {});
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            if (!in)
                return 1;
            const std::string bytes{std::istreambuf_iterator<char>(in), {}};
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size());
        }
    }
    return argc > 1 ? 0 : 1;
}
