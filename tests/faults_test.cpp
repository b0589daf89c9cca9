// Every fault the sample service can inject, run through the service client
// and the storage layer: the tool never crashes or hangs past its time-outs,
// tells what it saved and what failed (a list that may be short says so),
// leaves no half-written file and writes nothing outside its folder.
#include "application_environment.h"
#include "qzone/albums.h"
#include "qzone/blogs.h"
#include "qzone/moods.h"
#include "qzone/photos.h"
#include "service_fixture.h"
#include "store/blog_files.h"
#include "store/file_writer.h"
#include "store/photo_files.h"
#include "temp_folder.h"

#include <QGuiApplication>

namespace qzb {
namespace {

using sample::Fault;
using sample::FaultKind;

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QGuiApplication>);

constexpr const char* kAccount = "123456789";
constexpr std::size_t kBodyCap = 1024 * 1024;

struct FaultCase {
    const char* name;
    FaultKind kind;
    int status = 500;
};

// The faults that break one answer; each endpoint's test aims them at one of its requests.
const FaultCase kFaults[] = {
    {"closed mid-body", FaultKind::CloseMidBody},
    {"stalled past the time-out", FaultKind::Stall},
    {"404", FaultKind::Status, 404},
    {"500", FaultKind::Status, 500},
    {"503", FaultKind::Status, 503},
    {"moved in a loop", FaultKind::MoveLoop},
    {"larger than the cap", FaultKind::Oversize},
    {"empty body", FaultKind::EmptyBody},
    {"cut short", FaultKind::Truncate},
    {"refused", FaultKind::NoSuccessMarker},
    {"UTF-8 instead of GBK", FaultKind::Utf8Body},
    {"the first page for ever", FaultKind::RepeatFirstPage},
};

class FaultsTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        HttpLimits limits = httpLimits();
        limits.maxBodyBytes = kBodyCap;
        setHttpLimits(limits);
    }

    void inject(const FaultCase& c, const std::string& target, const std::string& cutAfter,
                sample::Options options) {
        options.faults = {Fault{.targetContains = target,
                                .kind = c.kind,
                                .status = c.status,
                                .cutAfter = cutAfter,
                                .bodyBytes = 2 * kBodyCap}};
        useOptions(std::move(options));
    }

    // No file under the folder is a temporary file left by a broken write.
    void expectNoHalfWrittenFile() const {
        for (const auto& file : filesBelow(m_temp.path()))
            EXPECT_NE(std::filesystem::path(file).filename().string().front(), '.') << file;
    }

    TempFolder m_temp;
};

TEST_F(FaultsTest, BlogListSaysWhenItMayBeShort) {
    const auto expected = sample::samplePosts(40);
    for (const auto& c : kFaults) {
        SCOPED_TRACE(c.name);
        inject(c, "pos=15", "{\"blogId\":", {.posts = 40});
        const BlogList list = listBlogs(kAccount);
        ASSERT_LE(list.entries.size(), expected.size());
        for (std::size_t i = 0; i < list.entries.size(); ++i)
            EXPECT_EQ(list.entries[i].blogId, expected[i].blogId);
        if (list.complete) {
            EXPECT_EQ(list.entries.size(), expected.size());
        }
    }
}

TEST_F(FaultsTest, BlogDownloadCountsEveryPostItCouldNotSave) {
    const auto posts = sample::samplePosts(4);
    std::vector<BlogEntry> entries;
    for (const auto& post : posts)
        entries.push_back({post.blogId, post.title});
    const std::string base = toPathText(m_temp.path());
    ASSERT_TRUE(prepareBlogFolders(base, BlogFormat::Text));
    for (const auto& c : kFaults) {
        SCOPED_TRACE(c.name);
        inject(c, "blogid=" + posts[2].blogId, "<body", {.posts = 4});
        const std::string saveName = std::string("run ") + c.name;
        const DownloadOutcome outcome =
            downloadBlogPosts(kAccount, entries,
                              [&](const BlogEntry&, int number, std::string_view page) {
                                  return saveBlogPost(base, BlogFormat::Text, saveName, number, page);
                              },
                              {});
        EXPECT_EQ(outcome.saved + outcome.failed, 4);
        for (int number = 1; number <= 4; ++number) {
            const bool exists = std::filesystem::exists(
                toFileSystemPath(blogFilePath(base, BlogFormat::Text, saveName, number)));
            if (number != 3) {
                EXPECT_TRUE(exists) << number;
            }
        }
        const bool thirdSaved =
            std::filesystem::exists(toFileSystemPath(blogFilePath(base, BlogFormat::Text, saveName, 3)));
        EXPECT_EQ(outcome.failed, thirdSaved ? 0 : 1);
    }
    expectNoHalfWrittenFile();
}

