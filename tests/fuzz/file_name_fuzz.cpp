#include "store/file_writer.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>

using namespace qzb;
using namespace qzb::fuzz;

namespace {

constexpr std::size_t kMaxNameBytes = 150;

bool isForbiddenCharacter(unsigned char c) {
    return c < 0x20 || c == 0x7F ||
           std::string_view("\\/:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos;
}

bool isDotsAndBlanksOnly(std::string_view name) {
    return std::all_of(name.begin(), name.end(), [](char c) { return c == '.' || c == ' '; });
}

} // namespace

// Layout: one byte with the fallback's length, the fallback, then the name.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = asText(data, size);
    if (input.empty())
        return 0;
    const std::size_t fallbackLength = static_cast<unsigned char>(input[0]) % 16;
    input.remove_prefix(1);
    const std::string_view fallback = take(input, fallbackLength);
    const std::string_view name = input;

    const std::string safe = safeFileName(name, fallback);
    require(safeFileName(name, fallback) == safe, "the same name gives the same result");
    if (safe == fallback)
        return 0;

    require(!safe.empty(), "a safe name is not empty");
    require(!isDotsAndBlanksOnly(safe), "a safe name is not dots and blanks only");
    // The file system sees the UTF-8 form, so that is where nothing may slip through.
    const std::string onDisk = gbkToUtf8(safe);
    require(onDisk != "." && onDisk != "..", "a safe name does not climb");
    require(std::none_of(onDisk.begin(), onDisk.end(), [](char c) { return isForbiddenCharacter(c); }),
            "a safe name holds no forbidden character");
    require(onDisk.size() <= kMaxNameBytes, "a safe name is 150 UTF-8 bytes at most");
    require(isValidGb18030(safe), "a safe name is valid text");
    return 0;
}
