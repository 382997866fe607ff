#include "app/window/ToolIcons.h"

#include "QtApp.h"

#include "text/GbkText.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

#include <set>

TEST(ToolIcons, EveryCommandHasItsOwnDrawnIconItsNameAndATip) {
    qtApp();
    const std::set<std::string> modes = {"地下浏览", "地上浏览", "横断面",  "测试开挖",
                                         "沿线开挖", "区域开挖", "创建隧道"};
    const auto& tools = ToolIcons::tools();
    ASSERT_EQ(tools.size(), 12u);
    std::vector<QImage> drawn;
    for (const auto& tool : tools) {
        EXPECT_EQ(ToolIcons::find(tool.command), &tool);
        // The label is the registered name, read from its GBK bytes.
        EXPECT_EQ(tool.label, gbkToQString(tool.command));
        EXPECT_TRUE(tool.toolTip.startsWith(tool.label)) << tool.toolTip.toStdString();
        EXPECT_EQ(tool.mode, modes.count(tool.command) == 1) << tool.toolTip.toStdString();
        drawn.push_back(ToolIcons::icon(tool.command).pixmap(32, 32).toImage());
    }
    drawn.push_back(ToolIcons::icon(ToolIcons::identify()).pixmap(32, 32).toImage());
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].size(), QSize(32, 32));
        EXPECT_NE(drawn[i].pixelColor(16, 16).alpha() + drawn[i].pixelColor(8, 24).alpha(), 0) << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_NE(drawn[i], drawn[j]) << i << " looks like " << j;
    }
    EXPECT_TRUE(ToolIcons::icon(std::string("Opacity:")).isNull());
    EXPECT_EQ(ToolIcons::find("地表"), nullptr);
}
