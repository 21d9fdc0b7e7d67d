#include "common/controls/my_tool_bar.h"
#include "resources/resource_ids.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace lex;

namespace {
struct Target : ui::CommandTarget {
    std::vector<std::pair<int, qintptr>> commands;
    bool onCommand(int id, qintptr param) override
    {
        commands.emplace_back(id, param);
        return true;
    }
};
} // namespace

TEST(MyToolBar, ButtonsRouteCommandsAndDropDownsPostRequests)
{
    QWidget host;
    CMyToolBar bar(&host);
    Target target;
    bar.setTarget(&target);
    bar.loadStandardButtons();
    host.show();
    ASSERT_NE(bar.button(cmd::kWebPage), nullptr);
    EXPECT_TRUE(bar.isButtonChecked(cmd::kWebPage));

    QTest::mouseClick(bar.button(cmd::kStudyPage), Qt::LeftButton);
    EXPECT_TRUE(bar.isButtonChecked(cmd::kStudyPage));
    EXPECT_FALSE(bar.isButtonChecked(cmd::kWebPage));   // one check group

    QTest::mousePress(bar.button(cmd::kMenuFile), Qt::LeftButton);
    EXPECT_EQ(target.commands.size(), 1u);   // the drop-down request is posted, not sent
    QCoreApplication::processEvents();
    QTest::mouseRelease(bar.button(cmd::kMenuFile), Qt::LeftButton);
    const std::vector<std::pair<int, qintptr>> expected{{cmd::kStudyPage, 0},
                                                        {CMyToolBar::kDropDownCommand, cmd::kMenuFile}};
    EXPECT_EQ(target.commands, expected);
}

TEST(MyToolBar, ButtonLookAndSize)
{
    QWidget host;
    CMyToolBar bar(&host);
    bar.loadStandardButtons();
    CMyToolBarButton* b = bar.button(cmd::kWebHome);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->sizeHint().height(), 36);
    EXPECT_GT(b->sizeHint().width(), 36);
    // A plain button shows only image and text: its corner stays unpainted.
    b->resize(b->sizeHint());
    QImage img(b->size(), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    b->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(qAlpha(img.pixel(1, 1)), 0);
    b->setChecked(false);
    bar.setButtonVisible(cmd::kWebHome, false);
    EXPECT_FALSE(b->isVisibleTo(&bar));
}
