#include "i18n/languagechoice.h"
#include "widgets/appicons.h"
#include "widgets/artwork.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Every picture a window names is there, drawn for 100% and for 200%.
TEST(Artwork, EveryPictureHasItsOneAndTwoTimesDrawing)
{
    struct Case
    {
        QString name;
        QSize size;
    };
    std::vector<Case> cases = {
        {u"tick_button"_s, {16, 16}},
        {u"arrow"_s, {16, 16}},
        {u"feedback"_s, {16, 16}},
        {u"close"_s, {22, 22}},
        {u"face_like"_s, {32, 32}},
        {u"face_dislike"_s, {32, 32}},
        {u"tandrel-logo-big-ai-black"_s, {344, 105}},
        {u"cat"_s, {320, 214}},
    };
    for (const QString &image : languageImageNames())
        cases.push_back({image, {16, 16}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        for (qreal ratio : {1.0, 2.0}) {
            const QPixmap pixmap = artworkPixmap(c.name, c.size, ratio);
            EXPECT_EQ(pixmap.size(), c.size * ratio) << "at " << ratio;
            EXPECT_EQ(pixmap.devicePixelRatio(), ratio);
            // The drawing made for that scale, not another one resized.
            const QString file = u":/images/"_s + c.name + (ratio == 1.0 ? u".png"_s : u"@2x.png"_s);
            EXPECT_EQ(pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                      QImage(file).convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }
    }
    EXPECT_TRUE(artworkIcon(u"no-such-picture"_s).isNull());
}

TEST(Artwork, MenuIconsAndTheProgramIconAreDrawn)
{
    for (AppIcon role :
         {AppIcon::Clear, AppIcon::Open, AppIcon::Exit, AppIcon::Help, AppIcon::Language, AppIcon::Feedback,
          AppIcon::About, AppIcon::Cut, AppIcon::Copy, AppIcon::Paste, AppIcon::Delete, AppIcon::Save}) {
        SCOPED_TRACE(int(role));
        EXPECT_EQ(appIcon(role).pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    }
    for (int size : {16, 32, 60, 256}) {
        SCOPED_TRACE(size);
        const QImage icon = programIcon().pixmap(QSize(size, size), 1.0).toImage();
        EXPECT_EQ(icon.size(), QSize(size, size));
        // Opaque in the middle: something is drawn.
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255);
    }
}

} // namespace
