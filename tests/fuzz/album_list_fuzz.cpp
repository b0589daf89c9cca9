#include "qzone/albums.h"
#include "tests/fuzz/fuzz_support.h"

using namespace qzb;
using namespace qzb::fuzz;

namespace {

bool isKnownClass(std::string_view classid) {
    return classid.size() == 3 && classid >= "100" && classid <= "107";
}

void checkCategory(std::string_view classid) {
    const std::string name = albumCategoryName(classid);
    require(name.empty() != isKnownClass(classid), "classids 100 to 107, and only they, have a name");
    require(name.empty() || (name.size() == 4 && isValidGb18030(name)), "a category name is two characters");
}

bool isPiece(std::string_view answer, std::string_view field) {
    return answer.find(field) != std::string_view::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = asText(data, size);
    checkCategory(answer.substr(0, 8));

    const std::vector<AlbumEntry> albums = parseAlbumList(answer);
    require(albums.size() <= occurrences(answer, "\"id\" : \""), "one album per id marker at most");
    require(albums.size() <= occurrences(answer, "viewtype") + 1, "one album per record at most");
    for (const AlbumEntry& album : albums) {
        checkCategory(album.classid);
        require(album.category == albumCategoryName(album.classid), "the category is the classid's name");
        require(album.pre.find('\\') == std::string::npos, "a cover address holds no backslash");
        require(album.pre.size() <= answer.size(), "a cover address is no longer than the answer");
        for (const std::string* field :
             {&album.id, &album.name, &album.classid, &album.comment, &album.createtime, &album.desc,
              &album.allowAccess, &album.question, &album.total})
            require(isPiece(answer, *field), "a field is a piece of the answer");
        require(album.id.find("\",\n") == std::string::npos, "an id holds no terminator");
        require(album.classid.find(",\n") == std::string::npos, "a classid holds no terminator");
    }
    return 0;
}