TEST_F(FaultsTest, MoodListSaysWhenItMayBeShort) {
    const auto expected = sample::sampleMoods(30);
    for (const auto& c : kFaults) {
        SCOPED_TRACE(c.name);
        inject(c, "pos=10", "\"conlist\":[{\"con\":\"", {.moods = 30});
        const MoodList list = listMoods(kAccount);
        ASSERT_LE(list.entries.size(), expected.size());
        for (std::size_t i = 0; i < list.entries.size(); ++i)
            EXPECT_EQ(list.entries[i].con, expected[i].con);
        if (list.complete) {
            EXPECT_EQ(list.entries.size(), expected.size());
        }
    }
}

TEST_F(FaultsTest, AlbumListSaysWhenItCouldNotBeRead) {
    const sample::Options options;
    const auto expected = sample::sampleAlbums(options.albumPhotos);
    for (const char* target : {"GetRoute", "fcg_list_album"}) {
        for (const auto& c : kFaults) {
            SCOPED_TRACE(std::string(target) + ": " + c.name);
            inject(c, target, "\"id\" : \"", options);
            const AlbumList list = listAlbums(kAccount);
            if (list.route && list.answered) {
                ASSERT_EQ(list.entries.size(), expected.size());
                for (std::size_t i = 0; i < expected.size(); ++i)
                    EXPECT_EQ(list.entries[i].id, expected[i].id);
            }
        }
    }
}

TEST_F(FaultsTest, PhotoDownloadCountsEveryPhotoItCouldNotSave) {
    const sample::Options options{.albumPhotos = {4}};
    const auto album = sample::sampleAlbums(options.albumPhotos)[0];
    const AlbumRoute route{options.routeDefaultHost, "80"};
    const std::string folder = toPathText(m_temp.path());
    const std::string thirdPhoto = album.photoUrls[2].substr(album.photoUrls[2].find("/psb"));
    struct Target {
        const char* name;
        std::string contains;
        std::string cutAfter;
    };
    const Target targets[] = {{"photo list", "fcg_list_photo", "\"url\" : \""},
                              {"third photo", thirdPhoto, "GIF"}};
    for (const auto& target : targets) {
        for (const auto& c : kFaults) {
            SCOPED_TRACE(std::string(target.name) + ": " + c.name);
            inject(c, target.contains, target.cutAfter, options);
            const std::string name = std::string(target.name) + " " + c.name;
            ASSERT_TRUE(preparePhotoFolder(folder, name));
            AlbumEntry entry;
            entry.id = album.id;
            const PhotoDownload outcome = downloadAlbumPhotos(
                kAccount, route, entry,
                [&](int number, std::string_view bytes) { return savePhoto(folder, name, number, bytes); },
                {});
            EXPECT_EQ(outcome.saved + outcome.failed, outcome.listed);
            if (outcome.listRead) {
                EXPECT_EQ(outcome.listed, 4);
            }
            // A photo answer that the server itself cut short, with a length to match, is
            // kept as it came: photos are saved exactly as fetched.
            const bool cutByServer = c.kind == FaultKind::Truncate && target.contains == thirdPhoto;
            for (int number = 1; number <= outcome.listed; ++number) {
                const auto file = toFileSystemPath(photoFilePath(folder, name, number));
                if (std::filesystem::exists(file) && !(cutByServer && number == 3)) {
                    EXPECT_EQ(readBytes(file), sample::samplePhotoBytes(
                                                   album.photoUrls[static_cast<std::size_t>(number - 1)], 0));
                }
            }
        }
    }
    expectNoHalfWrittenFile();
}

} // namespace
} // namespace qzb
