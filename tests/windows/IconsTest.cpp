#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct IconCase {
    const char* name;
    std::vector<int> sizes; // one entry per image, in file order
};

class Icons : public ::testing::TestWithParam<IconCase> {};

// Qt must read every image of each icon, 4-, 8- and 32-bit alike, with a
// transparent background where the mask says so.
TEST_P(Icons, everyImageLoadsAtItsSize)
{
    QImageReader reader(QStringLiteral(":/icons/%1.ico").arg(QLatin1String(GetParam().name)));
    ASSERT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    ASSERT_EQ(reader.imageCount(), static_cast<int>(GetParam().sizes.size()));
    for (const int size : GetParam().sizes) {
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        EXPECT_EQ(image.size(), QSize(size, size));
        EXPECT_TRUE(image.hasAlphaChannel());
        reader.jumpToNextImage();
    }
}

INSTANTIATE_TEST_SUITE_P(All, Icons,
                         ::testing::Values(IconCase{"generator", {32, 16}},
                                           IconCase{"settings", {32, 16}},
                                           IconCase{"main", {16, 32, 16, 32}},
                                           IconCase{"exit", {48, 48, 48, 32, 32, 32, 16, 16, 16}},
                                           IconCase{"selectall", {32, 16}},
                                           IconCase{"clear", {32, 16}}, IconCase{"copy", {32, 16}},
                                           IconCase{"journal", {32, 16}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
