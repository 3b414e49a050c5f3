// Runs a fuzz target once on every file of the given corpus folders (or on the given files), so the
// corpora replay in every build under the sanitizers without libFuzzer. With --shard K/N first, only every
// N-th input from the K-th on (in name order) is run: the N shards of a large corpus run as N tests side by side,
// and together replay every input.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> inputs;
    std::size_t shard = 1;
    std::size_t shards = 1;
    int first = 1;
    if (argc > 2 && std::string(argv[1]) == "--shard") {
        const std::string spec = argv[2];
        const std::size_t slash = spec.find('/');
        try {
            shard = slash == std::string::npos ? 0 : std::stoul(spec.substr(0, slash));
            shards = slash == std::string::npos ? 0 : std::stoul(spec.substr(slash + 1));
        } catch (const std::exception&) {
            shards = 0;
        }
        if (shards == 0 || shard == 0 || shard > shards) {
            std::cerr << "--shard takes K/N with 1 <= K <= N, not " << spec << "\n";
            return 2;
        }
        first = 3;
    }
    for (int i = first; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& entry : fs::directory_iterator(argv[i]))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
        } else {
            inputs.emplace_back(argv[i]);
        }
    }
    std::sort(inputs.begin(), inputs.end());
    if (inputs.empty()) {
        std::cerr << "no corpus input found\n";
        return 1;
    }
    std::vector<fs::path> picked;
    for (std::size_t i = shard - 1; i < inputs.size(); i += shards)
        picked.push_back(inputs[i]);
    inputs.swap(picked);
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            std::cerr << "cannot read " << path << "\n";
            return 1;
        }
        const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
    }
    std::cout << "replayed " << inputs.size() << " inputs\n";
    return 0;
}
