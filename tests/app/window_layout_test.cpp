#include "app/doc_templates.h"
#include "app/program_paths.h"
#include "app/window_layout.h"
#include "support/recording_host.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
const WRect kScreen{0, 0, 1280, 1000};

bool Inside(const WRect& r, int width, int height)
{
    return r.x >= 0 && r.y >= 0 && r.x + r.width <= width && r.y + r.height <= height;
}
} // namespace

TEST(WindowLayoutTest, MainWindowStartsLargeAndComesBackWhereItWasLeft)
{
    EXPECT_EQ(DefaultFrameGeometry(kScreen), (WRect{128, 100, 1024, 800}));
    EXPECT_EQ(FrameGeometryToRestore(std::nullopt, kScreen), DefaultFrameGeometry(kScreen));
    const auto saved = [](WRect r) { return std::optional<FramePlacement>(FramePlacement{r, false}); };
    EXPECT_EQ(FrameGeometryToRestore(saved({40, 30, 700, 500}), kScreen), (WRect{40, 30, 700, 500}));
    // Partly off the screen it is moved on; mostly off (a larger or another
    // monitor) or damaged it starts afresh.
    EXPECT_EQ(FrameGeometryToRestore(saved({800, 650, 600, 400}), kScreen), (WRect{680, 600, 600, 400}));
    EXPECT_EQ(FrameGeometryToRestore(saved({-10, 0, 3000, 2000}), kScreen), DefaultFrameGeometry(kScreen));
    EXPECT_EQ(FrameGeometryToRestore(saved({3000, 0, 600, 400}), kScreen), DefaultFrameGeometry(kScreen));
    EXPECT_EQ(FrameGeometryToRestore(saved({0, 0, 0, 0}), kScreen), DefaultFrameGeometry(kScreen));

    TempDir dir;
    const std::string ini = dir.File("dravel.ini");
    EXPECT_FALSE(ReadFramePlacement(ini));
    WriteFramePlacement(ini, {{-20, 15, 900, 650}, true});
    const auto read = ReadFramePlacement(ini);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->normal, (WRect{-20, 15, 900, 650}));
    EXPECT_TRUE(read->maximized);
}

TEST(WindowLayoutTest, DocumentWindowsKeepTheirColumnsWideEnough)
{
    // A new window: most of the room, but never narrower than its columns
    // while the room has them; later ones step down until the room ends.
    EXPECT_EQ(NewChildGeometry(1000, 600, 560, 0, 20), (WRect{0, 0, 900, 450}));
    EXPECT_EQ(NewChildGeometry(1000, 600, 560, 3, 20), (WRect{60, 60, 900, 450}));
    EXPECT_EQ(NewChildGeometry(1000, 600, 560, 7, 20), (WRect{20, 20, 900, 450}));
    EXPECT_EQ(NewChildGeometry(600, 400, 580, 0, 20).width, 580);

    for (int count = 1; count <= 6; ++count) {
        SCOPED_TRACE(count);
        const auto cascade = CascadeGeometries(count, 1000, 600, 700, 22);
        ASSERT_EQ(cascade.size(), size_t(count));
        for (size_t i = 0; i < cascade.size(); ++i) {
            EXPECT_GE(cascade[i].width, 700);
            EXPECT_GE(cascade[i].height, 300);
            EXPECT_TRUE(Inside(cascade[i], 1000, 600));
            if (i > 0) {
                EXPECT_GT(cascade[i].y, cascade[i - 1].y);  // every title bar in sight
            }
        }
        const auto tile = TileGeometries(count, 1000, 600, 450);
        ASSERT_EQ(tile.size(), size_t(count));
        long area = 0;
        for (const WRect& r : tile) {
            EXPECT_GE(r.width, 450);
            EXPECT_TRUE(Inside(r, 1000, 600));
            area += long(r.width) * r.height;
        }
        EXPECT_EQ(area, 1000L * 600);  // the room filled, nothing overlapping
    }
    // Two windows that cannot stand side by side are stacked.
    EXPECT_EQ(TileGeometries(2, 800, 600, 560), (std::vector<WRect>{{0, 0, 800, 300}, {0, 300, 800, 300}}));
    // A room narrower than one window's columns gives what it has.
    EXPECT_EQ(CascadeGeometries(2, 500, 400, 560, 20)[1], (WRect{0, 20, 500, 380}));
}

TEST(WindowLayoutTest, NewDocumentsGetDistinctTitles)
{
    EXPECT_EQ(UntitledTitle({}), "Untitled");
    EXPECT_EQ(UntitledTitle({"a.hex", "Untitled"}), "Untitled 2");
    EXPECT_EQ(UntitledTitle({"Untitled", "Untitled 3"}), "Untitled 2");
    EXPECT_EQ(UntitledTitle({"Untitled 2", "Untitled", "Untitled 3"}), "Untitled 4");
}

TEST(WindowLayoutTest, AnInstalledProgramFindsItsHelpInTheDataFolder)
{
    TempDir dir;
    std::filesystem::create_directories(dir.File("bin"));
    std::filesystem::create_directories(dir.File("share/dravel"));
    // Nowhere yet: beside the program, where the viewer reports it missing.
    EXPECT_EQ(FindHelpFile(dir.File("bin")), dir.File("bin") + "/Dravel.hlp");
    dir.Write("share/dravel/Dravel.hlp", "<html></html>");
    EXPECT_EQ(FindHelpFile(dir.File("bin")), dir.File("share/dravel/Dravel.hlp"));
    // A copy beside the program comes first.
    dir.Write("bin/Dravel.hlp", "<html></html>");
    EXPECT_EQ(FindHelpFile(dir.File("bin")), dir.File("bin") + "/Dravel.hlp");
}
