// Writes the benchmark maps and inputs into a folder, always the same bytes
// (a fixed seed and a generator of our own, not the library's):
//   dense.map   200,000 rooms of 8 lines (50 to 90 bytes) and 4 exits;
//               dense.walk is a random walk of 1,000,000 keys through it
//   play.map    a ring of 1,000 rooms; play.input has 1,000,000 lines
//   sparse.map  one room, numbered 20,000,000
//   chain.map   1,000,000 automatic rooms in a row, then the end
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Random {
    std::uint64_t state;
    std::uint64_t next() {  // splitmix64
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t below(std::uint32_t bound) { return static_cast<std::uint32_t>(next() % bound); }
};

std::FILE* create(const std::string& folder, const char* name) {
    std::string path = folder + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        std::exit(1);
    }
    return file;
}

void writeDescriptionLine(std::FILE* file, Random* random, std::uint32_t length) {
    static const char words[] = "the old stone door wind dark hall lamp sea tower fog rope key ";
    std::string line = "  ";
    while (line.size() < length - 1) line += words[random->below(sizeof words - 1)];
    line.resize(length - 1);
    line += '\n';
    std::fputs(line.c_str(), file);
}

void writeDense(const std::string& folder) {
    Random random{1};
    std::FILE* file = create(folder, "dense.map");
    const std::uint32_t count = 200000;
    for (std::uint32_t room = 1; room <= count; ++room) {
        std::fprintf(file, "#helyiseg %u\n", room);
        for (int line = 0; line < 8; ++line) writeDescriptionLine(file, &random, 50 + random.below(41));
        for (char key : {'n', 's', 'e', 'w'}) {
            std::fprintf(file, "#irany N %u %c\n", 1 + random.below(count), key);
        }
    }
    std::fclose(file);
    std::FILE* input = create(folder, "dense.input");
    std::fputs("exit\n\n", input);
    std::fclose(input);
    // A key script for kaland-check --cover: a random walk of a million keys.
    std::FILE* walk = create(folder, "dense.walk");
    static const char* const keys[] = {"n\n", "s\n", "e\n", "w\n"};
    for (int line = 0; line < 1000000; ++line) std::fputs(keys[random.below(4)], walk);
    std::fclose(walk);
}

void writePlay(const std::string& folder) {
    Random random{2};
    std::FILE* file = create(folder, "play.map");
    const std::uint32_t count = 1000;
    for (std::uint32_t room = 1; room <= count; ++room) {
        std::fprintf(file, "#helyiseg %u\n", room);
        for (int line = 0; line < 3; ++line) writeDescriptionLine(file, &random, 40 + random.below(21));
        std::uint32_t next = room % count + 1;
        std::uint32_t previous = room == 1 ? count : room - 1;
        std::fprintf(file, "#irany N %u n\n#irany N %u s\n", next, previous);
        std::fprintf(file, "#irany N %u e\n#irany N %u w\n", (room + 9) % count + 1,
                     (room + count - 11) % count + 1);
    }
    std::fclose(file);
    std::FILE* input = create(folder, "play.input");
    static const char* const choices[] = {"n\n", "s\n", "E\n", "w\n", "x\n", "\n"};
    for (int line = 0; line < 1000000; ++line) std::fputs(choices[random.below(6)], input);
    std::fputs("exit\n\n", input);
    std::fclose(input);
}

void writeSparse(const std::string& folder) {
    std::FILE* file = create(folder, "sparse.map");
    std::fputs("#helyiseg 20000000\nThe only room, far out in the table.\n#gameover\n", file);
    std::fclose(file);
    std::FILE* input = create(folder, "sparse.input");
    std::fputs("\n", input);
    std::fclose(input);
}

void writeChain(const std::string& folder) {
    std::FILE* file = create(folder, "chain.map");
    const std::uint32_t count = 1000000;
    for (std::uint32_t room = 1; room <= count; ++room) {
        std::fprintf(file, "#helyiseg %u\nStep %u of a long fall.\n#irany A %u\n", room, room, room + 1);
    }
    std::fprintf(file, "#helyiseg %u\nThe bottom.\n#gameover\n", count + 1);
    std::fclose(file);
    std::FILE* input = create(folder, "chain.input");
    std::fputs("\n", input);
    std::fclose(input);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    writeDense(folder);
    writePlay(folder);
    writeSparse(folder);
    writeChain(folder);
    return 0;
}
